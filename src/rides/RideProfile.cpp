#include "rides/RideProfile.h"

#include "memo/MemoDocument.h"
#include "rides/GpsFigures.h"
#include "units/RecordFolders.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();

void Put(RideProfile& profile, ProfileQuantity quantity, size_t index, double value) {
    if (!std::isfinite(value)) {
        return;
    }
    const auto which = static_cast<size_t>(quantity);
    profile.values[which][index] = value;
    profile.present[which] = true;
}

// Where the device wrote no speed, the way over the last few seconds.
void WorkOutSpeeds(const GpsTrack& track, RideProfile& profile) {
    const size_t count = track.points.size();
    size_t from = 0;
    for (size_t i = 0; i < count; ++i) {
        const GpsPoint& point = track.points[i];
        if (point.startsSegment) {
            from = i;
        }
        if (point.hasSpeed) {
            Put(profile, ProfileQuantity::Speed, i, point.speedMs * 3.6);
            continue;
        }
        if (!point.hasTime) {
            continue;
        }
        // The earliest point of the stretch that is still the window away.
        while (from + 1 < i && track.points[from + 1].hasTime &&
               profile.seconds[i] - profile.seconds[from + 1] >= kProfileSpeedWindowSeconds) {
            ++from;
        }
        const double seconds = profile.seconds[i] - profile.seconds[from];
        if (from < i && track.points[from].hasTime && seconds > 0.0) {
            Put(profile, ProfileQuantity::Speed, i,
                (profile.metres[i] - profile.metres[from]) / seconds * 3.6);
        }
    }
}

}  // namespace

RideProfile BuildRideProfile(const GpsTrack& track) {
    RideProfile profile;
    const size_t count = track.points.size();
    profile.metres.resize(count);
    profile.seconds.resize(count);
    for (std::vector<double>& values : profile.values) {
        values.assign(count, kUnknown);
    }
    std::optional<int64_t> startMs;
    double metres = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const GpsPoint& point = track.points[i];
        if (i > 0 && !point.startsSegment) {
            metres += GreatCircleMetres(track.points[i - 1], point);
        }
        profile.metres[i] = metres;
        // A point without a time, or one the device's clock put back, stands
        // where the one before it stood: time only goes forward.
        double seconds = i > 0 ? profile.seconds[i - 1] : 0.0;
        if (point.hasTime) {
            if (!startMs) {
                startMs = point.timeMs;
            }
            seconds = std::max(seconds, static_cast<double>(point.timeMs - *startMs) / 1000.0);
        }
        profile.seconds[i] = seconds;
        if (point.hasElevation) {
            Put(profile, ProfileQuantity::Elevation, i, point.elevation);
        }
        if (point.hasHeartRate) {
            Put(profile, ProfileQuantity::HeartRate, i, point.heartRate);
        }
        if (point.hasCadence) {
            Put(profile, ProfileQuantity::Cadence, i, point.cadence);
        }
        if (point.hasPower) {
            Put(profile, ProfileQuantity::Power, i, point.power);
        }
    }
    profile.hasTime = startMs.has_value();
    WorkOutSpeeds(track, profile);
    return profile;
}

std::vector<QPointF> DecimateMinMax(std::span<const double> x, std::span<const double> y, double from,
                                    double to, int columns) {
    std::vector<QPointF> kept;
    const size_t count = std::min(x.size(), y.size());
    if (count == 0 || columns <= 0 || !(to > from)) {
        return kept;
    }
    kept.reserve(std::min(count, static_cast<size_t>(columns) * 2));
    const double perColumn = static_cast<double>(columns) / (to - from);
    int column = -1;
    size_t low = 0;
    size_t high = 0;
    bool any = false;
    const auto flush = [&] {
        if (!any) {
            return;
        }
        const size_t first = std::min(low, high);
        const size_t second = std::max(low, high);
        kept.emplace_back(x[first], y[first]);
        if (second != first) {
            kept.emplace_back(x[second], y[second]);
        }
        any = false;
    };
    for (size_t i = 0; i < count; ++i) {
        if (!(x[i] >= from && x[i] <= to) || std::isnan(y[i])) {
            continue;
        }
        const int here = std::min(columns - 1, static_cast<int>((x[i] - from) * perColumn));
        if (here != column) {
            flush();
            column = here;
        }
        if (!any) {
            low = high = i;
            any = true;
        } else if (y[i] < y[low]) {
            low = i;
        } else if (y[i] > y[high]) {
            high = i;
        }
    }
    flush();
    return kept;
}

int NearestProfilePoint(std::span<const double> xs, double x) {
    if (xs.empty()) {
        return -1;
    }
    const auto after = std::lower_bound(xs.begin(), xs.end(), x);
    if (after == xs.end()) {
        return static_cast<int>(xs.size()) - 1;
    }
    if (after != xs.begin() && x - *(after - 1) <= *after - x) {
        return static_cast<int>(after - xs.begin()) - 1;
    }
    return static_cast<int>(after - xs.begin());
}

std::optional<QString> RideSourceFile(int32_t rideNumber, const QString& sourceFile) {
    const QDir folder(MemoSourceFolderPath(RecordMemoFolder(RecordKind::Ride, rideNumber)));
    if (!sourceFile.isEmpty()) {
        const QString named = folder.filePath(QFileInfo(sourceFile).fileName());
        if (QFileInfo(named).isFile() && GpsFileTypeOf(named) != GpsFileType::Unknown) {
            return named;
        }
    }
    const QStringList names =
        folder.entryList({QStringLiteral("*.gpx"), QStringLiteral("*.tcx"), QStringLiteral("*.fit")},
                         QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    if (names.isEmpty()) {
        return std::nullopt;
    }
    return folder.filePath(names.front());
}

size_t TrackOfRide(const std::vector<GpsTrack>& tracks, int64_t rideDate) {
    size_t best = 0;
    int64_t bestDistance = std::numeric_limits<int64_t>::max();
    for (size_t i = 0; i < tracks.size(); ++i) {
        const auto timed = std::find_if(tracks[i].points.begin(), tracks[i].points.end(),
                                        [](const GpsPoint& point) { return point.hasTime; });
        if (timed == tracks[i].points.end()) {
            continue;
        }
        const int64_t distance = std::llabs(timed->timeMs / 1000 - rideDate);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}
