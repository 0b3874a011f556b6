#include "units/DayRange.h"

#include "units/Units.h"

#include <algorithm>
#include <cstdio>
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

std::string DayRangeCondition(const DayRange& range, std::optional<int> bicycleNumber) {
    char condition[256];
    const int first = ClampToDate(range.first);
    const int last = ClampToDate(range.last);
    if (bicycleNumber) {
        std::snprintf(condition, sizeof condition, "(BicycleNumber==%d) and (Date>=%d) and (Date<=%d)",
                      *bicycleNumber, first, last);
    } else {
        std::snprintf(condition, sizeof condition, " (Date>=%d) and (Date<=%d)", first, last);
    }
    return condition;
}
