#pragma once
// The ride and maintenance list pages: the records of one bicycle or all,
// over a range of local days, in a sortable table; their summary in the status
// line; New, Modify (with stepping through the list), Delete (with the
// record's memo folder) and Export of what is listed.
//
// RecordListPage holds the controls and all that does not depend on the
// record type. RecordListPageOf<Traits> adds the table's records and what is
// done with them, from a traits struct that names the page's record, cell
// words and editor and brings its store functions, columns, summary and
// export:
//
//   struct RideListTraits {
//       using Record = RideRecord;
//       using Words = RideCellWords;        // Words::Current(bicycles)
//       using Editor = RideRecordDlg;       // Editor(RecordEditorSetup<Record>, parent)
//       static constexpr auto Fetch = &DB_GetRideRecords;
//       static constexpr auto MaxNumber = &DB_GetMaxRideRecordNumber;
//       static constexpr auto Insert = &DB_InsertRideRecord;
//       static constexpr auto Update = &DB_UpdateRideRecord;
//       static constexpr auto Delete = &DB_DeleteRideRecord;
//       static constexpr auto Copy = &DB_CopyRideRecord;
//       // Any one record of the table, to tell an empty log from an empty filter.
//       static constexpr char kAnyRecord[] =
//           "RideRecordNumber in (select RideRecordNumber from RideRecord limit 1)";
//       // What the empty list says (EmptyListHint).
//       static constexpr EmptyHintKeys kHints{...};
//       static std::vector<RecordColumn<Record>> Columns(const Words* words);
//       static QString StatusText(const std::vector<Record>& records);
//       // Optional: figures read beside the records of a condition (just
//       // fetched) into the words, as far as the columns shown need them (false
//       // when the store refused), and a status line that says more than the
//       // reports' summary.
//       static bool FetchBeside(const char* condition, const std::vector<Record>& records, Words* words,
//                               const std::function<bool(int)>& columnShown);
//       // Optional: a column just shown needs what FetchBeside left out.
//       static bool BesideMissing(const Words& words, const std::function<bool(int)>& columnShown);
//       static QString StatusLineText(const std::vector<Record>& records, const Words& words);
//       static void Export(QWidget* page, const QString& fileName, int format,
//                          std::vector<const Record*> rows, const BicycleList& bicycles,
//                          const QString& statusText);
//   };

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/Failure.h"
#include "platform/Files.h"
#include "platform/ModalRun.h"
#include "store/store.h"
#include "units/DayRange.h"
#include "units/RecordFolders.h"
#include "units/SafeFormat.h"
#include "widgets/RangePresets.h"
#include "widgets/RecordEditorFrame.h"
#include "widgets/RecordTableModel.h"
#include "widgets/RecordTableView.h"
#include "widgets/TabPage.h"

#include <QDate>
#include <QString>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class EmptyListHint;
class FigureFilterBar;
class ImageButton;
class LinkLabel;
class QPushButton;
class QComboBox;
class QDateEdit;
class QHBoxLayout;
class QLineEdit;
class QMenu;
class QTimer;

// What an empty list says: when the log holds no record of the page's kind
// at all, when the filter leaves none, and the caption of the button that
// adds the first one.
struct EmptyHintKeys {
    LanguageKey emptyLog;
    LanguageKey emptyRange;
    LanguageKey addFirst;
};

class RecordListPage : public TabPage {
    Q_OBJECT
public:
    ~RecordListPage() override;

    void RefreshCaptions() override;

    // Reads the bicycles and the records of the filter again, as when the page is shown.
    void Reload();
    // The summary line of the last reload, as the status line shows it.
    const QString& StatusText() const { return m_statusText; }
    RecordTableView* Table() const { return m_table; }
    // Shown over the table while it is empty.
    const EmptyListHint& Hint() const { return *m_hint; }

    // Sorts the table as a click on the column's heading does. One direction
    // serves every column and turns at each click; the first click of the
    // run sorts ascending. A column without a key does nothing.
    void SortByColumn(int column);
    // Shows or hides a column the rider may choose, and keeps the choice
    // among the preferences; a column always shown stays.
    void ShowColumn(int column, bool shown);
    bool ColumnShown(int column) const;
    // The heading's context menu: a checkable entry for every column the
    // rider may choose (the entry's object name is the column's choice name).
    QMenu* NewColumnMenu(QWidget* parent);
    // The status line as shown after the last reload; StatusText() is the
    // summary the reports end with.
    const QString& StatusLineText() const { return m_lineText; }

    // Writes what the table shows, in its order, as a report of the given
    // format (kTextReport, kCsvReport or kHtmlReport) and tells how it went.
    virtual void ExportRecords(const QString& fileName, int format) = 0;

protected:
    // The kind names the preference that keeps the page's range of days and
    // the figures it filters by.
    RecordListPage(LinkLabel& statusLine, const EmptyHintKeys& hints, RecordKind kind, QWidget* parent);

    // Why the table shows what it shows, for the hint over an empty one.
    enum class ListState {
        Listed,      // records are listed
        Unread,      // the store could not be read: nothing to suggest
        NoBicycles,  // no bicycle yet, so no record can be made
        EmptyLog,    // bicycles, but no record of this kind at all
        EmptyRange,  // records, but none the filter takes in
    };
    void SetListState(ListState state);
    ListState CurrentListState() const { return m_listState; }
    // Shows or hides the hint for the current list state; a page with more
    // to offer (the rides' import) says more.
    virtual void UpdateHint();
    EmptyListHint* HintWidget() const { return m_hint; }
    // The hint's button that does what New does.
    QPushButton* HintNewButton() const { return m_hintNew; }

    // Shows the model in the table; called once by RecordListPageOf.
    void ShowModel(RecordTableModelBase* model);
    // Puts a page's own button after New, Modify, Delete, Export and the
    // buttons added before it, in the row and in the Tab order.
    void AddButton(ImageButton* button);

    // The bicycles of the last reload, as the filter offers them.
    const BicycleList& Bicycles() const { return m_bicycles; }
    // The position in an editor's bicycle choice that the filter preselects:
    // "all bicycles" none (-1), the n-th bicycle itself.
    int PreselectedBicycle() const;
    // The number of the bicycle the filter shows, none for "all bicycles".
    std::optional<int> FilteredBicycleNumber() const;
    // Widens the listed days to take in first..last, without a reload.
    void ShowDays(const QDate& first, const QDate& last);
    // Moves the end day to a new today when it still shows today's, so a
    // page left open past midnight lists the new day's records.
    void FollowToday();
    // The store's condition for the chosen bicycle, days and figures; while
    // words are searched for, for the records that hold them over all time.
    std::string FilterCondition();
    // Words are searched for: the list takes in all time.
    bool Searching() const;
    // The first and last second of the days shown.
    DayRange ShownDays() const;
    // How many of the records listed by a search lie outside the days shown.
    void SetHitsOutside(int count) { m_hitsOutside = count; }
    // After a reload: the columns fitted to the rows, the summary in the
    // status line. The reports end with statusText; the line may say more.
    void ShowStatus(const QString& statusText, const QString& lineText);
    // After a save: the record just saved is not listed, which the status line
    // says before the summary, so that it does not seem lost.
    void ShowSavedOutside();

    void showEvent(QShowEvent* event) override;

    // Reads the records of the filter into the table.
    virtual void ReloadRecords() = 0;
    // A column the rider may choose was shown or hidden.
    virtual void ColumnsChosen() {}
    virtual void NewRecord() = 0;
    virtual void ModifyRecord() = 0;
    virtual void DeleteRecord() = 0;

private:
    void LayOutControls();
    void ReloadBicycles();
    void OnFilterChanged(int position);
    // The range kept for the page, read once when it is first shown.
    void ReadRange();
    void OnPresetChosen(int position);
    // A day picked by hand makes the range a custom one.
    void OnDaysPicked();
    // Shows the preset's days and the preset in the chooser, without a reload.
    void ShowPreset(RangePreset preset, const PickedRange& days);
    void KeepRange();
    // Every filter back to what a new page shows: all bicycles, this year, no figure bounds.
    void ClearFilters();
    void OnExport();
    // The columns chosen for the page, read once when it is first shown.
    void ReadColumnChoice();

    BicycleList m_bicycles;
    RecordTableModelBase* m_model = nullptr;
    QString m_statusText;
    QString m_lineText;
    const char* m_columnPreference;
    int m_filterPosition = 0;
    // One direction for every column, kept for the whole run; the first
    // click of the run sorts ascending.
    bool m_ascending = false;
    // The end picker follows the calendar until the user sets it, so records
    // of a new day are listed when the program stays open past midnight.
    bool m_endIsToday = true;
    QDate m_today;
    // The range chosen; a preset's days move with the calendar.
    RangePreset m_preset = RangePreset::ThisYear;
    const char* m_rangePreference;
    bool m_rangeRead = false;

    QHBoxLayout* m_buttons;
    ImageButton* m_new;
    ImageButton* m_modify;
    ImageButton* m_delete;
    ImageButton* m_export;
    ImageButton* m_lastButton;
    LinkLabel* m_filterLabel;
    QComboBox* m_filter;
    LinkLabel* m_rangeLabel;
    QComboBox* m_range;
    LinkLabel* m_startLabel;
    QDateEdit* m_start;
    LinkLabel* m_endLabel;
    QDateEdit* m_end;
    FigureFilterBar* m_figures;
    QPushButton* m_clear;
    QLineEdit* m_search;
    QTimer* m_searchPause;
    RecordKind m_kind;
    int m_hitsOutside = 0;
    RecordTableView* m_table;
    EmptyHintKeys m_hints;
    ListState m_listState = ListState::Listed;
    EmptyListHint* m_hint;
    QPushButton* m_hintNew;
};

template <typename Traits>
class RecordListPageOf : public RecordListPage {
public:
    using PageTraits = Traits;
    using Record = typename Traits::Record;

    // The table's model: the records of the last reload, in the table's order.
    const RecordTableModel<Record>& Model() const { return *m_model; }

    void ExportRecords(const QString& fileName, int format) override {
        std::vector<const Record*> rows;
        rows.reserve(static_cast<size_t>(m_model->rowCount()));
        for (int row = 0; row < m_model->rowCount(); ++row) {
            rows.push_back(&m_model->RecordAt(row));
        }
        Traits::Export(this, fileName, format, std::move(rows), Bicycles(), StatusText());
    }

protected:
    RecordListPageOf(LinkLabel& statusLine, QWidget* parent)
        : RecordListPage(statusLine, Traits::kHints, RecordKindOf<Record>::value, parent),
          m_model(new RecordTableModel<Record>(Traits::Columns(&m_words), this)) {
        ShowModel(m_model);
    }

    void ReloadRecords() override {
        FollowToday();
        // Rows come back newest first, so no column shows an arrow.
        m_model->SetRecords({});
        Table()->ArrowHeader()->ClearArrow();
        m_words = Traits::Words::Current(Bicycles());
        std::vector<Record> records;
        const std::string condition = FilterCondition();
        if (Traits::Fetch(condition.c_str(), &records) != store::kOk) {
            SetListState(ListState::Unread);
            ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
            return;
        }
        SetListState(records.empty() ? EmptyListState() : ListState::Listed);
        if (Searching()) {
            const DayRange shown = ShownDays();
            SetHitsOutside(
                static_cast<int>(std::count_if(records.begin(), records.end(), [&](const Record& r) {
                    return r.Date < shown.first || r.Date > shown.last;
                })));
        }
        // Figures kept beside the records, for the further columns and the line.
        if constexpr (requires {
                          Traits::FetchBeside(condition.c_str(), records, &m_words, ShownColumns());
                      }) {
            if (!Traits::FetchBeside(condition.c_str(), records, &m_words, ShownColumns())) {
                ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
            }
        }
        const QString statusText = Traits::StatusText(records);
        QString lineText = statusText;
        if constexpr (requires { Traits::StatusLineText(records, m_words); }) {
            lineText = Traits::StatusLineText(records, m_words);
        }
        m_model->SetRecords(std::move(records));
        ShowStatus(statusText, lineText);
    }

    void ColumnsChosen() override {
        if constexpr (requires { Traits::BesideMissing(m_words, ShownColumns()); }) {
            if (Traits::BesideMissing(m_words, ShownColumns())) {
                ReloadRecords();
            }
        }
    }

    void NewRecord() override {
        if (Bicycles().empty()) {
            ShowError(this, GetLanguageString("ErrorStrings", "NTCB"));
            return;
        }
        int number = 0;
        if (Traits::MaxNumber(&number) != store::kOk) {
            // Without the number the memo would have no folder of its own.
            ShowStoreFailure(this, GetLanguageString("ErrorStrings", "GFDB"));
            return;
        }
        RecordEditorSetup<Record> setup;
        setup.newRecord = true;
        setup.bicycles = Bicycles();
        setup.preselectedBicycle = PreselectedBicycle();
        setup.newRecordNumber = number;
        GuardedModal editor(new typename Traits::Editor(std::move(setup), this));
        // A refused insert keeps the editor open; its Cancel then removes the memo folder.
        editor->SetRecordStore([edited = &*editor] {
            const Record record = edited->WorkingRecord();
            return Traits::Insert(&record) == store::kOk;
        });
        if (RunModal(&*editor, kEditorCancelled) != kEditorSaved || !editor.Alive()) {
            return;
        }
        ReloadRecords();
        if (!SelectRecord(number)) {
            ShowSavedOutside();
        }
    }

    // Opens the selected record; the editor's previous and next step through
    // the rows as listed, storing nothing until a record is saved.
    void ModifyRecord() override {
        int row = Table()->FirstSelectedRow();
        if (row < 0) {
            return;
        }
        for (;;) {
            const int rowCount = m_model->rowCount();
            RecordEditorSetup<Record> setup;
            setup.newRecord = false;
            setup.bicycles = Bicycles();
            setup.preselectedBicycle = PreselectedBicycle();
            Traits::Copy(&setup.record, &m_model->RecordAt(row));
            setup.hasPrevious = row > 0;
            setup.hasNext = row + 1 < rowCount;
            GuardedModal editor(new typename Traits::Editor(std::move(setup), this));
            const int32_t number = RecordNumber(m_model->RecordAt(row));
            editor->SetRecordStore([edited = &*editor, number] {
                Record record = edited->WorkingRecord();
                return Traits::Update(number, &record) == store::kOk;
            });
            Table()->SelectRow(row);
            const int result = RunModal(&*editor, kEditorCancelled);
            if (!editor.Alive()) {
                return;
            }
            if (result == kEditorSaved || editor->SavedBeforeStepping()) {
                // The list is read again, newest first, and the saved record
                // may have moved (a new date): the step goes from where it
                // stands now, and ends the editing when there is no record that way.
                ReloadRecords();
                if (!SelectRecord(number)) {
                    ShowSavedOutside();
                }
                row = Table()->FirstSelectedRow();
                const bool canStep = (result == kEditorPrevious && row > 0) ||
                                     (result == kEditorNext && row >= 0 && row + 1 < m_model->rowCount());
                if (!canStep) {
                    return;
                }
            }
            switch (result) {
                case kEditorPrevious:
                    if (row > 0) {
                        --row;
                    }
                    break;
                case kEditorNext:
                    if (row < m_model->rowCount() - 1) {
                        ++row;
                    }
                    break;
                default:
                    return;
            }
        }
    }

    void DeleteRecord() override {
        const int row = Table()->FirstSelectedRow();
        if (row < 0) {
            return;
        }
        // The question names the record, so that a slip of the selection is seen.
        const Record& record = m_model->RecordAt(row);
        QString bicycle = m_words.BicycleName(record.BicycleNumber);
        if (bicycle.isEmpty()) {
            bicycle = QStringLiteral("-");
        }
        if (!AskYesNo(this, SafeFormat(GetLanguageString("Strings", "DLRN"),
                                       {m_words.DateCell(record.Date), bicycle}))) {
            return;
        }
        const int32_t number = RecordNumber(record);
        if (Traits::Delete(number) != store::kOk) {
            // The record is still there, and so must its memo be.
            ShowStoreFailure(this, GetLanguageString("ErrorStrings", "DFDB"));
            return;
        }
        DeleteFolder(RecordMemoFolder(RecordKindOf<Record>::value, number));
        ReloadRecords();
        Table()->SelectRow(std::min(row, m_model->rowCount() - 1));
    }

private:
    std::function<bool(int)> ShownColumns() const {
        return [this](int column) { return ColumnShown(column); };
    }

    // Why a filter left the list empty: an empty log invites its first
    // record, a filter that merely hides them does not. A log that cannot
    // be asked is taken to hold records, so that nothing is offered wrongly.
    ListState EmptyListState() const {
        if (Bicycles().empty()) {
            return ListState::NoBicycles;
        }
        std::vector<Record> any;
        if (Traits::Fetch(Traits::kAnyRecord, &any) == store::kOk && any.empty()) {
            return ListState::EmptyLog;
        }
        return ListState::EmptyRange;
    }

    // False when the record is not listed.
    bool SelectRecord(int32_t number) {
        const std::vector<Record>& records = m_model->Records();
        for (size_t i = 0; i < records.size(); ++i) {
            if (RecordNumber(records[i]) == number) {
                Table()->SelectRow(m_model->RowOfRecord(static_cast<int>(i)));
                return true;
            }
        }
        return false;
    }

    typename Traits::Words m_words;
    RecordTableModel<Record>* m_model;
};
