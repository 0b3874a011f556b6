#include "units/Clock.h"

#include <ctime>

namespace {

std::optional<int64_t>& PinnedTime() {
    static std::optional<int64_t> pinned;
    return pinned;
}

}  // namespace

int64_t CurrentTime() {
    if (const std::optional<int64_t>& pinned = PinnedTime()) {
        return *pinned;
    }
    return static_cast<int64_t>(std::time(nullptr));
}

void SetCurrentTimeForTesting(std::optional<int64_t> secondsSince1970) {
    PinnedTime() = secondsSince1970;
}
