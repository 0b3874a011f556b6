#pragma once
// What the ride and maintenance editors share: a resizable modal dialog with
// the record's fields on top, the embedded memo editor below them, and the
// buttons previous, Save, Cancel and next along the bottom. It owns the life
// of the record's memo folder: made (or started from the stored plain text)
// when the editor opens, saved with the record, removed again when a new
// record is cancelled.
//
// The frame also makes the date and bicycle fields every record has. The
// editor of a record type derives from RecordEditor<Record> below: it builds
// and places its fields inside FieldArea(), calls Open(), and shows and takes
// its own fields; the rest is done here. Results: kEditorSaved (the working
// record holds the new values, the memo has been written and the record
// stored), kEditorCancelled, kEditorPrevious and kEditorNext (nothing stored,
// unless SavedBeforeStepping).
//
// Nothing typed is dropped without asking: previous, next, Escape and the
// close box ask Save / Discard / Cancel when a field or the memo changed. The
// Cancel button is the rider's own choice to discard and does not ask.

#include "store/store.h"
#include "units/RecordFolders.h"
#include "units/TextBlock.h"

#include <QComboBox>

#include <QDateTime>
#include <QDateTimeEdit>
#include <QDialog>
#include <QHash>
#include <QString>
#include <functional>
#include <utility>

class MemoEditor;
class QLabel;
class QLineEdit;
class QPushButton;

// What a list page hands the editor of one of its records.
template <typename Record>
struct RecordEditorSetup {
    bool newRecord = true;
    BicycleList bicycles;         // the page's list: fills the bicycle choice
    int preselectedBicycle = -1;  // position in the bicycle choice, -1 for none
    bool hasPrevious = false;     // existing records: a row above / below in the list
    bool hasNext = false;
    int newRecordNumber = 0;  // new records: the number the store will give it
    Record record;            // existing records: a copy of the list's record
    // New records: record's date, bicycle and memo are shown to start from
    // (work done for a service task); its other fields stay empty.
    bool prefilled = false;
};

enum EditorResult : int { kEditorSaved = 0, kEditorCancelled = 1, kEditorPrevious = 2, kEditorNext = 3 };

class RecordEditorFrame : public QDialog {
    Q_OBJECT
public:
    RecordEditorFrame(RecordKind kind, bool newRecord, QWidget* parent);
    ~RecordEditorFrame() override;

    bool IsNewRecord() const { return m_newRecord; }
    QString MemoFolder() const { return m_folder; }
    MemoEditor* Memo() const { return m_memo; }

    // Escape and the close box cancel, asking first when something changed.
    void reject() override;

    // Whether a field or the memo differs from what the editor opened with.
    bool HasChanges() const;
    // After kEditorPrevious or kEditorNext: the rider chose to save the
    // changes first, and the record was stored.
    bool SavedBeforeStepping() const { return m_savedBeforeStepping; }

    // How Save stores the working record, handed in by the page. The editor
    // closes as saved only when it returns true; on a refusal (a full disk,
    // another program's lock) it says so and stays open with everything the
    // rider typed, to be saved again or cancelled.
    void SetRecordStore(std::function<bool()> store) { m_store = std::move(store); }

protected:
    // The room for the fields above the memo; its size does not change once
    // the editor has set the height its fields need.
    QWidget* FieldArea() const { return m_fieldArea; }
    void SetFieldAreaHeight(int height);

    // Stores the working record the way the page handed in (nothing when it
    // handed in none). An editor that keeps more with the record overrides
    // it to store that in the same transaction.
    virtual bool StoreRecord();
    bool HasRecordStore() const { return static_cast<bool>(m_store); }

    // Binds the memo to <program directory>/Rides|Maintenance/<number>. A new
    // record's folder is made empty: what a removed record may have left
    // under the number belongs to no record. An existing record's folder is
    // made when missing and, when it has no data.htm yet, the document is
    // started from the record's stored plain text. Folder failures are not
    // shown; the editor carries on and a later save reports what it cannot write.
    void OpenMemoFolder(int number, const QString& storedMemoText);

    // Previous and next are hidden for a new record; for an existing one each
    // is enabled only when a record lies in that direction.
    void SetNeighbours(bool hasPrevious, bool hasNext);

    // The date with its time and the bicycle choice, made inside FieldArea()
    // for the derived editor to place. A new record's date is now.
    QDateTimeEdit* DateField() const { return m_date; }
    QComboBox* BicycleField() const { return m_bicycle; }
    // Offers the bicycles; the one at position preselected is chosen (none
    // for -1 or a position beyond the list).
    void OfferBicycles(const BicycleList& bicycles, int preselected);
    // Shows a stored date and bicycle. A date outside the picker's usual
    // range widens it, so that the record keeps its date when saved again.
    void ShowDateAndBicycle(int64_t date, int32_t bicycleNumber);
    // The chosen bicycle's number; false (the user told, the choice focused)
    // when none is chosen.
    bool TakeBicycle(int32_t* number);
    // The picked date, unless an existing record's date was left as shown.
    void TakeDate(int32_t* date) const;
    // Shows text in a field of an existing record and remembers it: a field
    // left as shown keeps the stored value, so that opening and saving a
    // record never rounds 16.0934 km to the 16.09 its field shows.
    void ShowField(QLineEdit* field, const QString& text);
    // Whether the field is to be taken: always for a new record, for an
    // existing one when its text is no longer what ShowField put there.
    bool FieldChanged(const QLineEdit* field) const;

    // Remembers what the fields and the memo show now, as the state changes
    // are measured against. Called once the record is shown.
    void RememberOpeningState();

    // Checks the fields and takes them into the working record; false keeps
    // the editor open (the editor has said why).
    virtual bool CommitFields() = 0;
    // Stores the memo's plain text in the working record.
    virtual void CommitMemoText(const QString& text) = 0;

    void resizeEvent(QResizeEvent* event) override;

private:
    // Stores the fields and the memo; false (the rider told why) keeps the
    // editor open.
    bool SaveRecord();
    void OnSave();
    void OnCancel();
    // Leaves the editor with result, first asking about unsaved changes;
    // false when the rider chose to stay.
    bool LeaveWith(int result);
    void LayOut();

    const RecordKind m_kind;
    const bool m_newRecord;
    QString m_folder;
    MemoEditor* m_memo;
    QWidget* m_fieldArea;
    QLabel* m_memoLabel;
    QPushButton* m_previous;
    QPushButton* m_save;
    QPushButton* m_cancel;
    QPushButton* m_next;
    // Made after the buttons, so that Tab goes from the buttons to the fields.
    QDateTimeEdit* m_date;
    QComboBox* m_bicycle;
    QDateTime m_shownDate;
    QHash<const QLineEdit*, QString> m_shownFields;
    std::function<bool()> m_store;
    // What the editor opened with, for HasChanges.
    QDateTime m_openingDate;
    int m_openingBicycle = -1;
    QHash<const QLineEdit*, QString> m_openingTexts;
    QHash<const QComboBox*, int> m_openingChoices;
    int m_fieldAreaHeight = 82;
    bool m_savedBeforeStepping = false;
};

// The editor of a ride or a maintenance entry, holding the working record.
template <typename Record>
class RecordEditor : public RecordEditorFrame {
public:
    // The working record: after kEditorSaved, the record as edited.
    const Record& WorkingRecord() const { return m_record; }

protected:
    RecordEditor(RecordEditorSetup<Record> setup, QWidget* parent)
        : RecordEditorFrame(RecordKindOf<Record>::value, setup.newRecord, parent), m_setup(std::move(setup)) {
        if (!m_setup.newRecord || m_setup.prefilled) {
            m_record = m_setup.record;
        }
    }

    // Called by the derived editor's constructor once its fields stand: binds
    // the memo folder, offers the bicycles and shows an existing record.
    void Open() {
        OpenMemoFolder(IsNewRecord() ? m_setup.newRecordNumber : RecordNumber(m_record),
                       FromTextBlock(m_record.Memo));
        SetNeighbours(m_setup.hasPrevious, m_setup.hasNext);
        OfferBicycles(m_setup.bicycles, m_setup.preselectedBicycle);
        if (!IsNewRecord()) {
            ShowDateAndBicycle(m_record.Date, m_record.BicycleNumber);
            ShowRecordFields();
        } else if (m_setup.prefilled) {
            ShowDateAndBicycle(m_record.Date, m_record.BicycleNumber);
        }
        RememberOpeningState();
        BicycleField()->setFocus();
    }

    // The derived editor's own fields: shown from an existing record, taken
    // into the working record on Save. False keeps the editor open (the
    // editor has said why); the working record is then left as it was.
    virtual void ShowRecordFields() = 0;
    virtual bool TakeRecordFields() = 0;
    Record& Working() { return m_record; }

private:
    bool CommitFields() final {
        if (!TakeBicycle(&m_record.BicycleNumber)) {
            return false;
        }
        TakeDate(&m_record.Date);
        return TakeRecordFields();
    }
    void CommitMemoText(const QString& text) final { m_record.Memo = ToTextBlock(text); }

    RecordEditorSetup<Record> m_setup;
    Record m_record;
};
