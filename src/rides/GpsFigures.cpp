#include "rides/GpsFigures.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <numbers>
#include <vector>

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
// Metres per millisecond times this is km/h.
constexpr double kKmhPerMetrePerMs = 3600.0;
// A device's start lies before its first point (the fix came late), but not by days.
constexpr int64_t kEarliestDeviceStartMs = int64_t{24} * 3600 * 1000;
constexpr int64_t kLatestDeviceStartMs = 60 * 1000;

bool Within(const std::optional<double>& value, double lowest, double highest) {
    return value && std::isfinite(*value) && *value >= lowest && *value <= highest;
}

double Kmh(double metres, int64_t ms) {
    return ms > 0 ? metres / static_cast<double>(ms) * kKmhPerMetrePerMs : 0.0;
}

// The longest step that is still the file's usual recording: a logger
// writing every 10 s takes longer steps than a bicycle computer writing
// every second, and neither pause is a gap in its own file.
int64_t GapMs(const std::vector<GpsPoint>& points) {
    std::vector<int64_t> steps;
    steps.reserve(points.size());
    for (size_t i = 1; i < points.size(); ++i) {
        const GpsPoint& from = points[i - 1];
        const GpsPoint& to = points[i];
        if (!to.startsSegment && from.hasTime && to.hasTime && to.timeMs > from.timeMs) {
            steps.push_back(to.timeMs - from.timeMs);
        }
    }
    if (steps.empty()) {
        return kShortestGapMs;
    }
    const auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return std::max(kShortestGapMs, 3 * std::min(*middle, std::numeric_limits<int64_t>::max() / 3));
}

// Sum of the rises of the heights averaged with their neighbours, counting
// a rise only once it has climbed the threshold above the last low, and
// ending it only once it has fallen the threshold below its high: altimeter
// noise of a metre or two adds nothing, a steady climb counts in full.
std::optional<double> Climb(const std::vector<GpsPoint>& points) {
    std::vector<const GpsPoint*> heights;
    for (const GpsPoint& point : points) {
        if (point.hasElevation && std::isfinite(point.elevation)) {
            heights.push_back(&point);
        }
    }
    if (heights.empty()) {
        return std::nullopt;
    }
    // Points without times, or out of order, are not averaged: nothing says
    // how far apart they were taken (a hand-drawn route's points lie far apart).
    bool timed = true;
    for (size_t i = 0; i < heights.size() && timed; ++i) {
        timed = heights[i]->hasTime && (i == 0 || heights[i]->timeMs >= heights[i - 1]->timeMs);
    }
    auto key = [&](size_t i) {
        return timed ? heights[i]->timeMs : static_cast<int64_t>(i) * kClimbSmoothingMs;
    };
    std::vector<double> sums(heights.size() + 1, 0.0);
    for (size_t i = 0; i < heights.size(); ++i) {
        sums[i + 1] = sums[i] + heights[i]->elevation;
    }

    double climb = 0.0;
    bool falling = false;
    double low = 0.0;
    double high = 0.0;
    size_t first = 0;
    size_t last = 0;
    for (size_t i = 0; i < heights.size(); ++i) {
        while (key(first) < key(i) - kClimbSmoothingMs / 2 || first + kClimbSmoothingPoints < i) {
            ++first;
        }
        last = std::max(last, i);
        while (last + 1 < heights.size() && key(last + 1) <= key(i) + kClimbSmoothingMs / 2 &&
               last + 1 <= i + kClimbSmoothingPoints) {
            ++last;
        }
        const double height = (sums[last + 1] - sums[first]) / static_cast<double>(last + 1 - first);
        if (i == 0) {
            low = high = height;
        } else if (!falling) {
            if (height > high) {
                high = height;
            } else if (high - height >= kClimbThresholdMetres) {
                if (high - low >= kClimbThresholdMetres) {
                    climb += high - low;
                }
                falling = true;
                low = height;
            }
        } else if (height < low) {
            low = height;
        } else if (height - low >= kClimbThresholdMetres) {
            falling = false;
            high = height;
        }
    }
    if (!falling && high - low >= kClimbThresholdMetres) {
        climb += high - low;
    }
    return climb;
}

// What the points alone give.
struct PointFigures {
    double metres = 0.0;
    int64_t movingMs = 0;
    double topKmh = 0.0;   // from the positions
    double heldKmh = 0.0;  // from the speeds the device wrote with the points
    std::optional<int64_t> firstMs;
    std::optional<int64_t> lastMs;
};

// The highest speed the points carry that the device showed for the hold
// time at least: a single wrong reading is passed over. The lowest speed of
// each window comes from a queue of rising speeds, so each point is handled
// a few times at most, however densely they lie.
double HeldSpeedKmh(const std::vector<GpsPoint>& points, const std::vector<bool>& newStretch) {
    double top = 0.0;
    std::deque<size_t> rising;  // indices of the window's points, speeds rising
    size_t from = 0;            // first point of the window
    bool running = false;
    for (size_t j = 0; j < points.size(); ++j) {
        const GpsPoint& point = points[j];
        if (!point.hasSpeed || !point.hasTime || !std::isfinite(point.speedMs) || point.speedMs < 0.0) {
            running = false;
            continue;
        }
        if (!running || newStretch[j]) {
            running = true;
            rising.clear();
            from = j;
        }
        while (!rising.empty() && points[rising.back()].speedMs >= point.speedMs) {
            rising.pop_back();
        }
        rising.push_back(j);
        while (from + 1 < j && point.timeMs - points[from + 1].timeMs >= kSpeedHoldMs) {
            ++from;
        }
        while (rising.front() < from) {
            rising.pop_front();
        }
        if (point.timeMs - points[from].timeMs >= kSpeedHoldMs) {
            top = std::max(top, points[rising.front()].speedMs * 3.6);
        }
    }
    return top;
}

// The haversine formula, given the product of the two latitudes' cosines.
double HaversineMetres(const GpsPoint& a, const GpsPoint& b, double cosLatitudes) {
    const double sinLat = std::sin((b.latitude - a.latitude) * kRadiansPerDegree / 2.0);
    const double sinLon = std::sin((b.longitude - a.longitude) * kRadiansPerDegree / 2.0);
    const double h = sinLat * sinLat + cosLatitudes * sinLon * sinLon;
    return 2.0 * kEarthRadiusMetres * std::asin(std::min(1.0, std::sqrt(h)));
}

PointFigures FromPoints(const std::vector<GpsPoint>& points) {
    PointFigures figures;
    for (const GpsPoint& point : points) {
        if (point.hasTime) {
            if (!figures.firstMs) {
                figures.firstMs = point.timeMs;
            }
            figures.lastMs = point.timeMs;
        }
    }
    const int64_t gapMs = GapMs(points);
    // Each point's latitude's cosine, worked out once for the three ways
    // measured to it.
    std::vector<double> cosLatitude(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        cosLatitude[i] = std::cos(points[i].latitude * kRadiansPerDegree);
    }
    const auto metresBetween = [&](size_t a, size_t b) {
        return HaversineMetres(points[a], points[b], cosLatitude[a] * cosLatitude[b]);
    };
    // Metres along the way from the first point, for the windows' lengths.
    std::vector<double> along(points.size(), 0.0);
    // Where time-based figures must start afresh: a gap, a new segment, a point without time.
    std::vector<bool> newStretch(points.size(), true);
    size_t moveFrom = 0;  // first point of the window that tells moving from standing
    size_t topFrom = 0;   // first point of the top-speed window
    double windows[3] = {0.0, 0.0, 0.0};
    int windowCount = 0;
    for (size_t j = 1; j < points.size(); ++j) {
        const GpsPoint& from = points[j - 1];
        const GpsPoint& to = points[j];
        along[j] = along[j - 1];
        if (to.startsSegment) {
            moveFrom = topFrom = j;
            windowCount = 0;
            continue;
        }
        const double metres = metresBetween(j - 1, j);
        if (!std::isfinite(metres)) {
            moveFrom = topFrom = j;
            windowCount = 0;
            continue;
        }
        along[j] += metres;
        const bool timed = from.hasTime && to.hasTime;
        const int64_t ms = timed ? to.timeMs - from.timeMs : 0;
        if (!timed || ms < 0 || ms > gapMs) {
            // The way across a gap counts when a bicycle could have gone it.
            if (!timed || (ms > 0 && Kmh(metres, ms) <= kMaxBicycleKmh)) {
                figures.metres += metres;
            }
            moveFrom = topFrom = j;
            windowCount = 0;
            continue;
        }
        newStretch[j] = false;
        figures.metres += metres;

        // Moving: the step, and the way made good over the window, both
        // faster than standing still; a GPS at rest wanders back and forth.
        while (moveFrom + 1 < j && to.timeMs - points[moveFrom + 1].timeMs >= kTopSpeedWindowMs) {
            ++moveFrom;
        }
        if (Kmh(metres, ms) > kStandingStillKmh &&
            Kmh(metresBetween(moveFrom, j), to.timeMs - points[moveFrom].timeMs) > kStandingStillKmh) {
            figures.movingMs += ms;
        }

        // Top speed: the way made good over the window, from its first point
        // to its last, so that a wrong fix inside it adds nothing. A wrong
        // fix at either end spoils a window or two, so a speed counts only
        // when three windows in a row held it.
        while (topFrom + 1 < j && to.timeMs - points[topFrom + 1].timeMs >= kTopSpeedWindowMs &&
               along[j] - along[topFrom + 1] >= kTopSpeedWindowMetres) {
            ++topFrom;
        }
        const int64_t span = to.timeMs - points[topFrom].timeMs;
        if (span >= kTopSpeedWindowMs && along[j] - along[topFrom] >= kTopSpeedWindowMetres) {
            windows[windowCount++ % 3] = Kmh(metresBetween(topFrom, j), span);
            if (windowCount >= 3) {
                figures.topKmh = std::max(figures.topKmh, std::min({windows[0], windows[1], windows[2]}));
            }
        }
    }
    figures.heldKmh = HeldSpeedKmh(points, newStretch);
    return figures;
}

}  // namespace

double GreatCircleMetres(const GpsPoint& a, const GpsPoint& b) {
    return HaversineMetres(
        a, b, std::cos(a.latitude * kRadiansPerDegree) * std::cos(b.latitude * kRadiansPerDegree));
}

GpsRideFigures WorkOutRideFigures(const GpsTrack& track) {
    const DeviceTotals& device = track.device;
    const PointFigures points = FromPoints(track.points);
    GpsRideFigures figures;

    // Start: the device's, when it lies in reach of the points' times.
    std::optional<int64_t> startMs = points.firstMs;
    if (device.startMs && *device.startMs >= 0 &&
        *device.startMs / 1000 <= std::numeric_limits<int32_t>::max() &&
        (!points.firstMs || (*device.startMs >= *points.firstMs - kEarliestDeviceStartMs &&
                             *device.startMs <= *points.firstMs + kLatestDeviceStartMs))) {
        startMs = device.startMs;
    }

    // Distance: the device's (it counted the wheel's turns before the fix
    // and never lost a step), unless no ride goes that far.
    if (Within(device.distanceMetres, 0.0, kMaxTrackMetres) && *device.distanceMetres > 0.0) {
        figures.distanceMetres = *device.distanceMetres;
        figures.distanceFromFile = true;
    } else {
        figures.distanceMetres = std::min(points.metres, kMaxTrackMetres);
    }

    // Riding time: the device's timer, unless it is longer than the points'
    // span by far (where the points cover the ride) or faster than a bicycle.
    int64_t movingMs = points.movingMs;
    if (Within(device.timerSeconds, 1.0, kMaxRidingSeconds)) {
        const double timerMs = *device.timerSeconds * 1000.0;
        bool believable = Kmh(figures.distanceMetres, std::llround(timerMs)) <= kMaxBicycleKmh;
        if (startMs && points.lastMs && points.metres >= 0.9 * figures.distanceMetres) {
            const double spanMs = static_cast<double>(*points.lastMs - std::min(*startMs, *points.firstMs));
            believable = believable && timerMs <= spanMs * 1.1 + 60000.0;
        }
        if (believable) {
            movingMs = std::llround(timerMs);
        }
    }
    figures.movingSeconds = std::max<int64_t>(0, (movingMs + 500) / 1000);

    if (startMs) {
        figures.startSeconds = *startMs / 1000;
        figures.endSeconds =
            std::max(*figures.startSeconds,
                     points.lastMs ? *points.lastMs / 1000 : *figures.startSeconds + figures.movingSeconds);
    }

    // Top speed: the device's maximum, else the speed it wrote with the
    // points, else the positions' own; the first a bicycle can go.
    for (const double top : {Within(device.maxSpeedKmh, 0.0, kMaxBicycleKmh) ? *device.maxSpeedKmh : 0.0,
                             points.heldKmh, points.topKmh}) {
        if (std::isfinite(top) && top > 0.0 && top <= kMaxBicycleKmh) {
            figures.topSpeedKmh = top;
            break;
        }
    }

    figures.climbMetres =
        Within(device.ascentMetres, 0.0, kMaxClimbMetres) ? device.ascentMetres : Climb(track.points);
    if (figures.climbMetres && !Within(figures.climbMetres, 0.0, kMaxClimbMetres)) {
        figures.climbMetres.reset();
    }
    return figures;
}
