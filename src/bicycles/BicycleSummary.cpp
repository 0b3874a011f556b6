#include "bicycles/BicycleSummary.h"

#include "language/Language.h"
#include "units/SafeFormat.h"
#include "units/Units.h"

double AverageSpeed(double distanceKm, int hours, int minutes, int seconds) {
    // In 64 bits: a log of many long rides must not wrap the seconds.
    const long long totalSeconds =
        static_cast<long long>(hours) * 3600 + static_cast<long long>(minutes) * 60 + seconds;
    if (totalSeconds <= 0) {
        return 0.0;
    }
    return FromKilometres(distanceKm * 3600.0 / static_cast<double>(totalSeconds));
}

BicycleTotals SumBicycles(const BicycleList& bicycles) {
    BicycleTotals totals;
    long long hours = 0;
    long long minutes = 0;
    long long seconds = 0;
    for (const BicycleAttribute& bicycle : bicycles) {
        totals.distanceKm += bicycle.TotalDistance;
        hours += bicycle.TotalHours;
        minutes += bicycle.TotalMinutes;
        seconds += bicycle.TotalSeconds;
        if (bicycle.MaxSpeed > totals.maxSpeedKmh) {
            totals.maxSpeedKmh = bicycle.MaxSpeed;
        }
        ++totals.count;
    }
    if (seconds > 59) {
        minutes += seconds / 60;
        seconds %= 60;
    }
    if (minutes > 59) {
        hours += minutes / 60;
        minutes %= 60;
    }
    totals.hours = static_cast<int>(hours);
    totals.minutes = static_cast<int>(minutes);
    totals.seconds = static_cast<int>(seconds);
    return totals;
}

QString BicycleStatusText(const BicycleTotals& totals) {
    const QString text = SafeFormat(
        GetLanguageString("BicycleDlg", "STAT"),
        {totals.count, FromKilometres(totals.distanceKm), GetDistanceUnitWord(), totals.hours, totals.minutes,
         totals.seconds, AverageSpeed(totals.distanceKm, totals.hours, totals.minutes, totals.seconds),
         GetSpeedUnitWord(), FromKilometres(totals.maxSpeedKmh), GetSpeedUnitWord()});
    return text.left(kStatusTextLength);
}
