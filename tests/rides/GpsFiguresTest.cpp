// The figures of a ride from tracks as devices leave them: the device's own
// totals and when they cannot be true, gaps in recording, loggers that write
// seldom, speeds written with the points, and points a millisecond apart.

#include "GpsTestFiles.h"
#include "rides/GpsFigures.h"
#include "rides/GpsTrack.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

using namespace gpstest;

constexpr int64_t kMay1 = 1714550400;  // 2024-05-01 08:00:00 UTC
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Due north from 48° N at metresPerSecond, a point every stepMs.
std::vector<GpsPoint> North(int64_t startMs, int64_t stepMs, int count, double metresPerSecond,
                            double latitude = 48.0) {
    std::vector<GpsPoint> points;
    const double degreesPerMs = metresPerSecond / 1000.0 / kRadius * 180.0 / std::numbers::pi;
    for (int i = 0; i < count; ++i) {
        GpsPoint& point = points.emplace_back();
        point.latitude = latitude + degreesPerMs * static_cast<double>(stepMs) * i;
        point.longitude = 11.0;
        point.timeMs = startMs + stepMs * i;
        point.hasTime = true;
    }
    return points;
}

void Append(std::vector<GpsPoint>& to, std::vector<GpsPoint> more) {
    to.insert(to.end(), more.begin(), more.end());
}

void ExpectSane(const GpsRideFigures& figures) {
    EXPECT_TRUE(std::isfinite(figures.distanceMetres) && figures.distanceMetres >= 0.0);
    EXPECT_GE(figures.movingSeconds, 0);
    EXPECT_TRUE(std::isfinite(figures.topSpeedKmh) && figures.topSpeedKmh >= 0.0 &&
                figures.topSpeedKmh <= kMaxBicycleKmh);
    if (figures.climbMetres) {
        EXPECT_TRUE(std::isfinite(*figures.climbMetres) && *figures.climbMetres >= 0.0);
    }
}

TEST(GpsFigures, TheDevicesTotalsComeFirstWhereARideCanHaveThem) {
    // An hour at 7 m/s, a point a second, climbing 60 m; the fix came ten minutes late.
    GpsTrack track;
    track.points = North(kMay1 * 1000, 1000, 3601, 7.0);
    for (size_t i = 0; i < track.points.size(); ++i) {
        track.points[i].elevation = 100.0 + static_cast<double>(i) / 60.0;
        track.points[i].hasElevation = true;
    }
    const DeviceTotals real{(kMay1 - 600) * 1000, 29400.0, 3950.0, 41.5, 72.0};
    track.device = real;
    GpsRideFigures figures = WorkOutRideFigures(track);
    EXPECT_EQ(figures.startSeconds, kMay1 - 600);
    EXPECT_EQ(figures.endSeconds, kMay1 + 3600);
    EXPECT_TRUE(figures.distanceFromFile);
    EXPECT_EQ(figures.distanceMetres, 29400.0);
    EXPECT_EQ(figures.movingSeconds, 3950);
    EXPECT_EQ(figures.topSpeedKmh, 41.5);
    EXPECT_EQ(figures.climbMetres, 72.0);

    // Totals no ride can have are passed over for what the points give.
    const struct {
        const char* what;
        DeviceTotals device;
    } absurd[] = {
        {"infinite", {std::nullopt, kInf, kInf, kInf, kInf}},
        {"not a number", {std::nullopt, kNaN, kNaN, kNaN, kNaN}},
        {"negative", {-1000, -5.0, -60.0, -3.0, -10.0}},
        {"beyond any ride", {(kMay1 - 30 * 86400) * 1000, 1e308, 1e308, 7214.0, 1e6}},
        {"a timer far longer than the ride", {std::nullopt, std::nullopt, 40 * 3600.0, 0.0, std::nullopt}},
        {"faster than a bicycle on average", {std::nullopt, std::nullopt, 60.0, std::nullopt, std::nullopt}},
    };
    for (const auto& c : absurd) {
        track.device = c.device;
        figures = WorkOutRideFigures(track);
        ExpectSane(figures);
        EXPECT_EQ(figures.startSeconds, kMay1) << c.what;
        EXPECT_NEAR(figures.distanceMetres, 25200.0, 0.01) << c.what;
        EXPECT_EQ(figures.movingSeconds, 3600) << c.what;
        EXPECT_NEAR(figures.topSpeedKmh, 25.2, 0.01) << c.what;
        EXPECT_NEAR(figures.climbMetres.value_or(0.0), 60.0, 0.5) << c.what;
    }

    // An indoor trainer: no positions, the device's totals alone.
    track.points.clear();
    track.device = real;
    figures = WorkOutRideFigures(track);
    EXPECT_EQ(figures.startSeconds, kMay1 - 600);
    EXPECT_EQ(figures.endSeconds, kMay1 - 600 + 3950);
    EXPECT_EQ(figures.distanceMetres, 29400.0);
    EXPECT_EQ(figures.movingSeconds, 3950);
    track.device = absurd[0].device;
    figures = WorkOutRideFigures(track);
    ExpectSane(figures);
    EXPECT_EQ(figures.distanceMetres, 0.0);
    EXPECT_EQ(figures.movingSeconds, 0);
    EXPECT_FALSE(figures.startSeconds);
}

TEST(GpsFigures, ALapOfAnAbsurdLengthFallsBackToThePoints) {
    const GpsFileContent content = ReadTcxTracks(TcxFile({RideNorth(47.0, 8.0, kMay1, 600, 7.0)}, {1e308}));
    ASSERT_EQ(content.tracks.size(), 1u);
    const GpsRideFigures figures = WorkOutRideFigures(content.tracks.front());
    EXPECT_FALSE(figures.distanceFromFile);
    EXPECT_NEAR(figures.distanceMetres, 4200.0, 0.01);
    ExpectSane(figures);
}

TEST(GpsFigures, TopSpeedIsNeverMeasuredAcrossAGap) {
    // 8 m/s, then the logger lost a minute and came back 120 km away
    // (7,200 km/h across the gap), then on at 8 m/s; and the same with a new segment.
    for (const bool newSegment : {false, true}) {
        GpsTrack track;
        track.points = North(kMay1 * 1000, 1000, 600, 8.0);
        Append(track.points, North((kMay1 + 660) * 1000, 1000, 600, 8.0, 49.1));
        track.points[600].startsSegment = newSegment;
        const GpsRideFigures figures = WorkOutRideFigures(track);
        EXPECT_NEAR(figures.topSpeedKmh, 28.8, 0.01) << newSegment;
        EXPECT_EQ(figures.movingSeconds, 1198) << newSegment;
        // Nor does the jump count as way ridden.
        EXPECT_NEAR(figures.distanceMetres, 2 * 599 * 8.0, 0.01) << newSegment;
    }

    // A logger writing every 10 s still has a top speed, with a pause of
    // five minutes and one wild fix among its points.
    GpsTrack logger;
    logger.points = North(kMay1 * 1000, 10000, 180, 6.0);
    Append(logger.points, North((kMay1 + 2090) * 1000, 10000, 30, 9.0, logger.points.back().latitude));
    logger.points[100].longitude += 0.01;
    const GpsRideFigures figures = WorkOutRideFigures(logger);
    EXPECT_NEAR(figures.topSpeedKmh, 32.4, 0.01);
    EXPECT_EQ(figures.movingSeconds, 179 * 10 + 29 * 10);
}

TEST(GpsFigures, SpeedsThePointsCarryArePreferredButNotASingleSpike) {
    GpsTrack track;
    track.points = North(kMay1 * 1000, 1000, 600, 7.0);
    for (size_t i = 0; i < track.points.size(); ++i) {
        track.points[i].speedMs = i >= 200 && i < 210 ? 11.0 : 7.5;
        track.points[i].hasSpeed = true;
    }
    track.points[400].speedMs = 60.0;
    EXPECT_NEAR(WorkOutRideFigures(track).topSpeedKmh, 39.6, 1e-9);

    // Speeds no bicycle makes leave the positions' own.
    for (GpsPoint& point : track.points) {
        point.speedMs = 300.0;
    }
    EXPECT_NEAR(WorkOutRideFigures(track).topSpeedKmh, 25.2, 0.01);
}

TEST(GpsFigures, PointsAMillisecondApartGiveTheSameFigures) {
    // 400 s at 8 m/s, 400,000 points, the position wandering by a few centimetres
    // and the height by a metre.
    GpsTrack track;
    track.points = North(kMay1 * 1000, 1, 400001, 8.0);
    for (size_t i = 0; i < track.points.size(); ++i) {
        track.points[i].longitude += (i % 7) * 1e-7;
        track.points[i].elevation = 200.0 + static_cast<double>(i) / 10000.0 + (i % 2 ? 0.5 : -0.5);
        track.points[i].hasElevation = true;
    }
    const GpsRideFigures figures = WorkOutRideFigures(track);
    EXPECT_NEAR(figures.topSpeedKmh, 28.8, 0.1);
    EXPECT_EQ(figures.movingSeconds, 400);
    EXPECT_NEAR(figures.climbMetres.value_or(0.0), 40.0, 0.5);
    EXPECT_EQ(figures.endSeconds, kMay1 + 400);
}

}  // namespace
