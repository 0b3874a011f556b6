#pragma once
// "Now" for the whole program. Tests pin it so that dates of new records,
// default picker values and period statistics are reproducible.

#include <cstdint>
#include <optional>

// Seconds since 1970-01-01 UTC: the pinned time if one is set, else the system clock.
int64_t CurrentTime();
// Pins "now" (tests only); std::nullopt returns to the system clock.
void SetCurrentTimeForTesting(std::optional<int64_t> secondsSince1970);
