#pragma once
// The date filter of the list pages: a range of whole local calendar days.
// A record belongs to the range when local 00:00:00 of the first day <= Date
// <= local 23:59:59 of the last day, whatever the time zone and across
// daylight-saving changes (a day may last 23 or 25 hours).

#include <cstdint>
#include <optional>
#include <string>

struct DayRange {
    int64_t first = 0;  // first second of the first day
    int64_t last = 0;   // last second of the last day
};

// The range of local days from the day of fromTime to the day of toTime
// (seconds since 1970; their time of day does not matter).
DayRange LocalDayRange(int64_t fromTime, int64_t toTime);

// The first second of the local day year-month-day. Where a clock change
// skips midnight, the day starts at the first moment that exists.
int64_t LocalDayStart(int year, int month, int day);

// The store's condition texts, written here only. Records of one bicycle:
// "(BicycleNumber==%d)".
std::string BicycleCondition(int bicycleNumber);

// Records of the range, optionally of one bicycle only:
// "(BicycleNumber==%d) and (Date>=%d) and (Date<=%d)" or
// " (Date>=%d) and (Date<=%d)". Bounds are clamped to the 32-bit dates the
// tables hold.
std::string DayRangeCondition(const DayRange& range, std::optional<int> bicycleNumber = std::nullopt);
