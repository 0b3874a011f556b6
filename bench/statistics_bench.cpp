// How long the statistics page takes to work out the period summary of all
// bicycles on the long log of BenchLog.h, against one plain fetch of every
// ride: the page fetches the rides (DB_GetRideRecords with the summary's
// condition) and sums them in one pass, so the whole must stay within twice
// the fetch alone. The summary must also equal the one worked out the
// straightforward way, ride by ride through the local calendar.
//
//   build/statistics_bench   exits 1 when the target is missed or the results differ

#include "BenchLog.h"
#include "language/Language.h"
#include "statistics/PeriodSummary.h"
#include "store/store.h"
#include "units/Clock.h"
#include "units/Units.h"

#include <QDate>
#include <QString>

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

namespace {

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
    auto average = [&](const QString& label, const Sum& sum, int64_t n, bool wholeRides) -> StatRow {
        const double rides = wholeRides ? double(sum.rides / n) : double(sum.rides) / n;
        return {label, text("%.2f", rides), distance(sum.km / n), time(sum.seconds / n),
                speed(sum.km / n, sum.seconds / n)};
    };
    const StatRow empty = {QString(), QString(), QString(), QString(), QString()};
    const QString daily = GetLanguageString("StatDlg", "DLAV");
    const QString monthly = GetLanguageString("StatDlg", "MTAV");
    return {
        totals(GetLanguageString("StatDlg", "THMT"), sums[0]),
        average(daily, sums[0], thisMonth.daysInMonth(), true),
        empty,
        totals(GetLanguageString("StatDlg", "LTMT"), sums[1]),
        average(daily, sums[1], lastMonth.daysInMonth(), true),
        empty,
        totals(GetLanguageString("StatDlg", "THYR"), sums[2]),
        average(monthly, sums[2], 12, true),
        average(daily, sums[2], QDate(today.year, 1, 1).daysInYear(), false),
        empty,
        totals(GetLanguageString("StatDlg", "LTYR"), sums[3]),
        average(monthly, sums[3], 12, true),
        average(daily, sums[3], QDate(today.year - 1, 1, 1).daysInYear(), false),
        empty,
        totals(GetLanguageString("StatDlg", "ALLR"), sums[4]),
        average(monthly, sums[4], allMonths, true),
        average(daily, sums[4], allDays, true),
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

}  // namespace

int main() {
    // A fixed day inside the log, in a zone with daylight saving, so that
    // every period holds rides and the figures repeat from run to run.
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
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
    std::printf("targets %s\n", met && same ? "met" : "missed");
    return met && same ? 0 : 1;
}
