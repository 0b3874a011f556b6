#include "units/LocalCalendar.h"

#include <ctime>

LocalCalendar::LocalCalendar() {
    tzset();
}

LocalDateTime LocalCalendar::At(int64_t secondsSince1970) const {
    // localtime_r keeps to the zone tzset() last read.
    const std::time_t time = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
    if (!localtime_r(&time, &local)) {
        return {};
    }
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
            local.tm_min,         local.tm_sec,     local.tm_wday};
}
