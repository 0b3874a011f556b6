// Reading GPS files and working out a ride's figures from them, without a
// window: times as the formats write them, GPX, TCX with laps, FIT as another
// program writes it, damaged files, and distance, moving time, top speed and climb.

#include "GpsTestFiles.h"
#include "rides/FitFile.h"
#include "rides/GpsFigures.h"
#include "rides/GpsTrack.h"
#include "support/ProgramDirectory.h"

#include <gtest/gtest.h>
#include <QDir>

namespace {

using namespace gpstest;

constexpr int64_t kMay1 = 1714550400;  // 2024-05-01 08:00:00 UTC

GpsTrack TrackOf(const std::vector<Segment>& segments) {
    const GpsFileContent content = ReadGpxTracks(GpxFile(segments));
    EXPECT_EQ(content.error, GpsFileError::None);
    EXPECT_EQ(content.tracks.size(), 1u);
    return content.tracks.empty() ? GpsTrack() : content.tracks.front();
}

TEST(GpsTime, ReadsTheFormsDevicesWrite) {
    struct Case {
        const char* text;
        std::optional<int64_t> ms;
    };
    const Case cases[] = {
        {"2024-05-01T08:00:00Z", kMay1 * 1000},
        {"2024-05-01T08:00:00.250Z", kMay1 * 1000 + 250},
        {"2024-05-01T08:00:00,5Z", kMay1 * 1000 + 500},
        {"2024-05-01T08:00:00.123456Z", kMay1 * 1000 + 123},
        {"2024-05-01T10:00:00+02:00", kMay1 * 1000},
        {"2024-05-01T03:30:00-0430", kMay1 * 1000},
        {"2024-05-01T08:00:00", kMay1 * 1000},  // no zone: UTC
        {" 2024-05-01T08:00:00Z\n", kMay1 * 1000},
        {"2024-02-29T00:00:00Z", int64_t{1709164800} * 1000},
        {"1969-12-31T23:59:59Z", -1000},
        {"1901-12-13T20:45:52Z", std::nullopt},  // a device's "no time"
        {"1901-12-13T20:45:52.2073437Z", std::nullopt},
        {"1901-12-13T20:45:53Z", int64_t{-2147483647} * 1000},
        {"2023-02-29T00:00:00Z", std::nullopt},
        {"2024-13-01T00:00:00Z", std::nullopt},
        {"2024-05-01T08:60:00Z", std::nullopt},
        {"2024-05-01 08:00", std::nullopt},
        {"2024-05-01T08:00:00Q", std::nullopt},
        {"2024-05-01T08:00:00+2", std::nullopt},
        {"2024-05-01T08:00:00.Z", std::nullopt},
        {"yesterday", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseGpsTime(QString::fromLatin1(c.text)), c.ms) << c.text;
    }
}

TEST(GpxReading, TracksSegmentsNamesHeightsAndTimes) {
    Segment first = RideNorth(52.5, 13.4, kMay1, 2, 7.0, 34.5);
    first[1].elevation.reset();
    Segment second = RideNorth(52.6, 13.4, kMay1 + 100, 1, 7.0);
    second[1].time.reset();
    const GpsFileContent content = ReadGpxTracks(GpxFile({first, second}, QStringLiteral("Evening <loop>")));
    ASSERT_EQ(content.error, GpsFileError::None);
    ASSERT_EQ(content.tracks.size(), 1u);
    const GpsTrack& track = content.tracks.front();
    EXPECT_EQ(track.name, QStringLiteral("Evening <loop>"));
    EXPECT_FALSE(track.device.distanceMetres);
    ASSERT_EQ(track.points.size(), 5u);  // the waypoint is no track point
    EXPECT_NEAR(track.points[0].latitude, 52.5, 1e-9);
    EXPECT_NEAR(track.points[0].longitude, 13.4, 1e-9);
    EXPECT_TRUE(track.points[0].hasElevation);
    EXPECT_DOUBLE_EQ(track.points[0].elevation, 34.5);
    EXPECT_FALSE(track.points[1].hasElevation);
    EXPECT_EQ(track.points[2].timeMs, (kMay1 + 2) * 1000);
    EXPECT_FALSE(track.points[4].hasTime);
    const std::vector<bool> starts = {track.points[0].startsSegment, track.points[1].startsSegment,
                                      track.points[2].startsSegment, track.points[3].startsSegment,
                                      track.points[4].startsSegment};
    EXPECT_EQ(starts, std::vector<bool>({true, false, false, true, false}));
}

TEST(GpxReading, EveryTrackIsARideAndPointsWithoutPositionAreLeftOut) {
    const QByteArray gpx =
        "<gpx xmlns=\"http://www.topografix.com/GPX/1/0\" version=\"1.0\">"
        "<trk><name>one</name><trkseg><trkpt lat=\"1\" lon=\"2\"/><trkpt lat=\"abc\" lon=\"2\"/>"
        "<trkpt lat=\"95\" lon=\"2\"/></trkseg></trk>"
        "<trk><name>empty</name><trkseg/></trk>"
        "<trk><trkseg><trkpt lat=\"-3\" lon=\"-4\"><time>2024-05-01T08:00:00Z</time></trkpt></trkseg></trk>"
        "<rte><rtept lat=\"5\" lon=\"5\"/></rte></gpx>";
    const GpsFileContent content = ReadGpxTracks(gpx);
    ASSERT_EQ(content.error, GpsFileError::None);
    ASSERT_EQ(content.tracks.size(), 2u);
    EXPECT_EQ(content.tracks[0].name, QStringLiteral("one"));
    EXPECT_EQ(content.tracks[0].points.size(), 1u);
    EXPECT_EQ(content.tracks[1].name, QString());
    EXPECT_DOUBLE_EQ(content.tracks[1].points[0].longitude, -4.0);
}

TEST(GpsReading, DamagedOrForeignFilesSayWhatIsWrong) {
    const QByteArray whole = GpxFile({RideNorth(52.5, 13.4, kMay1, 30, 7.0)});
    const QByteArray half = whole.left(whole.size() / 2);
    struct Case {
        const char* what;
        QByteArray bytes;
        GpsFileError error;
        int line;
    };
    const Case cases[] = {
        {"cut off", half, GpsFileError::Malformed, static_cast<int>(half.count('\n')) + 1},
        {"empty", QByteArray(), GpsFileError::Malformed, 1},
        {"binary", QByteArray("\x89PNG\r\n\x1a\n\0\0", 10), GpsFileError::Malformed, 1},
        {"mismatched tag", "<gpx>\n<trk>\n</gpx>", GpsFileError::Malformed, 3},
        {"another XML", "<html><body>hello</body></html>", GpsFileError::NotGps, 0},
        {"no track", "<gpx><wpt lat=\"1\" lon=\"1\"/></gpx>", GpsFileError::NoTrack, 0},
    };
    for (const Case& c : cases) {
        const GpsFileContent content = ReadGpxTracks(c.bytes);
        EXPECT_EQ(content.error, c.error) << c.what;
        EXPECT_EQ(content.errorLine, c.line) << c.what;
        EXPECT_TRUE(content.tracks.empty()) << c.what;
    }
    EXPECT_EQ(ReadTcxTracks(whole).error, GpsFileError::NotGps);
}

TEST(GpxReading, OlderEncodingsAreReadAndEntityBombsRefused) {
    const QByteArray latin =
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?><gpx><trk><name>Caf\xe9 \x80</name><trkseg>"
        "<trkpt lat=\"1\" lon=\"2\"/></trkseg></trk></gpx>";
    const GpsFileContent content = ReadGpxTracks(latin);
    ASSERT_EQ(content.error, GpsFileError::None);
    EXPECT_EQ(content.tracks.front().name, QStringLiteral("Caf\u00e9 \u20ac"));
    const QByteArray japanese =
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><gpx><trk><name>\x92\xa9\x82\xcc\x83\x89\x83"
        "C\x83"
        "h</name><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk></gpx>";
    const GpsFileContent shiftJis = ReadGpxTracks(japanese);
    ASSERT_EQ(shiftJis.error, GpsFileError::None);
    EXPECT_EQ(shiftJis.tracks.front().name, QStringLiteral("\u671d\u306e\u30e9\u30a4\u30c9"));

    // Ten levels of ten: a billion copies of "lol" if it were followed.
    QByteArray bomb = "<?xml version=\"1.0\"?><!DOCTYPE gpx [<!ENTITY l0 \"lol\">";
    for (int level = 1; level <= 9; ++level) {
        bomb += "<!ENTITY l" + QByteArray::number(level) + " \"" +
                QByteArray("&l" + QByteArray::number(level - 1) + ";").repeated(10) + "\">";
    }
    bomb += "]><gpx><trk><name>&l9;</name><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk></gpx>";
    EXPECT_EQ(ReadGpxTracks(bomb).error, GpsFileError::Malformed);
}

TEST(TcxReading, TheLapsTellTheDistance) {
    const Segment lap1 = RideNorth(47.0, 8.0, kMay1, 60, 7.0, 400.0);
    const Segment lap2 = RideNorth(47.01, 8.0, kMay1 + 61, 60, 7.0, 410.0);
    const GpsFileContent content = ReadTcxTracks(TcxFile({lap1, lap2}, {431.5, 418.25}));
    ASSERT_EQ(content.error, GpsFileError::None);
    ASSERT_EQ(content.tracks.size(), 1u);
    const GpsTrack& track = content.tracks.front();
    ASSERT_TRUE(track.device.distanceMetres);
    // The laps' own totals; the points' running distances are not added in.
    EXPECT_DOUBLE_EQ(*track.device.distanceMetres, 849.75);
    EXPECT_EQ(track.device.startMs, kMay1 * 1000);
    EXPECT_EQ(track.device.timerSeconds, 120.0);
    EXPECT_EQ(track.device.maxSpeedKmh, 99 * 3.6);
    EXPECT_FALSE(track.device.ascentMetres);
    ASSERT_EQ(track.points.size(), 122u);
    EXPECT_TRUE(track.points[61].startsSegment);
    EXPECT_EQ(track.points[61].timeMs, (kMay1 + 61) * 1000);
    EXPECT_DOUBLE_EQ(track.points[61].elevation, 410.0);

    const GpsRideFigures figures = WorkOutRideFigures(track);
    EXPECT_TRUE(figures.distanceFromFile);
    EXPECT_DOUBLE_EQ(figures.distanceMetres, 849.75);
}

TEST(TcxReading, LapTotalsNoRideCanHaveAreNotTaken) {
    const QByteArray tcx =
        "<TrainingCenterDatabase><Activities><Activity>"
        "<Lap "
        "StartTime=\"soon\"><TotalTimeSeconds>-5</TotalTimeSeconds><DistanceMeters>1e308</DistanceMeters>"
        "<MaximumSpeed>nan</MaximumSpeed></Lap>"
        "<Lap><TotalTimeSeconds>inf</TotalTimeSeconds><DistanceMeters>1e308</DistanceMeters>"
        "<MaximumSpeed>1e308</MaximumSpeed><Track><Trackpoint><Position><LatitudeDegrees>1</LatitudeDegrees>"
        "<LongitudeDegrees>2</LongitudeDegrees></Position></Trackpoint></Track></Lap>"
        "</Activity></Activities></TrainingCenterDatabase>";
    const GpsFileContent content = ReadTcxTracks(tcx);
    ASSERT_EQ(content.tracks.size(), 1u);
    const DeviceTotals& device = content.tracks[0].device;
    EXPECT_FALSE(device.startMs || device.distanceMetres || device.timerSeconds || device.maxSpeedKmh);
}

TEST(TcxReading, TheLapsTellWhatTheDeviceMeasured) {
    // Means weighted by the laps' times; a lap without a figure counts for none.
    const QByteArray tcx =
        "<TrainingCenterDatabase><Activities><Activity><Lap StartTime=\"2024-05-01T08:00:00Z\">"
        "<TotalTimeSeconds>600</TotalTimeSeconds><Calories>100</Calories>"
        "<AverageHeartRateBpm><Value>120</Value></AverageHeartRateBpm>"
        "<MaximumHeartRateBpm><Value>150</Value></MaximumHeartRateBpm><Cadence>80</Cadence>"
        "<Extensions><LX xmlns=\"x\"><AvgWatts>200</AvgWatts><MaxWatts>500</MaxWatts></LX></Extensions></Lap>"
        "<Lap><TotalTimeSeconds>1800</TotalTimeSeconds><Calories>300</Calories>"
        "<AverageHeartRateBpm><Value>140</Value></AverageHeartRateBpm>"
        "<MaximumHeartRateBpm><Value>165</Value></MaximumHeartRateBpm><Cadence>0</Cadence>"
        "<Track><Trackpoint><Position><LatitudeDegrees>1</LatitudeDegrees><LongitudeDegrees>2</"
        "LongitudeDegrees>"
        "</Position><HeartRateBpm><Value>190</Value></HeartRateBpm><Cadence>99</Cadence></Trackpoint></Track>"
        "</Lap></Activity></Activities></TrainingCenterDatabase>";
    const GpsFileContent content = ReadTcxTracks(tcx);
    ASSERT_EQ(content.tracks.size(), 1u);
    EXPECT_EQ(content.tracks[0].device.timerSeconds, 2400.0);
    const DeviceMeasures& device = content.tracks[0].measured;
    EXPECT_EQ(device.calories, 400.0);
    EXPECT_EQ(device.averageHeartRate, 135.0);
    EXPECT_EQ(device.maxHeartRate, 165.0);
    EXPECT_EQ(device.averageCadence, 80.0);
    EXPECT_EQ(device.averagePower, 200.0);
    EXPECT_EQ(device.maxPower, 500.0);
    EXPECT_EQ(content.tracks[0].points.size(), 1u);
}

TEST(TcxReading, CoursesAndPointsWithoutPosition) {
    const QByteArray tcx =
        "<TrainingCenterDatabase><Courses><Course><Name>Lake</Name>"
        "<Lap><TotalTimeSeconds>5</TotalTimeSeconds></Lap><Track>"
        "<Trackpoint><Time>2024-05-01T08:00:00Z</Time></Trackpoint>"
        "<Trackpoint><Time>2024-05-01T08:00:01Z</Time><Position><LatitudeDegrees>1.5</LatitudeDegrees>"
        "<LongitudeDegrees>2.5</LongitudeDegrees></Position></Trackpoint>"
        "</Track></Course></Courses></TrainingCenterDatabase>";
    const GpsFileContent content = ReadTcxTracks(tcx);
    ASSERT_EQ(content.error, GpsFileError::None);
    ASSERT_EQ(content.tracks.size(), 1u);
    EXPECT_EQ(content.tracks[0].name, QStringLiteral("Lake"));
    EXPECT_FALSE(content.tracks[0].device.distanceMetres);
    ASSERT_EQ(content.tracks[0].points.size(), 1u);
    EXPECT_EQ(content.tracks[0].points[0].timeMs, (kMay1 + 1) * 1000);
}

TEST(GpsReading, PointsKeepWhatTheSensorsRead) {
    const QByteArray gpx =
        "<gpx xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v1\"><trk><trkseg>"
        "<trkpt lat=\"1\" lon=\"2\"><extensions><power>212</power><gpxtpx:TrackPointExtension>"
        "<gpxtpx:hr>141</gpxtpx:hr><gpxtpx:cad>88</gpxtpx:cad></gpxtpx:TrackPointExtension></extensions></"
        "trkpt>"
        "<trkpt lat=\"1\" lon=\"2.001\"><extensions><gpxtpx:TrackPointExtension><gpxtpx:hr>-5</gpxtpx:hr>"
        "</gpxtpx:TrackPointExtension></extensions></trkpt></trkseg></trk></gpx>";
    const QByteArray tcx =
        "<TrainingCenterDatabase><Activities><Activity><Lap><Track><Trackpoint><Position>"
        "<LatitudeDegrees>1</LatitudeDegrees><LongitudeDegrees>2</LongitudeDegrees></Position>"
        "<HeartRateBpm><Value>141</Value></HeartRateBpm><Cadence>88</Cadence>"
        "<Extensions><ns3:TPX xmlns:ns3=\"x\"><ns3:Watts>212</ns3:Watts></ns3:TPX></Extensions>"
        "</Trackpoint></Track></Lap></Activity></Activities></TrainingCenterDatabase>";
    for (const GpsFileContent& content : {ReadGpxTracks(gpx), ReadTcxTracks(tcx)}) {
        ASSERT_EQ(content.error, GpsFileError::None);
        const GpsPoint& point = content.tracks[0].points[0];
        EXPECT_TRUE(point.hasHeartRate && point.hasCadence && point.hasPower);
        EXPECT_EQ(point.heartRate, 141.0F);
        EXPECT_EQ(point.cadence, 88.0F);
        EXPECT_EQ(point.power, 212.0F);
    }
    EXPECT_FALSE(ReadGpxTracks(gpx).tracks[0].points[1].hasHeartRate);  // no sensor reads that
}

class GpsFileTest : public ProgramDirectoryTest {
protected:
    QString Write(const QString& name, const QByteArray& bytes) const {
        const QString path = m_programDir.FilePath(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
};

TEST_F(GpsFileTest, FitFilesAsAnotherProgramWritesThem) {
    Segment ride = RideNorth(52.5, 13.4, kMay1, 600, 7.0, 40.0);
    const QString gpx = Write(QStringLiteral("in.gpx"), GpxFile({ride}));
    const QString fit = m_programDir.FilePath(QStringLiteral("My ride, \"fast\" -1.FIT"));
    ASSERT_NO_FATAL_FAILURE(MakeFitFromGpx(gpx, fit));

    const GpsFileContent content = ReadGpsFile(fit);
    ASSERT_EQ(content.error, GpsFileError::None);
    ASSERT_EQ(content.tracks.size(), 1u);
    const GpsTrack& track = content.tracks.front();
    ASSERT_EQ(track.points.size(), ride.size());
    EXPECT_EQ(track.points.front().timeMs, kMay1 * 1000);
    EXPECT_EQ(track.points.back().timeMs, (kMay1 + 600) * 1000);
    // gpsbabel writes the distance it worked out on the equatorial radius.
    ASSERT_TRUE(track.device.distanceMetres);
    EXPECT_NEAR(*track.device.distanceMetres, 4200.0 * 6378137.0 / kRadius, 1.0);
    const GpsRideFigures figures = WorkOutRideFigures(track);
    EXPECT_EQ(figures.movingSeconds, 600);
    EXPECT_NEAR(figures.topSpeedKmh, 25.2, 0.1);
}

TEST_F(GpsFileTest, AFitFileThatIsNoneIsReported) {
    const QString fake = Write(QStringLiteral("fake.fit"), GpxFile({RideNorth(1, 1, kMay1, 5, 7.0)}));
    EXPECT_EQ(ReadGpsFile(fake).error, GpsFileError::NotFit);
}

TEST_F(GpsFileTest, FilesAreReadByTheirExtension) {
    const QByteArray gpx = GpxFile({RideNorth(1, 1, kMay1, 5, 7.0)});
    EXPECT_EQ(ReadGpsFile(Write(QStringLiteral("ride.GPX"), gpx)).tracks.size(), 1u);
    EXPECT_EQ(ReadGpsFile(Write(QStringLiteral("ride.tcx"), gpx)).error, GpsFileError::NotGps);
    EXPECT_EQ(ReadGpsFile(Write(QStringLiteral("ride.txt"), gpx)).error, GpsFileError::UnknownType);
    EXPECT_EQ(ReadGpsFile(m_programDir.FilePath(QStringLiteral("missing.gpx"))).error,
              GpsFileError::CannotOpen);
    // A file far larger than any ride is not read at all (made sparse, so it costs no disk).
    QFile huge(Write(QStringLiteral("huge.gpx"), gpx));
    ASSERT_TRUE(huge.resize(kMaxGpsFileBytes + 1));
    EXPECT_EQ(ReadGpsFile(huge.fileName()).error, GpsFileError::TooLarge);
    QFile hugeFit(Write(QStringLiteral("huge.fit"), QByteArray()));
    ASSERT_TRUE(hugeFit.resize(kMaxFitFileBytes + 1));
    EXPECT_EQ(ReadGpsFile(hugeFit.fileName()).error, GpsFileError::TooLarge);
    ASSERT_TRUE(QDir().mkpath(m_programDir.FilePath(QStringLiteral("folder.gpx"))));
    EXPECT_EQ(ReadGpsFile(m_programDir.FilePath(QStringLiteral("folder.gpx"))).error,
              GpsFileError::CannotOpen);
}

// ---- Figures ----------------------------------------------------------------

TEST(GpsFigures, DistanceAgreesWithAnIndependentComputation) {
    // An hour north at 7 m/s: 25.2 km along the meridian, exactly.
    const GpsRideFigures north = WorkOutRideFigures(TrackOf({RideNorth(48.0, 11.0, kMay1, 3600, 7.0)}));
    EXPECT_NEAR(north.distanceMetres, 25200.0, 0.01);
    EXPECT_FALSE(north.distanceFromFile);

    // A wandering route, summed by another formula.
    Segment wander;
    for (int i = 0; i <= 2000; ++i) {
        wander.push_back({46.0 + 0.02 * std::sin(i / 150.0) + i * 1e-5, 7.0 + 0.03 * std::cos(i / 90.0),
                          std::nullopt, kMay1 + i});
    }
    double expected = 0.0;
    for (size_t i = 1; i < wander.size(); ++i) {
        expected += VincentyMetres(wander[i - 1], wander[i]);
    }
    // The file keeps nine decimals of a degree, a tenth of a millimetre.
    EXPECT_NEAR(WorkOutRideFigures(TrackOf({wander})).distanceMetres, expected, 0.001);

    // The way between two recorded stretches is not known and not counted.
    const GpsRideFigures broken = WorkOutRideFigures(
        TrackOf({RideNorth(48.0, 11.0, kMay1, 100, 7.0), RideNorth(48.5, 11.0, kMay1 + 200, 100, 7.0)}));
    EXPECT_NEAR(broken.distanceMetres, 1400.0, 0.01);
}

TEST(GpsFigures, StandingStillIsNotRidingTime) {
    // 30 minutes riding, 10 minutes at a cafe with the GPS wandering by a few
    // decimetres, 20 minutes riding.
    Segment ride = RideNorth(48.0, 11.0, kMay1, 1800, 7.0);
    const Fix cafe = ride.back();
    for (int i = 1; i <= 600; ++i) {
        ride.push_back({cafe.latitude + (i % 3) * 2e-6, cafe.longitude, std::nullopt, *cafe.time + i});
    }
    Segment onward = RideNorth(cafe.latitude, cafe.longitude, *cafe.time + 601, 1199, 7.0);
    Append(ride, onward);
    const GpsRideFigures figures = WorkOutRideFigures(TrackOf({ride}));
    EXPECT_EQ(figures.startSeconds, kMay1);
    EXPECT_EQ(figures.endSeconds, kMay1 + 3600);
    EXPECT_NEAR(static_cast<double>(figures.movingSeconds), 3000.0, 1.0);

    // A device that pauses recording at the stop leaves a gap instead.
    Segment paused = RideNorth(48.0, 11.0, kMay1, 1800, 7.0);
    Append(paused, RideNorth(paused.back().latitude, 11.0, kMay1 + 2400, 1200, 7.0));
    EXPECT_EQ(WorkOutRideFigures(TrackOf({paused})).movingSeconds, 3000);
}

TEST(GpsFigures, OneBadFixDoesNotMakeTheTopSpeed) {
    // 8 m/s (28.8 km/h) with one fix 100 m off to the east: 360 km/h from point to point.
    Segment ride = RideNorth(48.0, 11.0, kMay1, 600, 8.0);
    ride[300].longitude +=
        100.0 / (kRadius * std::cos(48.0 * std::numbers::pi / 180.0)) * 180.0 / std::numbers::pi;
    ASSERT_GT(VincentyMetres(ride[299], ride[300]) * 3.6, 300.0);
    EXPECT_NEAR(WorkOutRideFigures(TrackOf({ride})).topSpeedKmh, 28.8, 0.05);

    // A bad first fix is passed over as well.
    Segment badStart = RideNorth(48.0, 11.0, kMay1, 60, 8.0);
    badStart[1].latitude += 0.001;
    EXPECT_NEAR(WorkOutRideFigures(TrackOf({badStart})).topSpeedKmh, 28.8, 0.05);

    // A real sprint of 15 seconds at 15 m/s counts.
    Segment sprint = RideNorth(48.0, 11.0, kMay1, 300, 8.0);
    Append(sprint, RideNorth(sprint.back().latitude, 11.0, kMay1 + 301, 15, 15.0));
    Append(sprint, RideNorth(sprint.back().latitude, 11.0, kMay1 + 317, 300, 8.0));
    EXPECT_NEAR(WorkOutRideFigures(TrackOf({sprint})).topSpeedKmh, 54.0, 0.05);

    // Fixes a minute apart: each step is already a long window.
    Segment sparse = RideNorth(48.0, 11.0, kMay1, 3600, 5.0);
    Segment everyMinute;
    for (size_t i = 0; i < sparse.size(); i += 60) {
        everyMinute.push_back(sparse[i]);
    }
    EXPECT_NEAR(WorkOutRideFigures(TrackOf({everyMinute})).topSpeedKmh, 18.0, 0.05);
}

TEST(GpsFigures, ClimbCountsRealRisesOnly) {
    // Up from 100 m to 150 m, down to 120 m and up to 160 m, with a metre of
    // altimeter noise all the way: 50 + 40 m.
    Segment ride = RideNorth(48.0, 11.0, kMay1, 900, 5.0);
    for (size_t i = 0; i < ride.size(); ++i) {
        const double t = static_cast<double>(i);
        double height = t < 300   ? 100.0 + t / 6.0
                        : t < 600 ? 150.0 - (t - 300) / 10.0
                                  : 120.0 + (t - 600) * 40.0 / 300;
        ride[i].elevation = height + ((i % 2) ? 0.5 : -0.5);
    }
    const GpsRideFigures figures = WorkOutRideFigures(TrackOf({ride}));
    ASSERT_TRUE(figures.climbMetres);
    EXPECT_NEAR(*figures.climbMetres, 90.0, 1.5);

    EXPECT_FALSE(WorkOutRideFigures(TrackOf({RideNorth(48.0, 11.0, kMay1, 60, 5.0)})).climbMetres);
}

TEST(GpsFigures, ATrackWithoutTimesHasADistanceOnly) {
    Segment ride = RideNorth(48.0, 11.0, kMay1, 100, 7.0);
    for (Fix& fix : ride) {
        fix.time.reset();
    }
    const GpsRideFigures figures = WorkOutRideFigures(TrackOf({ride}));
    EXPECT_FALSE(figures.startSeconds);
    EXPECT_NEAR(figures.distanceMetres, 700.0, 0.01);
    EXPECT_EQ(figures.movingSeconds, 0);
    EXPECT_EQ(figures.topSpeedKmh, 0.0);
}

}  // namespace
