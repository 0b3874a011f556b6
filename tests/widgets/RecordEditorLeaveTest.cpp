// Leaving a ride or maintenance editor never drops what was typed without
// asking: previous, next, Escape and the close box ask Save / Discard /
// Cancel when a field or the memo changed, and go at once when nothing did.

#include "maintenance/MaintenanceRecordDlg.h"
#include "memo/HtmlView.h"
#include "memo/MemoDocument.h"
#include "memo/MemoEditor.h"
#include "rides/RideRecordDlg.h"
#include "support/RecordEditorTest.h"

namespace {

struct RideKind {
    using Editor = RideRecordDlg;
    using Record = RideRecord;
    static constexpr const char* kField = "distance";
    static constexpr const char* kFolder = "Rides/3/data.htm";
    static RideRecord Stored(int64_t date) {
        RideRecord ride{};
        ride.RideRecordNumber = 3;
        ride.BicycleNumber = 1;
        ride.Date = static_cast<int32_t>(date);
        ride.Distance = 30.0;
        ride.Hours = 1;
        return ride;
    }
    static double Figure(const RideRecord& ride) { return ride.Distance; }
};

struct MaintenanceKind {
    using Editor = MaintenanceRecordDlg;
    using Record = MaintenanceRecord;
    static constexpr const char* kField = "cost";
    static constexpr const char* kFolder = "Maintenance/3/data.htm";
    static MaintenanceRecord Stored(int64_t date) {
        MaintenanceRecord entry{};
        entry.MaintenanceRecordNumber = 3;
        entry.BicycleNumber = 1;
        entry.Date = static_cast<int32_t>(date);
        entry.Cost = 30.0;
        return entry;
    }
    static double Figure(const MaintenanceRecord& entry) { return entry.Cost; }
};

template <typename Kind>
class RecordEditorLeaveTest : public RecordEditorTest<typename Kind::Editor, typename Kind::Record> {};

using RecordKinds = ::testing::Types<RideKind, MaintenanceKind>;
TYPED_TEST_SUITE(RecordEditorLeaveTest, RecordKinds);

TYPED_TEST(RecordEditorLeaveTest, AsksBeforeDroppingChanges) {
    using Editor = typename TypeParam::Editor;
    const QString question = GetLanguageString("Strings", "SVCH");
    int stores = 0;
    const auto run = [&](bool hasNeighbours, const std::function<void(Editor&)>& step) {
        return this->Run(
            this->ExistingRecord(TypeParam::Stored(this->Local(2025, 5, 1)), hasNeighbours, hasNeighbours),
            [&](Editor& editor) {
                editor.SetRecordStore([&stores] { return ++stores > 0; });
                step(editor);
            });
    };

    // Nothing changed: next steps, Escape closes, without a question.
    EXPECT_EQ(run(true, [&](Editor& editor) { this->Click(editor, "next"); }).first, kEditorNext);
    EXPECT_EQ(run(false, [&](Editor& editor) { editor.close(); }).first, kEditorCancelled);
    EXPECT_TRUE(this->m_dialogs.Asked().empty());

    // Cancel stays with everything typed; Save then stores it and closes.
    this->m_dialogs.AnswerMessage(kButtonCancel, question);
    this->m_dialogs.AnswerMessage(kButtonSave, question);
    const auto [saved, record] = run(false, [&](Editor& editor) {
        this->Type(editor, TypeParam::kField, QStringLiteral("45"));
        QTest::keyClick(this->Find(editor, TypeParam::kField), Qt::Key_Escape);
        ASSERT_TRUE(editor.isVisible());
        EXPECT_EQ(this->Find(editor, TypeParam::kField)->text(), QStringLiteral("45"));
        editor.close();
    });
    EXPECT_EQ(saved, kEditorSaved);
    EXPECT_EQ(TypeParam::Figure(record), 45.0);
    EXPECT_EQ(stores, 1);

    // Save before a step stores the memo and the record, then steps.
    this->m_dialogs.AnswerMessage(kButtonSave, question);
    bool savedBeforeStepping = false;
    const auto [stepped, memoRecord] = run(true, [&](Editor& editor) {
        QTest::keyClicks(editor.Memo()->View(), QStringLiteral("kept"));
        this->Click(editor, "previous");
        savedBeforeStepping = editor.SavedBeforeStepping();
    });
    EXPECT_EQ(stepped, kEditorPrevious);
    EXPECT_TRUE(savedBeforeStepping);
    EXPECT_EQ(stores, 2);
    EXPECT_TRUE(DecodeMemoDocument(this->m_programDir.ReadFile(QString::fromLatin1(TypeParam::kFolder)))
                    .contains(u"kept"));

    // Discard steps and leaves the stored record as it was.
    this->m_dialogs.AnswerMessage(kButtonDiscard, question);
    const auto [discarded, untouched] = run(true, [&](Editor& editor) {
        this->Type(editor, TypeParam::kField, QStringLiteral("99"));
        this->Click(editor, "next");
    });
    EXPECT_EQ(discarded, kEditorNext);
    EXPECT_EQ(TypeParam::Figure(untouched), 30.0);
    EXPECT_EQ(stores, 2);
    EXPECT_EQ(this->m_dialogs.Unanswered(), 0u);
}

}  // namespace
