#include "rides/GpsFigures.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

// Sum of the rises, counting a rise only once it has climbed the threshold
// above the last low, and ending it only once it has fallen the threshold
// below its high: altimeter noise of a metre or two adds nothing, a steady
// climb counts in full.
std::optional<double> Climb(const std::vector<GpsPoint>& points) {
    std::optional<double> climb;
    bool falling = false;
    double low = 0.0;
    double high = 0.0;
    for (const GpsPoint& point : points) {
        if (!point.hasElevation) {
            continue;
        }
        const double height = point.elevation;
        if (!climb) {
            climb = 0.0;
            low = high = height;
            continue;
        }
        if (!falling) {
            if (height > high) {
                high = height;
            } else if (high - height >= kClimbThresholdMetres) {
                if (high - low >= kClimbThresholdMetres) {
                    *climb += high - low;
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
    if (climb && !falling && high - low >= kClimbThresholdMetres) {
        *climb += high - low;
    }
    return climb;
}

}  // namespace

double GreatCircleMetres(const GpsPoint& a, const GpsPoint& b) {
    const double lat1 = a.latitude * kRadiansPerDegree;
    const double lat2 = b.latitude * kRadiansPerDegree;
    const double sinLat = std::sin((lat2 - lat1) / 2.0);
    const double sinLon = std::sin((b.longitude - a.longitude) * kRadiansPerDegree / 2.0);
    const double h = sinLat * sinLat + std::cos(lat1) * std::cos(lat2) * sinLon * sinLon;
    return 2.0 * kEarthRadiusMetres * std::asin(std::min(1.0, std::sqrt(h)));
}

GpsRideFigures WorkOutRideFigures(const GpsTrack& track) {
    GpsRideFigures figures;
    const std::vector<GpsPoint>& points = track.points;
    for (const GpsPoint& point : points) {
        if (point.hasTime) {
            if (!figures.startSeconds) {
                figures.startSeconds = point.timeMs / 1000;
            }
            figures.endSeconds = point.timeMs / 1000;
        }
    }

    // Each step from one point to the next within a recorded stretch: its
    // length, and its speed where both ends carry a time.
    struct Step {
        double metres = 0.0;
        double speed = 0.0;      // metres per second, when timed
        int64_t startMs = 0;     // time of the step's first point
        bool timed = false;      // both ends carry times, the later one later
        bool connected = false;  // within one recorded stretch
    };
    std::vector<Step> steps(points.size());
    double summed = 0.0;
    int64_t movingMs = 0;
    for (size_t i = 1; i < points.size(); ++i) {
        const GpsPoint& from = points[i - 1];
        const GpsPoint& to = points[i];
        Step& step = steps[i];
        if (to.startsSegment) {
            continue;
        }
        step.connected = true;
        step.metres = GreatCircleMetres(from, to);
        summed += step.metres;
        if (from.hasTime && to.hasTime && to.timeMs > from.timeMs) {
            const int64_t ms = to.timeMs - from.timeMs;
            step.timed = true;
            step.startMs = from.timeMs;
            step.speed = step.metres * 1000.0 / static_cast<double>(ms);
            if (step.speed * 3.6 >= kStandingStillKmh) {
                movingMs += ms;
            }
        }
    }
    figures.movingSeconds = (movingMs + 500) / 1000;
    if (track.device.distanceMetres && *track.device.distanceMetres > 0.0) {
        figures.distanceMetres = *track.device.distanceMetres;
        figures.distanceFromFile = true;
    } else {
        figures.distanceMetres = summed;
    }

    // Top speed: for each point, the median speed of the steps of the window
    // that ends there. One bad fix spoils the two steps into and out of it;
    // with a handful of steps in the window the median passes over both. A
    // window counts once the stretch reaches back the whole window length,
    // so the first steps of a stretch are never judged alone.
    double top = 0.0;
    std::vector<double> window;
    size_t runStart = 1;  // first step of the current run of timed steps (step i ends at point i)
    size_t first = 1;     // first step of the window
    for (size_t i = 1; i < steps.size(); ++i) {
        if (!steps[i].connected || !steps[i].timed) {
            runStart = first = i + 1;
            continue;
        }
        const int64_t endMs = points[i].timeMs;
        first = std::max(first, runStart);
        while (first < i && steps[first].startMs < endMs - kTopSpeedWindowMs) {
            ++first;
        }
        if (first == runStart && endMs - steps[first].startMs < kTopSpeedWindowMs) {
            continue;
        }
        window.clear();
        for (size_t k = first; k <= i; ++k) {
            window.push_back(steps[k].speed);
        }
        const auto middle = window.begin() + static_cast<std::ptrdiff_t>((window.size() - 1) / 2);
        std::nth_element(window.begin(), middle, window.end());
        top = std::max(top, *middle);
    }
    figures.topSpeedKmh = top * 3.6;
    figures.climbMetres = Climb(points);
    return figures;
}
