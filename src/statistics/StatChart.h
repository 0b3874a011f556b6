#pragma once
// The chart of the statistics page: a series drawn as a line over time or
// as bars side by side, one for each period or ride (or, of very many, for
// each few neighbours, as tall as the tallest of them), with a date axis below
// and a value axis labelled with the unit. Hovering over the
// plot marks the nearest point and shows its date and exact value, the texts
// of the list's row. The chart can be written as a PNG picture or an SVG
// drawing.

#include "statistics/StatSeries.h"

#include <QByteArray>
#include <QChartView>
#include <vector>

class QBarSet;
class QCategoryAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

class StatChartView : public QChartView {
    Q_OBJECT
public:
    explicit StatChartView(QWidget* parent = nullptr);

    enum class Style { Line, Bars };
    // Draws the series; rows are the list's texts for it, one per point,
    // which the hover tip shows.
    void ShowSeries(const StatSeries& series, Style style, const StatRows& rows, const QString& title,
                    const QString& valueAxisTitle);
    // An empty chart: nothing to draw (the rides could not be read).
    void ClearSeries();

    // The chart as the rider sees it, without the hover mark.
    QByteArray PngBytes();
    QByteArray SvgBytes();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RemoveAll();
    void UpdateDateAxis();
    // The point nearest to a position in the view, or -1 off the plot.
    int PointAt(const QPointF& position) const;
    void Mark(int index);
    // Marks the point nearest to position (in the view) and shows its tip.
    void ShowTip(const QPointF& position, const QPoint& globalPosition);

    std::vector<double> m_x;       // each point's place on the date axis
    std::vector<double> m_values;  // each point's value
    std::vector<int64_t> m_starts;
    StatRows m_rows;
    QString m_title;
    SeriesPeriod m_period = SeriesPeriod::Day;
    bool m_bars = false;
    // Points a bar stands for: 1, or more when there are more points than
    // bars worth drawing, each bar then as tall as the tallest of its points.
    size_t m_barGroup = 1;
    size_t m_barCount = 0;
    int m_marked = -1;

    QLineSeries* m_line = nullptr;
    QScatterSeries* m_marker = nullptr;
    QBarSet* m_barSet = nullptr;
    QCategoryAxis* m_dateAxis = nullptr;
    QValueAxis* m_valueAxis = nullptr;
};
