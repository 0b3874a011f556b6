#pragma once
// The figures of the bicycles page without its widgets: the sums over all
// bicycles and the status line made of them.

#include "store/store.h"

#include <QString>
#include <cstdint>

// A bicycle's or a sum's average speed in the unit shown: km/h, or mph when
// miles are configured; 0 when the riding time is not positive.
double ShownAverageSpeed(double distanceKm, int64_t hours, int64_t minutes, int64_t seconds);

// The sums the status line shows, over every bicycle of a list.
struct BicycleTotals {
    int count = 0;
    double distanceKm = 0.0;
    double timedDistanceKm = 0.0;  // of the rides with a riding time: what the average speed divides
    int64_t hours = 0;             // seconds above 59 carried into minutes, minutes into hours
    int64_t minutes = 0;
    int64_t seconds = 0;
    double maxSpeedKmh = 0.0;  // the highest of the bicycles' top speeds, 0 when none is higher
};
BicycleTotals SumBicycles(const BicycleList& bicycles);

// The longest status text kept; the reports repeat it.
inline constexpr int kStatusTextLength = 255;

// BicycleDlg/STAT filled with the count, the distance and its unit, the
// riding time, the average speed and the top speed with their units, all in
// the unit shown; cut to kStatusTextLength characters.
QString BicycleStatusText(const BicycleTotals& totals);
