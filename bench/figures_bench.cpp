// Working out a ride's figures takes time in proportion to its points,
// however densely they lie: 400,000 points a millisecond apart against as
// many a second apart (the top-speed and moving windows then hold a thousand
// times more points each). Prints both and their ratio; the target is a
// ratio near 1.

#include "rides/GpsFigures.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr int kPoints = 400000;
constexpr int kRuns = 5;
constexpr double kTargetRatio = 2.0;

GpsTrack Track(int64_t stepMs) {
    // 8 m/s due north, the position wandering by centimetres, the height by a metre.
    GpsTrack track;
    track.points.resize(kPoints + 1);
    const double degreesPerMs = 8.0 / 1000.0 / kEarthRadiusMetres * 180.0 / std::numbers::pi;
    for (int i = 0; i <= kPoints; ++i) {
        GpsPoint& point = track.points[static_cast<size_t>(i)];
        point.latitude = 48.0 + degreesPerMs * static_cast<double>(stepMs) * i;
        point.longitude = 11.0 + (i % 7) * 1e-7;
        point.timeMs = int64_t{1714550400000} + stepMs * i;
        point.hasTime = true;
        point.elevation = 200.0 + (i % 2);
        point.hasElevation = true;
    }
    return track;
}

double MedianMs(const GpsTrack& track) {
    std::vector<double> runs;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const GpsRideFigures figures = WorkOutRideFigures(track);
        runs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        if (figures.topSpeedKmh <= 0.0) {
            std::fprintf(stderr, "no top speed worked out\n");
        }
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

}  // namespace

int main() {
    const double dense = MedianMs(Track(1));
    const double sparse = MedianMs(Track(1000));
    const double ratio = dense / sparse;
    std::printf(
        "figures of %d points: a millisecond apart %.1f ms, a second apart %.1f ms, ratio %.2f (target "
        "%.1f)%s\n",
        kPoints, dense, sparse, ratio, kTargetRatio, ratio <= kTargetRatio ? "" : "  <-- above target");
    std::printf("targets %s\n", ratio <= kTargetRatio ? "met" : "missed");
    return ratio <= kTargetRatio ? 0 : 1;
}
