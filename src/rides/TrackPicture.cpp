#include "rides/TrackPicture.h"

#include "language/Language.h"
#include "rides/GpsFigures.h"
#include "units/Units.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int kMargin = 22;
constexpr int kFooter = 34;
// Tracks smaller than this many metres per pixel are not blown up further: a
// ride round the block should not look like a ride across the country.
constexpr double kFinestMetresPerPixel = 0.5;
// Points closer than this to the last one drawn add nothing to see; an hour
// at a point a second is mostly such points.
constexpr double kDrawnPointSpacing = 1.5;
// Then bends smaller than this are straightened (Douglas-Peucker): every
// corner of an antialiased line shows as a faint notch, and a smooth road
// needs few of them.
constexpr double kStraightenedPixels = 0.35;

const QColor kPaper(255, 255, 255);
const QColor kFrame(200, 205, 212);
const QColor kTrack(21, 101, 192);
const QColor kStart(46, 125, 50);
const QColor kEnd(198, 40, 40);
const QColor kInk(69, 80, 90);

struct Projected {
    std::vector<QPointF> metres;  // east and north of the first point
    double metresPerPixel = 1.0;
    QPointF centre;  // of the track's extent, in metres
};

// An equirectangular projection around the track's middle latitude: true to
// scale and shape for anything a bicycle covers in a day.
Projected Project(const std::vector<GpsPoint>& points, const QRectF& plot) {
    Projected projected;
    if (points.empty()) {
        return projected;
    }
    double minLat = points.front().latitude;
    double maxLat = minLat;
    for (const GpsPoint& point : points) {
        minLat = std::min(minLat, point.latitude);
        maxLat = std::max(maxLat, point.latitude);
    }
    const double metresPerDegree = kEarthRadiusMetres * std::numbers::pi / 180.0;
    const double eastScale = metresPerDegree * std::cos((minLat + maxLat) / 2.0 * std::numbers::pi / 180.0);
    const GpsPoint& origin = points.front();
    double previous = origin.longitude;
    double longitude = origin.longitude;
    projected.metres.reserve(points.size());
    for (const GpsPoint& point : points) {
        // A ride over the date line goes on eastward instead of jumping round the globe.
        double step = point.longitude - previous;
        if (step > 180.0) {
            step -= 360.0;
        } else if (step < -180.0) {
            step += 360.0;
        }
        previous = point.longitude;
        longitude += step;
        projected.metres.emplace_back((longitude - origin.longitude) * eastScale,
                                      (point.latitude - origin.latitude) * metresPerDegree);
    }
    double left = 0.0;
    double right = 0.0;
    double bottom = 0.0;
    double top = 0.0;
    for (const QPointF& p : projected.metres) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        bottom = std::min(bottom, p.y());
        top = std::max(top, p.y());
    }
    projected.metresPerPixel =
        std::max({(right - left) / plot.width(), (top - bottom) / plot.height(), kFinestMetresPerPixel});
    projected.centre = QPointF((left + right) / 2.0, (bottom + top) / 2.0);
    return projected;
}

QPointF ToPixel(const QPointF& metres, const Projected& projected, const QRectF& plot) {
    return QPointF(plot.center().x() + (metres.x() - projected.centre.x()) / projected.metresPerPixel,
                   plot.center().y() - (metres.y() - projected.centre.y()) / projected.metresPerPixel);
}

double DistanceToLine(const QPointF& point, const QPointF& from, const QPointF& to) {
    const QPointF along = to - from;
    const double length = std::hypot(along.x(), along.y());
    if (length == 0.0) {
        return std::hypot(point.x() - from.x(), point.y() - from.y());
    }
    return std::abs(along.x() * (from.y() - point.y()) - along.y() * (from.x() - point.x())) / length;
}

// Keeps the points that stray further than the tolerance from the straight
// line between the points kept around them.
QPolygonF Straightened(const QPolygonF& line) {
    if (line.size() < 3) {
        return line;
    }
    std::vector<bool> keep(static_cast<size_t>(line.size()), false);
    keep.front() = keep.back() = true;
    std::vector<std::pair<qsizetype, qsizetype>> spans{{0, line.size() - 1}};
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        double furthest = 0.0;
        qsizetype at = -1;
        for (qsizetype i = first + 1; i < last; ++i) {
            const double distance = DistanceToLine(line[i], line[first], line[last]);
            if (distance > furthest) {
                furthest = distance;
                at = i;
            }
        }
        if (at > 0 && furthest > kStraightenedPixels) {
            keep[static_cast<size_t>(at)] = true;
            spans.emplace_back(first, at);
            spans.emplace_back(at, last);
        }
    }
    QPolygonF kept;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (keep[static_cast<size_t>(i)]) {
            kept.append(line[i]);
        }
    }
    return kept;
}

// The largest of 1, 2 and 5 times a power of ten not above value.
double RoundScaleLength(double value) {
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (const double factor : {5.0, 2.0}) {
        if (value >= factor * power) {
            return factor * power;
        }
    }
    return power;
}

void DrawStartMark(QPainter& painter, const QPointF& at) {
    painter.setPen(QPen(Qt::white, 2.0));
    painter.setBrush(kStart);
    painter.drawEllipse(at, 6.5, 6.5);
}

void DrawEndMark(QPainter& painter, const QPointF& at) {
    painter.setPen(QPen(Qt::white, 2.0));
    painter.setBrush(kEnd);
    painter.drawRect(QRectF(at.x() - 6.0, at.y() - 6.0, 12.0, 12.0));
}

// The letter, and below it an arrow pointing up.
void DrawNorthArrow(QPainter& painter, const QPointF& top, const QString& letter) {
    painter.setPen(kInk);
    painter.drawText(QRectF(top.x() - 10.0, top.y(), 20.0, 14.0), Qt::AlignCenter, letter);
    const QPointF tip = top + QPointF(0.0, 16.0);
    QPainterPath arrow;
    arrow.moveTo(tip);
    arrow.lineTo(tip + QPointF(7.0, 20.0));
    arrow.lineTo(tip + QPointF(0.0, 15.0));
    arrow.lineTo(tip + QPointF(-7.0, 20.0));
    arrow.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kInk);
    painter.drawPath(arrow);
}

void DrawFooter(QPainter& painter, const QRectF& footer, double metresPerPixel,
                const TrackPictureWords& words) {
    painter.setPen(QPen(kFrame, 1.0));
    painter.drawLine(QPointF(footer.left(), footer.top() + 0.5), QPointF(footer.right(), footer.top() + 0.5));
    const double middle = footer.center().y() + 1.0;
    const QFontMetricsF metrics(painter.font());

    // Legend on the left.
    double x = footer.left() + 8.0;
    DrawStartMark(painter, QPointF(x + 6.0, middle));
    painter.setPen(kInk);
    painter.drawText(QPointF(x + 18.0, middle + metrics.ascent() / 2.0 - 1.0), words.start);
    x += 18.0 + metrics.horizontalAdvance(words.start) + 18.0;
    DrawEndMark(painter, QPointF(x + 6.0, middle));
    painter.setPen(kInk);
    painter.drawText(QPointF(x + 18.0, middle + metrics.ascent() / 2.0 - 1.0), words.end);

    // Scale bar on the right, about a fifth of the width long.
    const double unitMetres = words.unitMetres;
    const double length = RoundScaleLength(footer.width() / 5.0 * metresPerPixel / unitMetres);
    const double pixels = length * unitMetres / metresPerPixel;
    const double right = footer.right() - 8.0;
    const double left = right - pixels;
    painter.setPen(QPen(kInk, 2.0, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(left, middle + 4.0), QPointF(right, middle + 4.0));
    painter.drawLine(QPointF(left, middle - 1.0), QPointF(left, middle + 5.0));
    painter.drawLine(QPointF(right, middle - 1.0), QPointF(right, middle + 5.0));
    const QString label = QString::number(length) + u' ' + words.distanceUnit;
    painter.setPen(kInk);
    painter.drawText(QRectF(left - 160.0, middle - 6.0, 160.0 - 6.0, 20.0), Qt::AlignRight | Qt::AlignVCenter,
                     label);
}

}  // namespace

TrackPictureWords TrackPictureWords::Current() {
    TrackPictureWords words;
    words.start = GetLanguageString("RideImport", "STRT");
    words.end = GetLanguageString("RideImport", "ENDS");
    words.north = GetLanguageString("RideImport", "NRTH");
    words.distanceUnit = GetDistanceUnitWord();
    words.unitMetres = ToKilometres(1.0) * 1000.0;
    return words;
}

QImage DrawTrackPicture(const GpsTrack& track, const TrackPictureWords& words) {
    QImage image(kTrackPictureWidth, kTrackPictureHeight, QImage::Format_RGB32);
    image.fill(kPaper);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);

    painter.setPen(QPen(kFrame, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(0.5, 0.5, kTrackPictureWidth - 1.0, kTrackPictureHeight - 1.0));

    const QRectF plot(kMargin, kMargin, kTrackPictureWidth - 2 * kMargin,
                      kTrackPictureHeight - kMargin - kFooter - 10);
    const Projected projected = Project(track.points, plot);

    // One line per recorded stretch.
    std::vector<QPolygonF> lines;
    QPointF last;
    for (size_t i = 0; i < track.points.size(); ++i) {
        const QPointF pixel = ToPixel(projected.metres[i], projected, plot);
        if (track.points[i].startsSegment || lines.empty()) {
            lines.emplace_back();
        }
        QPolygonF& line = lines.back();
        const bool lastOfLine = i + 1 == track.points.size() || track.points[i + 1].startsSegment;
        if (line.isEmpty() || lastOfLine || QLineF(line.back(), pixel).length() >= kDrawnPointSpacing) {
            line.append(pixel);
        }
        last = pixel;
    }
    painter.setPen(QPen(kTrack, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    for (const QPolygonF& line : lines) {
        if (line.size() > 1) {
            painter.drawPolyline(Straightened(line));
        }
    }
    if (!projected.metres.empty()) {
        // The end first: on a round trip the start stays visible on top of it.
        DrawEndMark(painter, last);
        DrawStartMark(painter, ToPixel(projected.metres.front(), projected, plot));
    }

    DrawNorthArrow(painter, QPointF(kTrackPictureWidth - 22.0, 6.0), words.north);
    DrawFooter(painter,
               QRectF(0.0, kTrackPictureHeight - kFooter, kTrackPictureWidth, kFooter).adjusted(6, 0, -6, -2),
               projected.metresPerPixel, words);
    painter.end();
    return image;
}

std::vector<QPointF> TrackPicturePixels(const GpsTrack& track) {
    const QRectF plot(kMargin, kMargin, kTrackPictureWidth - 2 * kMargin,
                      kTrackPictureHeight - kMargin - kFooter - 10);
    const Projected projected = Project(track.points, plot);
    std::vector<QPointF> pixels;
    pixels.reserve(projected.metres.size());
    for (const QPointF& metres : projected.metres) {
        pixels.push_back(ToPixel(metres, projected, plot));
    }
    return pixels;
}

QByteArray TrackPicturePng(const GpsTrack& track, const TrackPictureWords& words) {
    // Every colour of the picture is one of its inks softened towards the
    // paper by antialiasing: a ramp from paper to each ink covers them all.
    static const QList<QRgb> palette = [] {
        QList<QRgb> colours;
        const QColor inks[] = {kTrack, kStart, kEnd, kInk, kFrame};
        constexpr int kSteps = 51;
        for (const QColor& ink : inks) {
            for (int step = 0; step < kSteps; ++step) {
                const double share = step / double(kSteps - 1);
                auto blend = [&](int paper, int colour) { return qRound(paper + (colour - paper) * share); };
                colours.append(qRgb(blend(kPaper.red(), ink.red()), blend(kPaper.green(), ink.green()),
                                    blend(kPaper.blue(), ink.blue())));
            }
        }
        return colours;
    }();
    const QImage picture =
        DrawTrackPicture(track, words).convertToFormat(QImage::Format_Indexed8, palette, Qt::ThresholdDither);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Quality 50: a moderate compression, nearly as small as the strongest and several times quicker.
    picture.save(&buffer, "PNG", 50);
    return bytes;
}
