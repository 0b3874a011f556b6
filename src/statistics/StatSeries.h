#pragma once
// The series behind every contents of the statistics page except the period
// summary: distance, riding time, average speed or number of rides, per ride,
// per local calendar day, per week or per month of the picked days. Plain
// functions of the ride list, the days, the first day of the week and now;
// the page lists their rows and draws them as a chart.

#include "statistics/PeriodSummary.h"
#include "store/store.h"
#include "units/Units.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

class ReportText;

enum class SeriesMeasure { Distance, Time, Speed, Rides, Ascent };
enum class SeriesPeriod { Ride, Day, Week, Month };

struct SeriesKind {
    SeriesMeasure measure = SeriesMeasure::Distance;
    SeriesPeriod period = SeriesPeriod::Day;
    bool operator==(const SeriesKind&) const = default;
};

// What a contents of the page's chooser lists; nothing for the summary.
std::optional<SeriesKind> SeriesKindOf(int contents);

// The local weekday (0 = Sunday) a week starts on, from the options page's
// choice: 1 is Sunday; 0, and anything unknown, Monday.
int FirstWeekdayOf(int weekStartChoice);

// One period of a series, or one ride of the ride-by-ride series.
struct SeriesPoint {
    int64_t start = 0;         // first second of the period in the local calendar; a ride's Date
    LocalDateTime date;        // the local calendar day of start
    int32_t rides = 0;         // rides counted in the period
    double distance = 0;       // kilometres
    double timedDistance = 0;  // of the rides with a riding time
    int64_t seconds = 0;       // riding time
    double ascent = 0;         // metres, of the rides whose ascent is known
    int32_t climbs = 0;        // those rides
};

struct StatSeries {
    SeriesKind kind;
    std::vector<SeriesPoint> points;  // oldest first
};

// The series of the rides on the whole local days from the day of startTime
// to the day of endTime, both included; rides outside are left out. Periods
// without rides are there with zeros. The periods run from the one holding
// the first day to the one holding the last day, but not past now unless a
// ride lies later: days still to come hold nothing yet. A week starts on
// firstWeekday (0 = Sunday). The ride-by-ride series holds one point per
// ride instead, oldest first. Ascents, when given, add each ride's ascent.
StatSeries BuildSeries(const RideRecordList& rides, SeriesKind kind, int64_t startTime, int64_t endTime,
                       int firstWeekday, int64_t now, const RideAscents* ascents = nullptr);

// The distance of every ride of the list, whatever its date, oldest first.
StatSeries BuildRideSeries(const RideRecordList& rides);

// A point's value as the chart draws it, in the display unit: distance in km
// or miles, riding time in hours, average speed (distance over riding time,
// 0 without time) in km/h or mph, the number of rides, or the ascent in metres.
double SeriesValue(const SeriesPoint& point, SeriesMeasure measure);

// The rows the list shows, two texts each: the period (a ride's or a day's
// date with its weekday, a week's first day, a month) and the value with its
// unit word in the display unit. An ascent is left empty for a period whose
// rides all lack one: unknown is not flat.
StatRows FormatSeries(const StatSeries& series);

// The unit the value axis and the comma-separated report name: km or miles,
// hours, km/h or mph, rides.
QString SeriesUnitWord(SeriesMeasure measure);

// The comma-separated report of a series: a heading line (date, then the
// value's heading with its unit), one line per point with the value as a
// plain number (riding time as h:mm:ss), then the description line and the
// closing lines every report has.
ReportText BuildSeriesCsvReport(const StatSeries& series, const QString& dateHeading,
                                const QString& valueHeading, const QString& description);

// The points a line draws of a long series (x rising): all of them up to
// `most`, beyond that the first, the lowest, the highest and the last point of
// each of `columns` equal stretches of x, so that the drawn line looks the
// same at any width up to that many pixels. Indexes into x, rising.
std::vector<size_t> DrawnPoints(const std::vector<double>& x, const std::vector<double>& y, size_t most,
                                int columns);

// A mark on the date axis: a moment and its label.
struct DateTick {
    int64_t time = 0;
    QString label;
    bool operator==(const DateTick&) const = default;
};

// Marks for a date axis from `from` to `to`: at most maxTicks of them, on
// whole years ("2024"), months ("2024/03") or days ("2024/03/15") of the
// local calendar, the finest step that fits. Steps of days count from the
// day of `from`. With weeks as the finest period only steps of 7 or 14 days
// or longer are taken, so that from a week's first day every mark falls on
// one; with months only months and years.
std::vector<DateTick> DateTicks(int64_t from, int64_t to, int maxTicks,
                                SeriesPeriod finest = SeriesPeriod::Day);
