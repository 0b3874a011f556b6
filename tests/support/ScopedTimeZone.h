#pragma once
// Pins the time zone for a scope and puts the previous one back when the scope
// ends, also when an assertion ends the test early. No Qt: the store's tests
// use it too.

#include <optional>
#include <string>

// Pins TZ (an Olson name such as "Europe/Berlin") and re-reads it.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> m_previous;
};
