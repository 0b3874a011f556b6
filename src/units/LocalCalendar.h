#pragma once
// Many dates through the local calendar at once, as reports and long lists
// need them. ToLocalDateTime reads the time zone again for every date, which
// costs a file look-up each time; a LocalCalendar reads it once, when it is
// made, and then converts dates at the cost of the conversion alone.

#include "units/Units.h"

#include <cstdint>

class LocalCalendar {
public:
    LocalCalendar();
    // The same as ToLocalDateTime, in the time zone in force when the calendar was made.
    LocalDateTime At(int64_t secondsSince1970) const;
};
