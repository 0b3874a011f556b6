#include "rides/GpsTrack.h"

#include "rides/FitFile.h"
#include "rides/XmlPullReader.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>

namespace {

// A character of a time's text, read as UTF-16 or as UTF-8 bytes.
char16_t Unit(QChar c) {
    return c.unicode();
}
char16_t Unit(char c) {
    return static_cast<unsigned char>(c);
}

template <typename View>
bool ReadDigits(View text, qsizetype position, int count, int* value) {
    if (position + count > text.size()) {
        return false;
    }
    int result = 0;
    for (qsizetype i = position; i < position + count; ++i) {
        const char16_t c = Unit(text[i]);
        if (c < u'0' || c > u'9') {
            return false;
        }
        result = result * 10 + (c - u'0');
    }
    *value = result;
    return true;
}

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// A decimal number as XML Schema writes it, blanks around it allowed.
std::optional<double> ParseNumber(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const char* end = text.data() + text.size();
    const std::from_chars_result read = std::from_chars(text.data(), end, value);
    if (read.ec != std::errc() || read.ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool IsPosition(double latitude, double longitude) {
    return latitude >= -90.0 && latitude <= 90.0 && longitude >= -180.0 && longitude <= 180.0;
}

// The number in the element's <Value> child (TCX heart rates), reading to
// the element's end.
std::optional<double> ValueChild(XmlPullReader& xml) {
    std::optional<double> value;
    while (xml.ReadNextStartElement()) {
        if (xml.Name() == "Value") {
            value = ParseNumber(xml.ElementText());
        } else {
            xml.SkipCurrentElement();
        }
    }
    return value;
}

// Walks the elements inside the one the reader stands on, at any depth, to
// its end tag: each start tag goes to take, which reads the element it
// wants (and is left on its end tag) and returns false for the others,
// whose children are walked in turn.
template <typename Take>
void ReadNestedElements(XmlPullReader& xml, Take take) {
    int nesting = 0;
    while (!xml.AtEnd()) {
        const XmlPullReader::Token token = xml.ReadNext();
        if (token == XmlPullReader::Token::EndElement) {
            if (nesting == 0) {
                return;
            }
            --nesting;
        } else if (token == XmlPullReader::Token::StartElement && !take(xml.Name())) {
            ++nesting;
        }
    }
}

// The lap's power from its extensions (Garmin's <LX>: <AvgWatts>,
// <MaxWatts>), reading to the element's end.
void ReadLapExtensions(XmlPullReader& xml, std::optional<double>& average, std::optional<double>& maximum) {
    ReadNestedElements(xml, [&](std::string_view name) {
        const bool isAverage = name == "AvgWatts";
        if (!isAverage && name != "MaxWatts") {
            return false;
        }
        (isAverage ? average : maximum) = ParseNumber(xml.ElementText());
        return true;
    });
}

// A mean over laps, each counting with its time.
struct LapMean {
    double sum = 0.0;
    double weight = 0.0;
    void Add(std::optional<double> value, double seconds) {
        if (value && std::isfinite(*value) && *value > 0.0) {
            const double w = seconds > 0.0 && std::isfinite(seconds) ? seconds : 1.0;
            sum += *value * w;
            weight += w;
        }
    }
    std::optional<double> Mean() const {
        return weight > 0.0 ? std::optional<double>(sum / weight) : std::nullopt;
    }
};

// A sensor's reading kept with its point: none for what no sensor reads.
void TakeSensor(std::optional<double> value, double most, float* reading, bool* known) {
    if (value && *value >= 0.0 && *value <= most) {
        *reading = static_cast<float>(*value);
        *known = true;
    }
}

// Heart rate, cadence and power from a point's extensions, as Garmin's
// TrackPointExtension (gpxtpx:hr, gpxtpx:cad), its TCX ActivityExtension
// (ns3:Watts, ns3:RunCadence) and the common <power> write them; reading to
// the element's end.
void ReadPointExtensions(XmlPullReader& xml, GpsPoint& point) {
    ReadNestedElements(xml, [&](std::string_view name) {
        if (name == "hr") {
            TakeSensor(ParseNumber(xml.ElementText()), 300.0, &point.heartRate, &point.hasHeartRate);
        } else if (name == "cad" || name == "RunCadence") {
            TakeSensor(ParseNumber(xml.ElementText()), 300.0, &point.cadence, &point.hasCadence);
        } else if (name == "Watts" || name == "power") {
            TakeSensor(ParseNumber(xml.ElementText()), 5000.0, &point.power, &point.hasPower);
        } else {
            return false;
        }
        return true;
    });
}

// A point read into its track, the first of a segment when one just began.
void KeepPoint(std::optional<GpsPoint> point, bool* segmentStarts, GpsTrack* track) {
    if (point) {
        point->startsSegment = *segmentStarts;
        *segmentStarts = false;
        track->points.push_back(*point);
    }
}

// Drops tracks without a single usable point and says why nothing is left.
GpsFileContent Finish(XmlPullReader& xml, std::vector<GpsTrack> tracks, bool rootSeen) {
    GpsFileContent content;
    if (xml.HasError()) {
        content.error = GpsFileError::Malformed;
        content.errorLine = static_cast<int>(xml.ErrorLine());
        return content;
    }
    if (!rootSeen) {
        content.error = GpsFileError::NotGps;
        return content;
    }
    for (GpsTrack& track : tracks) {
        if (!track.points.empty()) {
            track.points.front().startsSegment = true;
            content.tracks.push_back(std::move(track));
        }
    }
    if (content.tracks.empty()) {
        content.error = GpsFileError::NoTrack;
    }
    return content;
}

// <trkpt lat=".." lon=".."><ele>..</ele><time>..</time>...</trkpt>; the
// reader stands on the start tag and is left on the end tag.
std::optional<GpsPoint> ReadGpxPoint(XmlPullReader& xml) {
    const std::optional<double> latitude = ParseNumber(xml.Attribute("lat").value_or(std::string_view()));
    const std::optional<double> longitude = ParseNumber(xml.Attribute("lon").value_or(std::string_view()));
    GpsPoint point;
    while (xml.ReadNextStartElement()) {
        const std::string_view name = xml.Name();
        if (name == "ele") {
            if (const std::optional<double> elevation = ParseNumber(xml.ElementText())) {
                point.elevation = *elevation;
                point.hasElevation = true;
            }
        } else if (name == "time") {
            if (const std::optional<int64_t> time = ParseGpsTime(xml.ElementText())) {
                point.timeMs = *time;
                point.hasTime = true;
            }
        } else if (name == "extensions") {
            ReadPointExtensions(xml, point);
        } else {
            xml.SkipCurrentElement();
        }
    }
    if (!latitude || !longitude || !IsPosition(*latitude, *longitude)) {
        return std::nullopt;
    }
    point.latitude = *latitude;
    point.longitude = *longitude;
    return point;
}

// <Trackpoint><Time/><Position><LatitudeDegrees/><LongitudeDegrees/></Position>
// <AltitudeMeters/>...</Trackpoint>. Points without a position (the device
// lost its fix, or rode indoors) carry nothing a track can use.
std::optional<GpsPoint> ReadTcxPoint(XmlPullReader& xml) {
    GpsPoint point;
    std::optional<double> latitude;
    std::optional<double> longitude;
    while (xml.ReadNextStartElement()) {
        const std::string_view name = xml.Name();
        if (name == "Time") {
            if (const std::optional<int64_t> time = ParseGpsTime(xml.ElementText())) {
                point.timeMs = *time;
                point.hasTime = true;
            }
        } else if (name == "Position") {
            while (xml.ReadNextStartElement()) {
                if (xml.Name() == "LatitudeDegrees") {
                    latitude = ParseNumber(xml.ElementText());
                } else if (xml.Name() == "LongitudeDegrees") {
                    longitude = ParseNumber(xml.ElementText());
                } else {
                    xml.SkipCurrentElement();
                }
            }
        } else if (name == "AltitudeMeters") {
            if (const std::optional<double> elevation = ParseNumber(xml.ElementText())) {
                point.elevation = *elevation;
                point.hasElevation = true;
            }
        } else if (name == "HeartRateBpm") {
            TakeSensor(ValueChild(xml), 300.0, &point.heartRate, &point.hasHeartRate);
        } else if (name == "Cadence") {
            TakeSensor(ParseNumber(xml.ElementText()), 300.0, &point.cadence, &point.hasCadence);
        } else if (name == "Extensions") {
            ReadPointExtensions(xml, point);
        } else {
            xml.SkipCurrentElement();
        }
    }
    if (!latitude || !longitude || !IsPosition(*latitude, *longitude)) {
        return std::nullopt;
    }
    point.latitude = *latitude;
    point.longitude = *longitude;
    return point;
}

}  // namespace

GpsFileType GpsFileTypeOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == "gpx") {
        return GpsFileType::Gpx;
    }
    if (suffix == "tcx") {
        return GpsFileType::Tcx;
    }
    if (suffix == "fit") {
        return GpsFileType::Fit;
    }
    return GpsFileType::Unknown;
}

namespace {

template <typename View>
std::optional<int64_t> ParseTimeOf(View text) {
    text = text.trimmed();
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (!ReadDigits(text, 0, 4, &year) || text.size() < 19 || text[4] != u'-' ||
        !ReadDigits(text, 5, 2, &month) || text[7] != u'-' || !ReadDigits(text, 8, 2, &day) ||
        (text[10] != u'T' && text[10] != u't' && text[10] != u' ') || !ReadDigits(text, 11, 2, &hour) ||
        text[13] != u':' || !ReadDigits(text, 14, 2, &minute) || text[16] != u':' ||
        !ReadDigits(text, 17, 2, &second)) {
        return std::nullopt;
    }
    // 24:00:00 is the end of a day; 60 seconds a leap second.
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 24 || minute > 59 ||
        second > 60 || (hour == 24 && (minute != 0 || second != 0))) {
        return std::nullopt;
    }
    qsizetype position = 19;
    int milliseconds = 0;
    if (position < text.size() && (text[position] == u'.' || text[position] == u',')) {
        ++position;
        int scale = 100;
        const qsizetype first = position;
        while (position < text.size() && Unit(text[position]) >= u'0' && Unit(text[position]) <= u'9') {
            milliseconds += scale * (Unit(text[position]) - u'0');
            scale /= 10;
            ++position;
        }
        if (position == first) {
            return std::nullopt;
        }
    }
    int offsetMinutes = 0;
    if (position < text.size()) {
        const char16_t zone = Unit(text[position]);
        if ((zone == u'Z' || zone == u'z') && position + 1 == text.size()) {
            ++position;
        } else if (zone == u'+' || zone == u'-') {
            int offsetHours = 0;
            int offsetRest = 0;
            if (!ReadDigits(text, position + 1, 2, &offsetHours)) {
                return std::nullopt;
            }
            qsizetype end = position + 3;
            if (end < text.size() && text[end] == u':') {
                ++end;
            }
            if (end < text.size()) {
                if (!ReadDigits(text, end, 2, &offsetRest)) {
                    return std::nullopt;
                }
                end += 2;
            }
            if (end != text.size() || offsetHours > 23 || offsetRest > 59) {
                return std::nullopt;
            }
            offsetMinutes = (offsetHours * 60 + offsetRest) * (zone == u'-' ? -1 : 1);
            position = end;
        } else {
            return std::nullopt;
        }
    }
    const int64_t seconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second -
                            static_cast<int64_t>(offsetMinutes) * 60;
    const int64_t ms = seconds * 1000 + milliseconds;
    // Within that second: some loggers add fractions to it ("...:52.2073437Z").
    if (ms >= kGpsNoTimeMs && ms < kGpsNoTimeMs + 1000) {
        return std::nullopt;
    }
    return ms;
}

}  // namespace

std::optional<int64_t> ParseGpsTime(QStringView text) {
    return ParseTimeOf(text);
}

std::optional<int64_t> ParseGpsTime(std::string_view text) {
    return ParseTimeOf(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
}

GpsFileContent ReadGpxTracks(const QByteArray& bytes) {
    XmlPullReader xml(bytes);
    std::vector<GpsTrack> tracks;
    bool rootSeen = false;
    // Depth of the element the reader stands in, and of the open <trk>.
    int depth = 0;
    int trackDepth = -1;
    bool segmentStarts = false;
    while (!xml.AtEnd()) {
        const XmlPullReader::Token token = xml.ReadNext();
        if (token == XmlPullReader::Token::EndElement) {
            if (depth == trackDepth) {
                trackDepth = -1;
            }
            --depth;
            continue;
        }
        if (token != XmlPullReader::Token::StartElement) {
            continue;
        }
        ++depth;
        const std::string_view name = xml.Name();
        if (!rootSeen) {
            if (name != "gpx") {
                break;
            }
            rootSeen = true;
        } else if (name == "trk") {
            tracks.emplace_back();
            trackDepth = depth;
            segmentStarts = true;
        } else if (trackDepth < 0) {
            // Waypoints, routes and metadata are not rides.
            xml.SkipCurrentElement();
            --depth;
        } else if (name == "name" && depth == trackDepth + 1) {
            tracks.back().name = QString::fromUtf8(xml.ElementText()).trimmed();
            --depth;
        } else if (name == "trkseg") {
            segmentStarts = true;
        } else if (name == "trkpt") {
            KeepPoint(ReadGpxPoint(xml), &segmentStarts, &tracks.back());
            --depth;
        } else {
            xml.SkipCurrentElement();
            --depth;
        }
    }
    return Finish(xml, std::move(tracks), rootSeen);
}

GpsFileContent ReadTcxTracks(const QByteArray& bytes) {
    XmlPullReader xml(bytes);
    std::vector<GpsTrack> tracks;
    bool rootSeen = false;
    int depth = 0;
    int trackDepth = -1;  // the open <Activity> or <Course>
    int lapDepth = -1;
    // The laps' totals of the open activity; a value that is no number or
    // below zero is no total.
    DeviceTotals laps;
    DeviceMeasures lapMeasures;
    LapMean heartRate;
    LapMean cadence;
    LapMean power;
    double lapSeconds = 0.0;  // of the open lap, once read
    bool segmentStarts = false;
    auto keepLargest = [](std::optional<double>& largest, std::optional<double> value) {
        if (value && std::isfinite(*value) && *value > 0.0) {
            largest = std::max(largest.value_or(0.0), *value);
        }
    };
    auto closeTrack = [&] {
        DeviceMeasures& measured = tracks.back().measured;
        measured = lapMeasures;
        measured.averageHeartRate = heartRate.Mean();
        measured.averageCadence = cadence.Mean();
        measured.averagePower = power.Mean();
        DeviceTotals& device = tracks.back().device;
        device.startMs = laps.startMs;
        if (laps.distanceMetres && *laps.distanceMetres > 0.0 && std::isfinite(*laps.distanceMetres)) {
            device.distanceMetres = laps.distanceMetres;
        }
        if (laps.timerSeconds && *laps.timerSeconds > 0.0 && std::isfinite(*laps.timerSeconds)) {
            device.timerSeconds = laps.timerSeconds;
        }
        if (laps.maxSpeedKmh && *laps.maxSpeedKmh > 0.0) {
            device.maxSpeedKmh = laps.maxSpeedKmh;
        }
        trackDepth = -1;
    };
    while (!xml.AtEnd()) {
        const XmlPullReader::Token token = xml.ReadNext();
        if (token == XmlPullReader::Token::EndElement) {
            if (depth == lapDepth) {
                lapDepth = -1;
            }
            if (depth == trackDepth) {
                closeTrack();
            }
            --depth;
            continue;
        }
        if (token != XmlPullReader::Token::StartElement) {
            continue;
        }
        ++depth;
        const std::string_view name = xml.Name();
        if (!rootSeen) {
            if (name != "TrainingCenterDatabase") {
                break;
            }
            rootSeen = true;
        } else if (name == "Activity" || name == "Course") {
            tracks.emplace_back();
            // FIT's numbers for TCX's three sports: generic, running, cycling.
            const std::string_view sport = xml.Attribute("Sport").value_or(std::string_view());
            if (sport == "Biking") {
                tracks.back().sport = kFitSportCycling;
            } else if (sport == "Running") {
                tracks.back().sport = 1;
            } else if (sport == "Other") {
                tracks.back().sport = 0;
            }
            trackDepth = depth;
            laps = DeviceTotals();
            lapMeasures = DeviceMeasures();
            heartRate = {};
            cadence = {};
            power = {};
            segmentStarts = true;
        } else if (trackDepth < 0) {
            if (name != "Activities" && name != "Courses") {
                xml.SkipCurrentElement();
                --depth;
            }
        } else if (name == "Name" && depth == trackDepth + 1) {
            tracks.back().name = QString::fromUtf8(xml.ElementText()).trimmed();
            --depth;
        } else if (name == "Lap") {
            lapDepth = depth;
            lapSeconds = 0.0;
            if (!laps.startMs) {
                laps.startMs = ParseGpsTime(xml.Attribute("StartTime").value_or(std::string_view()));
            }
        } else if (depth == lapDepth + 1 &&
                   (name == "DistanceMeters" || name == "TotalTimeSeconds" || name == "MaximumSpeed")) {
            // The lap's own totals; track points carry running distances of the same name.
            // The name is read before the text, which moves the reader on.
            const bool distance = name == "DistanceMeters";
            const bool timer = name == "TotalTimeSeconds";
            if (const std::optional<double> value = ParseNumber(xml.ElementText()); value && *value >= 0.0) {
                if (distance) {
                    laps.distanceMetres = laps.distanceMetres.value_or(0.0) + *value;
                } else if (timer) {
                    laps.timerSeconds = laps.timerSeconds.value_or(0.0) + *value;
                    lapSeconds = *value;
                } else if (std::isfinite(*value * 3.6)) {
                    laps.maxSpeedKmh = std::max(laps.maxSpeedKmh.value_or(0.0), *value * 3.6);
                }
            }
            --depth;
        } else if (depth == lapDepth + 1 && name == "Calories") {
            if (const std::optional<double> value = ParseNumber(xml.ElementText());
                value && std::isfinite(*value) && *value > 0.0) {
                lapMeasures.calories = lapMeasures.calories.value_or(0.0) + *value;
            }
            --depth;
        } else if (depth == lapDepth + 1 && name == "AverageHeartRateBpm") {
            heartRate.Add(ValueChild(xml), lapSeconds);
            --depth;
        } else if (depth == lapDepth + 1 && name == "MaximumHeartRateBpm") {
            keepLargest(lapMeasures.maxHeartRate, ValueChild(xml));
            --depth;
        } else if (depth == lapDepth + 1 && name == "Cadence") {
            cadence.Add(ParseNumber(xml.ElementText()), lapSeconds);
            --depth;
        } else if (depth == lapDepth + 1 && name == "Extensions") {
            std::optional<double> average;
            std::optional<double> maximum;
            ReadLapExtensions(xml, average, maximum);
            power.Add(average, lapSeconds);
            keepLargest(lapMeasures.maxPower, maximum);
            --depth;
        } else if (name == "Track") {
            segmentStarts = true;
        } else if (name == "Trackpoint") {
            KeepPoint(ReadTcxPoint(xml), &segmentStarts, &tracks.back());
            --depth;
        } else {
            xml.SkipCurrentElement();
            --depth;
        }
    }
    return Finish(xml, std::move(tracks), rootSeen);
}

GpsFileContent ReadGpsFile(const QString& path) {
    GpsFileContent failed;
    const GpsFileType type = GpsFileTypeOf(path);
    if (type == GpsFileType::Unknown) {
        failed.error = GpsFileError::UnknownType;
        return failed;
    }
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        failed.error = GpsFileError::CannotOpen;
        failed.systemError = info.isDir() ? EISDIR : errno;
        return failed;
    }
    if (info.size() > (type == GpsFileType::Fit ? kMaxFitFileBytes : kMaxGpsFileBytes)) {
        failed.error = GpsFileError::TooLarge;
        return failed;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        failed.error = GpsFileError::CannotOpen;
        return failed;
    }
    return ReadGpsBytes(bytes, type);
}

GpsFileContent ReadGpsBytes(const QByteArray& bytes, GpsFileType type) {
    GpsFileContent failed;
    if (type == GpsFileType::Unknown) {
        failed.error = GpsFileError::UnknownType;
        return failed;
    }
    if (bytes.size() > (type == GpsFileType::Fit ? kMaxFitFileBytes : kMaxGpsFileBytes)) {
        failed.error = GpsFileError::TooLarge;
        return failed;
    }
    switch (type) {
        case GpsFileType::Gpx:
            return ReadGpxTracks(bytes);
        case GpsFileType::Tcx:
            return ReadTcxTracks(bytes);
        default:
            return ReadFitTracks(bytes);
    }
}
