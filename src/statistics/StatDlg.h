#pragma once
// The statistics page: for one bicycle or all, the period summary of the
// rides, or a series over the picked days (distance, riding time, average
// speed, number of rides or ascent per ride, day, week or month) as a list
// or a chart, or one row per year. A chosen year or month shows that
// period's totals and averages and sets the days of the series; Export writes the list as a text or
// comma-separated report, or the chart as a picture.

#include "statistics/PeriodSummary.h"
#include "statistics/StatSeries.h"
#include "store/store.h"
#include "widgets/TabPage.h"

class ImageButton;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class RecordTableView;
class StatChartView;
class StatTableModel;

class StatDlg : public TabPage {
    Q_OBJECT
public:
    StatDlg(LinkLabel& statusLine, QWidget* parent);

    void RefreshCaptions() override;

    // Rebuilds the list from the store for the bicycle, contents and style chosen.
    void RefreshStatistics();
    // Asks for a file and writes what the list shows as a text report (or a
    // comma-separated one for a series), or the chart as a picture.
    void ExportStatisticsText();

    // Seconds since 1970 of a date picker's local date and time.
    static int64_t PickerTime(const QDateTimeEdit* picker);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ReloadBicycles();
    // Offers the years of the rides fetched, keeping the year chosen.
    void FillYears();
    // The chosen year and month (0: the whole year); no year when none is chosen.
    std::optional<int> ChosenYear() const;
    int ChosenMonth() const;
    // Sets the day pickers to the chosen period's days, and lets them be
    // picked freely again without one.
    void FollowPeriod(int contents);
    void SetUpColumns(int contents);
    void LayOut();
    void DrawChart(int contents);
    void SaveChart();
    // What is shown, in words: the contents, the bicycle and the days.
    QString Description(int contents) const;
    // The chart's title: the contents, the bicycle and the period chosen.
    QString ChartTitle(int contents) const;

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
    QWidget* m_periodRow;
    QLabel* m_yearLabel;
    QComboBox* m_year;
    QLabel* m_monthLabel;
    QComboBox* m_month;
    ImageButton* m_export;
    RecordTableView* m_list;
    StatTableModel* m_model;
    StatChartView* m_chart;

    BicycleList m_bicycleList;
    RideRecordList m_rides;
    // The series the list shows, when it shows one.
    std::optional<StatSeries> m_series;
    bool m_firstShow = true;
    // The style chosen for a series, kept while the summary shows its table.
    int m_seriesStyle = 0;
    // The bicycle chosen at each showing: always the first entry, all bicycles.
    int m_rememberedBicycle = 0;
    // Set while a refresh runs, so that the choices it makes itself do not
    // start another one.
    bool m_refreshing = false;
};
