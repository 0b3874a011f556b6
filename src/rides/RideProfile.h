#pragma once
// A ride's profile from its GPS file: elevation, speed, heart rate, cadence
// and power along the way, against the distance ridden or the time since the
// start; and the thinning that lets a file of a hundred thousand points be
// drawn at the width of a chart without losing a peak or a dip.

#include "rides/GpsTrack.h"

#include <QPointF>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

enum class ProfileQuantity : int { Elevation, Speed, HeartRate, Cadence, Power };
inline constexpr int kProfileQuantityCount = 5;

struct RideProfile {
    // Per point: the way ridden from the first point (never across a break
    // in recording), in metres; the seconds since the first point with a
    // time, never going back (a point without a time takes the one before's).
    std::vector<double> metres;
    std::vector<double> seconds;
    // Per quantity and point, NaN where unknown: elevation in metres, speed
    // in km/h, heart rate in beats and cadence in turns a minute, power in watts.
    std::array<std::vector<double>, kProfileQuantityCount> values;
    // Which quantities any point knows.
    std::array<bool, kProfileQuantityCount> present{};
    bool hasTime = false;

    size_t Size() const { return metres.size(); }
    const std::vector<double>& Values(ProfileQuantity quantity) const {
        return values[static_cast<size_t>(quantity)];
    }
    bool Has(ProfileQuantity quantity) const { return present[static_cast<size_t>(quantity)]; }
};

// Speeds are worked out over at least this long where the device wrote none,
// so that one fix off by metres does not make a spike.
inline constexpr double kProfileSpeedWindowSeconds = 5.0;

RideProfile BuildRideProfile(const GpsTrack& track);

// Thins the points (x ascending) to at most two per column: the span from..to
// is cut into columns equal slices and each keeps its lowest and highest
// value, in the order they come, so that every peak and dip of the line
// stays. Points outside the span and unknown values (NaN) are left out.
std::vector<QPointF> DecimateMinMax(std::span<const double> x, std::span<const double> y, double from,
                                    double to, int columns);

// The index of the point whose x is nearest to x (xs ascending), or -1 when
// there is none.
int NearestProfilePoint(std::span<const double> xs, double x);

// The GPS file kept in the ride's memo folder (source/): the one named
// sourceFile when it is there, else the first GPX, TCX or FIT file; none
// when the folder holds no such file.
std::optional<QString> RideSourceFile(int32_t rideNumber, const QString& sourceFile);

// Of a file's tracks, the one that starts nearest to the ride's date
// (seconds since 1970); index 0 when none has a time.
size_t TrackOfRide(const std::vector<GpsTrack>& tracks, int64_t rideDate);
