#include "rides/RideProfileDlg.h"

#include "language/Language.h"
#include "rides/TrackPicture.h"
#include "units/HeightUnit.h"
#include "units/Units.h"

#include <QAreaSeries>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGraphicsLineItem>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct QuantityLook {
    LanguageKey name;
    const char* objectName;  // of its check box
    QColor colour;
};

const std::array<QuantityLook, kProfileQuantityCount> kLooks = {{
    {LanguageKey{"RideDetail", "ELEV"}, "elevation", QColor(0x8D, 0x6E, 0x63)},
    {LanguageKey{"RideDetail", "SPED"}, "speed", QColor(0x1E, 0x88, 0xE5)},
    {LanguageKey{"RideDetail", "HRTE"}, "heartRate", QColor(0xE5, 0x39, 0x35)},
    {LanguageKey{"RideDetail", "CADC"}, "cadence", QColor(0x43, 0xA0, 0x47)},
    {LanguageKey{"RideDetail", "POWR"}, "power", QColor(0xFB, 0x8C, 0x00)},
}};

const QColor kGridColour(0xE2, 0xE8, 0xEB);
const QColor kAxisColour(0x9A, 0xA8, 0xB0);
const QColor kTextColour(0x3E, 0x55, 0x60);
const QColor kMarkColour(0x45, 0x50, 0x5A);

const QuantityLook& LookOf(ProfileQuantity quantity) {
    return kLooks[static_cast<size_t>(quantity)];
}

QString UnitOf(ProfileQuantity quantity) {
    switch (quantity) {
        case ProfileQuantity::Elevation:
            return GetHeightUnitWord();
        case ProfileQuantity::Speed:
            return GetSpeedUnitWord();
        case ProfileQuantity::HeartRate:
            return GetLanguageString("RideDetail", "BPM");
        case ProfileQuantity::Cadence:
            return GetLanguageString("RideDetail", "RPM");
        case ProfileQuantity::Power:
            return QStringLiteral("W");
    }
    return {};
}

// A stored value (metres, km/h, ...) in the unit shown.
double Shown(ProfileQuantity quantity, double value) {
    switch (quantity) {
        case ProfileQuantity::Elevation:
            return FromMetres(value);
        case ProfileQuantity::Speed:
            return FromKilometres(value);
        default:
            return value;
    }
}

void StyleAxis(QValueAxis* axis, const QColor& labels) {
    axis->setLinePenColor(kAxisColour);
    axis->setGridLineColor(kGridColour);
    axis->setLabelsColor(labels);
    axis->setTitleBrush(labels);
    QFont title = axis->titleFont();
    title.setBold(false);
    axis->setTitleFont(title);
}

// A range that takes in low..high with round marks: 0, 50, 100 or 20, 25, 30.
void SetRoundRange(QValueAxis* axis, double low, double high) {
    if (!(high > low)) {
        high = low + 1.0;
    }
    const double rough = (high - low) / 4.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = magnitude * 10.0;
    for (const double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (magnitude * factor >= rough) {
            step = magnitude * factor;
            break;
        }
    }
    const double from = std::floor(low / step) * step;
    const double to = std::ceil(high / step) * step;
    axis->setRange(from, to);
    axis->setTickCount(static_cast<int>(std::lround((to - from) / step)) + 1);
}

QString TimeText(double seconds) {
    const auto whole = static_cast<int64_t>(std::llround(seconds));
    return FormatRidingTime(static_cast<int>(whole / 3600), static_cast<int>(whole / 60 % 60),
                            static_cast<int>(whole % 60));
}

}  // namespace

RideProfileView::RideProfileView(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("profileChart"));
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    setMinimumSize(420, 260);
    QChart* plot = chart();
    plot->legend()->hide();
    plot->setBackgroundRoundness(0);
    plot->setMargins(QMargins(4, 8, 4, 4));
    m_xAxis = new QValueAxis(plot);
    StyleAxis(m_xAxis, kTextColour);
    m_xAxis->setLabelFormat(QStringLiteral("%.0f"));
    plot->addAxis(m_xAxis, Qt::AlignBottom);
    for (int i = 0; i < kProfileQuantityCount; ++i) {
        const auto quantity = static_cast<ProfileQuantity>(i);
        auto* line = new QLineSeries(plot);
        QPen pen(LookOf(quantity).colour, quantity == ProfileQuantity::Elevation ? 1.6 : 1.1);
        line->setPen(pen);
        m_lines[static_cast<size_t>(i)] = line;
        auto* axis = new QValueAxis(plot);
        StyleAxis(axis, LookOf(quantity).colour);
        axis->setLabelFormat(QStringLiteral("%.0f"));
        m_axes[static_cast<size_t>(i)] = axis;
        QAbstractSeries* series = line;
        if (quantity == ProfileQuantity::Elevation) {
            // The ground under the way, filled, with the other lines over it.
            m_elevationArea = new QAreaSeries(line);
            QColor fill = LookOf(quantity).colour;
            fill.setAlpha(70);
            m_elevationArea->setBrush(fill);
            m_elevationArea->setPen(pen);
            series = m_elevationArea;
        }
        plot->addSeries(series);
        // The ground is read on the left, the others on the right.
        plot->addAxis(axis, quantity == ProfileQuantity::Elevation ? Qt::AlignLeft : Qt::AlignRight);
        series->attachAxis(m_xAxis);
        series->attachAxis(axis);
        series->setVisible(false);
        axis->setVisible(false);
    }
    m_marker = new QGraphicsLineItem(plot);
    m_marker->setPen(QPen(kMarkColour, 1.0, Qt::DashLine));
    m_marker->setZValue(20);
    m_marker->hide();
    connect(plot, &QChart::plotAreaChanged, this, [this](const QRectF& area) {
        if (static_cast<int>(area.width()) != m_drawnWidth) {
            Redraw();
        }
    });
}

QLineSeries* RideProfileView::LineOf(ProfileQuantity quantity) const {
    return m_lines[static_cast<size_t>(quantity)];
}

void RideProfileView::SetProfile(const RideProfile* profile) {
    m_profile = profile;
    // In the units shown, once: a redraw only thins them.
    for (int i = 0; i < kProfileQuantityCount; ++i) {
        const auto quantity = static_cast<ProfileQuantity>(i);
        std::vector<double>& values = m_values[static_cast<size_t>(i)];
        values.clear();
        if (profile && profile->Has(quantity)) {
            values = profile->Values(quantity);
            for (double& value : values) {
                value = Shown(quantity, value);
            }
        }
    }
    SetAlongTime(m_alongTime && profile && profile->hasTime);
}

void RideProfileView::SetAlongTime(bool alongTime) {
    m_alongTime = alongTime;
    m_x.clear();
    if (m_profile) {
        m_x.reserve(m_profile->Size());
        if (m_alongTime) {
            for (const double seconds : m_profile->seconds) {
                m_x.push_back(seconds / 60.0);
            }
            m_xAxis->setTitleText(GetLanguageString("RideDetail", "TIME") + QStringLiteral(" (min)"));
        } else {
            for (const double metres : m_profile->metres) {
                m_x.push_back(FromKilometres(metres / 1000.0));
            }
            m_xAxis->setTitleText(GetLanguageString("Strings", "DIST") + QStringLiteral(" (") +
                                  GetDistanceUnitWord() + u')');
        }
    }
    Redraw();
}

void RideProfileView::ShowQuantity(ProfileQuantity quantity, bool shown) {
    m_shown[static_cast<size_t>(quantity)] = shown;
    Redraw();
}

bool RideProfileView::QuantityShown(ProfileQuantity quantity) const {
    return m_shown[static_cast<size_t>(quantity)] && m_profile && m_profile->Has(quantity);
}

void RideProfileView::Redraw() {
    QChart* plot = chart();
    const int width = std::max(50, static_cast<int>(plot->plotArea().width()));
    m_drawnWidth = static_cast<int>(plot->plotArea().width());
    const double from = m_x.empty() ? 0.0 : m_x.front();
    const double to = m_x.empty() ? 1.0 : std::max(m_x.back(), from + 1e-9);
    SetRoundRange(m_xAxis, from, to);
    // The elevation is read on the left, the first other quantity shown on
    // the right; the others keep their own scales unlabelled, and the readout
    // tells their values.
    bool rightLabelled = false;
    for (int i = 0; i < kProfileQuantityCount; ++i) {
        const auto quantity = static_cast<ProfileQuantity>(i);
        const auto index = static_cast<size_t>(i);
        QLineSeries* line = m_lines[index];
        QValueAxis* axis = m_axes[index];
        QAbstractSeries* series = quantity == ProfileQuantity::Elevation
                                      ? static_cast<QAbstractSeries*>(m_elevationArea)
                                      : static_cast<QAbstractSeries*>(line);
        if (!QuantityShown(quantity)) {
            line->clear();
            series->setVisible(false);
            axis->setVisible(false);
            continue;
        }
        const std::vector<QPointF> points = DecimateMinMax(m_x, m_values[index], from, to, width);
        double low = std::numeric_limits<double>::infinity();
        double high = -low;
        for (const QPointF& point : points) {
            low = std::min(low, point.y());
            high = std::max(high, point.y());
        }
        if (!(low <= high)) {
            low = 0.0;
            high = 1.0;
        }
        // Speeds, heart rates, cadences and powers read from nought.
        SetRoundRange(axis, quantity == ProfileQuantity::Elevation ? low : std::min(0.0, low), high);
        if (quantity == ProfileQuantity::Elevation) {
            // The filled ground reaches down to the axis' lower end.
            auto* ground = m_elevationArea->lowerSeries();
            if (!ground) {
                ground = new QLineSeries(m_elevationArea);
                m_elevationArea->setLowerSeries(ground);
            }
            ground->replace(QList<QPointF>{QPointF(from, axis->min()), QPointF(to, axis->min())});
        }
        line->replace(QList<QPointF>(points.begin(), points.end()));
        axis->setTitleText(GetLanguageString(LookOf(quantity).name) + QStringLiteral(" (") +
                           UnitOf(quantity) + u')');
        series->setVisible(true);
        const bool labelledAxis = quantity == ProfileQuantity::Elevation || !rightLabelled;
        rightLabelled = rightLabelled || quantity != ProfileQuantity::Elevation;
        axis->setVisible(labelledAxis);
    }
    Mark(m_marked < static_cast<int>(m_x.size()) ? m_marked : -1);
}

int RideProfileView::DrawnPoints(ProfileQuantity quantity) const {
    return QuantityShown(quantity) ? static_cast<int>(LineOf(quantity)->count()) : 0;
}

void RideProfileView::MarkAt(const QPointF& position) {
    const QRectF area = chart()->plotArea();
    const QPointF inChart = chart()->mapFromScene(mapToScene(position.toPoint()));
    if (m_x.empty() || !area.adjusted(-4, 0, 4, 0).contains(inChart)) {
        Mark(-1);
        return;
    }
    const double x =
        m_xAxis->min() + (inChart.x() - area.left()) / area.width() * (m_xAxis->max() - m_xAxis->min());
    Mark(NearestProfilePoint(m_x, x));
}

void RideProfileView::Mark(int point) {
    const QRectF area = chart()->plotArea();
    if (point < 0 || point >= static_cast<int>(m_x.size()) || m_xAxis->max() <= m_xAxis->min()) {
        m_marker->hide();
    } else {
        const double at = area.left() + (m_x[static_cast<size_t>(point)] - m_xAxis->min()) /
                                            (m_xAxis->max() - m_xAxis->min()) * area.width();
        m_marker->setLine(at, area.top(), at, area.bottom());
        m_marker->show();
    }
    if (point != m_marked) {
        m_marked = point;
        Q_EMIT PointMarked(point);
    }
}

QString RideProfileView::ReadoutText(int point, const QString& separator) const {
    if (!m_profile || point < 0 || point >= static_cast<int>(m_profile->Size())) {
        return {};
    }
    const auto index = static_cast<size_t>(point);
    QStringList parts;
    parts << FormatNumberWithUnit(FromKilometres(m_profile->metres[index] / 1000.0), GetDistanceUnitWord());
    if (m_profile->hasTime) {
        parts << TimeText(m_profile->seconds[index]);
    }
    for (int i = 0; i < kProfileQuantityCount; ++i) {
        const auto quantity = static_cast<ProfileQuantity>(i);
        const double value = m_profile->Values(quantity)[index];
        if (!std::isnan(value)) {
            const int decimals = quantity == ProfileQuantity::Speed ? 1 : 0;
            parts << GetLanguageString(LookOf(quantity).name) + u' ' +
                         QString::number(Shown(quantity, value), 'f', decimals) + u' ' + UnitOf(quantity);
        }
    }
    return parts.join(separator);
}

void RideProfileView::mouseMoveEvent(QMouseEvent* event) {
    QChartView::mouseMoveEvent(event);
    MarkAt(event->position());
}

void RideProfileView::leaveEvent(QEvent* event) {
    QChartView::leaveEvent(event);
    Mark(-1);
}

void RideProfileView::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    Mark(m_marked);
}

RideProfileDlg::RideProfileDlg(GpsTrack track, const QString& title, QWidget* parent)
    : QDialog(parent),
      m_track(std::move(track)),
      m_profile(BuildRideProfile(m_track)),
      m_view(new RideProfileView(this)),
      m_along(new QComboBox(this)),
      m_picture(new QLabel(this)),
      m_readout(new QLabel(this)) {
    setObjectName(QStringLiteral("RideProfileDlg"));
    setWindowTitle(GetLanguageString("RideDetail", "PROF") + QStringLiteral(" \u2013 ") + title);
    setSizeGripEnabled(true);

    m_along->setObjectName(QStringLiteral("along"));
    m_along->addItem(GetLanguageString("Strings", "DIST"));
    m_along->addItem(GetLanguageString("RideDetail", "TIME"));
    m_along->setEnabled(m_profile.hasTime);
    auto* choices = new QHBoxLayout;
    auto* alongLabel = new QLabel(GetLanguageStringWithColon("RideDetail", "ALNG"), this);
    alongLabel->setBuddy(m_along);
    choices->addWidget(alongLabel);
    choices->addWidget(m_along);
    choices->addSpacing(16);
    for (int i = 0; i < kProfileQuantityCount; ++i) {
        const auto quantity = static_cast<ProfileQuantity>(i);
        auto* box = new QCheckBox(GetLanguageString(LookOf(quantity).name), this);
        box->setObjectName(QString::fromLatin1(LookOf(quantity).objectName));
        QPalette colours = box->palette();
        colours.setColor(QPalette::WindowText, LookOf(quantity).colour.darker(120));
        box->setPalette(colours);
        box->setEnabled(m_profile.Has(quantity));
        m_quantities[static_cast<size_t>(i)] = box;
        choices->addWidget(box);
        connect(box, &QCheckBox::toggled, this,
                [this, quantity](bool shown) { m_view->ShowQuantity(quantity, shown); });
    }
    choices->addStretch(1);

    m_picture->setObjectName(QStringLiteral("route"));
    m_picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_picture->setFixedWidth(kTrackPictureWidth);
    m_routeImage = DrawTrackPicture(m_track, TrackPictureWords::Current());
    m_readout->setObjectName(QStringLiteral("readout"));
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_readout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_readout->setContentsMargins(6, 0, 6, 0);
    m_readout->setMinimumHeight(m_readout->fontMetrics().lineSpacing() * 7);

    // Beside the chart: the route, and under it what the point the mouse
    // rests on recorded.
    auto* side = new QVBoxLayout;
    side->addWidget(m_picture);
    side->addSpacing(8);
    side->addWidget(m_readout);
    side->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addWidget(m_view, 1);
    body->addLayout(side);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close =
        buttons->addButton(GetLanguageString("Strings", "CLOS"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(body, 1);
    layout->addWidget(buttons);

    connect(m_along, &QComboBox::currentIndexChanged, this,
            [this](int position) { m_view->SetAlongTime(position == 1); });
    connect(m_view, &RideProfileView::PointMarked, this, [this](int point) {
        m_readout->setText(m_view->ReadoutText(point, QStringLiteral("\n")));
        ShowPicture(point);
    });
    // Elevation and speed first; what the file lacks, the next it has.
    int checked = 0;
    for (int i = 0; i < kProfileQuantityCount && checked < 2; ++i) {
        if (m_profile.Has(static_cast<ProfileQuantity>(i))) {
            m_quantities[static_cast<size_t>(i)]->setChecked(true);
            ++checked;
        }
    }
    // Drawn once, with what is shown at first.
    m_view->SetProfile(&m_profile);
    ShowPicture(-1);
    resize(1180, 560);
}

void RideProfileDlg::ShowPicture(int point) {
    if (point < 0 || point >= static_cast<int>(m_track.points.size())) {
        m_picture->setPixmap(QPixmap::fromImage(m_routeImage));
        return;
    }
    if (m_pixels.empty()) {
        m_pixels = TrackPicturePixels(m_track);
    }
    QImage marked = m_routeImage;
    QPainter painter(&marked);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2.0));
    painter.setBrush(kMarkColour);
    painter.drawEllipse(m_pixels[static_cast<size_t>(point)], 6.0, 6.0);
    painter.end();
    m_picture->setPixmap(QPixmap::fromImage(marked));
}
