#pragma once
// The ride list page: rides of one bicycle or all, over a range of local
// days, in a sortable table; their totals in the status line; New, Modify
// (with stepping through the list), Delete (with the ride's memo folder),
// Export of what is listed, and Import of GPS files, chosen with the button
// or dropped onto the page.

#include "rides/RideTable.h"
#include "store/store.h"
#include "widgets/RecordTableModel.h"
#include "widgets/TabPage.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>

class ImageButton;
class LinkLabel;
class QComboBox;
class QDateEdit;
class QProgressDialog;
class RecordTableView;
struct ImportSummary;

// Tests look at the import's progress dialog after each file (and may press
// its Cancel button); an empty function ends it.
using ImportProgressWatcher = std::function<void(QProgressDialog&)>;
void SetImportProgressWatcherForTesting(ImportProgressWatcher watcher);

class RideDlg : public TabPage {
    Q_OBJECT
public:
    RideDlg(LinkLabel& statusLine, QWidget* parent);
    ~RideDlg() override;

    void RefreshCaptions() override;

    // Reads the bicycles and the rides of the filter again, as when the page is shown.
    void Reload();
    // The summary line of the last reload, as the status line shows it.
    const QString& StatusText() const { return m_statusText; }

    // Makes rides of the files for the bicycle of the filter, asking for one
    // when the filter lists all bicycles; what the Import button and a drop do.
    void ImportFiles(const QStringList& paths);

    RecordTableView* Table() const { return m_table; }
    const RecordTableModel<RideRecord>& Rides() const { return *m_model; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FillBicycleFilter();
    void ReloadRides();
    void OnFilterChanged(int position);
    void OnDateChanged();
    void OnNew();
    void OnModify();
    void OnDelete();
    void OnExport();
    void OnImport();
    ImportSummary RunImport(const QStringList& paths, int32_t bicycle);
    void ShowImportedDays(const ImportSummary& summary);
    void OnHeadingClicked(int column);
    int PreselectedBicycle() const;
    void SelectRide(int32_t number);
    void ExportRides(const QString& fileName, int format);

    BicycleList m_bicycles;
    RideCellWords m_words;
    RecordTableModel<RideRecord>* m_model;
    RideTotals m_totals;
    QString m_statusText;
    int m_filterPosition = 0;
    // One direction for every column, kept for the whole run; the first
    // click of the run sorts ascending.
    bool m_ascending = false;
    // The end picker follows the calendar until the user sets it, so rides
    // of a new day are listed when the program stays open past midnight.
    bool m_endIsToday = true;
    QDate m_today;
    // The folder the import chooser opened last, for the next time.
    QString m_importFolder;
    // Set while an import runs: files dropped meanwhile wait for the next one.
    bool m_importing = false;

    ImageButton* m_new;
    ImageButton* m_modify;
    ImageButton* m_delete;
    ImageButton* m_export;
    ImageButton* m_import;
    LinkLabel* m_filterLabel;
    QComboBox* m_filter;
    LinkLabel* m_startLabel;
    QDateEdit* m_start;
    LinkLabel* m_endLabel;
    QDateEdit* m_end;
    RecordTableView* m_table;
};
