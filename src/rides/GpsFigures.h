#pragma once
// The figures of a ride worked out from its track: when it started and ended,
// how far it went, how long the rider was moving, the top speed and the
// height climbed.

#include "rides/GpsTrack.h"

#include <cstdint>
#include <optional>

// Mean radius of the Earth (IUGG), in metres.
inline constexpr double kEarthRadiusMetres = 6371008.8;
// Slower than this between two points counts as standing still: GPS positions
// wander by a metre or so even on a bicycle leaning against a wall.
inline constexpr double kStandingStillKmh = 3.0;
// The top speed is the fastest the rider went over about this long, not
// between two single fixes, one of which may be off by dozens of metres.
inline constexpr int64_t kTopSpeedWindowMs = 5000;
// Height changes smaller than this are taken as the noise of the altimeter.
inline constexpr double kClimbThresholdMetres = 3.0;

// Length of the great circle between two points, in metres (haversine).
double GreatCircleMetres(const GpsPoint& a, const GpsPoint& b);

struct GpsRideFigures {
    // First and last point that carries a time, in seconds since 1970.
    std::optional<int64_t> startSeconds;
    std::optional<int64_t> endSeconds;
    // The file's own total when it has one, else summed point to point
    // within each recorded stretch (never across a break in recording).
    double distanceMetres = 0.0;
    bool distanceFromFile = false;
    // Time between consecutive points at walking pace or more.
    int64_t movingSeconds = 0;
    // The highest speed held over the top-speed window, in km/h.
    double topSpeedKmh = 0.0;
    // Present when the track has heights.
    std::optional<double> climbMetres;
};

GpsRideFigures WorkOutRideFigures(const GpsTrack& track);
