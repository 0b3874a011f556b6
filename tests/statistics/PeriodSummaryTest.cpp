// The period summary, the ride condition and the ride-by-ride list, worked
// out from plain ride lists in pinned time zones on fixed days.

#include "RideLists.h"
#include "language/Language.h"
#include "statistics/PeriodSummary.h"
#include "store/store.h"
#include "support/ProgramDirectory.h"
#include "support/QStringPrinter.h"
#include "support/Scoped.h"
#include "units/Units.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace {

class PeriodSummaryTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_00.ini"))), 0);
    }

    // Now is 2024-03-15 12:00 in Berlin: last month is the February of a leap year.
    ScopedTimeZone m_zone{"Europe/Berlin"};
    ScopedClock m_clock{FromLocalDateTime(2024, 3, 15, 12)};
};

StatRow Row(const char* a, const char* b, const char* c, const char* d, const char* e) {
    return {QString::fromUtf8(a), QString::fromUtf8(b), QString::fromUtf8(c), QString::fromUtf8(d),
            QString::fromUtf8(e)};
}

TEST_F(PeriodSummaryTest, AnEmptyLogGivesSeventeenRowsOfZeros) {
    const StatRows rows = BuildPeriodSummary({});
    const StatRows expected = {
        Row("This month", "0", "0.00 km", "0:00:00", "0.00 km/h"),
        Row("Daily average", "0.00", "0.00 km", "0:00:00", "0.00 km/h"),
        Row("", "", "", "", ""),
        Row("Last month", "0", "0.00 km", "0:00:00", "0.00 km/h"),
        Row("Daily average", "0.00", "0.00 km", "0:00:00", "0.00 km/h"),
        Row("", "", "", "", ""),
        Row("This year", "0", "0.00 km", "0:00:00", "0.00 km/h"),
        Row("Monthly average", "0.00", "0.00 km", "0:00:00", "0.00 km/h"),
        Row("Daily average", "0.00", "0.00 km", "0:00:00", "0.00 km/h"),
        Row("", "", "", "", ""),
        Row("Last year", "0", "0.00 km", "0:00:00", "0.00 km/h"),
        Row("Monthly average", "0.00", "0.00 km", "0:00:00", "0.00 km/h"),
        Row("Daily average", "0.00", "0.00 km", "0:00:00", "0.00 km/h"),
        Row("", "", "", "", ""),
        Row("All rides", "0", "0.00 km", "0:00:00", "0.00 km/h"),
        Row("Monthly average", "0.00", "0.00 km", "0:00:00", "0.00 km/h"),
        Row("Daily average", "0.00", "0.00 km", "0:00:00", "0.00 km/h"),
    };
    EXPECT_EQ(rows, expected);
}

TEST_F(PeriodSummaryTest, SumsEachPeriodWithItsAverages) {
    // 2 rides this month (also this year), 3 last month (also this year), 1 last
    // year and 1 older still.
    const RideRecordList rides = NewestFirst({
        Ride(Local(2024, 3, 14, 18), 40.0, 1, 30, 0),
        Ride(Local(2024, 3, 2, 9), 20.0, 0, 50, 0),
        Ride(Local(2024, 2, 20, 8), 29.0, 1, 0, 0),
        Ride(Local(2024, 2, 10, 8), 29.0, 1, 0, 0),
        Ride(Local(2024, 2, 1, 8), 29.0, 1, 0, 0),
        Ride(Local(2023, 7, 1, 10), 73.2, 3, 0, 0),
        Ride(Local(2022, 3, 15, 10), 10.0, 0, 30, 0),
    });
    const StatRows rows = BuildPeriodSummary(rides);
    ASSERT_EQ(rows.size(), 17u);
    // This month: 60 km in 2:20:00; a 31-day month.
    EXPECT_EQ(rows[0], Row("This month", "2", "60.00 km", "2:20:00", "25.71 km/h"));
    EXPECT_EQ(rows[1], Row("Daily average", "0.06", "1.94 km", "0:04:30", "25.81 km/h"));
    // Last month: February 2024 has 29 days.
    EXPECT_EQ(rows[3], Row("Last month", "3", "87.00 km", "3:00:00", "29.00 km/h"));
    EXPECT_EQ(rows[4], Row("Daily average", "0.10", "3.00 km", "0:06:12", "29.03 km/h"));
    // This year: 5 rides, 147 km in 5:20:00; 2024 has 366 days.
    EXPECT_EQ(rows[6], Row("This year", "5", "147.00 km", "5:20:00", "27.56 km/h"));
    EXPECT_EQ(rows[7], Row("Monthly average", "0.42", "12.25 km", "0:26:40", "27.56 km/h"));
    EXPECT_EQ(rows[8], Row("Daily average", "0.01", "0.40 km", "0:00:52", "27.81 km/h"));
    // Last year: 2023 has 365 days.
    EXPECT_EQ(rows[10], Row("Last year", "1", "73.20 km", "3:00:00", "24.40 km/h"));
    EXPECT_EQ(rows[11], Row("Monthly average", "0.08", "6.10 km", "0:15:00", "24.40 km/h"));
    EXPECT_EQ(rows[12], Row("Daily average", "0.00", "0.20 km", "0:00:29", "24.90 km/h"));
    // All rides: 2022-03-15 10:00 to 2024-03-14 18:00 is 730 days and 8 hours,
    // so 731 days and 731 / 30 + 1 = 25 months.
    EXPECT_EQ(rows[14], Row("All rides", "7", "230.20 km", "8:50:00", "26.06 km/h"));
    EXPECT_EQ(rows[15], Row("Monthly average", "0.28", "9.21 km", "0:21:12", "26.06 km/h"));
    EXPECT_EQ(rows[16], Row("Daily average", "0.01", "0.31 km", "0:00:43", "26.36 km/h"));
    for (size_t separator : {2u, 5u, 9u, 13u}) {
        EXPECT_EQ(rows[separator], Row("", "", "", "", "")) << separator;
    }
}

TEST_F(PeriodSummaryTest, RidesColumnOfAveragesIsTheRealQuotient) {
    // 8 rides in the 31 days of this month and 25 before it: 33 this year,
    // which 12 months do not divide.
    RideRecordList rides;
    for (int i = 0; i < 25; ++i) {
        rides.push_back(Ride(Local(2024, 1, 1 + i, 7), 10.0, 0, 20, 0));
    }
    for (int i = 0; i < 8; ++i) {
        rides.push_back(Ride(Local(2024, 3, 1 + i, 7), 10.0, 0, 20, 0));
    }
    const StatRows rows = BuildPeriodSummary(NewestFirst(rides));
    EXPECT_EQ(rows[1][1], QStringLiteral("0.26"));
    EXPECT_EQ(rows[7][1], QStringLiteral("2.75"));
    EXPECT_EQ(rows[8][1], QStringLiteral("0.09"));
    // All rides span the 68 days from January 1 to March 8: three months of 30 days.
    EXPECT_EQ(rows[15][1], QStringLiteral("11.00"));
    EXPECT_EQ(rows[16][1], QStringLiteral("0.49"));
}

TEST_F(PeriodSummaryTest, ARideWithoutTimeCountsInDistanceButInNoAverageSpeed) {
    // 20 km in an hour, and 30 km saved without a riding time.
    const StatRows rows = BuildPeriodSummary(
        NewestFirst({Ride(Local(2024, 3, 3, 8), 20.0, 1, 0, 0), Ride(Local(2024, 3, 4, 8), 30.0)}));
    EXPECT_EQ(rows[0][2], QStringLiteral("50.00 km"));
    EXPECT_EQ(rows[0][4], QStringLiteral("20.00 km/h"));
    // The daily average of this month; its time is cut to whole seconds a day.
    EXPECT_EQ(rows[1][4], QStringLiteral("20.02 km/h"));
}

TEST_F(PeriodSummaryTest, RidingTimesCarrySecondsAndMinutes) {
    // 30:40 and 29:35 add up to 59 minutes and 75 seconds.
    const StatRows rows = BuildPeriodSummary(NewestFirst(
        {Ride(Local(2024, 3, 3, 8), 10.0, 0, 30, 40), Ride(Local(2024, 3, 4, 8), 10.0, 0, 29, 35)}));
    EXPECT_EQ(rows[0][3], QStringLiteral("1:00:15"));
    // Hours are not limited to a day.
    const StatRows long_ = BuildPeriodSummary({Ride(Local(2024, 3, 3, 8), 900.0, 27, 5, 9)});
    EXPECT_EQ(long_[0][3], QStringLiteral("27:05:09"));
    EXPECT_EQ(long_[0][4], QStringLiteral("33.23 km/h"));
}

TEST_F(PeriodSummaryTest, PeriodsEndAndBeginAtLocalMidnight) {
    // The last second of February and the first of March, Berlin time.
    const StatRows rows = BuildPeriodSummary(NewestFirst({
        Ride(Local(2024, 3, 1, 0, 0, 0), 1.0), Ride(Local(2024, 2, 29, 23, 59, 59), 2.0),
        Ride(Local(2024, 1, 31, 23, 59, 59), 4.0),   // the month before last
        Ride(Local(2023, 12, 31, 23, 59, 59), 8.0),  // last year
        Ride(Local(2024, 1, 1, 0, 0, 0), 16.0),      // this year
    }));
    EXPECT_EQ(rows[0][2], QStringLiteral("1.00 km"));
    EXPECT_EQ(rows[3][2], QStringLiteral("2.00 km"));
    EXPECT_EQ(rows[6][2], QStringLiteral("23.00 km"));
    EXPECT_EQ(rows[10][2], QStringLiteral("8.00 km"));
    EXPECT_EQ(rows[14][2], QStringLiteral("31.00 km"));
}

TEST_F(PeriodSummaryTest, PeriodsFollowTheLocalCalendarOfEachZone) {
    // One instant, 2024-03-01 03:00 UTC: still February in New York, March in Tokyo.
    const int64_t instant = 1709262000;
    for (const auto& [zone, thisMonthKm, lastMonthKm] : {std::tuple{"America/New_York", "0.00 km", "5.00 km"},
                                                         std::tuple{"Asia/Tokyo", "5.00 km", "0.00 km"}}) {
        ScopedTimeZone pinned(zone);
        m_clock.Set(FromLocalDateTime(2024, 3, 15, 12));
        const StatRows rows = BuildPeriodSummary({Ride(instant, 5.0)});
        EXPECT_EQ(rows[0][2], QString::fromLatin1(thisMonthKm)) << zone;
        EXPECT_EQ(rows[3][2], QString::fromLatin1(lastMonthKm)) << zone;
    }
}

TEST(PeriodCalendar, LeapYearsFollowTheGregorianRule) {
    struct Case {
        int year;
        bool leap;
    };
    for (const Case& c : {Case{2023, false}, Case{2024, true}, Case{1900, false}, Case{2000, true},
                          Case{2100, false}, Case{2400, true}, Case{1996, true}}) {
        EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;
        EXPECT_EQ(DaysInMonth(c.year, 2), c.leap ? 29 : 28) << c.year;
    }
    EXPECT_EQ(DaysInMonth(2024, 4), 30);
    EXPECT_EQ(DaysInMonth(2024, 12), 31);
}

TEST(PeriodCalendar, DivisorsOfEachPeriod) {
    ScopedTimeZone zone("Europe/Berlin");
    struct Case {
        int year;
        int month;
        int daysThisMonth;
        int daysLastMonth;
        int daysThisYear;
        int daysLastYear;
    };
    for (const Case& c : {
             Case{2024, 2, 29, 31, 366, 365},  // February of a leap year
             Case{2024, 3, 31, 29, 366, 365},  // March after it
             Case{2023, 3, 31, 28, 365, 365},
             Case{2000, 2, 29, 31, 366, 365},  // a century divisible by 400
             Case{2000, 3, 31, 29, 366, 365},
             Case{2001, 1, 31, 31, 365, 366},  // last month is December of the leap year
             Case{2100, 2, 28, 31, 365, 365},  // a century that is no leap year
             Case{2100, 3, 31, 28, 365, 365},
             Case{2101, 6, 30, 31, 365, 365},
         }) {
        const PeriodSums sums = SumPeriods({}, FromLocalDateTime(c.year, c.month, 10, 12));
        EXPECT_EQ(sums.daysThisMonth, c.daysThisMonth) << c.year << "-" << c.month;
        EXPECT_EQ(sums.daysLastMonth, c.daysLastMonth) << c.year << "-" << c.month;
        EXPECT_EQ(sums.daysThisYear, c.daysThisYear) << c.year << "-" << c.month;
        EXPECT_EQ(sums.daysLastYear, c.daysLastYear) << c.year << "-" << c.month;
        EXPECT_EQ(sums.daysAllRides, 1);
        EXPECT_EQ(sums.monthsAllRides, 1);
    }
}

TEST_F(PeriodSummaryTest, LeapDaysShowInTheDailyAverages) {
    // February 2000: 29 km over 29 days is 1.00 km a day, both while it is
    // this month and once it is last month.
    const RideRecordList rides = {Ride(Local(2000, 2, 14, 10), 29.0, 2, 25, 0)};
    m_clock.Set(Local(2000, 2, 20, 12));
    StatRows rows = BuildPeriodSummary(rides);
    EXPECT_EQ(rows[1][2], QStringLiteral("1.00 km"));
    EXPECT_EQ(rows[1][3], QStringLiteral("0:05:00"));
    m_clock.Set(Local(2000, 3, 1, 0));
    rows = BuildPeriodSummary(rides);
    EXPECT_EQ(rows[4][2], QStringLiteral("1.00 km"));
    EXPECT_EQ(rows[4][3], QStringLiteral("0:05:00"));
    // And the year of 2000 has 366 days.
    EXPECT_EQ(rows[8][2], QStringLiteral("0.08 km"));
}

TEST_F(PeriodSummaryTest, MilesAreShownWithoutChangingTheRides) {
    SetDistanceUnit(1);
    const RideRecordList rides = {Ride(Local(2024, 3, 10, 10), 16.09, 1, 0, 0)};
    const StatRows rows = BuildPeriodSummary(rides);
    EXPECT_EQ(rows[0], Row("This month", "1", "10.00 miles", "1:00:00", "10.00 mph"));
    EXPECT_EQ(rides[0].Distance, 16.09);
    const StatRows list = BuildRideDistanceList(rides);
    EXPECT_EQ(list[0][1], QStringLiteral("10.00 miles"));
}

TEST_F(PeriodSummaryTest, TheSpanOfAllRidesDoesNotDependOnTheListOrder) {
    // Two rides 60 days apart: 61 days, 3 months, in either order.
    RideRecordList rides = {Ride(Local(2024, 3, 1, 10), 61.0), Ride(Local(2024, 1, 1, 10), 61.0)};
    const PeriodSums newestFirst = SumPeriods(rides, CurrentTime());
    std::reverse(rides.begin(), rides.end());
    const PeriodSums oldestFirst = SumPeriods(rides, CurrentTime());
    for (const PeriodSums& sums : {newestFirst, oldestFirst}) {
        EXPECT_EQ(sums.daysAllRides, 61);
        EXPECT_EQ(sums.monthsAllRides, 3);
    }
    EXPECT_EQ(FormatPeriodSummary(oldestFirst)[16][2], QStringLiteral("2.00 km"));
}

TEST_F(PeriodSummaryTest, TheDistanceListRunsFromTheOldestRide) {
    const RideRecordList rides = NewestFirst({
        Ride(Local(2024, 3, 14, 18), 40.0),
        Ride(Local(2024, 3, 14, 7), 12.5),
        Ride(Local(2024, 3, 10, 9), 20.0),
    });
    const StatRows expected = {
        {QStringLiteral("2024/03/10(Sunday)"), QStringLiteral("20.00 km")},
        {QStringLiteral("2024/03/14(Thursday)"), QStringLiteral("12.50 km")},
        {QStringLiteral("2024/03/14(Thursday)"), QStringLiteral("40.00 km")},
    };
    EXPECT_EQ(BuildRideDistanceList(rides), expected);
    EXPECT_TRUE(BuildRideDistanceList({}).empty());
}

TEST_F(PeriodSummaryTest, TheSummaryConditionTakesTheBicycleOnly) {
    EXPECT_EQ(BuildRideCondition(std::nullopt, kContentsSummary, 0, 0), "");
    EXPECT_EQ(BuildRideCondition(7, kContentsSummary, Local(2024, 1, 1), Local(2024, 3, 15)),
              "(BicycleNumber==7)");
}

TEST_F(PeriodSummaryTest, OtherContentsTakeWholeLocalDaysWithBothEndsIncluded) {
    ASSERT_EQ(DB_CreateDatabase(), store::kOk);
    ASSERT_EQ(DB_OpenDatabase(), store::kOk);
    const int64_t first = Local(2024, 1, 5);
    const int64_t last = Local(2024, 1, 7, 23, 59, 59);
    for (const RideRecord& ride : {Ride(first - 1, 1.0), Ride(first, 2.0), Ride(last, 4.0),
                                   Ride(last + 1, 8.0), Ride(first + 3600, 16.0, 0, 0, 0, 2)}) {
        ASSERT_EQ(DB_InsertRideRecord(&ride), store::kOk);
    }
    // The pickers' times of day play no part.
    const int64_t start = Local(2024, 1, 5, 15, 30);
    const int64_t end = Local(2024, 1, 7, 8, 0);
    auto distances = [](const std::string& condition) {
        RideRecordList rides;
        EXPECT_EQ(DB_GetRideRecords(condition.c_str(), &rides), store::kOk);
        std::vector<double> km;
        for (const RideRecord& ride : rides) {
            km.push_back(ride.Distance);
        }
        return km;
    };
    EXPECT_EQ(distances(BuildRideCondition(std::nullopt, kContentsDistanceByRide, start, end)),
              (std::vector<double>{4.0, 16.0, 2.0}));
    EXPECT_EQ(distances(BuildRideCondition(1, kContentsRidesByMonth, start, end)),
              (std::vector<double>{4.0, 2.0}));
}

TEST_F(PeriodSummaryTest, AChosenPeriodShowsTheSummaryRowsOfThatYearOrMonth) {
    // Rides in this month, last month, last year and two years ago (now is 2024-03-15).
    RideRecordList rides = NewestFirst({
        Ride(Local(2024, 3, 14, 18), 40.0, 1, 30, 0),
        Ride(Local(2024, 3, 1, 0), 20.0, 0, 50, 10),
        Ride(Local(2024, 2, 29, 23, 59, 59), 29.0, 1, 0, 0),
        Ride(Local(2023, 7, 1, 10), 73.2, 3, 0, 0),
        Ride(Local(2023, 12, 31, 23, 59, 59), 5.5, 0, 15, 0),
        Ride(Local(2022, 3, 15, 10), 10.0, 0, 30, 0),
    });
    for (size_t i = 0; i < rides.size(); ++i) {
        rides[i].RideRecordNumber = static_cast<int32_t>(i + 1);
    }
    const StatRows summary = BuildPeriodSummary(rides);
    // The summary's rows but for the label of the totals and the ascent after them.
    const auto same = [](StatRow period, const StatRow& summaryRow, const QString& label) {
        EXPECT_EQ(period.size(), 6);
        period.removeLast();
        EXPECT_EQ(period.value(0), label);
        period[0] = summaryRow.value(0);
        EXPECT_EQ(period, summaryRow);
    };
    const StatRows march = BuildPeriodStatistics(rides, {}, 2024, 3);
    // Then the days ridden on.
    ASSERT_EQ(march.size(), 5u);
    EXPECT_EQ(march[3].value(0), QStringLiteral("2024/03/01(Friday)"));
    EXPECT_EQ(march[4].mid(0, 3), (QStringList{QStringLiteral("2024/03/14(Thursday)"), QStringLiteral("1"),
                                               QStringLiteral("40.00 km")}));
    same(march[0], summary[0], QStringLiteral("2024/03"));
    same(march[1], summary[1], QStringLiteral("Daily average"));
    const StatRows february = BuildPeriodStatistics(rides, {}, 2024, 2);
    same(february[0], summary[3], QStringLiteral("2024/02"));
    same(february[1], summary[4], QStringLiteral("Daily average"));
    for (const auto& [year, first] : {std::pair{2024, 6}, std::pair{2023, 10}}) {
        const StatRows rows = BuildPeriodStatistics(rides, {}, year, 0);
        ASSERT_EQ(rows.size(), 16u);
        same(rows[0], summary[static_cast<size_t>(first)], QString::number(year));
        same(rows[1], summary[static_cast<size_t>(first + 1)], QStringLiteral("Monthly average"));
        same(rows[2], summary[static_cast<size_t>(first + 2)], QStringLiteral("Daily average"));
        EXPECT_TRUE(rows[3].value(0).isEmpty());
    }
    // A year goes on with its months; the ascent is known for one ride of July 2023 only.
    const RideAscents ascents = {{rides[4].RideRecordNumber, 812.4}};
    ASSERT_EQ(rides[4].Date, Local(2023, 7, 1, 10));
    const StatRows year2023 = BuildPeriodStatistics(rides, ascents, 2023, 0);
    EXPECT_EQ(year2023[10],
              (StatRow{QStringLiteral("2023/07"), QStringLiteral("1"), QStringLiteral("73.20 km"),
                       QStringLiteral("3:00:00"), QStringLiteral("24.40 km/h"), QStringLiteral("812 m")}));
    EXPECT_EQ(year2023[15].value(1), QStringLiteral("1"));
    EXPECT_EQ(year2023[15].value(5), QString());
    EXPECT_EQ(year2023[0].value(5), QStringLiteral("812 m"));
    EXPECT_EQ(year2023[1].value(5), QStringLiteral("68 m"));
}

TEST_F(PeriodSummaryTest, TheOverviewHasARowForEachYearAndTheirTotal) {
    RideRecordList rides = NewestFirst({
        Ride(Local(2024, 1, 1, 0, 0, 0), 30.0, 1, 0, 0),
        Ride(Local(2023, 12, 31, 23, 59, 59), 20.0, 0, 40, 0),
        Ride(Local(2023, 6, 1, 9), 25.0, 1, 0, 0),
        Ride(Local(2021, 5, 1, 9), 12.0, 0, 30, 0),
    });
    for (size_t i = 0; i < rides.size(); ++i) {
        rides[i].RideRecordNumber = static_cast<int32_t>(10 + i);
    }
    // Known for the 2024 ride and one of 2023.
    const RideAscents ascents = {{10, 350.0}, {12, 120.6}};
    const auto row = [](const char* a, const char* b, const char* c, const char* d, const char* e,
                        const char* f) { return Row(a, b, c, d, e) << QString::fromUtf8(f); };
    const StatRows expected = {
        row("2024", "1", "30.00 km", "1:00:00", "30.00 km/h", "350 m"),
        row("2023", "2", "45.00 km", "1:40:00", "27.00 km/h", "121 m"),
        row("2022", "0", "0.00 km", "0:00:00", "0.00 km/h", ""),
        row("2021", "1", "12.00 km", "0:30:00", "24.00 km/h", ""),
        row("", "", "", "", "", ""),
        row("All rides", "4", "87.00 km", "3:10:00", "27.47 km/h", "471 m"),
    };
    EXPECT_EQ(BuildYearOverview(rides, ascents), expected);
    EXPECT_TRUE(BuildYearOverview({}, ascents).empty());
    EXPECT_EQ(PickableYears(rides, Local(2024, 3, 15)), (std::vector<int>{2024, 2023, 2022, 2021}));
    EXPECT_EQ(PickableYears({}, Local(2024, 3, 15)), (std::vector<int>{2024}));
}

}  // namespace
