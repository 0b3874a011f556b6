#include "statistics/StatChart.h"

#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QHelpEvent>
#include <QImage>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// The program's teal for the series, an amber for the point under the mouse.
const QColor kSeriesColour(0x1B, 0x7F, 0x8C);
const QColor kMarkColour(0xE0, 0x8A, 0x1E);
const QColor kGridColour(0xE2, 0xE8, 0xEB);
const QColor kAxisColour(0x9A, 0xA8, 0xB0);
const QColor kTextColour(0x3E, 0x55, 0x60);

// Room the value axis and the margins take beside the plot, for the first
// placing of the date marks before the chart has been laid out.
constexpr int kOutsidePlot = 110;
// A date mark needs about this much room beside its label.
constexpr int kMarkGap = 28;
// Exported pictures are drawn at twice the screen's size, sharp when zoomed or printed.
constexpr int kPictureScale = 2;
// The mouse finds a point this close outside the plot too: the first and
// last points and the largest value lie on its edges.
constexpr qreal kHoverReach = 8;
// Room left before the first and after the last point of a line, so that
// their marks are not cut at the plot's edge.
constexpr double kLineEndRoom = 0.015;
// A line of more points than this draws the outline of its values instead,
// in as many stretches as a wide screen has pixels across the plot: the same
// picture at a fraction of the cost. The hover tip still finds every point.
constexpr size_t kMostDrawnPoints = 8000;
constexpr int kDrawnColumns = 2000;
// Bars beyond this many would be two pixels wide or less on most screens,
// and each costs the chart items of its own: neighbours then share a bar.
constexpr size_t kMostBars = 400;

void StyleAxis(QAbstractAxis* axis) {
    axis->setLinePenColor(kAxisColour);
    axis->setGridLineColor(kGridColour);
    axis->setLabelsColor(kTextColour);
    axis->setTitleBrush(kTextColour);
    QFont title = axis->titleFont();
    title.setBold(false);
    axis->setTitleFont(title);
}

// A round upper end for the value axis, so that its marks read 0, 20, 40...
double RoundUpperEnd(double largest, int* tickCount) {
    if (!(largest > 0) || !std::isfinite(largest)) {
        *tickCount = 6;
        return 1.0;
    }
    const double magnitude = std::pow(10.0, std::floor(std::log10(largest / 5.0)));
    double step = magnitude;
    for (const double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        step = magnitude * factor;
        if (largest / step <= 5.0) {
            break;
        }
    }
    const int steps = std::max(1, static_cast<int>(std::ceil(largest / step - 1e-9)));
    *tickCount = steps + 1;
    return step * steps;
}

}  // namespace

StatChartView::StatChartView(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    setBackgroundBrush(Qt::white);
    QChart* chart = this->chart();
    chart->setBackgroundRoundness(0);
    chart->setBackgroundBrush(Qt::white);
    chart->setMargins(QMargins(4, 4, 16, 4));
    chart->legend()->hide();
    chart->setTitleBrush(kTextColour);
    QFont titleFont = chart->titleFont();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() + 1);
    chart->setTitleFont(titleFont);
}

void StatChartView::RemoveAll() {
    QToolTip::hideText();
    m_marked = -1;
    m_line = nullptr;
    m_marker = nullptr;
    m_barSet = nullptr;
    m_dateAxis = nullptr;
    m_valueAxis = nullptr;
    QChart* chart = this->chart();
    chart->removeAllSeries();  // deletes them
    const QList<QAbstractAxis*> axes = chart->axes();
    for (QAbstractAxis* axis : axes) {
        chart->removeAxis(axis);
        delete axis;
    }
    m_barGroup = 1;
    m_barCount = 0;
    m_x.clear();
    m_values.clear();
    m_starts.clear();
    m_rows.clear();
}

void StatChartView::ClearSeries() {
    RemoveAll();
    m_title.clear();
    chart()->setTitle(QString());
}

void StatChartView::ShowSeries(const StatSeries& series, Style style, const StatRows& rows,
                               const QString& title, const QString& valueAxisTitle) {
    RemoveAll();
    QChart* chart = this->chart();
    // The title is shown as rich text; a bicycle's name is plain text.
    m_title = title;
    chart->setTitle(title.toHtmlEscaped());

    m_period = series.kind.period;
    m_bars = style == Style::Bars;
    m_rows = rows;
    const size_t count = series.points.size();
    if (m_bars) {
        m_barGroup = count > kMostBars ? (count + kMostBars - 1) / kMostBars : 1;
        m_barCount = (count + m_barGroup - 1) / m_barGroup;
    }
    m_x.reserve(count);
    m_values.reserve(count);
    m_starts.reserve(count);
    double largest = 0;
    for (size_t i = 0; i < count; ++i) {
        const SeriesPoint& point = series.points[i];
        const double value = SeriesValue(point, series.kind.measure);
        // A point of a shared bar lies at its share of the bar's width.
        m_x.push_back(m_bars ? (static_cast<double>(i) + 0.5) / static_cast<double>(m_barGroup) - 0.5
                             : static_cast<double>(point.start));
        m_values.push_back(value);
        m_starts.push_back(point.start);
        largest = std::max(largest, value);
    }

    m_dateAxis = new QCategoryAxis;
    m_dateAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    StyleAxis(m_dateAxis);
    // A bar's mark stands under its middle, where a line through the bar would only stripe it.
    m_dateAxis->setGridLineVisible(!m_bars);
    m_valueAxis = new QValueAxis;
    m_valueAxis->setTitleText(valueAxisTitle.toHtmlEscaped());
    StyleAxis(m_valueAxis);
    int tickCount = 6;
    // A little room above the largest value keeps its mark inside the plot.
    double top = RoundUpperEnd(largest * 1.04, &tickCount);
    const bool counts = series.kind.measure == SeriesMeasure::Rides;
    if (counts && top / (tickCount - 1) < 1.0) {
        // Rides come whole: a mark for every one, never "0, 0, 1, 1".
        top = std::ceil(largest * 1.04);
        tickCount = static_cast<int>(top) + 1;
    }
    m_valueAxis->setRange(0, top);
    m_valueAxis->setTickCount(tickCount);
    m_valueAxis->setLabelFormat(top / (tickCount - 1) >= 1.0 || counts ? QStringLiteral("%.0f")
                                                                       : QStringLiteral("%.1f"));
    chart->addAxis(m_dateAxis, Qt::AlignBottom);
    chart->addAxis(m_valueAxis, Qt::AlignLeft);

    if (m_bars) {
        m_barSet = new QBarSet(QString());
        m_barSet->setColor(kSeriesColour);
        m_barSet->setBorderColor(kSeriesColour);
        m_barSet->setSelectedColor(kMarkColour);
        QList<qreal> heights;
        heights.reserve(static_cast<qsizetype>(m_barCount));
        for (size_t first = 0; first < count; first += m_barGroup) {
            const auto end =
                m_values.begin() + static_cast<std::ptrdiff_t>(std::min(count, first + m_barGroup));
            heights.append(*std::max_element(m_values.begin() + static_cast<std::ptrdiff_t>(first), end));
        }
        m_barSet->append(heights);
        auto* bars = new QBarSeries;
        // Many thin bars stand side by side; fewer keep a gap between them.
        bars->setBarWidth(m_barCount > 200 ? 1.0 : 0.8);
        bars->append(m_barSet);
        chart->addSeries(bars);
        bars->attachAxis(m_dateAxis);
        bars->attachAxis(m_valueAxis);
    } else {
        const std::vector<size_t> drawn = DrawnPoints(m_x, m_values, kMostDrawnPoints, kDrawnColumns);
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(drawn.size()));
        for (const size_t i : drawn) {
            points.append(QPointF(m_x[i], m_values[i]));
        }
        m_line = new QLineSeries;
        m_line->setPen(QPen(kSeriesColour, count > 400 ? 1.0 : 2.0));
        // A lone point or a few show their dots; a line needs two.
        m_line->setPointsVisible(count < 60);
        m_line->replace(points);
        chart->addSeries(m_line);
        m_line->attachAxis(m_dateAxis);
        m_line->attachAxis(m_valueAxis);

        m_marker = new QScatterSeries;
        m_marker->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        m_marker->setMarkerSize(9);
        m_marker->setColor(kMarkColour);
        m_marker->setBorderColor(Qt::white);
        chart->addSeries(m_marker);
        m_marker->attachAxis(m_dateAxis);
        m_marker->attachAxis(m_valueAxis);
    }
    UpdateDateAxis();
}

void StatChartView::UpdateDateAxis() {
    if (!m_dateAxis) {
        return;
    }
    const QStringList old = m_dateAxis->categoriesLabels();
    for (const QString& label : old) {
        m_dateAxis->remove(label);
    }
    if (m_x.empty()) {
        m_dateAxis->setRange(0, 1);
        return;
    }
    // Lines run from the first point to the last; bars stand on whole places.
    double low = m_bars ? -0.5 : m_x.front();
    double high = m_bars ? static_cast<double>(m_barCount) - 0.5 : m_x.back();
    if (high <= low) {
        low -= 43200;  // one point: half a day either side
        high += 43200;
    } else if (!m_bars) {
        const double room = (high - low) * kLineEndRoom;
        low -= room;
        high += room;
    }
    m_dateAxis->setStartValue(low);
    m_dateAxis->setRange(low, high);

    const int plotWidth = chart()->plotArea().width() > 0 ? static_cast<int>(chart()->plotArea().width())
                                                          : std::max(100, width() - kOutsidePlot);
    const int labelWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) + kMarkGap;
    const int maxTicks = std::max(1, plotWidth / std::max(1, labelWidth));

    std::optional<double> previous;
    // Weeks and months are marked at the periods they stand for, every mark
    // on a period's first day; days and rides anywhere along the axis, so
    // that a year's mark shows though its first ride came later that day.
    const bool periodMarks = m_period == SeriesPeriod::Week || m_period == SeriesPeriod::Month;
    const SeriesPeriod finest = periodMarks ? m_period : SeriesPeriod::Day;
    // Bars stand on places, not moments: their marks span the first to the last point's day.
    const bool pointMarks = periodMarks || m_bars;
    const int64_t from = pointMarks ? m_starts.front() : static_cast<int64_t>(std::ceil(low));
    const int64_t to = pointMarks ? m_starts.back() : static_cast<int64_t>(std::floor(high));
    for (const DateTick& tick : DateTicks(from, to, maxTicks, finest)) {
        double place = static_cast<double>(tick.time);
        if (m_bars) {
            // Under the middle of the bar it names: the first period (or
            // ride) that starts on or after the mark.
            const auto at = std::lower_bound(m_starts.begin(), m_starts.end(), tick.time);
            if (at == m_starts.end()) {
                break;
            }
            place = m_x[static_cast<size_t>(at - m_starts.begin())];
        }
        if (previous && place <= *previous) {
            continue;  // the axis takes its marks in order, each in a place of its own
        }
        m_dateAxis->append(tick.label, place);
        previous = place;
    }
}

void StatChartView::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    // The date marks thin out or fill in with the room there is.
    UpdateDateAxis();
}

int StatChartView::PointAt(const QPointF& position) const {
    if (m_x.empty()) {
        return -1;
    }
    const QPointF inChart = chart()->mapFromScene(mapToScene(position.toPoint()));
    if (!chart()
             ->plotArea()
             .adjusted(-kHoverReach, -kHoverReach, kHoverReach, kHoverReach)
             .contains(inChart)) {
        return -1;
    }
    QAbstractSeries* series = m_line ? static_cast<QAbstractSeries*>(m_line) : chart()->series().value(0);
    if (!series) {
        return -1;
    }
    const double x = chart()->mapToValue(inChart, series).x();
    const auto after = std::lower_bound(m_x.begin(), m_x.end(), x);
    if (after == m_x.begin()) {
        return 0;
    }
    if (after == m_x.end()) {
        return static_cast<int>(m_x.size()) - 1;
    }
    const auto before = after - 1;
    return static_cast<int>((x - *before <= *after - x ? before : after) - m_x.begin());
}

void StatChartView::Mark(int index) {
    if (index == m_marked) {
        return;
    }
    m_marked = index;
    if (m_marker) {
        if (index < 0) {
            m_marker->clear();
        } else {
            m_marker->replace(QList<QPointF>{
                QPointF(m_x[static_cast<size_t>(index)], m_values[static_cast<size_t>(index)])});
        }
    }
    if (m_barSet) {
        m_barSet->deselectAllBars();
        if (index >= 0) {
            m_barSet->selectBar(static_cast<int>(static_cast<size_t>(index) / m_barGroup));
        }
    }
}

void StatChartView::ShowTip(const QPointF& position, const QPoint& globalPosition) {
    const int index = PointAt(position);
    Mark(index);
    if (index < 0 || static_cast<size_t>(index) >= m_rows.size()) {
        QToolTip::hideText();
        return;
    }
    const StatRow& row = m_rows[static_cast<size_t>(index)];
    QToolTip::showText(globalPosition, row.value(0) + u'\n' + row.value(1), this);
}

void StatChartView::mouseMoveEvent(QMouseEvent* event) {
    QChartView::mouseMoveEvent(event);
    ShowTip(event->position(), event->globalPosition().toPoint());
}

bool StatChartView::viewportEvent(QEvent* event) {
    // The scene would answer the resting mouse's tooltip request with its
    // items' tips, of which there are none, and so hide ours.
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        ShowTip(help->pos(), help->globalPos());
        return true;
    }
    return QChartView::viewportEvent(event);
}

void StatChartView::leaveEvent(QEvent* event) {
    QChartView::leaveEvent(event);
    Mark(-1);
    QToolTip::hideText();
}

QByteArray StatChartView::PngBytes() {
    Mark(-1);
    const QSize pictureSize = viewport()->size();
    QImage image(pictureSize * kPictureScale, QImage::Format_ARGB32);
    image.setDevicePixelRatio(kPictureScale);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        render(&painter, QRectF(QPointF(0, 0), pictureSize), viewport()->rect());
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return buffer.data();
}

QByteArray StatChartView::SvgBytes() {
    Mark(-1);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    const QSize pictureSize = viewport()->size();
    generator.setSize(pictureSize);
    generator.setViewBox(QRect(QPoint(0, 0), pictureSize));
    generator.setTitle(m_title);
    {
        QPainter painter(&generator);
        painter.setRenderHint(QPainter::Antialiasing);
        render(&painter, QRectF(QPointF(0, 0), pictureSize), viewport()->rect());
    }
    return buffer.data();
}
