#pragma once
// The maintenance list page: entries of one bicycle or all, over a range of
// local days, in a sortable table; their count and cost in the status line;
// New, Modify (with stepping through the list), Delete (with the entry's memo
// folder) and Export of what is listed.

#include "maintenance/MaintenanceTable.h"
#include "store/store.h"
#include "units/RecordCells.h"
#include "widgets/RecordTableModel.h"
#include "widgets/TabPage.h"

#include <QDate>
#include <QString>

class ImageButton;
class LinkLabel;
class QComboBox;
class QDateEdit;
class RecordTableView;

class MaintenanceDlg : public TabPage {
    Q_OBJECT
public:
    MaintenanceDlg(LinkLabel& statusLine, QWidget* parent);
    ~MaintenanceDlg() override;

    void RefreshCaptions() override;

    // Reads the bicycles and the entries of the filter again, as when the page is shown.
    void Reload();
    // The summary line of the last reload, as the status line shows it.
    const QString& StatusText() const { return m_statusText; }

    RecordTableView* Table() const { return m_table; }
    const RecordTableModel<MaintenanceRecord>& Entries() const { return *m_model; }

    // Sorts the table as a click on the column's heading does.
    void SortByColumn(int column);
    // Writes what the table shows, in its order, as a report of the given
    // format (kTextReport, kCsvReport or kHtmlReport) and tells how it went.
    void ExportEntries(const QString& fileName, int format);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FillBicycleFilter();
    void ReloadEntries();
    void OnFilterChanged(int position);
    void OnNew();
    void OnModify();
    void OnDelete();
    void OnExport();
    int PreselectedBicycle() const;
    void SelectEntry(int32_t number);

    BicycleList m_bicycles;
    RecordCellWords m_words;
    RecordTableModel<MaintenanceRecord>* m_model;
    QString m_statusText;
    int m_filterPosition = 0;
    // One direction for every column, kept for the whole run; the first
    // click of the run sorts ascending.
    bool m_ascending = false;
    // The end picker follows the calendar until the user sets it, so entries
    // of a new day are listed when the program stays open past midnight.
    bool m_endIsToday = true;
    QDate m_today;

    ImageButton* m_new;
    ImageButton* m_modify;
    ImageButton* m_delete;
    ImageButton* m_export;
    LinkLabel* m_filterLabel;
    QComboBox* m_filter;
    LinkLabel* m_startLabel;
    QDateEdit* m_start;
    LinkLabel* m_endLabel;
    QDateEdit* m_end;
    RecordTableView* m_table;
};
