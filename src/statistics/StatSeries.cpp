#include "statistics/StatSeries.h"

#include "language/Language.h"
#include "reports/RecordReport.h"
#include "reports/ReportText.h"
#include "units/DayRange.h"
#include "units/LocalCalendar.h"
#include "units/RecordCells.h"
#include "units/RideFigures.h"

#include <QDate>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr int64_t kSecondsPerDay = 86400;

QDate DateOf(const LocalDateTime& local) {
    return QDate(local.year, local.month, local.day);
}

LocalDateTime LocalDay(const QDate& date) {
    LocalDateTime local;
    local.year = date.year();
    local.month = date.month();
    local.day = date.day();
    local.weekday = date.dayOfWeek() % 7;  // Qt counts Monday 1 to Sunday 7
    return local;
}

int64_t DayStart(const QDate& date) {
    return LocalDayStart(date.year(), date.month(), date.day());
}

// The first seconds of the days from `first` to `last`. A day mostly starts
// 86400 seconds after the one before, which one look at the calendar
// confirms; only around a clock change is the start searched for.
std::vector<int64_t> DayStarts(const QDate& first, const QDate& last, const LocalCalendar& calendar) {
    std::vector<int64_t> starts;
    if (first > last) {
        return starts;
    }
    starts.reserve(static_cast<size_t>(first.daysTo(last) + 1));
    int64_t start = DayStart(first);
    starts.push_back(start);
    for (QDate day = first.addDays(1); day <= last; day = day.addDays(1)) {
        const int64_t guess = start + kSecondsPerDay;
        const LocalDateTime local = calendar.At(guess);
        const bool midnight = local.hour == 0 && local.minute == 0 && local.second == 0 &&
                              local.day == day.day() && local.month == day.month() &&
                              local.year == day.year();
        start = midnight ? guess : DayStart(day);
        starts.push_back(start);
    }
    return starts;
}

// The periods of a series: their first days and first seconds, oldest first.
struct Periods {
    std::vector<QDate> days;
    std::vector<int64_t> starts;
};

Periods MakePeriods(SeriesPeriod period, const QDate& firstDay, const QDate& lastDay, int firstWeekday,
                    const LocalCalendar& calendar) {
    Periods periods;
    switch (period) {
        case SeriesPeriod::Day:
            periods.starts = DayStarts(firstDay, lastDay, calendar);
            for (QDate day = firstDay; day <= lastDay; day = day.addDays(1)) {
                periods.days.push_back(day);
            }
            break;
        case SeriesPeriod::Week: {
            const int back = (firstDay.dayOfWeek() % 7 - firstWeekday + 7) % 7;
            for (QDate day = firstDay.addDays(-back); day <= lastDay; day = day.addDays(7)) {
                periods.days.push_back(day);
                periods.starts.push_back(DayStart(day));
            }
            break;
        }
        case SeriesPeriod::Month:
            for (QDate day(firstDay.year(), firstDay.month(), 1); day <= lastDay; day = day.addMonths(1)) {
                periods.days.push_back(day);
                periods.starts.push_back(DayStart(day));
            }
            break;
        case SeriesPeriod::Ride:
            break;
    }
    return periods;
}

bool Inside(const DayRange& range, int64_t date) {
    return range.first <= date && date <= range.last;
}

void Add(SeriesPoint& point, const RideRecord& ride, const RideAscents* ascents) {
    ++point.rides;
    point.distance += ride.Distance;
    point.timedDistance += TimedDistance(ride.Distance, ride.Hours, ride.Minutes, ride.Seconds);
    point.seconds += int64_t{ride.Hours} * 3600 + int64_t{ride.Minutes} * 60 + ride.Seconds;
    if (ascents) {
        if (const auto found = ascents->find(ride.RideRecordNumber); found != ascents->end()) {
            point.ascent += found->second;
            ++point.climbs;
        }
    }
}

// Whole metres, empty when the period has rides but none with an ascent.
QString AscentValue(const SeriesPoint& point) {
    if (point.climbs == 0 && point.rides > 0) {
        return QString();
    }
    return QString::number(std::llround(point.ascent));
}

// One point per ride (of the range, when one is given), oldest first; rides
// of the same moment keep the reverse of the store's order, as the list has
// always shown them.
std::vector<SeriesPoint> RidePoints(const RideRecordList& rides, const std::optional<DayRange>& range,
                                    const RideAscents* ascents) {
    const LocalCalendar calendar;
    std::vector<SeriesPoint> points;
    points.reserve(rides.size());
    for (auto ride = rides.rbegin(); ride != rides.rend(); ++ride) {
        if (range && !Inside(*range, ride->Date)) {
            continue;
        }
        SeriesPoint point;
        point.start = ride->Date;
        point.date = calendar.At(ride->Date);
        Add(point, *ride, ascents);
        points.push_back(point);
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const SeriesPoint& a, const SeriesPoint& b) { return a.start < b.start; });
    return points;
}

// "%lld:%02lld:%02lld" of a riding time in seconds; sums of many rides may
// pass what an int holds.
void AppendRidingTime(QString& out, int64_t seconds) {
    out += QString::number(seconds / 3600);
    out += u':';
    AppendZeroPadded(out, static_cast<int>(seconds % 3600 / 60), 2);
    out += u':';
    AppendZeroPadded(out, static_cast<int>(seconds % 60), 2);
}

void AppendDay(QString& out, const LocalDateTime& date) {
    AppendZeroPadded(out, date.year, 4);
    out += u'/';
    AppendZeroPadded(out, date.month, 2);
    out += u'/';
    AppendZeroPadded(out, date.day, 2);
}

// The period as the list names it; a day's weekday only when weekdays are given.
QString PeriodText(const SeriesPoint& point, SeriesPeriod period, const std::array<QString, 7>* weekdays) {
    QString text;
    text.reserve(24);
    if (period == SeriesPeriod::Month) {
        AppendZeroPadded(text, point.date.year, 4);
        text += u'/';
        AppendZeroPadded(text, point.date.month, 2);
        return text;
    }
    AppendDay(text, point.date);
    if (weekdays && period != SeriesPeriod::Week) {
        text += u'(';
        text += point.date.weekday >= 0 && point.date.weekday < 7
                    ? (*weekdays)[static_cast<size_t>(point.date.weekday)]
                    : GetWeekdayName(point.date.weekday);
        text += u')';
    }
    return text;
}

double SpeedOf(const SeriesPoint& point) {
    return AverageSpeed(point.timedDistance, 0, 0, point.seconds);
}

}  // namespace

std::optional<SeriesKind> SeriesKindOf(int contents) {
    using M = SeriesMeasure;
    using P = SeriesPeriod;
    switch (contents) {
        case kContentsDistanceByRide:
            return SeriesKind{M::Distance, P::Ride};
        case kContentsDistanceByWeek:
            return SeriesKind{M::Distance, P::Week};
        case kContentsDistanceByMonth:
            return SeriesKind{M::Distance, P::Month};
        case kContentsTimeByDay:
            return SeriesKind{M::Time, P::Day};
        case kContentsTimeByWeek:
            return SeriesKind{M::Time, P::Week};
        case kContentsTimeByMonth:
            return SeriesKind{M::Time, P::Month};
        case kContentsSpeedByDay:
            return SeriesKind{M::Speed, P::Day};
        case kContentsSpeedByWeek:
            return SeriesKind{M::Speed, P::Week};
        case kContentsSpeedByMonth:
            return SeriesKind{M::Speed, P::Month};
        case kContentsRidesByWeek:
            return SeriesKind{M::Rides, P::Week};
        case kContentsRidesByMonth:
            return SeriesKind{M::Rides, P::Month};
        case kContentsAscentByDay:
            return SeriesKind{M::Ascent, P::Day};
        case kContentsAscentByWeek:
            return SeriesKind{M::Ascent, P::Week};
        case kContentsAscentByMonth:
            return SeriesKind{M::Ascent, P::Month};
        default:
            return std::nullopt;
    }
}

int FirstWeekdayOf(int weekStartChoice) {
    return weekStartChoice == 1 ? 0 : 1;
}

StatSeries BuildSeries(const RideRecordList& rides, SeriesKind kind, int64_t startTime, int64_t endTime,
                       int firstWeekday, int64_t now, const RideAscents* ascents) {
    StatSeries series{kind, {}};
    const DayRange range = LocalDayRange(startTime, endTime);
    if (range.first > range.last) {
        return series;
    }
    if (kind.period == SeriesPeriod::Ride) {
        series.points = RidePoints(rides, range, ascents);
        return series;
    }

    // Days still to come hold no rides yet; the series stops at today, or
    // at the latest ride when one was entered ahead.
    int64_t last = range.last;
    if (now < last) {
        int64_t newest = std::numeric_limits<int64_t>::min();
        for (const RideRecord& ride : rides) {
            if (Inside(range, ride.Date)) {
                newest = std::max<int64_t>(newest, ride.Date);
            }
        }
        last = std::max(now, newest);
        if (last < range.first) {
            return series;
        }
    }

    const LocalCalendar calendar;
    const Periods periods = MakePeriods(kind.period, DateOf(calendar.At(range.first)),
                                        DateOf(calendar.At(last)), ((firstWeekday % 7) + 7) % 7, calendar);
    series.points.resize(periods.starts.size());
    for (size_t i = 0; i < periods.starts.size(); ++i) {
        series.points[i].start = periods.starts[i];
        series.points[i].date = LocalDay(periods.days[i]);
    }
    if (series.points.empty()) {
        return series;
    }
    // The periods cover every day of the range up to `last`, and no ride of
    // the range lies after it, so each ride falls into exactly one period.
    for (const RideRecord& ride : rides) {
        if (!Inside(range, ride.Date)) {
            continue;
        }
        const auto after = std::upper_bound(periods.starts.begin(), periods.starts.end(), int64_t{ride.Date});
        if (after == periods.starts.begin()) {
            continue;
        }
        Add(series.points[static_cast<size_t>(after - periods.starts.begin() - 1)], ride, ascents);
    }
    return series;
}

StatSeries BuildRideSeries(const RideRecordList& rides) {
    return {SeriesKind{SeriesMeasure::Distance, SeriesPeriod::Ride},
            RidePoints(rides, std::nullopt, nullptr)};
}

double SeriesValue(const SeriesPoint& point, SeriesMeasure measure) {
    switch (measure) {
        case SeriesMeasure::Distance:
            return FromKilometres(point.distance);
        case SeriesMeasure::Time:
            return static_cast<double>(point.seconds) / 3600.0;
        case SeriesMeasure::Speed:
            return FromKilometres(SpeedOf(point));
        case SeriesMeasure::Rides:
            return point.rides;
        case SeriesMeasure::Ascent:
            return point.ascent;
    }
    return 0;
}

StatRows FormatSeries(const StatSeries& series) {
    std::array<QString, 7> weekdays;
    for (int day = 0; day < 7; ++day) {
        weekdays[static_cast<size_t>(day)] = GetWeekdayName(day);
    }
    QString unit;
    switch (series.kind.measure) {
        case SeriesMeasure::Distance:
            unit = u' ' + GetDistanceUnitWord();
            break;
        case SeriesMeasure::Speed:
            unit = u' ' + GetSpeedUnitWord();
            break;
        default:
            break;
    }

    StatRows rows;
    rows.reserve(series.points.size());
    for (const SeriesPoint& point : series.points) {
        QString value;
        switch (series.kind.measure) {
            case SeriesMeasure::Distance:
            case SeriesMeasure::Speed:
                value = FormatNumber(SeriesValue(point, series.kind.measure)) + unit;
                break;
            case SeriesMeasure::Time:
                AppendRidingTime(value, point.seconds);
                break;
            case SeriesMeasure::Rides:
                value = QString::number(point.rides);
                break;
            case SeriesMeasure::Ascent:
                value = AscentValue(point);
                if (!value.isEmpty()) {
                    value += QStringLiteral(" m");
                }
                break;
        }
        rows.push_back({PeriodText(point, series.kind.period, &weekdays), value});
    }
    return rows;
}

QString SeriesUnitWord(SeriesMeasure measure) {
    switch (measure) {
        case SeriesMeasure::Distance:
            return GetDistanceUnitWord();
        case SeriesMeasure::Time:
            return GetLanguageString("StatDlg", "HOUR");
        case SeriesMeasure::Speed:
            return GetSpeedUnitWord();
        case SeriesMeasure::Rides:
            return GetLanguageString("StatDlg", "NOFR");
        case SeriesMeasure::Ascent:
            return QStringLiteral("m");
    }
    return {};
}

ReportText BuildSeriesCsvReport(const StatSeries& series, const QString& dateHeading,
                                const QString& valueHeading, const QString& description) {
    const SeriesMeasure measure = series.kind.measure;
    ReportText report(static_cast<qsizetype>(series.points.size()) * 24 + 256);
    // Numbers without unit words, so that a spreadsheet can reckon with
    // them; the unit stands in the heading.
    const bool unitInHeading = measure == SeriesMeasure::Distance || measure == SeriesMeasure::Speed ||
                               measure == SeriesMeasure::Ascent;
    report.CsvField(dateHeading).Write(u",");
    report.CsvField(unitInHeading ? valueHeading + QStringLiteral(" (") + SeriesUnitWord(measure) + u')'
                                  : valueHeading);
    report.Line();
    QString value;
    for (const SeriesPoint& point : series.points) {
        value.clear();
        switch (measure) {
            case SeriesMeasure::Distance:
            case SeriesMeasure::Speed:
                value = FormatNumber(SeriesValue(point, measure));
                break;
            case SeriesMeasure::Time:
                AppendRidingTime(value, point.seconds);
                break;
            case SeriesMeasure::Rides:
                value = QString::number(point.rides);
                break;
            case SeriesMeasure::Ascent:
                value = AscentValue(point);
                break;
        }
        report.CsvField(PeriodText(point, series.kind.period, nullptr)).Write(u",").CsvField(value).Line();
    }
    report.Line();
    AppendCsvReportFoot(report, description);
    return report;
}

std::vector<size_t> DrawnPoints(const std::vector<double>& x, const std::vector<double>& y, size_t most,
                                int columns) {
    std::vector<size_t> drawn;
    const size_t count = std::min(x.size(), y.size());
    if (count <= most || columns < 1) {
        drawn.resize(count);
        for (size_t i = 0; i < count; ++i) {
            drawn[i] = i;
        }
        return drawn;
    }
    drawn.reserve(static_cast<size_t>(columns) * 4);
    const double first = x.front();
    const double width = (x[count - 1] - first) / columns;
    size_t start = 0;
    while (start < count) {
        // The stretch of x the point at start lies in, and the points in it.
        const int column =
            width > 0 ? std::min(columns - 1, static_cast<int>((x[start] - first) / width)) : columns - 1;
        size_t end = start + 1;
        size_t lowest = start;
        size_t highest = start;
        while (end < count && (width > 0 ? std::min(columns - 1, static_cast<int>((x[end] - first) / width))
                                         : columns - 1) == column) {
            if (y[end] < y[lowest]) {
                lowest = end;
            }
            if (y[end] > y[highest]) {
                highest = end;
            }
            ++end;
        }
        for (const size_t index : {start, std::min(lowest, highest), std::max(lowest, highest), end - 1}) {
            if (drawn.empty() || drawn.back() < index) {
                drawn.push_back(index);
            }
        }
        start = end;
    }
    return drawn;
}

std::vector<DateTick> DateTicks(int64_t from, int64_t to, int maxTicks, SeriesPeriod finest) {
    std::vector<DateTick> ticks;
    if (to < from || maxTicks < 1) {
        return ticks;
    }
    const LocalCalendar calendar;
    const QDate first = DateOf(calendar.At(from));
    const QDate last = DateOf(calendar.At(to));
    const int64_t days = first.daysTo(last) + 1;

    enum class Unit { Day, Month, Year };
    struct Step {
        Unit unit;
        int count;
        int days;  // about how many days one step spans
    };
    static constexpr Step kSteps[] = {
        {Unit::Day, 1, 1},      {Unit::Day, 2, 2},       {Unit::Day, 7, 7},        {Unit::Day, 14, 14},
        {Unit::Month, 1, 30},   {Unit::Month, 2, 61},    {Unit::Month, 3, 91},     {Unit::Month, 6, 182},
        {Unit::Year, 1, 365},   {Unit::Year, 2, 730},    {Unit::Year, 5, 1826},    {Unit::Year, 10, 3652},
        {Unit::Year, 20, 7305}, {Unit::Year, 50, 18262}, {Unit::Year, 100, 36525},
    };
    const int finestDays = finest == SeriesPeriod::Month ? 28 : finest == SeriesPeriod::Week ? 7 : 1;
    for (const Step& step : kSteps) {
        if (step.days < finestDays || days / step.days > maxTicks + 1) {
            continue;  // far too many: not worth making
        }
        std::vector<QDate> marks;
        switch (step.unit) {
            case Unit::Day:
                for (QDate day = first; day <= last; day = day.addDays(step.count)) {
                    marks.push_back(day);
                }
                break;
            case Unit::Month: {
                QDate month(first.year(), first.month(), 1);
                while ((month.month() - 1) % step.count != 0) {
                    month = month.addMonths(1);
                }
                for (; month <= last; month = month.addMonths(step.count)) {
                    marks.push_back(month);
                }
                break;
            }
            case Unit::Year: {
                int year = first.year();
                year += (step.count - year % step.count) % step.count;
                for (; year <= last.year(); year += step.count) {
                    marks.push_back(QDate(year, 1, 1));
                }
                break;
            }
        }
        std::vector<DateTick> made;
        for (const QDate& mark : marks) {
            const int64_t time = DayStart(mark);
            if (time < from || time > to) {
                continue;
            }
            QString label;
            AppendZeroPadded(label, mark.year(), 4);
            if (step.unit != Unit::Year) {
                label += u'/';
                AppendZeroPadded(label, mark.month(), 2);
            }
            if (step.unit == Unit::Day) {
                label += u'/';
                AppendZeroPadded(label, mark.day(), 2);
            }
            made.push_back({time, label});
        }
        if (static_cast<int>(made.size()) <= maxTicks) {
            return made;
        }
    }
    return ticks;
}
