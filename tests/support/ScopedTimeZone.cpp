#include "support/ScopedTimeZone.h"

#include <cstdlib>
#include <ctime>

ScopedTimeZone::ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) {
        m_previous = old;
    }
    setenv("TZ", zone, 1);
    tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
    if (m_previous) {
        setenv("TZ", m_previous->c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}
