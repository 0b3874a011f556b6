#pragma once
// What the statistics page shows, worked out from the rides the store
// returns: the condition that selects them, the period summary (this month,
// last month, this year, last year and all rides, each with its averages) and
// the ride-by-ride distance list. Plain functions over plain records; every
// text comes out ready to show, in the distance unit in force.

#include "store/store.h"
#include "units/RideFigures.h"

#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The contents the page can list, in the order of its contents chooser: the
// summary, then the series of StatSeries.h.
enum StatContents : int {
    kContentsSummary = 0,      // SIMP: the period summary
    kContentsDistanceByRide,   // DSTD
    kContentsDistanceByWeek,   // DSTW
    kContentsDistanceByMonth,  // DSTM
    kContentsTimeByDay,        // TMED
    kContentsTimeByWeek,       // TMEW
    kContentsTimeByMonth,      // TMEM
    kContentsSpeedByDay,       // AVSD
    kContentsSpeedByWeek,      // AVSW
    kContentsSpeedByMonth,     // AVSM
    kContentsRidesByWeek,      // NORW
    kContentsRidesByMonth,     // NORM
    kContentsAscentByDay,      // ASCD
    kContentsAscentByWeek,     // ASCW
    kContentsAscentByMonth,    // ASCM
    kContentsYearByYear,       // YEAR: one row per year
    kContentsCount
};

// One row of the page's list: its texts, column by column.
using StatRow = QStringList;
using StatRows = std::vector<StatRow>;

// The store's condition for the rides of the contents: the summary and the
// year-by-year overview take every ride of the bicycle (no bicycle: every ride, the empty text); the
// other contents take the rides of the whole local days from the day of
// startTime to the day of endTime.
std::string BuildRideCondition(std::optional<int> bicycleNumber, int contents, int64_t startTime,
                               int64_t endTime);

// The ascent of each ride that has one in its detail row, by ride number.
using RideAscents = std::unordered_map<int32_t, double>;
RideAscents AscentsOf(const std::vector<RideDetail>& details);

// Rides, distance and riding time summed over one period.
struct PeriodTotals {
    int32_t rides = 0;
    double distance = 0.0;       // kilometres
    double timedDistance = 0.0;  // of the rides with a riding time
    RidingTimeSum time;
    // Metres, of the rides whose ascent is known; climbs counts those rides.
    double ascent = 0.0;
    int32_t climbs = 0;

    void Add(const RideRecord& ride, const RideAscents* ascents = nullptr);
};

// The five periods of a summary and the day and month counts its averages
// divide by.
struct PeriodSums {
    PeriodTotals thisMonth;
    PeriodTotals lastMonth;
    PeriodTotals thisYear;
    PeriodTotals lastYear;
    PeriodTotals allRides;
    int daysThisMonth = 0;
    int daysLastMonth = 0;
    int daysThisYear = 0;
    int daysLastYear = 0;
    int64_t daysAllRides = 1;    // from the oldest ride's day to the newest's
    int64_t monthsAllRides = 1;  // those days in months of 30 days
};

// Gregorian: every fourth year, but of the centuries only every fourth.
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// The first second of each period and the last, in the local calendar.
struct Period {
    int64_t first = 0;
    int64_t last = 0;
    bool Contains(int64_t date) const { return first <= date && date <= last; }
};
Period LocalMonth(int year, int month);
Period LocalYear(int year);

// Sums the rides in one pass; the periods are those of the local calendar at now.
PeriodSums SumPeriods(const RideRecordList& rides, int64_t now);

// The 17 rows of the summary, 5 texts each: label, rides, distance, riding
// time, average speed. The rows between the periods are empty.
StatRows FormatPeriodSummary(const PeriodSums& sums);

// The summary of the rides as of now (CurrentTime()).
StatRows BuildPeriodSummary(const RideRecordList& rides);

// The statistics of one chosen period: a whole local year (month 0) or one
// month of it, with the rows the summary shows for this year or this month
// (totals named after the period, then the monthly average of a year and the
// daily average), each with the ascent where known as a sixth text. A year
// goes on, after an empty row, with the totals of each of its months; a
// month with those of each day it holds rides on.
StatRows BuildPeriodStatistics(const RideRecordList& rides, const RideAscents& ascents, int year, int month);

// One totals row per local year from the newest ride's year down to the
// oldest's, years without rides included: year, rides, distance, riding
// time, average speed and ascent (empty when no ride of the year has one);
// then an empty row and the totals of all rides.
StatRows BuildYearOverview(const RideRecordList& rides, const RideAscents& ascents);

// The years a period can be picked from: the newest ride's (or this year,
// when later) down to the oldest ride's.
std::vector<int> PickableYears(const RideRecordList& rides, int64_t now);

// One row per ride, oldest at the top: its local date with the weekday, and
// its distance.
StatRows BuildRideDistanceList(const RideRecordList& rides);
