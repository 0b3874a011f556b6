#include "units/DayRange.h"

#include "units/Units.h"

#include <algorithm>
#include <limits>

namespace {

bool SameDay(const LocalDateTime& local, int year, int month, int day) {
    return local.year == year && local.month == month && local.day == day;
}

int32_t ClampToDate(int64_t seconds) {
    return static_cast<int32_t>(std::clamp<int64_t>(seconds, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

int64_t LocalDayStart(int year, int month, int day) {
    // mktime normalises a day past the month's end, so "day + 1" is always
    // the next day. Read back what it made of midnight: where the clock
    // jumps over 00:00 it may land in the evening before.
    const int64_t guess = FromLocalDateTime(year, month, day);
    const LocalDateTime normal = ToLocalDateTime(FromLocalDateTime(year, month, day, 12));
    if (SameDay(ToLocalDateTime(guess), normal.year, normal.month, normal.day) &&
        !SameDay(ToLocalDateTime(guess - 1), normal.year, normal.month, normal.day)) {
        return guess;
    }
    // The first second that shows the day lies within a few hours of the
    // guess; the local date only grows with time there, so halve the gap.
    int64_t before = guess - 4 * 3600;
    int64_t after = guess + 4 * 3600;
    while (after - before > 1) {
        const int64_t middle = before + (after - before) / 2;
        const LocalDateTime local = ToLocalDateTime(middle);
        const bool reached =
            local.year != normal.year
                ? local.year > normal.year
                : (local.month != normal.month ? local.month > normal.month : local.day >= normal.day);
        (reached ? after : before) = middle;
    }
    return after;
}

DayRange LocalDayRange(int64_t fromTime, int64_t toTime) {
    const LocalDateTime from = ToLocalDateTime(fromTime);
    const LocalDateTime to = ToLocalDateTime(toTime);
    return {LocalDayStart(from.year, from.month, from.day), LocalDayStart(to.year, to.month, to.day + 1) - 1};
}

std::string BicycleCondition(int bicycleNumber) {
    return "(BicycleNumber==" + std::to_string(bicycleNumber) + ")";
}

std::string DayRangeCondition(const DayRange& range, std::optional<int> bicycleNumber) {
    const std::string days = " (Date>=" + std::to_string(ClampToDate(range.first)) +
                             ") and (Date<=" + std::to_string(ClampToDate(range.last)) + ")";
    // The bicycle's part leads without the space the days begin with.
    return bicycleNumber ? BicycleCondition(*bicycleNumber) + " and" + days : days;
}
