// The FIT decoder on files written here byte by byte: both byte orders,
// compressed timestamps, developer fields, fields of odd sizes, invalid
// values, chained files, multisport sessions, and damage of every kind;
// then real files mutated at random, which must never crash or hang it.

#include "FitTestFiles.h"
#include "rides/FitFile.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <cmath>
#include <random>

namespace {

using namespace fittest;

constexpr uint32_t kFitMay1 = FitTime(1714550400);  // 2024-05-01 08:00:00 UTC
constexpr int64_t kMay1Ms = int64_t{1714550400} * 1000;

TEST(FitFile, ReadsRecordsAndTheSessionsTotalsInBothByteOrders) {
    for (const bool bigEndian : {false, true}) {
        const GpsFileContent content = ReadFitTracks(Ride(kFitMay1, 30, 1, bigEndian, 3));
        ASSERT_EQ(content.error, GpsFileError::None);
        EXPECT_FALSE(content.readToDamage);
        ASSERT_EQ(content.tracks.size(), 1u);  // a single session, whatever its sport
        const GpsTrack& track = content.tracks.front();
        EXPECT_EQ(track.sport, 1);  // a trail run
        EXPECT_EQ(track.subSport, 3);
        ASSERT_EQ(track.points.size(), 30u);
        const GpsPoint& point = track.points[10];
        EXPECT_NEAR(point.latitude, 47.001, 1e-7);
        EXPECT_NEAR(point.longitude, 8.0, 1e-7);
        EXPECT_EQ(point.timeMs, kMay1Ms + 10000);
        EXPECT_DOUBLE_EQ(point.elevation, 420.0);
        EXPECT_DOUBLE_EQ(point.speedMs, 5.5);
        EXPECT_TRUE(track.points.front().startsSegment);
        EXPECT_EQ(track.device.startMs, kMay1Ms);
        EXPECT_EQ(track.device.distanceMetres, 165.0);
        EXPECT_EQ(track.device.timerSeconds, 29.0);
        EXPECT_DOUBLE_EQ(*track.device.maxSpeedKmh, 9.0 * 3.6);
        EXPECT_EQ(track.device.ascentMetres, 12.0);
        EXPECT_EQ(track.measured.descentMetres, 15.0);
        EXPECT_EQ(track.measured.elapsedSeconds, 30.0);
        EXPECT_EQ(track.measured.calories, 31.0);
        EXPECT_EQ(track.measured.averageHeartRate, 142.0);
        EXPECT_EQ(track.measured.maxHeartRate, 171.0);
        EXPECT_EQ(track.measured.averageCadence, 88.0);
        EXPECT_EQ(track.measured.averagePower, 215.0);
        EXPECT_EQ(track.measured.maxPower, 640.0);
        EXPECT_EQ(track.measured.averageTemperature, -1.0);
    }
}

TEST(FitFile, CompressedTimesOddSizesInvalidValuesAndTimerStops) {
    FitWriter fit;
    fit.Define(0, 20, {kTime, kLat, kLon});
    fit.Data(0, {kFitMay1 + 30, Semicircles(1.0), Semicircles(2.0)});  // 30 = 0b11110
    fit.Define(1, 20, {kLat, kLon, {78, 4, 0x86}, {73, 3, 0x86}, {2, 1, 0x84}, {6, 3, 0x84}});
    // Five bits of seconds roll over past 31: 30 -> 33.
    fit.Data(1, {Semicircles(1.1), Semicircles(2.0), (100 + 500) * 5, 1, 1, 7000}, 1);
    fit.Define(2, 21, {kTime, {0, 1, 0x00}, {1, 1, 0x00}});
    fit.Data(2, {kFitMay1 + 40, 0, 4});                       // the timer stopped
    fit.Data(0, {0xFFFFFFFF, 0x7FFFFFFF, Semicircles(2.0)});  // no time, no latitude
    fit.Data(0, {0xFFFFFFFF, Semicircles(1.2), Semicircles(2.0)});
    const GpsFileContent content = ReadFitTracks(fit.File());
    ASSERT_EQ(content.tracks.size(), 1u);
    const std::vector<GpsPoint>& points = content.tracks.front().points;
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[1].timeMs, kMay1Ms + 33000);
    EXPECT_DOUBLE_EQ(points[1].elevation, 100.0);  // enhanced altitude; the one-byte altitude holds none
    EXPECT_DOUBLE_EQ(points[1].speedMs, 7.0);      // enhanced speed too short, speed's first two bytes read
    EXPECT_FALSE(points[2].hasTime);
    EXPECT_TRUE(points[2].startsSegment);
}

TEST(FitFile, ChainedMultisportFilesKeepTheirCyclingSessions) {
    const QByteArray run = Ride(kFitMay1, 20, 1);
    const QByteArray bike = Ride(kFitMay1 + 100, 40, 2, true);
    const QByteArray trainer = [] {
        FitWriter fit;
        fit.Define(0, 18, {kTime, {2, 4, 0x86}, {5, 1, 0x00}, {8, 4, 0x86}, {9, 4, 0x86}});
        fit.Data(0, {kFitMay1 + 900, kFitMay1 + 300, 21, 600000, 500000});
        return fit.File();
    }();
    const GpsFileContent content = ReadFitTracks(run + bike + trainer);
    ASSERT_EQ(content.error, GpsFileError::None);
    EXPECT_FALSE(content.readToDamage);
    ASSERT_EQ(content.tracks.size(), 2u);
    EXPECT_EQ(content.tracks[0].points.size(), 40u);
    EXPECT_EQ(content.tracks[0].points.front().timeMs, kMay1Ms + 100000);
    EXPECT_TRUE(content.tracks[1].points.empty());  // an indoor e-bike ride keeps its totals
    EXPECT_EQ(content.tracks[1].sport, kFitSportEBiking);
    EXPECT_FALSE(content.tracks[1].subSport);
    EXPECT_EQ(content.tracks[1].device.distanceMetres, 5000.0);
    EXPECT_EQ(content.tracks[1].device.timerSeconds, 600.0);

    // Damage in one of the chained files loses the rest of that one only.
    QByteArray brokenRun = run;
    brokenRun[14 + 25 + 20 * 5] = 0x07;
    const GpsFileContent broken = ReadFitTracks(brokenRun + bike + trainer);
    EXPECT_TRUE(broken.readToDamage);
    EXPECT_EQ(broken.tracks.size(), 2u);
}

TEST(FitFile, ADamagedFileYieldsWhatCameBeforeTheDamage) {
    const QByteArray whole = Ride(kFitMay1, 50);
    // Cut short: the records before the cut, no session.
    const GpsFileContent cut = ReadFitTracks(whole.left(14 + 25 + 20 * 10 + 5));
    EXPECT_TRUE(cut.readToDamage);
    ASSERT_EQ(cut.tracks.size(), 1u);
    EXPECT_EQ(cut.tracks[0].points.size(), 10u);
    EXPECT_FALSE(cut.tracks[0].device.distanceMetres);
    // A changed byte: the checksum tells, the rest is still read.
    QByteArray flipped = whole;
    flipped[14 + 25 + 20 * 20 + 6] = static_cast<char>(flipped[14 + 25 + 20 * 20 + 6] ^ 0x10);
    const GpsFileContent changed = ReadFitTracks(flipped);
    EXPECT_TRUE(changed.readToDamage);
    ASSERT_EQ(changed.tracks.size(), 1u);
    EXPECT_EQ(changed.tracks[0].device.distanceMetres, 275.0);
    // Data of a type never defined: reading stops there.
    QByteArray undefined = whole;
    undefined[14 + 25 + 20 * 5] = 0x07;
    EXPECT_EQ(ReadFitTracks(undefined).tracks.at(0).points.size(), 5u);
    // No FIT at all, or nothing readable in it.
    EXPECT_EQ(ReadFitTracks("<gpx></gpx>").error, GpsFileError::NotFit);
    EXPECT_EQ(ReadFitTracks(whole.left(20)).error, GpsFileError::NoTrack);
    EXPECT_TRUE(ReadFitTracks(whole.left(20)).readToDamage);
}

TEST(FitFile, RandomDamageNeverCrashesOrHangs) {
    std::vector<QByteArray> seeds = {Ride(kFitMay1, 40),
                                     Ride(kFitMay1, 10, 2, true) + Ride(kFitMay1 + 50, 10)};
    const QDir samples(QStringLiteral(VELOMARQ_TEST_DATA_DIR "/gps-samples/fit"));
    for (const char* name :
         {"garmin-fenix-5-bike.fit", "elemnt-bolt-no-application-id-inside-developer-data-id.fit",
          "sample_mulitple_header.fit"}) {
        QFile file(samples.filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        seeds.push_back(file.readAll());
    }
    std::mt19937 random(20240501);
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        if (round % 10 == 0) {
            bytes.resize(std::uniform_int_distribution<int>(0, 400)(random));
            for (char& c : bytes) {
                c = static_cast<char>(random());
            }
            if (bytes.size() >= 12 && round % 20 == 0) {
                bytes.replace(8, 4, ".FIT");
            }
        } else {
            bytes = seeds[random() % seeds.size()];
            const int changes = 1 + static_cast<int>(random() % 8);
            for (int i = 0; i < changes; ++i) {
                bytes[random() % bytes.size()] = static_cast<char>(random());
            }
            if (round % 3 == 0) {
                bytes.truncate(static_cast<qsizetype>(random() % bytes.size()));
            }
        }
        const GpsFileContent content = ReadFitTracks(bytes);
        for (const GpsTrack& track : content.tracks) {
            for (const GpsPoint& point : track.points) {
                ASSERT_TRUE(std::abs(point.latitude) <= 90.0 && std::abs(point.longitude) <= 180.0) << round;
            }
        }
    }
}

}  // namespace
