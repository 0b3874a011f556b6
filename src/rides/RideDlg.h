#pragma once
// The ride list page: rides of one bicycle or all, over a range of local
// days, in a sortable table; their totals in the status line; New, Modify
// (with stepping through the list), Delete (with the ride's memo folder) and
// Export of what is listed.

#include "rides/RideTable.h"
#include "store/store.h"
#include "widgets/RecordTableModel.h"
#include "widgets/TabPage.h"

#include <QDate>
#include <QString>

class ImageButton;
class LinkLabel;
class QComboBox;
class QDateEdit;
class RecordTableView;

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

    RecordTableView* Table() const { return m_table; }
    const RecordTableModel<RideRecord>& Rides() const { return *m_model; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FillBicycleFilter();
    void ReloadRides();
    void OnFilterChanged(int position);
    void OnDateChanged();
    void OnNew();
    void OnModify();
    void OnDelete();
    void OnExport();
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
