// The FIT decoder on files written here byte by byte: both byte orders,
// compressed timestamps, developer fields, fields of odd sizes, invalid
// values, chained files, multisport sessions, and damage of every kind;
// then real files mutated at random, which must never crash or hang it.

#include "rides/FitFile.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <cmath>
#include <random>

namespace {

constexpr uint32_t kFitMay1 = 1714550400 - 631065600;  // 2024-05-01 08:00:00 UTC in FIT seconds
constexpr int64_t kMay1Ms = int64_t{1714550400} * 1000;

struct Field {
    uint8_t number;
    uint8_t size;
    uint8_t baseType;
};

constexpr Field kTime{253, 4, 0x86};
constexpr Field kLat{0, 4, 0x85};
constexpr Field kLon{1, 4, 0x85};

int32_t Semicircles(double degrees) {
    return static_cast<int32_t>(std::lround(degrees / 180.0 * 2147483648.0));
}

// Writes FIT messages as a device would; File() puts header and CRC around them.
class FitWriter {
public:
    void Define(int local, uint16_t message, std::vector<Field> fields, bool bigEndian = false,
                std::vector<uint8_t> developerSizes = {}) {
        m_data += static_cast<char>(0x40 | (developerSizes.empty() ? 0 : 0x20) | local);
        m_data += '\0';
        m_data += static_cast<char>(bigEndian ? 1 : 0);
        Put(message, 2, bigEndian);
        m_data += static_cast<char>(fields.size());
        for (const Field& field : fields) {
            m_data += static_cast<char>(field.number);
            m_data += static_cast<char>(field.size);
            m_data += static_cast<char>(field.baseType);
        }
        if (!developerSizes.empty()) {
            m_data += static_cast<char>(developerSizes.size());
            for (uint8_t size : developerSizes) {
                m_data += QByteArray("\x01", 1) + static_cast<char>(size) + '\0';
            }
        }
        m_locals[local] = {fields, bigEndian, developerSizes};
    }
    // Values in the order of the definition; developer fields get filler.
    void Data(int local, const std::vector<int64_t>& values, int compressedSeconds = -1) {
        m_data += static_cast<char>(compressedSeconds >= 0 ? 0x80 | (local << 5) | compressedSeconds : local);
        const Local& definition = m_locals[local];
        for (size_t i = 0; i < values.size(); ++i) {
            Put(static_cast<uint64_t>(values[i]), definition.fields[i].size, definition.bigEndian);
        }
        for (uint8_t size : definition.developerSizes) {
            m_data += QByteArray(size, '\x5A');
        }
    }
    QByteArray File() const {
        QByteArray file(14, '\0');
        file[0] = 14;
        file[1] = 0x20;
        file[2] = static_cast<char>(0x08);
        file[3] = static_cast<char>(0x08);
        const auto size = static_cast<uint32_t>(m_data.size());
        for (int i = 0; i < 4; ++i) {
            file[4 + i] = static_cast<char>(size >> (8 * i));
        }
        file.replace(8, 4, ".FIT");
        const uint16_t headerCrc = FitCrc(reinterpret_cast<const uint8_t*>(file.constData()), 12);
        file[12] = static_cast<char>(headerCrc & 0xFF);
        file[13] = static_cast<char>(headerCrc >> 8);
        file += m_data;
        const uint16_t crc = FitCrc(reinterpret_cast<const uint8_t*>(file.constData()), file.size());
        file += static_cast<char>(crc & 0xFF);
        file += static_cast<char>(crc >> 8);
        return file;
    }

private:
    struct Local {
        std::vector<Field> fields;
        bool bigEndian = false;
        std::vector<uint8_t> developerSizes;
    };
    void Put(uint64_t value, int size, bool bigEndian) {
        for (int i = 0; i < size; ++i) {
            const int shift = 8 * (bigEndian ? size - 1 - i : i);
            m_data += static_cast<char>(shift < 64 ? (value >> shift) & 0xFF : 0);
        }
    }
    QByteArray m_data;
    Local m_locals[16];
};

// A short ride: records a second apart heading north, then its session.
QByteArray Ride(uint32_t start, int seconds, int sport = 2, bool bigEndian = false) {
    FitWriter fit;
    fit.Define(0, 20, {kTime, kLat, kLon, {2, 2, 0x84}, {6, 2, 0x84}}, bigEndian, {3});
    for (int i = 0; i < seconds; ++i) {
        fit.Data(0, {start + i, Semicircles(47.0 + i * 1e-4), Semicircles(8.0), (420 + 500) * 5, 5500});
    }
    fit.Define(1, 18,
               {kTime,
                {2, 4, 0x86},
                {5, 1, 0x00},
                {7, 4, 0x86},
                {8, 4, 0x86},
                {9, 4, 0x86},
                {15, 2, 0x84},
                {22, 2, 0x84},
                {23, 2, 0x84},
                {11, 2, 0x84},
                {16, 1, 0x02},
                {17, 1, 0x02},
                {18, 1, 0x02},
                {20, 2, 0x84},
                {21, 2, 0x84},
                {57, 1, 0x01}},
               bigEndian);
    fit.Data(1, {start + seconds, start, sport, seconds * 1000, (seconds - 1) * 1000, seconds * 550, 9000, 12,
                 15, 31, 142, 171, 88, 215, 640, 0xFF});
    return fit.File();
}

TEST(FitFile, ReadsRecordsAndTheSessionsTotalsInBothByteOrders) {
    for (const bool bigEndian : {false, true}) {
        const GpsFileContent content = ReadFitTracks(Ride(kFitMay1, 30, 1, bigEndian));
        ASSERT_EQ(content.error, GpsFileError::None);
        EXPECT_FALSE(content.readToDamage);
        ASSERT_EQ(content.tracks.size(), 1u);  // a single session, whatever its sport
        const GpsTrack& track = content.tracks.front();
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
