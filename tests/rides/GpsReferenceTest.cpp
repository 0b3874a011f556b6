// Real files from real devices (tests/data/gps-samples) read and worked out,
// against the devices' own totals in reference.tsv: every file with
// positions becomes a ride, and its start, distance, riding time, top speed
// and climb agree with what its device recorded.

#include "rides/GpsFigures.h"
#include "rides/GpsTrack.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <set>

namespace {

const QString kSamples = QStringLiteral(VELOMARQ_TEST_DATA_DIR "/gps-samples/");

// Rows whose figures are still worked out from the points alone, though the
// tracks carry the devices' totals: start, riding time, top speed or climb
// differ until the figures take them. Only their reading is checked; empty
// this list once they do.
const std::set<QString> kRowsAwaitingDeviceFigures = {};

// Whether the reference ascent is the device's own (a FIT session), not one an
// independent library worked out from the points, which smooths differently.
bool AscentFromTheFile(const QString& source) {
    for (const QString& part : source.split(u';')) {
        if (part.contains(u"ascent")) {
            return !part.contains(u"gpxpy");
        }
    }
    return source.contains(u"FIT session");
}

struct Totals {
    std::optional<int64_t> start;
    double distance = 0.0;
    double moving = 0.0;
    double top = 0.0;
    std::optional<double> climb;
    size_t points = 0;
};

Totals WorkOut(const GpsFileContent& content) {
    Totals totals;
    for (const GpsTrack& track : content.tracks) {
        const GpsRideFigures figures = WorkOutRideFigures(track);
        if (figures.startSeconds && (!totals.start || *figures.startSeconds < *totals.start)) {
            totals.start = figures.startSeconds;
        }
        totals.distance += figures.distanceMetres;
        totals.moving += static_cast<double>(figures.movingSeconds);
        totals.top = std::max(totals.top, figures.topSpeedKmh);
        if (figures.climbMetres) {
            totals.climb = totals.climb.value_or(0.0) + *figures.climbMetres;
        }
        totals.points += track.points.size();
    }
    return totals;
}

std::optional<double> Number(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

bool Within(double value, double reference, double share) {
    // A metre or second of slack for figures the devices round.
    return std::abs(value - reference) <= reference * share + 1.0;
}

TEST(GpsReference, RealFilesAgreeWithTheirDevices) {
    QFile table(kSamples + QStringLiteral("reference.tsv"));
    ASSERT_TRUE(table.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(table.readAll()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 1);
    const QStringList header = lines.front().split(u'\t');
    int rows = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(u'\t');
        ASSERT_EQ(cells.size(), header.size()) << lines[i].toStdString();
        auto cell = [&](const char* name) { return cells[header.indexOf(QLatin1String(name))]; };
        const QString file = cell("file");
        SCOPED_TRACE(file.toStdString());
        ++rows;

        const GpsFileContent content = ReadGpsFile(kSamples + file);
        const Totals ours = WorkOut(content);
        const bool positions = cell("positions") == u"yes";
        if (positions) {
            EXPECT_EQ(content.error, GpsFileError::None);
            EXPECT_GT(ours.points, 0u);
        }
        const QString sport = cell("sport").toLower();
        const bool cycling = sport == u"cycling" || sport == u"biking";
        if (cycling) {
            EXPECT_LE(ours.top, 120.0);
        }
        if (kRowsAwaitingDeviceFigures.contains(file)) {
            continue;
        }

        const auto distance = Number(cell("distance_m"));
        const auto time = Number(cell("time_s"));
        const auto top = Number(cell("max_kmh"));
        const auto ascent = Number(cell("ascent_m"));
        const std::optional<int64_t> start = ParseGpsTime(cell("start_utc"));
        const bool timer = cell("time_kind") == u"timer";
        const bool deviceTop = cell("max_from") == u"device";
        const std::string figures =
            QStringLiteral("ours: start %1 distance %2 m moving %3 s top %4 km/h climb %5 m; reference: %6")
                .arg(ours.start ? *ours.start : -1)
                .arg(ours.distance, 0, 'f', 1)
                .arg(ours.moving, 0, 'f', 0)
                .arg(ours.top, 0, 'f', 1)
                .arg(ours.climb ? QString::number(*ours.climb, 'f', 1) : QStringLiteral("-"))
                .arg(lines[i])
                .toStdString();
        if (start) {
            EXPECT_TRUE(ours.start && std::abs(*ours.start * 1000 - *start) <= 60000) << figures;
        }
        if (distance) {
            EXPECT_TRUE(Within(ours.distance, *distance, 0.015)) << figures;
        }
        if (time && timer && cycling) {
            EXPECT_TRUE(Within(ours.moving, *time, 0.05)) << figures;
        }
        if (top && deviceTop) {
            EXPECT_TRUE(Within(ours.top, *top, 0.10)) << figures;
        }
        if (ascent && AscentFromTheFile(cell("source"))) {
            EXPECT_TRUE(ours.climb && Within(*ours.climb, *ascent, 0.25)) << figures;
        }
    }
    EXPECT_EQ(rows, 30);
}

}  // namespace
