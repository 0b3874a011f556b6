#pragma once
// GPS files written by the tests themselves: GPX 1.1, TCX with laps, and FIT
// made from a GPX by gpsbabel. Routes are built from speeds and headings so
// that their length is known without the program's own arithmetic.

#include <gtest/gtest.h>
#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

namespace gpstest {

inline constexpr double kRadius = 6371008.8;  // the mean Earth radius both sides agree on

struct Fix {
    double latitude = 0.0;
    double longitude = 0.0;
    std::optional<double> elevation;
    std::optional<int64_t> time;  // seconds since 1970 UTC
};
using Segment = std::vector<Fix>;

inline QString IsoTime(int64_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
}

// Riding due north at metresPerSecond, one fix a second, for the given
// seconds after start. Along a meridian the way is exactly radius x angle.
inline Segment RideNorth(double latitude, double longitude, int64_t start, int seconds,
                         double metresPerSecond, double elevation = NAN) {
    Segment fixes;
    const double step = metresPerSecond / kRadius * 180.0 / std::numbers::pi;
    for (int i = 0; i <= seconds; ++i) {
        Fix fix{latitude + step * i, longitude, std::nullopt, start + i};
        if (!std::isnan(elevation)) {
            fix.elevation = elevation;
        }
        fixes.push_back(fix);
    }
    return fixes;
}

inline void Append(Segment& to, const Segment& more) {
    to.insert(to.end(), more.begin(), more.end());
}

inline QByteArray GpxFile(const std::vector<Segment>& segments, const QString& name = QString()) {
    QString text = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        "  <metadata><name>not the track</name></metadata>\n"
        "  <wpt lat=\"10\" lon=\"10\"><name>a waypoint</name></wpt>\n"
        "  <trk>\n");
    if (!name.isEmpty()) {
        text += QStringLiteral("    <name>") + name.toHtmlEscaped() + QStringLiteral("</name>\n");
    }
    for (const Segment& segment : segments) {
        text += QStringLiteral("    <trkseg>\n");
        for (const Fix& fix : segment) {
            text += QStringLiteral("      <trkpt lat=\"%1\" lon=\"%2\">")
                        .arg(fix.latitude, 0, 'f', 9)
                        .arg(fix.longitude, 0, 'f', 9);
            if (fix.elevation) {
                text += QStringLiteral("<ele>%1</ele>").arg(*fix.elevation, 0, 'f', 1);
            }
            if (fix.time) {
                text += QStringLiteral("<time>") + IsoTime(*fix.time) + QStringLiteral("</time>");
            }
            text += QStringLiteral("<name>point</name></trkpt>\n");
        }
        text += QStringLiteral("    </trkseg>\n");
    }
    text += QStringLiteral("  </trk>\n</gpx>\n");
    return text.toUtf8();
}

// One activity, one lap per segment, each lap with the distance its device
// measured. Track points carry running distances of the same element name.
inline QByteArray TcxFile(const std::vector<Segment>& laps, const std::vector<double>& lapMetres) {
    QString text =
        QStringLiteral(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<TrainingCenterDatabase xmlns=\"http://www.garmin.com/xmlschemas/TrainingCenterDatabase/v2\">\n"
            "<Activities><Activity Sport=\"Biking\"><Id>") +
        IsoTime(*laps.front().front().time) + QStringLiteral("</Id>\n");
    double running = 0.0;
    for (size_t lap = 0; lap < laps.size(); ++lap) {
        text += QStringLiteral(
                    "<Lap StartTime=\"%1\"><TotalTimeSeconds>%2</TotalTimeSeconds>"
                    "<DistanceMeters>%3</DistanceMeters><MaximumSpeed>99</MaximumSpeed>"
                    "<Intensity>Active</Intensity><Track>\n")
                    .arg(IsoTime(*laps[lap].front().time))
                    .arg(laps[lap].size() - 1)
                    .arg(lapMetres[lap], 0, 'f', 2);
        for (const Fix& fix : laps[lap]) {
            running += 7.0;
            text += QStringLiteral("<Trackpoint><Time>") + IsoTime(*fix.time) +
                    QStringLiteral(
                        "</Time><Position><LatitudeDegrees>%1</LatitudeDegrees>"
                        "<LongitudeDegrees>%2</LongitudeDegrees></Position>")
                        .arg(fix.latitude, 0, 'f', 9)
                        .arg(fix.longitude, 0, 'f', 9);
            if (fix.elevation) {
                text += QStringLiteral("<AltitudeMeters>%1</AltitudeMeters>").arg(*fix.elevation);
            }
            text += QStringLiteral("<DistanceMeters>%1</DistanceMeters></Trackpoint>\n").arg(running);
        }
        text += QStringLiteral("</Track></Lap>\n");
    }
    text += QStringLiteral("</Activity></Activities></TrainingCenterDatabase>\n");
    return text.toUtf8();
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// gpsbabel -i gpx -f in.gpx -o garmin_fit -F out.fit
inline void MakeFitFromGpx(const QString& gpxPath, const QString& fitPath) {
    const QString gpsbabel = QStandardPaths::findExecutable(QStringLiteral("gpsbabel"));
    ASSERT_FALSE(gpsbabel.isEmpty()) << "gpsbabel is not installed (scripts/install-deps.sh installs it)";
    QProcess process;
    process.start(gpsbabel,
                  {QStringLiteral("-i"), QStringLiteral("gpx"), QStringLiteral("-f"), gpxPath,
                   QStringLiteral("-o"), QStringLiteral("garmin_fit"), QStringLiteral("-F"), fitPath});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

// The length of the great circle between two fixes by Vincenty's formula for
// the sphere: another way to the same number than the program's haversine.
inline double VincentyMetres(const Fix& a, const Fix& b) {
    const double toRadians = std::numbers::pi / 180.0;
    const double lat1 = a.latitude * toRadians;
    const double lat2 = b.latitude * toRadians;
    const double dLon = (b.longitude - a.longitude) * toRadians;
    const double y =
        std::hypot(std::cos(lat2) * std::sin(dLon),
                   std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(dLon));
    const double x = std::sin(lat1) * std::sin(lat2) + std::cos(lat1) * std::cos(lat2) * std::cos(dLon);
    return kRadius * std::atan2(y, x);
}

}  // namespace gpstest
