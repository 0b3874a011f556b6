#pragma once
// The statistics page: the period summary of the rides of one bicycle or of
// all, as a list, and its text report. The contents, style and date controls
// that select other lists and a chart are made but kept hidden, so the rider
// always sees the summary; they still act as their choices say.

#include "statistics/PeriodSummary.h"
#include "store/store.h"
#include "widgets/TabPage.h"

class ImageButton;
class QComboBox;
class QDateTimeEdit;
class QFrame;
class QLabel;
class RecordTableView;
class StatTableModel;

class StatDlg : public TabPage {
    Q_OBJECT
public:
    StatDlg(LinkLabel& statusLine, QWidget* parent);

    void RefreshCaptions() override;

    // Rebuilds the list from the store for the bicycle, contents and style chosen.
    void RefreshStatistics();
    // Asks for a file and writes what the list shows as a text report.
    void ExportStatisticsText();

    // Seconds since 1970 of a date picker's local date and time.
    static int64_t PickerTime(const QDateTimeEdit* picker);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ReloadBicycles();
    void SetUpColumns(int contents);
    void LayOut();

    QLabel* m_bicycleLabel;
    QComboBox* m_bicycles;
    QLabel* m_contentsLabel;
    QComboBox* m_contents;
    QLabel* m_startLabel;
    QDateTimeEdit* m_start;
    QLabel* m_endLabel;
    QDateTimeEdit* m_end;
    QLabel* m_styleLabel;
    QComboBox* m_style;
    ImageButton* m_export;
    RecordTableView* m_list;
    StatTableModel* m_model;
    QFrame* m_chart;

    BicycleList m_bicycleList;
    RideRecordList m_rides;
    bool m_firstShow = true;
    // The bicycle chosen at each showing: always the first entry, all bicycles.
    int m_rememberedBicycle = 0;
    // Set while a refresh runs, so that the choices it makes itself do not
    // start another one.
    bool m_refreshing = false;
};
