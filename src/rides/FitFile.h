#pragma once
// FIT, the binary format of Garmin's and most other GPS computers: a header,
// then messages, each either a definition (which fields a local message type
// carries, how large and in which byte order) or data laid out by the last
// definition of its type, and a CRC-16 at the end. Several such files may
// follow one another in one file (a device that chains the parts of a
// triathlon). Only what a ride needs is decoded: records (the points),
// laps, sessions, events (the timer's stops), sports and the activity.

#include "rides/GpsTrack.h"

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

// FIT packs a point into a tenth of the bytes GPX takes, so its files are
// held to a quarter of the size: still weeks of riding at a point a second.
inline constexpr qint64 kMaxFitFileBytes = kMaxGpsFileBytes / 4;

// FIT sports, as far as this program tells them apart.
inline constexpr int kFitSportCycling = 2;
inline constexpr int kFitSportEBiking = 21;

// Riding of every kind: cycling and e-biking, whatever their sub-sport.
inline bool IsFitCyclingSport(int sport) {
    return sport == kFitSportCycling || sport == kFitSportEBiking;
}

// A session or a lap: the device's own totals for a stretch of the activity.
struct FitSummary {
    std::optional<int64_t> startMs;
    std::optional<int64_t> endMs;  // the message's timestamp, written when the stretch ended
    std::optional<int> sport;
    std::optional<int> subSport;  // the kind of the sport (road, mountain, indoor…)
    std::optional<double> elapsedSeconds;
    std::optional<double> timerSeconds;
    std::optional<double> distanceMetres;
    std::optional<double> maxSpeedMs;
    std::optional<double> ascentMetres;
    std::optional<double> descentMetres;
    std::optional<double> averageHeartRate;
    std::optional<double> maxHeartRate;
    std::optional<double> averageCadence;
    std::optional<double> averagePower;
    std::optional<double> maxPower;
    std::optional<double> calories;
    std::optional<double> averageTemperature;
};

struct FitSport {
    int sport = 0;
    std::optional<int> subSport;
};

struct FitActivity {
    std::optional<int64_t> endMs;
    std::optional<double> timerSeconds;
    std::optional<int> sessions;
};

struct FitContent {
    bool isFit = false;    // the file starts with a FIT header
    bool damaged = false;  // a checksum failed, or the file is cut short or breaks off into garbage
    // The records that carry a position, as track points in file order; the
    // first after the device's timer stopped starts a segment.
    std::vector<GpsPoint> points;
    std::optional<double> recordMetres;   // the farthest distance from the start any record gave
    std::optional<int64_t> lastRecordMs;  // the latest time of any record
    std::vector<FitSummary> sessions;
    std::vector<FitSummary> laps;
    std::vector<FitSport> sports;  // the sport messages, in file order
    std::optional<FitActivity> activity;
};

// Decodes everything up to the end or the first damage; never fails.
FitContent DecodeFitFile(const QByteArray& bytes);

// The CRC-16 FIT uses for its header and the whole file.
uint16_t FitCrc(const uint8_t* data, size_t size, uint16_t crc = 0);

// The rides in a FIT file. Each session is one track with the session's
// totals and the records of its time; of several sessions (a multisport
// activity) only the cycling ones are kept; a single one is kept whatever its
// sport, which the track names for the import to choose by. A file without
// sessions (cut short before the device wrote them) is one track of all its
// records, with the sport its sport message or first lap gives.
GpsFileContent ReadFitTracks(const QByteArray& bytes);
