#pragma once
// The figures of a ride worked out from its track: when it started and ended,
// how far it went, how long the rider was moving, the top speed and the
// height climbed. The device's own totals come first where the file holds
// them and a ride can have them; what the file does not hold is worked out
// from the points, in time linear in their number.

#include "rides/GpsTrack.h"

#include <cstddef>
#include <cstdint>
#include <optional>

// Mean radius of the Earth (IUGG), in metres.
inline constexpr double kEarthRadiusMetres = 6371008.8;
// Slower than this between two points counts as standing still.
inline constexpr double kStandingStillKmh = 1.0;
// The top speed is the fastest the rider went over at least this long and
// this far, not between two single fixes, one of which may be off by dozens
// of metres.
inline constexpr int64_t kTopSpeedWindowMs = 5000;
inline constexpr double kTopSpeedWindowMetres = 10.0;
// A speed the device wrote with its points counts once it held this long.
inline constexpr int64_t kSpeedHoldMs = 3000;
// A step longer than this, and longer than three times the file's usual
// step, is a gap in recording (a pause, a tunnel, a lost fix): nothing is
// known of how the rider went in it.
inline constexpr int64_t kShortestGapMs = 10000;
// Each height is averaged with its neighbours (this many points either side,
// no further than half this time away) before it counts, and changes smaller
// than the threshold are taken as the noise of the altimeter. More averaging
// flattens the short hills of a route whose points lie far apart.
inline constexpr int64_t kClimbSmoothingMs = 10000;
inline constexpr size_t kClimbSmoothingPoints = 1;
inline constexpr double kClimbThresholdMetres = 3.0;
// Figures no ride on a bicycle can have: a device total beyond them is a
// damaged file, and the points' own figures are taken instead.
inline constexpr double kMaxBicycleKmh = 150.0;
inline constexpr double kMaxTrackMetres = 2000.0 * 1000.0;
inline constexpr double kMaxClimbMetres = 20000.0;
inline constexpr double kMaxRidingSeconds = 1000.0 * 3600.0;

// Length of the great circle between two points, in metres (haversine).
double GreatCircleMetres(const GpsPoint& a, const GpsPoint& b);

struct GpsRideFigures {
    // When the ride started (the device's start, else the first point that
    // carries a time) and the last point's time, in seconds since 1970.
    std::optional<int64_t> startSeconds;
    std::optional<int64_t> endSeconds;
    // The device's total when it has one, else summed point to point within
    // each recorded stretch (never across a break in recording).
    double distanceMetres = 0.0;
    bool distanceFromFile = false;
    // The device's timer, else the time between consecutive points at
    // walking pace or more.
    int64_t movingSeconds = 0;
    // The highest speed held over the top-speed window, in km/h.
    double topSpeedKmh = 0.0;
    // Present when the device counted it or the track has heights.
    std::optional<double> climbMetres;
};

// Every figure is finite and never negative.
GpsRideFigures WorkOutRideFigures(const GpsTrack& track);
