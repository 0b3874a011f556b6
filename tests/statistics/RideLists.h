#pragma once
// Plain ride lists for the statistics functions, as the store hands them out.

#include "store/store.h"
#include "units/Units.h"

#include <algorithm>
#include <cstdint>

inline RideRecord Ride(int64_t date, double km, int hours = 0, int minutes = 0, int seconds = 0,
                       int bicycle = 1) {
    RideRecord ride;
    ride.Date = static_cast<int32_t>(date);
    ride.Distance = km;
    ride.Hours = hours;
    ride.Minutes = minutes;
    ride.Seconds = seconds;
    ride.BicycleNumber = bicycle;
    return ride;
}

// Newest first, as the store hands them out.
inline RideRecordList NewestFirst(RideRecordList rides) {
    std::stable_sort(rides.begin(), rides.end(),
                     [](const RideRecord& a, const RideRecord& b) { return a.Date > b.Date; });
    return rides;
}

inline int64_t Local(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return FromLocalDateTime(year, month, day, hour, minute, second);
}
