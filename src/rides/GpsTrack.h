#pragma once
// Tracks as GPS computers and phones record them, from GPX, TCX and FIT files
// (the last in rides/FitFile). Each track (GPX <trk>, TCX <Activity> or
// <Course>, FIT session) becomes one ride.

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct GpsPoint {
    double latitude = 0.0;  // degrees
    double longitude = 0.0;
    double elevation = 0.0;  // metres, when hasElevation
    int64_t timeMs = 0;      // milliseconds since 1970 UTC, when hasTime
    double speedMs = 0.0;    // metres a second, when hasSpeed (the device's own figure)
    bool hasElevation = false;
    bool hasTime = false;
    bool hasSpeed = false;
    // What the sensors read at the point, when known: beats and turns a
    // minute, watts.
    bool hasHeartRate = false;
    bool hasCadence = false;
    bool hasPower = false;
    float heartRate = 0.0F;
    float cadence = 0.0F;
    float power = 0.0F;
    // The first point after the device stopped recording (a new GPX <trkseg>
    // or TCX <Track>): nothing is known of the way from the point before.
    bool startsSegment = false;
};

// What the device itself recorded for the whole track: a FIT session, or the
// sum of a TCX activity's laps. Devices measure every second, often with a
// wheel sensor, and count time only while recording, so their figures beat
// those worked out from the stored points. Each is there only when the file
// holds it; whether it is believable is for the figures to decide.
struct DeviceTotals {
    std::optional<int64_t> startMs;  // milliseconds since 1970 UTC
    std::optional<double> distanceMetres;
    std::optional<double> timerSeconds;  // recording time, without auto-pauses
    std::optional<double> maxSpeedKmh;
    std::optional<double> ascentMetres;
};

// What the device measured beside the way, kept with the ride as it is: a
// FIT session's, or the laps' of a TCX activity (means weighted by the laps'
// times). Each is there only when the file holds it.
struct DeviceMeasures {
    std::optional<double> descentMetres;
    std::optional<double> elapsedSeconds;    // from start to end, pauses included
    std::optional<double> averageHeartRate;  // beats a minute
    std::optional<double> maxHeartRate;
    std::optional<double> averageCadence;  // turns a minute
    std::optional<double> averagePower;    // watts
    std::optional<double> maxPower;
    std::optional<double> calories;            // kilocalories
    std::optional<double> averageTemperature;  // degrees Celsius
};

struct GpsTrack {
    QString name;  // the track's or activity's own name; often empty
    std::vector<GpsPoint> points;
    DeviceTotals device;
    DeviceMeasures measured;
    // What the device says the activity was, in FIT's numbers (a TCX
    // activity's Sport mapped to them); nothing when the file does not say.
    std::optional<int> sport;
    std::optional<int> subSport;
};

enum class GpsFileError {
    None,
    CannotOpen,   // the file cannot be read at all
    TooLarge,     // far larger than any day's riding
    UnknownType,  // not .gpx, .tcx or .fit
    Malformed,    // not well-formed XML (errorLine says where)
    NotGps,       // well-formed, but neither GPX nor TCX
    NoTrack,      // no track point with a position, nor a device's totals
    NotFit,       // named .fit, but without a FIT header
};

struct GpsFileContent {
    std::vector<GpsTrack> tracks;  // empty unless error is None
    GpsFileError error = GpsFileError::None;
    int errorLine = 0;    // Malformed: the line of the file where reading stopped
    int systemError = 0;  // CannotOpen: why, as the system said (errno)
    // The file is damaged or cut short after its readable start: the tracks
    // hold what came before the damage.
    bool readToDamage = false;
};

// A day's riding at a point a second is about 10 MB of GPX; a file many
// times that size is no ride, and reading it whole would only stall the program.
inline constexpr qint64 kMaxGpsFileBytes = qint64{256} * 1024 * 1024;

// The lowest time a signed 32-bit count of seconds since 1970 can hold,
// 1901-12-13T20:45:52Z: what devices write for a point whose time they do
// not know. A point at this time, or within its second, has none.
inline constexpr int64_t kGpsNoTimeMs = int64_t{-2147483648} * 1000;

enum class GpsFileType { Unknown, Gpx, Tcx, Fit };

// By the file name's extension, in any case.
GpsFileType GpsFileTypeOf(const QString& path);

// An xsd:dateTime as GPX and TCX write it: "2024-05-01T08:00:00Z", with or
// without fractions of a second, with "Z", an offset such as "+02:00", or no
// zone at all (taken as UTC, which both formats prescribe). Milliseconds since
// 1970, or nothing when the text is not such a time or is kGpsNoTimeMs.
std::optional<int64_t> ParseGpsTime(QStringView text);
// The same written in UTF-8.
std::optional<int64_t> ParseGpsTime(std::string_view text);

GpsFileContent ReadGpxTracks(const QByteArray& bytes);
GpsFileContent ReadTcxTracks(const QByteArray& bytes);

// Reads a file of any of the three kinds.
GpsFileContent ReadGpsFile(const QString& path);
// The same for a file's bytes read from elsewhere (an archive's entry), its
// type known by its name; the size limits of a file apply.
GpsFileContent ReadGpsBytes(const QByteArray& bytes, GpsFileType type);
