#pragma once
// Figures worked out from rides: the average speed and the sum of riding
// times. The ride, bicycle and statistics pages all show them.

#include <cstdint>

// Distance in km over the riding time, in km/h; 0 when the time is not positive.
double AverageSpeed(double distanceKm, int64_t hours, int64_t minutes, int64_t seconds);

// The distance of a ride that counts towards average speeds: a ride stored
// with a distance but no riding time counts in distance totals, but would
// make any average it joined as fast as it likes, so it joins none.
inline double TimedDistance(double distanceKm, int64_t hours, int64_t minutes, int64_t seconds) {
    return hours * 3600 + minutes * 60 + seconds > 0 ? distanceKm : 0.0;
}

// A sum of riding times, kept as hours, minutes and seconds the way rides
// store them. Normalise carries seconds above 59 into minutes and minutes
// above 59 into hours (hours are not limited).
struct RidingTimeSum {
    int64_t hours = 0;
    int64_t minutes = 0;
    int64_t seconds = 0;

    void Add(int64_t h, int64_t m, int64_t s) {
        hours += h;
        minutes += m;
        seconds += s;
    }
    void Normalise();
};
