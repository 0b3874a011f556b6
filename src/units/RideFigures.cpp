#include "units/RideFigures.h"

double AverageSpeed(double distanceKm, int64_t hours, int64_t minutes, int64_t seconds) {
    const double totalSeconds = static_cast<double>(hours) * 3600.0 + static_cast<double>(minutes) * 60.0 +
                                static_cast<double>(seconds);
    if (totalSeconds <= 0.0) {
        return 0.0;
    }
    return distanceKm * 3600.0 / totalSeconds;
}

void RidingTimeSum::Normalise() {
    if (seconds > 59) {
        minutes += seconds / 60;
        seconds %= 60;
    }
    if (minutes > 59) {
        hours += minutes / 60;
        minutes %= 60;
    }
}
