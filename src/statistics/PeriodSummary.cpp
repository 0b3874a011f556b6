#include "statistics/PeriodSummary.h"

#include "language/Language.h"
#include "statistics/StatSeries.h"
#include "units/Clock.h"
#include "units/DayRange.h"
#include "units/LocalCalendar.h"
#include "units/Units.h"

#include <QDate>
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <map>

namespace {

constexpr int kMonthsPerYear = 12;
constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kDaysPerMonthOfAllRides = 30;

QString DistanceText(double kilometres) {
    return FormatNumberWithUnit(FromKilometres(kilometres), GetDistanceUnitWord());
}

QString SpeedText(double kilometresPerHour) {
    return FormatNumberWithUnit(FromKilometres(kilometresPerHour), GetSpeedUnitWord());
}

// Riding times are summed in 64 bits, so they are shown the same way.
QString TimeText(int64_t hours, int64_t minutes, int64_t seconds) {
    return QString::asprintf("%lld:%02lld:%02lld", static_cast<long long>(hours),
                             static_cast<long long>(minutes), static_cast<long long>(seconds));
}

int64_t TotalSeconds(const RidingTimeSum& time) {
    return time.hours * 3600 + time.minutes * 60 + time.seconds;
}

StatRow TotalsRow(const QString& label, const PeriodTotals& totals) {
    const RidingTimeSum& time = totals.time;
    return {label, QString::number(totals.rides), DistanceText(totals.distance),
            TimeText(time.hours, time.minutes, time.seconds),
            SpeedText(AverageSpeed(totals.timedDistance, time.hours, time.minutes, time.seconds))};
}

// Every column of an average row is a real quotient, the rides too: 8 rides
// in a month of 31 days are 0.26 a day, not 0.
StatRow TotalsRow(const LanguageKey& label, const PeriodTotals& totals) {
    return TotalsRow(GetLanguageString(label), totals);
}

StatRow AverageRow(const LanguageKey& label, const PeriodTotals& totals, int64_t divisor) {
    const double rides = static_cast<double>(totals.rides) / static_cast<double>(divisor);
    const double distance = totals.distance / static_cast<double>(divisor);
    const int64_t seconds = TotalSeconds(totals.time) / divisor;
    return {GetLanguageString(label), FormatNumber(rides), DistanceText(distance),
            TimeText(seconds / 3600, seconds % 3600 / 60, seconds % 60),
            SpeedText(AverageSpeed(totals.timedDistance / static_cast<double>(divisor), 0, 0, seconds))};
}

// Whole metres: no device measures a climb closer than that. Empty when no
// ride of the period knows its ascent, so that "0 m" always means flat.
QString AscentText(const PeriodTotals& totals, int64_t divisor = 1) {
    if (totals.climbs == 0) {
        return QString();
    }
    return QString::number(std::llround(totals.ascent / static_cast<double>(divisor))) + QStringLiteral(" m");
}

StatRow WithAscent(StatRow row, const PeriodTotals& totals, int64_t divisor = 1) {
    row.append(AscentText(totals, divisor));
    return row;
}

QString YearText(int year) {
    return QString::asprintf("%04d", year);
}

QString MonthText(int year, int month) {
    return QString::asprintf("%04d/%02d", year, month);
}

StatRow SeparatorRow() {
    return {QString(), QString(), QString(), QString(), QString()};
}

}  // namespace

std::string BuildRideCondition(std::optional<int> bicycleNumber, int contents, int64_t startTime,
                               int64_t endTime) {
    if (contents == kContentsSummary || contents == kContentsYearByYear) {
        return bicycleNumber ? BicycleCondition(*bicycleNumber) : std::string();
    }
    // The same whole local days, both ends included, as the ride list's filter.
    return DayRangeCondition(LocalDayRange(startTime, endTime), bicycleNumber);
}

RideAscents AscentsOf(const std::vector<RideDetail>& details) {
    RideAscents ascents;
    for (const RideDetail& detail : details) {
        if (detail.Ascent) {
            ascents[detail.RideRecordNumber] = *detail.Ascent;
        }
    }
    return ascents;
}

void PeriodTotals::Add(const RideRecord& ride, const RideAscents* ascents) {
    ++rides;
    distance += ride.Distance;
    timedDistance += TimedDistance(ride.Distance, ride.Hours, ride.Minutes, ride.Seconds);
    time.Add(ride.Hours, ride.Minutes, ride.Seconds);
    if (ascents) {
        if (const auto found = ascents->find(ride.RideRecordNumber); found != ascents->end()) {
            ascent += found->second;
            ++climbs;
        }
    }
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[kMonthsPerYear] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > kMonthsPerYear) {
        return 0;
    }
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

Period LocalMonth(int year, int month) {
    // The day after the last one is day 1 of the next month (or year).
    return {LocalDayStart(year, month, 1), LocalDayStart(year, month, DaysInMonth(year, month) + 1) - 1};
}

Period LocalYear(int year) {
    return {LocalDayStart(year, 1, 1), LocalDayStart(year + 1, 1, 1) - 1};
}

PeriodSums SumPeriods(const RideRecordList& rides, int64_t now) {
    const LocalDateTime today = ToLocalDateTime(now);
    const int year = today.year;
    const int month = today.month;
    const int lastMonthYear = month == 1 ? year - 1 : year;
    const int lastMonth = month == 1 ? kMonthsPerYear : month - 1;

    PeriodSums sums;
    sums.daysThisMonth = DaysInMonth(year, month);
    sums.daysLastMonth = DaysInMonth(lastMonthYear, lastMonth);
    sums.daysThisYear = IsLeapYear(year) ? 366 : 365;
    sums.daysLastYear = IsLeapYear(year - 1) ? 366 : 365;

    const Period thisMonthPeriod = LocalMonth(year, month);
    const Period lastMonthPeriod = LocalMonth(lastMonthYear, lastMonth);
    const Period thisYearPeriod = LocalYear(year);
    const Period lastYearPeriod = LocalYear(year - 1);

    // The store hands the rides newest first, but the span of all rides is
    // taken from the smallest and largest date, so a list in any other order
    // can never give a span of no days.
    int64_t newest = std::numeric_limits<int64_t>::min();
    int64_t oldest = std::numeric_limits<int64_t>::max();
    for (const RideRecord& ride : rides) {
        const int64_t date = ride.Date;
        if (thisMonthPeriod.Contains(date)) {
            sums.thisMonth.Add(ride);
        }
        if (lastMonthPeriod.Contains(date)) {
            sums.lastMonth.Add(ride);
        }
        if (thisYearPeriod.Contains(date)) {
            sums.thisYear.Add(ride);
        }
        if (lastYearPeriod.Contains(date)) {
            sums.lastYear.Add(ride);
        }
        sums.allRides.Add(ride);
        newest = std::max(newest, date);
        oldest = std::min(oldest, date);
    }

    for (PeriodTotals* totals :
         {&sums.thisMonth, &sums.lastMonth, &sums.thisYear, &sums.lastYear, &sums.allRides}) {
        totals->time.Normalise();
    }
    if (!rides.empty()) {
        sums.daysAllRides = (newest - oldest) / kSecondsPerDay + 1;
        sums.monthsAllRides = sums.daysAllRides / kDaysPerMonthOfAllRides + 1;
    }
    return sums;
}

StatRows FormatPeriodSummary(const PeriodSums& sums) {
    const LanguageKey daily{"StatDlg", "DLAV"};
    const LanguageKey monthly{"StatDlg", "MTAV"};
    return {
        TotalsRow(LanguageKey{"StatDlg", "THMT"}, sums.thisMonth),
        AverageRow(daily, sums.thisMonth, sums.daysThisMonth),
        SeparatorRow(),
        TotalsRow(LanguageKey{"StatDlg", "LTMT"}, sums.lastMonth),
        AverageRow(daily, sums.lastMonth, sums.daysLastMonth),
        SeparatorRow(),
        TotalsRow(LanguageKey{"StatDlg", "THYR"}, sums.thisYear),
        AverageRow(monthly, sums.thisYear, kMonthsPerYear),
        AverageRow(daily, sums.thisYear, sums.daysThisYear),
        SeparatorRow(),
        TotalsRow(LanguageKey{"StatDlg", "LTYR"}, sums.lastYear),
        AverageRow(monthly, sums.lastYear, kMonthsPerYear),
        AverageRow(daily, sums.lastYear, sums.daysLastYear),
        SeparatorRow(),
        TotalsRow(LanguageKey{"StatDlg", "ALLR"}, sums.allRides),
        AverageRow(monthly, sums.allRides, sums.monthsAllRides),
        AverageRow(daily, sums.allRides, sums.daysAllRides),
    };
}

StatRows BuildPeriodSummary(const RideRecordList& rides) {
    return FormatPeriodSummary(SumPeriods(rides, CurrentTime()));
}

StatRows BuildPeriodStatistics(const RideRecordList& rides, const RideAscents& ascents, int year, int month) {
    const bool wholeYear = month < 1 || month > kMonthsPerYear;
    const Period period = wholeYear ? LocalYear(year) : LocalMonth(year, month);
    std::array<Period, kMonthsPerYear> months;
    for (int m = 1; m <= kMonthsPerYear; ++m) {
        months[static_cast<size_t>(m - 1)] = LocalMonth(year, m);
    }
    PeriodTotals totals;
    std::array<PeriodTotals, kMonthsPerYear> monthTotals;
    std::vector<const RideRecord*> inPeriod;
    for (const RideRecord& ride : rides) {
        if (!period.Contains(ride.Date)) {
            continue;
        }
        totals.Add(ride, &ascents);
        inPeriod.push_back(&ride);
        if (wholeYear) {
            for (size_t m = 0; m < months.size(); ++m) {
                if (months[m].Contains(ride.Date)) {
                    monthTotals[m].Add(ride, &ascents);
                    break;
                }
            }
        }
    }
    totals.time.Normalise();

    const LanguageKey daily{"StatDlg", "DLAV"};
    if (!wholeYear) {
        const int days = DaysInMonth(year, month);
        StatRows rows = {WithAscent(TotalsRow(MonthText(year, month), totals), totals),
                         WithAscent(AverageRow(daily, totals, days), totals, days),
                         WithAscent(SeparatorRow(), PeriodTotals())};
        // The days the rider rode, each with its weekday.
        for (int day = 1; day <= days; ++day) {
            const Period ofDay{LocalDayStart(year, month, day), LocalDayStart(year, month, day + 1) - 1};
            PeriodTotals dayTotals;
            for (const RideRecord* ride : inPeriod) {
                if (ofDay.Contains(ride->Date)) {
                    dayTotals.Add(*ride, &ascents);
                }
            }
            if (dayTotals.rides > 0) {
                dayTotals.time.Normalise();
                const QString label = QString::asprintf("%04d/%02d/%02d(", year, month, day) +
                                      GetWeekdayName(QDate(year, month, day).dayOfWeek() % 7) + u')';
                rows.push_back(WithAscent(TotalsRow(label, dayTotals), dayTotals));
            }
        }
        return rows;
    }
    const int days = IsLeapYear(year) ? 366 : 365;
    StatRows rows = {
        WithAscent(TotalsRow(YearText(year), totals), totals),
        WithAscent(AverageRow(LanguageKey{"StatDlg", "MTAV"}, totals, kMonthsPerYear), totals,
                   kMonthsPerYear),
        WithAscent(AverageRow(daily, totals, days), totals, days),
        WithAscent(SeparatorRow(), PeriodTotals()),
    };
    for (int m = 1; m <= kMonthsPerYear; ++m) {
        PeriodTotals& ofMonth = monthTotals[static_cast<size_t>(m - 1)];
        ofMonth.time.Normalise();
        rows.push_back(WithAscent(TotalsRow(MonthText(year, m), ofMonth), ofMonth));
    }
    return rows;
}

StatRows BuildYearOverview(const RideRecordList& rides, const RideAscents& ascents) {
    StatRows rows;
    if (rides.empty()) {
        return rows;
    }
    const LocalCalendar calendar;
    std::map<int, PeriodTotals> years;
    PeriodTotals all;
    for (const RideRecord& ride : rides) {
        years[calendar.At(ride.Date).year].Add(ride, &ascents);
        all.Add(ride, &ascents);
    }
    for (int year = years.rbegin()->first; year >= years.begin()->first; --year) {
        PeriodTotals& totals = years[year];
        totals.time.Normalise();
        rows.push_back(WithAscent(TotalsRow(YearText(year), totals), totals));
    }
    all.time.Normalise();
    rows.push_back(WithAscent(SeparatorRow(), PeriodTotals()));
    rows.push_back(WithAscent(TotalsRow(LanguageKey{"StatDlg", "ALLR"}, all), all));
    return rows;
}

std::vector<int> PickableYears(const RideRecordList& rides, int64_t now) {
    // Only the newest and the oldest date go through the calendar.
    int64_t latest = now;
    int64_t earliest = now;
    for (const RideRecord& ride : rides) {
        latest = std::max<int64_t>(latest, ride.Date);
        earliest = std::min<int64_t>(earliest, ride.Date);
    }
    const LocalCalendar calendar;
    const int newest = calendar.At(latest).year;
    const int oldest = calendar.At(earliest).year;
    std::vector<int> years;
    for (int year = newest; year >= oldest; --year) {
        years.push_back(year);
    }
    return years;
}

StatRows BuildRideDistanceList(const RideRecordList& rides) {
    return FormatSeries(BuildRideSeries(rides));
}
