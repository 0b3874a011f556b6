#include "rides/FitFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// FIT counts seconds from 1989-12-31 00:00:00 UTC.
constexpr int64_t kFitEpochUnixSeconds = 631065600;
constexpr double kSemicirclesToDegrees = 180.0 / 2147483648.0;

constexpr uint16_t kMessageFileId = 0;
constexpr uint16_t kMessageSport = 12;
constexpr uint16_t kMessageSession = 18;
constexpr uint16_t kMessageLap = 19;
constexpr uint16_t kMessageRecord = 20;
constexpr uint16_t kMessageEvent = 21;
constexpr uint16_t kMessageActivity = 34;
constexpr uint8_t kFieldTimestamp = 253;

constexpr int kEventTimer = 0;

// The fields this program reads, whatever message they come in.
enum Slot : uint8_t {
    kTimestamp,
    kLatitude,
    kLongitude,
    kAltitude,
    kEnhancedAltitude,
    kDistance,
    kSpeed,
    kEnhancedSpeed,
    kStartTime,
    kSport,
    kSubSport,
    kElapsed,
    kTimer,
    kMaxSpeed,
    kEnhancedMaxSpeed,
    kAscent,
    kDescent,
    kCalories,
    kAverageHeartRate,
    kMaxHeartRate,
    kAverageCadence,
    kAveragePower,
    kMaxPower,
    kAverageTemperature,
    kEvent,
    kEventType,
    kSessionCount,
    kSlotCount,
    kNoSlot = 0xFF,
};

uint8_t SlotOf(uint16_t message, uint8_t field) {
    if (field == kFieldTimestamp) {
        return kTimestamp;
    }
    switch (message) {
        case kMessageRecord:
            switch (field) {
                case 0:
                    return kLatitude;
                case 1:
                    return kLongitude;
                case 2:
                    return kAltitude;
                case 5:
                    return kDistance;
                case 6:
                    return kSpeed;
                // A record's heart rate, cadence and power share the
                // session's slots for their means.
                case 3:
                    return kAverageHeartRate;
                case 4:
                    return kAverageCadence;
                case 7:
                    return kAveragePower;
                case 73:
                    return kEnhancedSpeed;
                case 78:
                    return kEnhancedAltitude;
                default:
                    return kNoSlot;
            }
        case kMessageSession:
            switch (field) {
                case 2:
                    return kStartTime;
                case 5:
                    return kSport;
                case 6:
                    return kSubSport;
                case 7:
                    return kElapsed;
                case 8:
                    return kTimer;
                case 9:
                    return kDistance;
                case 15:
                    return kMaxSpeed;
                case 11:
                    return kCalories;
                case 16:
                    return kAverageHeartRate;
                case 17:
                    return kMaxHeartRate;
                case 18:
                    return kAverageCadence;
                case 20:
                    return kAveragePower;
                case 21:
                    return kMaxPower;
                case 22:
                    return kAscent;
                case 23:
                    return kDescent;
                case 57:
                    return kAverageTemperature;
                case 125:
                    return kEnhancedMaxSpeed;
                default:
                    return kNoSlot;
            }
        case kMessageLap:
            switch (field) {
                case 2:
                    return kStartTime;
                case 7:
                    return kElapsed;
                case 8:
                    return kTimer;
                case 9:
                    return kDistance;
                case 14:
                    return kMaxSpeed;
                case 21:
                    return kAscent;
                case 25:
                    return kSport;
                case 26:
                    return kSubSport;
                case 111:
                    return kEnhancedMaxSpeed;
                default:
                    return kNoSlot;
            }
        case kMessageEvent:
            switch (field) {
                case 0:
                    return kEvent;
                case 1:
                    return kEventType;
                default:
                    return kNoSlot;
            }
        case kMessageSport:
            switch (field) {
                case 0:
                    return kSport;
                case 1:
                    return kSubSport;
                default:
                    return kNoSlot;
            }
        case kMessageActivity:
            switch (field) {
                case 0:
                    return kTimer;
                case 1:
                    return kSessionCount;
                default:
                    return kNoSlot;
            }
        default:
            return kNoSlot;
    }
}

struct FieldPlan {
    uint32_t offset = 0;  // from the start of the message's content
    uint8_t size = 0;
    uint8_t baseType = 0;
    uint8_t slot = kNoSlot;
};

struct Definition {
    bool defined = false;
    bool bigEndian = false;
    uint16_t message = 0;
    uint32_t size = 0;              // all fields, developer fields included
    std::vector<FieldPlan> fields;  // only those with a slot
};

using Values = std::array<double, kSlotCount>;

uint64_t ReadUnsigned(const uint8_t* p, int size, bool bigEndian) {
    uint64_t value = 0;
    for (int i = 0; i < size; ++i) {
        const uint64_t byte = p[bigEndian ? i : size - 1 - i];
        value = (value << 8) | byte;
    }
    return value;
}

// The first value of a field, or NaN when it holds the base type's invalid
// value, is no number, or is too small for its base type.
double FieldValue(const uint8_t* p, uint8_t size, uint8_t baseType, bool bigEndian) {
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    int width = 0;
    bool isSigned = false;
    bool zeroInvalid = false;
    bool isFloat = false;
    switch (baseType & 0x1F) {
        case 0:   // enum
        case 2:   // uint8
        case 13:  // byte
            width = 1;
            break;
        case 1:
            width = 1;
            isSigned = true;
            break;
        case 3:
            width = 2;
            isSigned = true;
            break;
        case 4:
            width = 2;
            break;
        case 5:
            width = 4;
            isSigned = true;
            break;
        case 6:
            width = 4;
            break;
        case 8:
            width = 4;
            isFloat = true;
            break;
        case 9:
            width = 8;
            isFloat = true;
            break;
        case 10:
            width = 1;
            zeroInvalid = true;
            break;
        case 11:
            width = 2;
            zeroInvalid = true;
            break;
        case 12:
            width = 4;
            zeroInvalid = true;
            break;
        case 14:
            width = 8;
            isSigned = true;
            break;
        case 15:
            width = 8;
            break;
        case 16:
            width = 8;
            zeroInvalid = true;
            break;
        default:
            return kNone;  // strings and unknown types hold no number
    }
    if (size < width) {
        return kNone;
    }
    const uint64_t raw = ReadUnsigned(p, width, bigEndian);
    if (isFloat) {
        double value = 0.0;
        if (width == 4) {
            const auto bits = static_cast<uint32_t>(raw);
            float single = 0.0F;
            std::memcpy(&single, &bits, sizeof single);
            value = single;
        } else {
            std::memcpy(&value, &raw, sizeof value);
        }
        return std::isfinite(value) ? value : kNone;
    }
    const uint64_t allOnes = width == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * width)) - 1;
    if (zeroInvalid) {
        return raw == 0 ? kNone : static_cast<double>(raw);
    }
    if (isSigned) {
        const uint64_t invalid = allOnes >> 1;  // 0x7F..F
        if (raw == invalid) {
            return kNone;
        }
        const uint64_t signBit = uint64_t{1} << (8 * width - 1);
        const int64_t value =
            (raw & signBit) ? static_cast<int64_t>(raw | ~allOnes) : static_cast<int64_t>(raw);
        return static_cast<double>(value);
    }
    return raw == allOnes ? kNone : static_cast<double>(raw);
}

std::optional<double> Present(double value) {
    return std::isnan(value) ? std::nullopt : std::optional<double>(value);
}

std::optional<double> Scaled(double value, double scale, double offset = 0.0) {
    return std::isnan(value) ? std::nullopt : std::optional<double>(value / scale - offset);
}

// FIT times are 32 bits; a file may still define the field wider.
bool IsFitTime(double fitSeconds) {
    return fitSeconds >= 0.0 && fitSeconds <= 4294967295.0;
}

// A FIT date_time as milliseconds since 1970; 0xFFFFFFFF is FIT's "no time".
std::optional<int64_t> TimeOf(double fitSeconds) {
    if (!IsFitTime(fitSeconds)) {
        return std::nullopt;
    }
    const int64_t ms = (static_cast<int64_t>(fitSeconds) + kFitEpochUnixSeconds) * 1000;
    if (ms == kGpsNoTimeMs) {
        return std::nullopt;
    }
    return ms;
}

// Enumerations and counts; NaN and values far outside any of them are none.
std::optional<int> IntegerOf(double value) {
    return value >= 0.0 && value <= 65535.0 ? std::optional<int>(static_cast<int>(value)) : std::nullopt;
}

FitSummary SummaryOf(const Values& v) {
    FitSummary summary;
    summary.startMs = TimeOf(v[kStartTime]);
    summary.endMs = TimeOf(v[kTimestamp]);
    summary.sport = IntegerOf(v[kSport]);
    summary.subSport = IntegerOf(v[kSubSport]);
    summary.elapsedSeconds = Scaled(v[kElapsed], 1000.0);
    summary.timerSeconds = Scaled(v[kTimer], 1000.0);
    summary.distanceMetres = Scaled(v[kDistance], 100.0);
    summary.maxSpeedMs =
        Scaled(std::isnan(v[kEnhancedMaxSpeed]) ? v[kMaxSpeed] : v[kEnhancedMaxSpeed], 1000.0);
    summary.ascentMetres = Present(v[kAscent]);
    summary.descentMetres = Present(v[kDescent]);
    summary.averageHeartRate = Present(v[kAverageHeartRate]);
    summary.maxHeartRate = Present(v[kMaxHeartRate]);
    summary.averageCadence = Present(v[kAverageCadence]);
    summary.averagePower = Present(v[kAveragePower]);
    summary.maxPower = Present(v[kMaxPower]);
    summary.calories = Present(v[kCalories]);
    summary.averageTemperature = Present(v[kAverageTemperature]);
    return summary;
}

constexpr std::array<uint16_t, 256> MakeCrcTable() {
    std::array<uint16_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        uint16_t crc = static_cast<uint16_t>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
        }
        table[static_cast<size_t>(byte)] = crc;
    }
    return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();

class Decoder {
public:
    Decoder(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    FitContent Run() {
        size_t position = 0;
        bool first = true;
        while (position < m_size) {
            const std::optional<size_t> next = ReadOneFile(position, first);
            if (!next) {
                break;
            }
            first = false;
            position = *next;
        }
        return std::move(m_content);
    }

private:
    // One FIT file from its header; where the next one starts, or nothing
    // when reading stops here.
    std::optional<size_t> ReadOneFile(size_t start, bool first) {
        const size_t headerSize = m_data[start];
        if (headerSize < 12 || m_size - start < headerSize ||
            std::memcmp(m_data + start + 8, ".FIT", 4) != 0) {
            // Bytes after the last file that are no FIT header: padding some devices leave is zeros.
            m_content.damaged = m_content.damaged || (!first && !AllZero(start));
            return std::nullopt;
        }
        m_content.isFit = true;
        if (headerSize >= 14) {
            const uint16_t headerCrc = static_cast<uint16_t>(ReadUnsigned(m_data + start + 12, 2, false));
            if (headerCrc != 0 && headerCrc != FitCrc(m_data + start, 12)) {
                m_content.damaged = true;
            }
        }
        const uint64_t dataSize = ReadUnsigned(m_data + start + 4, 4, false);
        const size_t dataStart = start + headerSize;
        size_t dataEnd = dataStart + dataSize;
        if (dataSize == 0 || dataEnd + 2 > m_size) {
            // Cut short (or never closed by its device): what is there is all there is.
            m_content.damaged = true;
            dataEnd = m_size;
        } else if (FitCrc(m_data + start, dataEnd - start) != ReadUnsigned(m_data + dataEnd, 2, false)) {
            m_content.damaged = true;
        }
        for (Definition& definition : m_definitions) {
            definition = Definition();
        }
        if (!ReadMessages(dataStart, dataEnd)) {
            // The rest of this file is lost; a file chained after it has a header of its own.
            m_content.damaged = true;
            if (dataEnd == m_size) {
                return std::nullopt;
            }
        }
        return dataEnd == m_size ? m_size : dataEnd + 2;
    }

    bool AllZero(size_t from) const {
        for (size_t i = from; i < m_size; ++i) {
            if (m_data[i] != 0) {
                return false;
            }
        }
        return true;
    }

    bool ReadMessages(size_t position, size_t end) {
        while (position < end) {
            const uint8_t header = m_data[position++];
            if ((header & 0x80) != 0) {
                // Compressed timestamp: five bits of seconds after the last full timestamp.
                const uint32_t offset = header & 0x1F;
                uint32_t time = (m_lastTimestamp & ~uint32_t{0x1F}) + offset;
                if (offset < (m_lastTimestamp & 0x1F)) {
                    time += 0x20;
                }
                m_lastTimestamp = time;
                if (!ReadData(m_definitions[(header >> 5) & 0x03], position, end, time)) {
                    return false;
                }
            } else if ((header & 0x40) != 0) {
                if (!ReadDefinition(m_definitions[header & 0x0F], (header & 0x20) != 0, position, end)) {
                    return false;
                }
            } else if (!ReadData(m_definitions[header & 0x0F], position, end, std::nullopt)) {
                return false;
            }
        }
        return true;
    }

    bool ReadDefinition(Definition& definition, bool developerFields, size_t& position, size_t end) {
        if (end - position < 5) {
            return false;
        }
        definition = Definition();
        definition.bigEndian = m_data[position + 1] == 1;
        definition.message =
            static_cast<uint16_t>(ReadUnsigned(m_data + position + 2, 2, definition.bigEndian));
        const size_t fieldCount = m_data[position + 4];
        position += 5;
        if (end - position < fieldCount * 3) {
            return false;
        }
        uint32_t offset = 0;
        for (size_t i = 0; i < fieldCount; ++i, position += 3) {
            const uint8_t number = m_data[position];
            const uint8_t size = m_data[position + 1];
            const uint8_t slot = SlotOf(definition.message, number);
            if (slot != kNoSlot && size > 0) {
                definition.fields.push_back({offset, size, m_data[position + 2], slot});
            }
            offset += size;
        }
        if (developerFields) {
            // Fields an app added: nothing of ours, but their sizes count.
            if (end - position < 1) {
                return false;
            }
            const size_t developerCount = m_data[position++];
            if (end - position < developerCount * 3) {
                return false;
            }
            for (size_t i = 0; i < developerCount; ++i, position += 3) {
                offset += m_data[position + 1];
            }
        }
        definition.size = offset;
        definition.defined = true;
        return true;
    }

    bool ReadData(const Definition& definition, size_t& position, size_t end,
                  std::optional<uint32_t> headerTime) {
        if (!definition.defined || end - position < definition.size) {
            return false;
        }
        const uint8_t* content = m_data + position;
        position += definition.size;
        if (definition.fields.empty()) {
            return true;
        }
        Values values;
        values.fill(std::numeric_limits<double>::quiet_NaN());
        for (const FieldPlan& field : definition.fields) {
            values[field.slot] =
                FieldValue(content + field.offset, field.size, field.baseType, definition.bigEndian);
        }
        if (IsFitTime(values[kTimestamp])) {
            m_lastTimestamp = static_cast<uint32_t>(values[kTimestamp]);
        } else if (headerTime) {
            values[kTimestamp] = *headerTime;
        }
        Take(definition.message, values);
        return true;
    }

    void Take(uint16_t message, const Values& v) {
        switch (message) {
            case kMessageRecord:
                TakeRecord(v);
                break;
            case kMessageEvent:
                if (IntegerOf(v[kEvent]) == kEventTimer) {
                    const std::optional<int> type = IntegerOf(v[kEventType]);
                    // stop, stop_all, stop_disable, stop_disable_all
                    if (type == 1 || type == 4 || type == 8 || type == 9) {
                        m_timerStopped = true;
                    }
                }
                break;
            case kMessageSession: {
                FitSummary session = SummaryOf(v);
                if (!session.sport && !m_content.sports.empty()) {
                    session.sport = m_content.sports.back().sport;
                    session.subSport = m_content.sports.back().subSport;
                }
                m_content.sessions.push_back(session);
                break;
            }
            case kMessageLap:
                m_content.laps.push_back(SummaryOf(v));
                break;
            case kMessageSport:
                if (const std::optional<int> sport = IntegerOf(v[kSport])) {
                    m_content.sports.push_back({*sport, IntegerOf(v[kSubSport])});
                }
                break;
            case kMessageActivity:
                m_content.activity = FitActivity{TimeOf(v[kTimestamp]), Scaled(v[kTimer], 1000.0),
                                                 IntegerOf(v[kSessionCount])};
                break;
            case kMessageFileId:
            default:
                break;
        }
    }

    void TakeRecord(const Values& v) {
        const std::optional<int64_t> time = TimeOf(v[kTimestamp]);
        if (time) {
            m_content.lastRecordMs = std::max(m_content.lastRecordMs.value_or(*time), *time);
        }
        if (const std::optional<double> metres = Scaled(v[kDistance], 100.0)) {
            m_content.recordMetres = std::max(m_content.recordMetres.value_or(*metres), *metres);
        }
        const double latitude = v[kLatitude] * kSemicirclesToDegrees;
        const double longitude = v[kLongitude] * kSemicirclesToDegrees;
        // NaN, the invalid value, fails these too.
        if (!(std::abs(latitude) <= 90.0 && std::abs(longitude) <= 180.0)) {
            return;
        }
        GpsPoint point;
        point.latitude = latitude;
        point.longitude = longitude;
        if (const std::optional<double> altitude =
                Scaled(std::isnan(v[kEnhancedAltitude]) ? v[kAltitude] : v[kEnhancedAltitude], 5.0, 500.0)) {
            point.elevation = *altitude;
            point.hasElevation = true;
        }
        if (time) {
            point.timeMs = *time;
            point.hasTime = true;
        }
        if (const std::optional<double> speed =
                Scaled(std::isnan(v[kEnhancedSpeed]) ? v[kSpeed] : v[kEnhancedSpeed], 1000.0);
            speed && *speed >= 0.0) {
            point.speedMs = *speed;
            point.hasSpeed = true;
        }
        const auto sensor = [&](uint8_t slot, double most, float* reading, bool* known) {
            const double value = v[slot];
            if (std::isfinite(value) && value >= 0.0 && value <= most) {
                *reading = static_cast<float>(value);
                *known = true;
            }
        };
        sensor(kAverageHeartRate, 300.0, &point.heartRate, &point.hasHeartRate);
        sensor(kAverageCadence, 300.0, &point.cadence, &point.hasCadence);
        sensor(kAveragePower, 5000.0, &point.power, &point.hasPower);
        point.startsSegment = m_timerStopped;
        m_timerStopped = false;
        m_content.points.push_back(point);
    }

    const uint8_t* m_data;
    size_t m_size;
    FitContent m_content;
    std::array<Definition, 16> m_definitions;
    uint32_t m_lastTimestamp = 0;
    bool m_timerStopped = false;
};

bool IsCycling(const FitSummary& session) {
    return session.sport && IsFitCyclingSport(*session.sport);
}

std::optional<double> FiniteNonNegative(std::optional<double> value) {
    return value && std::isfinite(*value) && *value >= 0.0 ? value : std::nullopt;
}

DeviceTotals TotalsOf(const FitSummary& summary) {
    DeviceTotals totals;
    totals.startMs = summary.startMs;
    totals.distanceMetres = FiniteNonNegative(summary.distanceMetres);
    totals.timerSeconds = FiniteNonNegative(summary.timerSeconds);
    if (const std::optional<double> speed = FiniteNonNegative(summary.maxSpeedMs)) {
        totals.maxSpeedKmh = *speed * 3.6;
    }
    totals.ascentMetres = FiniteNonNegative(summary.ascentMetres);
    return totals;
}

DeviceMeasures MeasuresOf(const FitSummary& summary) {
    DeviceMeasures totals;
    totals.descentMetres = FiniteNonNegative(summary.descentMetres);
    totals.elapsedSeconds = FiniteNonNegative(summary.elapsedSeconds);
    // A rate or power of nought is a sensor that was not there.
    const auto measured = [](std::optional<double> value) {
        return value && std::isfinite(*value) && *value > 0.0 ? value : std::nullopt;
    };
    totals.averageHeartRate = measured(summary.averageHeartRate);
    totals.maxHeartRate = measured(summary.maxHeartRate);
    totals.averageCadence = measured(summary.averageCadence);
    totals.averagePower = measured(summary.averagePower);
    totals.maxPower = measured(summary.maxPower);
    totals.calories = measured(summary.calories);
    totals.averageTemperature = summary.averageTemperature;
    return totals;
}

// The laps' totals added up, for a file whose session is missing.
DeviceTotals TotalsOfLaps(const std::vector<FitSummary>& laps) {
    DeviceTotals totals;
    for (const FitSummary& lap : laps) {
        const DeviceTotals one = TotalsOf(lap);
        if (!totals.startMs || (one.startMs && *one.startMs < *totals.startMs)) {
            totals.startMs = one.startMs ? one.startMs : totals.startMs;
        }
        auto add = [](std::optional<double>& sum, std::optional<double> value) {
            if (value) {
                sum = sum.value_or(0.0) + *value;
            }
        };
        add(totals.distanceMetres, one.distanceMetres);
        add(totals.timerSeconds, one.timerSeconds);
        add(totals.ascentMetres, one.ascentMetres);
        if (one.maxSpeedKmh && (!totals.maxSpeedKmh || *one.maxSpeedKmh > *totals.maxSpeedKmh)) {
            totals.maxSpeedKmh = one.maxSpeedKmh;
        }
    }
    return totals;
}

bool HasTotals(const DeviceTotals& totals) {
    return totals.distanceMetres || totals.timerSeconds;
}

GpsTrack TrackOf(std::vector<GpsPoint> points, const DeviceTotals& device, const DeviceMeasures& measured,
                 std::optional<int> sport, std::optional<int> subSport) {
    GpsTrack track;
    track.points = std::move(points);
    track.device = device;
    track.measured = measured;
    track.sport = sport;
    track.subSport = subSport;
    return track;
}

GpsTrack TrackOf(std::vector<GpsPoint> points, const FitSummary& session) {
    return TrackOf(std::move(points), TotalsOf(session), MeasuresOf(session), session.sport,
                   session.subSport);
}

// Each point goes to the session whose time span holds it (the latest to
// start, should spans overlap); a point without a time to the session of
// the point before it.
std::vector<std::vector<GpsPoint>> PointsOfSessions(std::vector<GpsPoint> points,
                                                    const std::vector<std::pair<int64_t, int64_t>>& spans) {
    std::vector<size_t> byStart(spans.size());
    for (size_t i = 0; i < spans.size(); ++i) {
        byStart[i] = i;
    }
    std::stable_sort(byStart.begin(), byStart.end(),
                     [&](size_t a, size_t b) { return spans[a].first < spans[b].first; });
    std::vector<std::vector<GpsPoint>> sessions(spans.size());
    std::optional<size_t> previous;
    for (GpsPoint& point : points) {
        std::optional<size_t> session = previous;
        if (point.hasTime) {
            session.reset();
            const auto after =
                std::upper_bound(byStart.begin(), byStart.end(), point.timeMs,
                                 [&](int64_t time, size_t i) { return time < spans[i].first; });
            if (after != byStart.begin() && point.timeMs <= spans[*(after - 1)].second) {
                session = *(after - 1);
            }
        }
        if (session) {
            std::vector<GpsPoint>& into = sessions[*session];
            point.startsSegment = point.startsSegment || into.empty() || previous != session;
            into.push_back(point);
        }
        previous = session;
    }
    return sessions;
}

}  // namespace

uint16_t FitCrc(const uint8_t* data, size_t size, uint16_t crc) {
    for (size_t i = 0; i < size; ++i) {
        crc = static_cast<uint16_t>((crc >> 8) ^ kCrcTable[(crc ^ data[i]) & 0xFF]);
    }
    return crc;
}

FitContent DecodeFitFile(const QByteArray& bytes) {
    return Decoder(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()))
        .Run();
}

GpsFileContent ReadFitTracks(const QByteArray& bytes) {
    FitContent fit = DecodeFitFile(bytes);
    GpsFileContent content;
    if (!fit.isFit) {
        content.error = GpsFileError::NotFit;
        return content;
    }
    content.readToDamage = fit.damaged;
    auto keep = [&](GpsTrack track) {
        if (!track.points.empty()) {
            track.points.front().startsSegment = true;
        }
        if (!track.points.empty() || HasTotals(track.device)) {
            content.tracks.push_back(std::move(track));
        }
    };
    if (fit.sessions.size() == 1) {
        keep(TrackOf(std::move(fit.points), fit.sessions.front()));
    } else if (fit.sessions.size() > 1) {
        std::vector<std::pair<int64_t, int64_t>> spans;
        for (const FitSummary& session : fit.sessions) {
            std::optional<int64_t> from = session.startMs;
            std::optional<int64_t> to = session.endMs;
            // A year at most: FIT times span 136 years, and no sum may overflow.
            const int64_t elapsedMs =
                static_cast<int64_t>(std::clamp(session.elapsedSeconds.value_or(0.0), 0.0, 31.6e6) * 1000.0);
            if (!to && from) {
                to = *from + elapsedMs;
            }
            if (!from && to) {
                from = *to - elapsedMs;
            }
            // A session of unknown time holds no points.
            spans.emplace_back(from.value_or(std::numeric_limits<int64_t>::max()),
                               to.value_or(std::numeric_limits<int64_t>::min()));
        }
        std::vector<std::vector<GpsPoint>> points = PointsOfSessions(std::move(fit.points), spans);
        for (size_t i = 0; i < fit.sessions.size(); ++i) {
            if (IsCycling(fit.sessions[i])) {
                keep(TrackOf(std::move(points[i]), fit.sessions[i]));
            }
        }
    } else {
        // Cut short before its session: the laps add up to the whole only
        // when the last of them ended with the records; a lap still running
        // when the file broke off was never written. The records count
        // their distance from the start.
        std::optional<int64_t> lapsEnd;
        for (const FitSummary& lap : fit.laps) {
            if (lap.endMs) {
                lapsEnd = std::max(lapsEnd.value_or(*lap.endMs), *lap.endMs);
            }
        }
        DeviceTotals device = TotalsOfLaps(fit.laps);
        const std::optional<double> recordMetres = FiniteNonNegative(fit.recordMetres);
        if (!fit.lastRecordMs || (lapsEnd && *lapsEnd >= *fit.lastRecordMs)) {
            if (!device.distanceMetres) {
                device.distanceMetres = recordMetres;
            }
            if (!device.timerSeconds && fit.activity) {
                device.timerSeconds = FiniteNonNegative(fit.activity->timerSeconds);
            }
        } else {
            device = DeviceTotals{device.startMs, recordMetres, {}, {}, {}};
        }
        // The sport the device announced, else the first lap's.
        std::optional<int> sport;
        std::optional<int> subSport;
        if (!fit.sports.empty()) {
            sport = fit.sports.back().sport;
            subSport = fit.sports.back().subSport;
        } else if (const auto lap = std::find_if(fit.laps.begin(), fit.laps.end(),
                                                 [](const FitSummary& one) { return one.sport.has_value(); });
                   lap != fit.laps.end()) {
            sport = lap->sport;
            subSport = lap->subSport;
        }
        keep(TrackOf(std::move(fit.points), device, {}, sport, subSport));
    }
    if (content.tracks.empty()) {
        content.error = GpsFileError::NoTrack;
    }
    return content;
}
