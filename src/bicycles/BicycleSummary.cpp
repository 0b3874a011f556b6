#include "bicycles/BicycleSummary.h"

#include "language/CountedText.h"
#include "language/Language.h"
#include "units/RideFigures.h"
#include "units/SafeFormat.h"
#include "units/Units.h"

#include <algorithm>
#include <limits>

double ShownAverageSpeed(double distanceKm, int64_t hours, int64_t minutes, int64_t seconds) {
    return FromKilometres(AverageSpeed(distanceKm, hours, minutes, seconds));
}

BicycleTotals SumBicycles(const BicycleList& bicycles) {
    BicycleTotals totals;
    RidingTimeSum time;
    for (const BicycleAttribute& bicycle : bicycles) {
        totals.distanceKm += bicycle.TotalDistance;
        totals.timedDistanceKm += bicycle.TimedDistance;
        time.Add(bicycle.TotalHours, bicycle.TotalMinutes, bicycle.TotalSeconds);
        if (bicycle.MaxSpeed > totals.maxSpeedKmh) {
            totals.maxSpeedKmh = bicycle.MaxSpeed;
        }
        ++totals.count;
    }
    time.Normalise();
    totals.hours = time.hours;
    totals.minutes = time.minutes;
    totals.seconds = time.seconds;
    return totals;
}

QString BicycleStatusText(const BicycleTotals& totals) {
    // The formatter takes int for %d; a sum of hours beyond that is held there.
    auto asInt = [](int64_t value) {
        return static_cast<int>(
            std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    const QString text =
        SafeFormat(GetCountedLanguageString(LanguageKey{"BicycleDlg", "STAT"},
                                            LanguageKey{"BicycleDlg", "STA1"}, totals.count),
                   {totals.count, FromKilometres(totals.distanceKm), GetDistanceUnitWord(),
                    asInt(totals.hours), asInt(totals.minutes), asInt(totals.seconds),
                    ShownAverageSpeed(totals.timedDistanceKm, totals.hours, totals.minutes, totals.seconds),
                    GetSpeedUnitWord(), FromKilometres(totals.maxSpeedKmh), GetSpeedUnitWord()});
    return text.left(kStatusTextLength);
}
