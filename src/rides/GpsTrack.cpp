#include "rides/GpsTrack.h"

#include "rides/FitFile.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <algorithm>
#include <cerrno>
#include <cmath>

namespace {

bool ReadDigits(QStringView text, qsizetype position, int count, int* value) {
    if (position + count > text.size()) {
        return false;
    }
    int result = 0;
    for (qsizetype i = position; i < position + count; ++i) {
        const char16_t c = text[i].unicode();
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

std::optional<double> ParseNumber(QStringView text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

bool IsPosition(double latitude, double longitude) {
    return latitude >= -90.0 && latitude <= 90.0 && longitude >= -180.0 && longitude <= 180.0;
}

// The text of a simple element; reading stops at its end tag.
QString ElementText(QXmlStreamReader& xml) {
    return xml.readElementText(QXmlStreamReader::SkipChildElements);
}

// The number in the element's <Value> child (TCX heart rates), reading to
// the element's end.
std::optional<double> ValueChild(QXmlStreamReader& xml) {
    std::optional<double> value;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"Value") {
            value = ParseNumber(ElementText(xml));
        } else {
            xml.skipCurrentElement();
        }
    }
    return value;
}

// Walks the elements inside the one the reader stands on, at any depth, to
// its end tag: each start tag goes to take, which reads the element it
// wants (and is left on its end tag) and returns false for the others,
// whose children are walked in turn.
template <typename Take>
void ReadNestedElements(QXmlStreamReader& xml, Take take) {
    int nesting = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (nesting == 0) {
                return;
            }
            --nesting;
        } else if (token == QXmlStreamReader::StartElement && !take(xml.name())) {
            ++nesting;
        }
    }
}

// The lap's power from its extensions (Garmin's <LX>: <AvgWatts>,
// <MaxWatts>), reading to the element's end.
void ReadLapExtensions(QXmlStreamReader& xml, std::optional<double>& average,
                       std::optional<double>& maximum) {
    ReadNestedElements(xml, [&](QStringView name) {
        const bool isAverage = name == u"AvgWatts";
        if (!isAverage && name != u"MaxWatts") {
            return false;
        }
        (isAverage ? average : maximum) = ParseNumber(ElementText(xml));
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
void ReadPointExtensions(QXmlStreamReader& xml, GpsPoint& point) {
    ReadNestedElements(xml, [&](QStringView name) {
        if (name == u"hr") {
            TakeSensor(ParseNumber(ElementText(xml)), 300.0, &point.heartRate, &point.hasHeartRate);
        } else if (name == u"cad" || name == u"RunCadence") {
            TakeSensor(ParseNumber(ElementText(xml)), 300.0, &point.cadence, &point.hasCadence);
        } else if (name == u"Watts" || name == u"power") {
            TakeSensor(ParseNumber(ElementText(xml)), 5000.0, &point.power, &point.hasPower);
        } else {
            return false;
        }
        return true;
    });
}

// Drops tracks without a single usable point and says why nothing is left.
GpsFileContent Finish(QXmlStreamReader& xml, std::vector<GpsTrack> tracks, bool rootSeen) {
    GpsFileContent content;
    if (xml.hasError()) {
        content.error = GpsFileError::Malformed;
        content.errorLine = static_cast<int>(xml.lineNumber());
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
std::optional<GpsPoint> ReadGpxPoint(QXmlStreamReader& xml) {
    const QXmlStreamAttributes attributes = xml.attributes();
    const std::optional<double> latitude = ParseNumber(attributes.value(QLatin1String("lat")));
    const std::optional<double> longitude = ParseNumber(attributes.value(QLatin1String("lon")));
    GpsPoint point;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"ele") {
            if (const std::optional<double> elevation = ParseNumber(ElementText(xml))) {
                point.elevation = *elevation;
                point.hasElevation = true;
            }
        } else if (name == u"time") {
            if (const std::optional<int64_t> time = ParseGpsTime(ElementText(xml))) {
                point.timeMs = *time;
                point.hasTime = true;
            }
        } else if (name == u"extensions") {
            ReadPointExtensions(xml, point);
        } else {
            xml.skipCurrentElement();
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
std::optional<GpsPoint> ReadTcxPoint(QXmlStreamReader& xml) {
    GpsPoint point;
    std::optional<double> latitude;
    std::optional<double> longitude;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"Time") {
            if (const std::optional<int64_t> time = ParseGpsTime(ElementText(xml))) {
                point.timeMs = *time;
                point.hasTime = true;
            }
        } else if (name == u"Position") {
            while (xml.readNextStartElement()) {
                if (xml.name() == u"LatitudeDegrees") {
                    latitude = ParseNumber(ElementText(xml));
                } else if (xml.name() == u"LongitudeDegrees") {
                    longitude = ParseNumber(ElementText(xml));
                } else {
                    xml.skipCurrentElement();
                }
            }
        } else if (name == u"AltitudeMeters") {
            if (const std::optional<double> elevation = ParseNumber(ElementText(xml))) {
                point.elevation = *elevation;
                point.hasElevation = true;
            }
        } else if (name == u"HeartRateBpm") {
            TakeSensor(ValueChild(xml), 300.0, &point.heartRate, &point.hasHeartRate);
        } else if (name == u"Cadence") {
            TakeSensor(ParseNumber(ElementText(xml)), 300.0, &point.cadence, &point.hasCadence);
        } else if (name == u"Extensions") {
            ReadPointExtensions(xml, point);
        } else {
            xml.skipCurrentElement();
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
    if (suffix == u"gpx") {
        return GpsFileType::Gpx;
    }
    if (suffix == u"tcx") {
        return GpsFileType::Tcx;
    }
    if (suffix == u"fit") {
        return GpsFileType::Fit;
    }
    return GpsFileType::Unknown;
}

std::optional<int64_t> ParseGpsTime(QStringView text) {
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
        while (position < text.size() && text[position].isDigit()) {
            milliseconds += scale * (text[position].unicode() - u'0');
            scale /= 10;
            ++position;
        }
        if (position == first) {
            return std::nullopt;
        }
    }
    int offsetMinutes = 0;
    if (position < text.size()) {
        const QChar zone = text[position];
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

GpsFileContent ReadGpxTracks(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    std::vector<GpsTrack> tracks;
    bool rootSeen = false;
    // Depth of the element the reader stands in, and of the open <trk>.
    int depth = 0;
    int trackDepth = -1;
    bool segmentStarts = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (depth == trackDepth) {
                trackDepth = -1;
            }
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        ++depth;
        const QStringView name = xml.name();
        if (!rootSeen) {
            if (name != u"gpx") {
                break;
            }
            rootSeen = true;
        } else if (name == u"trk") {
            tracks.emplace_back();
            trackDepth = depth;
            segmentStarts = true;
        } else if (trackDepth < 0) {
            // Waypoints, routes and metadata are not rides.
            xml.skipCurrentElement();
            --depth;
        } else if (name == u"name" && depth == trackDepth + 1) {
            tracks.back().name = ElementText(xml).trimmed();
            --depth;
        } else if (name == u"trkseg") {
            segmentStarts = true;
        } else if (name == u"trkpt") {
            if (std::optional<GpsPoint> point = ReadGpxPoint(xml)) {
                point->startsSegment = segmentStarts;
                segmentStarts = false;
                tracks.back().points.push_back(*point);
            }
            --depth;
        } else {
            xml.skipCurrentElement();
            --depth;
        }
    }
    return Finish(xml, std::move(tracks), rootSeen);
}

GpsFileContent ReadTcxTracks(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
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
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (depth == lapDepth) {
                lapDepth = -1;
            }
            if (depth == trackDepth) {
                closeTrack();
            }
            --depth;
            continue;
        }
        if (token != QXmlStreamReader::StartElement) {
            continue;
        }
        ++depth;
        const QStringView name = xml.name();
        if (!rootSeen) {
            if (name != u"TrainingCenterDatabase") {
                break;
            }
            rootSeen = true;
        } else if (name == u"Activity" || name == u"Course") {
            tracks.emplace_back();
            trackDepth = depth;
            laps = DeviceTotals();
            lapMeasures = DeviceMeasures();
            heartRate = {};
            cadence = {};
            power = {};
            segmentStarts = true;
        } else if (trackDepth < 0) {
            if (name != u"Activities" && name != u"Courses") {
                xml.skipCurrentElement();
                --depth;
            }
        } else if (name == u"Name" && depth == trackDepth + 1) {
            tracks.back().name = ElementText(xml).trimmed();
            --depth;
        } else if (name == u"Lap") {
            lapDepth = depth;
            lapSeconds = 0.0;
            if (!laps.startMs) {
                laps.startMs = ParseGpsTime(xml.attributes().value(QLatin1String("StartTime")));
            }
        } else if (depth == lapDepth + 1 &&
                   (name == u"DistanceMeters" || name == u"TotalTimeSeconds" || name == u"MaximumSpeed")) {
            // The lap's own totals; track points carry running distances of the same name.
            // The name is read before the text, which moves the reader on.
            const bool distance = name == u"DistanceMeters";
            const bool timer = name == u"TotalTimeSeconds";
            if (const std::optional<double> value = ParseNumber(ElementText(xml)); value && *value >= 0.0) {
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
        } else if (depth == lapDepth + 1 && name == u"Calories") {
            if (const std::optional<double> value = ParseNumber(ElementText(xml));
                value && std::isfinite(*value) && *value > 0.0) {
                lapMeasures.calories = lapMeasures.calories.value_or(0.0) + *value;
            }
            --depth;
        } else if (depth == lapDepth + 1 && name == u"AverageHeartRateBpm") {
            heartRate.Add(ValueChild(xml), lapSeconds);
            --depth;
        } else if (depth == lapDepth + 1 && name == u"MaximumHeartRateBpm") {
            keepLargest(lapMeasures.maxHeartRate, ValueChild(xml));
            --depth;
        } else if (depth == lapDepth + 1 && name == u"Cadence") {
            cadence.Add(ParseNumber(ElementText(xml)), lapSeconds);
            --depth;
        } else if (depth == lapDepth + 1 && name == u"Extensions") {
            std::optional<double> average;
            std::optional<double> maximum;
            ReadLapExtensions(xml, average, maximum);
            power.Add(average, lapSeconds);
            keepLargest(lapMeasures.maxPower, maximum);
            --depth;
        } else if (name == u"Track") {
            segmentStarts = true;
        } else if (name == u"Trackpoint") {
            if (std::optional<GpsPoint> point = ReadTcxPoint(xml)) {
                point->startsSegment = segmentStarts;
                segmentStarts = false;
                tracks.back().points.push_back(*point);
            }
            --depth;
        } else {
            xml.skipCurrentElement();
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
