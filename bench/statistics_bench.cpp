// How long the statistics page takes on the long log of BenchLog.h, each
// figure the median of several runs beside its floor, one plain fetch of the
// same rides (DB_GetRideRecords), timed in alternation so that a busy moment
// weighs on both alike.
//
// Targets:
// - the period summary of all bicycles (fetch and one pass) within twice the
//   fetch alone, and equal to the summary worked out ride by ride;
// - every series over the ten years of the log (fetch, periods and the
//   list's rows) within twice the fetch alone, each equal to the series worked
//   out ride by ride through the local calendar;
// - the page's refresh to the painted chart of ten years by day (3,652
//   points) under 200 ms.
//
//   build/statistics_bench                 exits 1 when a target is missed or results differ
//   build/statistics_bench --write-log DIR writes the long log into DIR/bicycle.db and ends
//                                          (DIR must hold no bicycle.db yet), for looking at
//                                          the pages with ten years of rides

#include "BenchLog.h"
#include "language/Language.h"
#include "statistics/PeriodSummary.h"
#include "statistics/StatChart.h"
#include "statistics/StatDlg.h"
#include "statistics/StatSeries.h"
#include "store/store.h"
#include "units/Clock.h"
#include "units/Units.h"
#include "widgets/LinkLabel.h"

#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QComboBox>
#include <QDate>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineSeries>
#include <QString>
#include <QTableView>

#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

using benchlog::GenerateLog;
using benchlog::kBicycles;
using benchlog::kMaintenanceEntries;
using benchlog::kRides;

using benchlog::Check;
using benchlog::Median;
using benchlog::Milliseconds;

constexpr benchlog::Runs kRuns{7, 0.3};

// The straightforward summary: each ride's local year and month decide its
// periods; days per month and year come from Qt's calendar.
StatRows StraightforwardSummary(const RideRecordList& rides, int64_t now) {
    struct Sum {
        int rides = 0;
        double km = 0;
        int64_t seconds = 0;
        void Add(const RideRecord& ride) {
            ++rides;
            km += ride.Distance;
            seconds += int64_t{ride.Hours} * 3600 + int64_t{ride.Minutes} * 60 + ride.Seconds;
        }
    };
    const LocalDateTime today = ToLocalDateTime(now);
    const QDate thisMonth(today.year, today.month, 1);
    const QDate lastMonth = thisMonth.addMonths(-1);
    Sum sums[5];  // this month, last month, this year, last year, all
    int64_t newest = std::numeric_limits<int64_t>::min();
    int64_t oldest = std::numeric_limits<int64_t>::max();
    for (const RideRecord& ride : rides) {
        const LocalDateTime day = ToLocalDateTime(ride.Date);
        if (day.year == thisMonth.year() && day.month == thisMonth.month()) {
            sums[0].Add(ride);
        }
        if (day.year == lastMonth.year() && day.month == lastMonth.month()) {
            sums[1].Add(ride);
        }
        if (day.year == today.year) {
            sums[2].Add(ride);
        }
        if (day.year == today.year - 1) {
            sums[3].Add(ride);
        }
        sums[4].Add(ride);
        newest = std::max<int64_t>(newest, ride.Date);
        oldest = std::min<int64_t>(oldest, ride.Date);
    }
    const int64_t allDays = rides.empty() ? 1 : (newest - oldest) / 86400 + 1;
    const int64_t allMonths = rides.empty() ? 1 : allDays / 30 + 1;

    auto text = [](const char* format, auto... values) -> QString {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, format, values...);
        return QString::fromLatin1(buffer);
    };
    auto distance = [&](double km) -> QString {
        return text("%.2f ", FromKilometres(km)) + GetDistanceUnitWord();
    };
    auto speed = [&](double km, int64_t seconds) -> QString {
        return text("%.2f ", FromKilometres(seconds > 0 ? km * 3600 / seconds : 0.0)) + GetSpeedUnitWord();
    };
    auto time = [&](int64_t s) -> QString {
        return text("%lld:%02lld:%02lld", s / 3600, s % 3600 / 60, s % 60);
    };
    auto totals = [&](const QString& label, const Sum& sum) -> StatRow {
        return {label, text("%d", sum.rides), distance(sum.km), time(sum.seconds),
                speed(sum.km, sum.seconds)};
    };
    // Every average is a real quotient, the rides too.
    auto average = [&](const QString& label, const Sum& sum, int64_t n) -> StatRow {
        const double rides = double(sum.rides) / n;
        return {label, text("%.2f", rides), distance(sum.km / n), time(sum.seconds / n),
                speed(sum.km / n, sum.seconds / n)};
    };
    const StatRow empty = {QString(), QString(), QString(), QString(), QString()};
    const QString daily = GetLanguageString("StatDlg", "DLAV");
    const QString monthly = GetLanguageString("StatDlg", "MTAV");
    return {
        totals(GetLanguageString("StatDlg", "THMT"), sums[0]),
        average(daily, sums[0], thisMonth.daysInMonth()),
        empty,
        totals(GetLanguageString("StatDlg", "LTMT"), sums[1]),
        average(daily, sums[1], lastMonth.daysInMonth()),
        empty,
        totals(GetLanguageString("StatDlg", "THYR"), sums[2]),
        average(monthly, sums[2], 12),
        average(daily, sums[2], QDate(today.year, 1, 1).daysInYear()),
        empty,
        totals(GetLanguageString("StatDlg", "LTYR"), sums[3]),
        average(monthly, sums[3], 12),
        average(daily, sums[3], QDate(today.year - 1, 1, 1).daysInYear()),
        empty,
        totals(GetLanguageString("StatDlg", "ALLR"), sums[4]),
        average(monthly, sums[4], allMonths),
        average(daily, sums[4], allDays),
    };
}

bool SameRows(const StatRows& measured, const StatRows& expected) {
    if (measured == expected) {
        return true;
    }
    for (size_t row = 0; row < std::max(measured.size(), expected.size()); ++row) {
        const QString got = row < measured.size() ? measured[row].join(QStringLiteral(" | ")) : QString();
        const QString want = row < expected.size() ? expected[row].join(QStringLiteral(" | ")) : QString();
        if (got != want) {
            std::fprintf(stderr, "row %zu: %s\n   expected %s\n", row + 1, got.toUtf8().constData(),
                         want.toUtf8().constData());
        }
    }
    return false;
}

constexpr const char* kContentsKeys[kContentsCount] = {"SIMP", "DSTD", "DSTW", "DSTM", "TMED", "TMEW",
                                                       "TMEM", "AVSD", "AVSW", "AVSM", "NORW", "NORM",
                                                       "ASCD", "ASCW", "ASCM", "YEAR"};

// The series worked out the straightforward way: each ride's local day
// through the calendar, its period's first day from Qt's date arithmetic.
bool SameSeries(const StatSeries& series, const RideRecordList& rides, int firstWeekday) {
    struct Sum {
        int rides = 0;
        double km = 0;
        int64_t seconds = 0;
    };
    std::map<QDate, Sum> expected;
    Sum all;
    for (const RideRecord& ride : rides) {
        const LocalDateTime local = ToLocalDateTime(ride.Date);
        QDate day(local.year, local.month, local.day);
        if (series.kind.period == SeriesPeriod::Week) {
            day = day.addDays(-((day.dayOfWeek() % 7 - firstWeekday + 7) % 7));
        } else if (series.kind.period == SeriesPeriod::Month) {
            day = QDate(day.year(), day.month(), 1);
        }
        for (Sum* sum : {&expected[day], &all}) {
            ++sum->rides;
            sum->km += ride.Distance;
            sum->seconds += int64_t{ride.Hours} * 3600 + int64_t{ride.Minutes} * 60 + ride.Seconds;
        }
    }
    Sum listed;
    std::map<QDate, Sum> got;
    for (const SeriesPoint& point : series.points) {
        Sum& sum = got[QDate(point.date.year, point.date.month, point.date.day)];
        for (Sum* s : {&sum, &listed}) {
            s->rides += point.rides;
            s->km += point.distance;
            s->seconds += point.seconds;
        }
    }
    bool same =
        listed.rides == all.rides && listed.seconds == all.seconds && std::abs(listed.km - all.km) < 1e-3;
    for (const auto& [day, sum] : expected) {
        const Sum& mine = got[day];
        if (mine.rides != sum.rides || mine.seconds != sum.seconds || std::abs(mine.km - sum.km) > 1e-6) {
            std::fprintf(stderr, "%s: %d rides %.2f km, expected %d rides %.2f km\n",
                         day.toString(Qt::ISODate).toUtf8().constData(), mine.rides, mine.km, sum.rides,
                         sum.km);
            same = false;
        }
    }
    // Periods come in order, one after the other, without gaps: a day, a
    // week or a month apart.
    for (size_t i = 1; i < series.points.size() && series.kind.period != SeriesPeriod::Ride; ++i) {
        const QDate before(series.points[i - 1].date.year, series.points[i - 1].date.month,
                           series.points[i - 1].date.day);
        const QDate after(series.points[i].date.year, series.points[i].date.month, series.points[i].date.day);
        const QDate next = series.kind.period == SeriesPeriod::Day    ? before.addDays(1)
                           : series.kind.period == SeriesPeriod::Week ? before.addDays(7)
                                                                      : before.addMonths(1);
        if (after != next || series.points[i].start <= series.points[i - 1].start) {
            std::fprintf(stderr, "period %zu does not follow its predecessor\n", i);
            same = false;
        }
    }
    return same;
}

// The teal of the chart's line, somewhere in the painted picture.
bool HoldsTheLine(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (std::abs(colour.red() - 0x1B) < 24 && std::abs(colour.green() - 0x7F) < 24 &&
                std::abs(colour.blue() - 0x8C) < 24) {
                return true;
            }
        }
    }
    return false;
}

int WriteLog(const char* directory) {
    if (!QDir::setCurrent(QString::fromLocal8Bit(directory))) {
        std::fprintf(stderr, "cannot enter %s\n", directory);
        return 2;
    }
    if (QFileInfo::exists(QStringLiteral("bicycle.db"))) {
        std::fprintf(stderr, "%s already holds a bicycle.db\n", directory);
        return 2;
    }
    Check(DB_CreateDatabase());
    Check(DB_OpenDatabase());
    if (!GenerateLog()) {
        return 2;
    }
    DB_CloseDatabase();
    std::printf("log of %d bicycles, %d rides, %d maintenance entries written to %s/bicycle.db\n", kBicycles,
                kRides, kMaintenanceEntries, directory);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A fixed day inside the log, in a zone with daylight saving, so that
    // every period holds rides and the figures repeat from run to run.
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    if (argc == 3 && std::string(argv[1]) == "--write-log") {
        return WriteLog(argv[2]);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The English texts, for rows that read as on screen.
    LanguageTableSession languageTable;
    LoadLanguageFile(QStringLiteral(VELOMARQ_SOURCE_DIR "/languages/vmq_00.ini"));
    benchlog::LogDirectory log;
    SetCurrentTimeForTesting(FromLocalDateTime(2023, 3, 15, 12));

    RideRecordList rides;
    RideRecordList floorRides;
    StatRows summary;
    const std::string condition = BuildRideCondition(std::nullopt, kContentsSummary, 0, 0);
    const bool met = benchlog::Compare("period summary, all bicycles",
                                       {.run =
                                            [&] {
                                                Check(DB_GetRideRecords(condition.c_str(), &rides));
                                                summary = BuildPeriodSummary(rides);
                                            },
                                        .after = [&] { DB_ReleaseRideRecordList(&rides); }},
                                       {.run = [&] { Check(DB_GetRideRecords(nullptr, &floorRides)); },
                                        .after = [&] { DB_ReleaseRideRecordList(&floorRides); }},
                                       2.0, kRuns);

    Check(DB_GetRideRecords(nullptr, &rides));
    // The part that is the page's own: one pass over the fetched rides.
    std::vector<double> passTimes;
    for (int run = 0; run < kRuns.minRuns; ++run) {
        passTimes.push_back(Milliseconds([&] { summary = BuildPeriodSummary(rides); }));
    }
    std::printf("of which the summing pass over the fetched rides: %.3f ms\n", Median(passTimes));
    const bool same = SameRows(summary, StraightforwardSummary(rides, CurrentTime()));
    std::printf("summary %s the straightforward computation (%s rides this year)\n",
                same ? "equals" : "DIFFERS FROM", summary[6][1].toUtf8().constData());
    DB_ReleaseRideRecordList(&rides);

    // Every series over the ten years of the log, weeks from Monday.
    const int64_t first = FromLocalDateTime(2014, 1, 1);
    const int64_t last = FromLocalDateTime(2023, 12, 31, 12);
    const int64_t now = FromLocalDateTime(2024, 1, 1, 12);
    const int firstWeekday = FirstWeekdayOf(0);
    bool seriesMet = true;
    bool seriesSame = true;
    for (int contents = kContentsDistanceByRide; contents < kContentsCount; ++contents) {
        if (!SeriesKindOf(contents)) {
            continue;  // the overview of years is no series
        }
        const SeriesKind kind = *SeriesKindOf(contents);
        const std::string seriesCondition = BuildRideCondition(std::nullopt, contents, first, last);
        StatSeries series;
        StatRows rows;
        seriesMet &=
            benchlog::Compare(std::string("series ") + kContentsKeys[contents] + ", ten years",
                              {.run =
                                   [&] {
                                       Check(DB_GetRideRecords(seriesCondition.c_str(), &rides));
                                       series = BuildSeries(rides, kind, first, last, firstWeekday, now);
                                       rows = FormatSeries(series);
                                   },
                               .after = [&] { DB_ReleaseRideRecordList(&rides); }},
                              {.run = [&] { Check(DB_GetRideRecords(seriesCondition.c_str(), &floorRides)); },
                               .after = [&] { DB_ReleaseRideRecordList(&floorRides); }},
                              2.0, kRuns);
        Check(DB_GetRideRecords(seriesCondition.c_str(), &rides));
        series = BuildSeries(rides, kind, first, last, firstWeekday, now);
        if (!SameSeries(series, rides, firstWeekday)) {
            std::printf("series %s DIFFERS FROM the straightforward computation\n", kContentsKeys[contents]);
            seriesSame = false;
        }
        DB_ReleaseRideRecordList(&rides);
    }
    std::printf("every series %s the straightforward computation\n",
                seriesSame ? "equals" : "does not equal");

    // The page showing riding time by day over the ten years as a chart, as
    // the rider sees it: a refresh (fetch, series, rows, chart) until the
    // chart is painted.
    SetCurrentTimeForTesting(now);
    QWidget host;
    host.resize(892, 560);
    auto* statusLine = new LinkLabel(&host);
    statusLine->setGeometry(0, 540, 892, 18);
    auto* page = new StatDlg(*statusLine, &host);
    page->setGeometry(0, 0, 892, 536);
    host.show();
    QApplication::processEvents();
    page->findChild<QDateTimeEdit*>(QStringLiteral("StatStart"))
        ->setDateTime(QDateTime(QDate(2014, 1, 1), QTime(0, 0)));
    page->findChild<QDateTimeEdit*>(QStringLiteral("StatEnd"))
        ->setDateTime(QDateTime(QDate(2023, 12, 31), QTime(12, 0)));
    page->findChild<QComboBox*>(QStringLiteral("StatContents"))->setCurrentIndex(kContentsTimeByDay);
    page->findChild<QComboBox*>(QStringLiteral("StatStyle"))->setCurrentIndex(1);
    auto* chart = page->findChild<StatChartView*>(QStringLiteral("StatChart"));
    const std::string chartCondition = BuildRideCondition(std::nullopt, kContentsTimeByDay, first, last);
    QImage painted;
    const benchlog::Timing chartTiming =
        benchlog::Measure({.run =
                               [&] {
                                   page->RefreshStatistics();
                                   QApplication::processEvents();
                                   painted = chart->grab().toImage();
                               }},
                          {.run = [&] { Check(DB_GetRideRecords(chartCondition.c_str(), &floorRides)); },
                           .after = [&] { DB_ReleaseRideRecordList(&floorRides); }},
                          kRuns);
    auto* line = qobject_cast<QLineSeries*>(chart->chart()->series().value(0));
    const int points = line ? line->count() : 0;
    const bool chartMet = chartTiming.work < 200.0;
    benchlog::Report("chart TMED, ten years by day (" + std::to_string(points) +
                         " points), refresh to painted (target 200 ms)",
                     chartTiming, chartMet);
    // Where the time goes: the refresh itself (fetch included), laying out
    // and painting the page, painting the chart into a picture.
    std::vector<double> refreshTimes;
    std::vector<double> eventTimes;
    std::vector<double> grabTimes;
    for (int run = 0; run < kRuns.minRuns; ++run) {
        refreshTimes.push_back(Milliseconds([&] { page->RefreshStatistics(); }));
        eventTimes.push_back(Milliseconds([&] { QApplication::processEvents(); }));
        grabTimes.push_back(Milliseconds([&] { painted = chart->grab().toImage(); }));
    }
    std::printf(
        "of which the refresh %.1f ms, laying out and painting the page %.1f ms, the chart into a "
        "picture %.1f ms\n",
        Median(refreshTimes), Median(eventTimes), Median(grabTimes));
    const bool drawn = points == 3652 && HoldsTheLine(painted);
    std::printf("the chart %s\n", drawn ? "holds every day and shows its line" : "IS INCOMPLETE");

    // For comparison, without a target: every ride of the ten years as a point.
    page->findChild<QComboBox*>(QStringLiteral("StatContents"))->setCurrentIndex(kContentsDistanceByRide);
    std::vector<double> rideChartTimes;
    for (int run = 0; run < 3; ++run) {
        rideChartTimes.push_back(Milliseconds([&] {
            page->RefreshStatistics();
            QApplication::processEvents();
            painted = chart->grab().toImage();
        }));
    }
    auto* rideLine = qobject_cast<QLineSeries*>(chart->chart()->series().value(0));
    const int rideRows = page->findChild<QTableView*>(QStringLiteral("StatList"))->model()->rowCount();
    std::printf(
        "chart DSTD, every ride of ten years (%d rides drawn as %lld points), refresh to painted: "
        "%.1f ms (no target)\n",
        rideRows, rideLine ? static_cast<long long>(rideLine->count()) : 0LL, Median(rideChartTimes));

    // The chart alone, the ten years by day drawn as a line and as bars,
    // without a target: the fetch, which varies most, left out.
    {
        Check(DB_GetRideRecords(chartCondition.c_str(), &rides));
        const StatSeries days = BuildSeries(rides, SeriesKind{SeriesMeasure::Time, SeriesPeriod::Day}, first,
                                            last, firstWeekday, now);
        const StatRows dayRows = FormatSeries(days);
        DB_ReleaseRideRecordList(&rides);
        for (const StatChartView::Style style : {StatChartView::Style::Line, StatChartView::Style::Bars}) {
            std::vector<double> times;
            for (int run = 0; run < kRuns.minRuns; ++run) {
                times.push_back(Milliseconds([&] {
                    chart->ShowSeries(days, style, dayRows, QString(), QString());
                    QApplication::processEvents();
                    painted = chart->grab().toImage();
                }));
            }
            auto* bars = qobject_cast<QBarSeries*>(chart->chart()->series().value(0));
            std::printf(
                "chart alone, ten years by day as %s (%lld drawn), shown and painted: %.1f ms (no target)\n",
                bars ? "bars" : "a line",
                bars && !bars->barSets().isEmpty() ? static_cast<long long>(bars->barSets().front()->count())
                                                   : static_cast<long long>(days.points.size()),
                Median(times));
        }
    }

    const bool all = met && same && seriesMet && seriesSame && chartMet && drawn;
    std::printf("targets %s\n", all ? "met" : "missed");
    return all ? 0 : 1;
}
