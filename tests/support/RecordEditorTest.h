#pragma once
// Fixture of the record-editor tests (ride, maintenance entry): the page
// fixture with two bicycles, a fixed now (2025-06-01 18:30:15) and the editor
// run as its page runs it, a scripted step acting on it.

#include "support/PageTest.h"
#include "widgets/RecordEditorFrame.h"

#include <functional>
#include <utility>

template <typename Editor, typename Record>
class RecordEditorTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        AddBicycle(QStringLiteral("Trek 520"));
        AddBicycle(QStringLiteral("Fuji <Track>"));
    }

    RecordEditorSetup<Record> NewRecord(int number = 5, int preselected = -1) const {
        RecordEditorSetup<Record> setup;
        setup.bicycles = Bicycles();
        setup.newRecordNumber = number;
        setup.preselectedBicycle = preselected;
        return setup;
    }

    RecordEditorSetup<Record> ExistingRecord(const Record& record, bool hasPrevious = false,
                                             bool hasNext = false) const {
        RecordEditorSetup<Record> setup;
        setup.newRecord = false;
        setup.bicycles = Bicycles();
        setup.record = record;
        setup.hasPrevious = hasPrevious;
        setup.hasNext = hasNext;
        return setup;
    }

    // Runs an editor with the scripted step; returns its result and the working record.
    std::pair<int, Record> Run(RecordEditorSetup<Record> setup, std::function<void(Editor&)> step) {
        m_drivers.Then<Editor>(std::move(step));
        Editor editor(std::move(setup), nullptr);
        const int result = RunModal(&editor, kEditorCancelled);
        return {result, editor.WorkingRecord()};
    }

    ScopedClock m_clock{Local(2025, 6, 1, 18, 30, 15)};
};
