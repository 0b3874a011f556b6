// The series of the statistics page worked out from plain ride lists, with a
// pinned time zone and a fixed now: periods of days, weeks and months, the
// first day of the week, clock changes, the picked days, the unit, the
// comma-separated report and the marks of the date axis.

#include "RideLists.h"
#include "language/Language.h"
#include "reports/ReportText.h"
#include "statistics/StatSeries.h"
#include "store/store.h"
#include "support/ProgramDirectory.h"
#include "support/QStringPrinter.h"
#include "support/Scoped.h"
#include "units/Units.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>

namespace {

constexpr int kSunday = 0;
constexpr int kMonday = 1;
constexpr SeriesKind kDistanceByDay{SeriesMeasure::Distance, SeriesPeriod::Day};
constexpr SeriesKind kDistanceByWeek{SeriesMeasure::Distance, SeriesPeriod::Week};
constexpr SeriesKind kRidesByDay{SeriesMeasure::Rides, SeriesPeriod::Day};
constexpr SeriesKind kRidesByWeek{SeriesMeasure::Rides, SeriesPeriod::Week};

class StatSeriesTest : public ProgramDirectoryTest {
protected:
    void SetUp() override {
        ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_00.ini"))), 0);
    }

    // The rows the list shows for rides between two local days, now being
    // the end of the last day unless given.
    StatRows Rows(const RideRecordList& rides, SeriesKind kind, int64_t first, int64_t last,
                  int firstWeekday = kMonday, std::optional<int64_t> now = std::nullopt) {
        return FormatSeries(
            BuildSeries(NewestFirst(rides), kind, first, last, firstWeekday, now.value_or(last + 86400)));
    }

    ScopedTimeZone m_zone{"Europe/Berlin"};
};

StatRow Row(const char* date, const char* value) {
    return {QString::fromUtf8(date), QString::fromUtf8(value)};
}

TEST_F(StatSeriesTest, EachContentsListsItsMeasurePerPeriod) {
    EXPECT_EQ(SeriesKindOf(kContentsSummary), std::nullopt);
    EXPECT_EQ(SeriesKindOf(kContentsDistanceByRide),
              (SeriesKind{SeriesMeasure::Distance, SeriesPeriod::Ride}));
    EXPECT_EQ(SeriesKindOf(kContentsTimeByDay), (SeriesKind{SeriesMeasure::Time, SeriesPeriod::Day}));
    EXPECT_EQ(SeriesKindOf(kContentsSpeedByWeek), (SeriesKind{SeriesMeasure::Speed, SeriesPeriod::Week}));
    EXPECT_EQ(SeriesKindOf(kContentsRidesByMonth), (SeriesKind{SeriesMeasure::Rides, SeriesPeriod::Month}));
    EXPECT_EQ(SeriesKindOf(kContentsCount), std::nullopt);
    // The options page's choice: 0 Monday, 1 Sunday; an unknown one reads as Monday.
    EXPECT_EQ(FirstWeekdayOf(0), kMonday);
    EXPECT_EQ(FirstWeekdayOf(1), kSunday);
    EXPECT_EQ(FirstWeekdayOf(7), kMonday);
}

TEST_F(StatSeriesTest, WeeksStartOnTheChosenDay) {
    // Saturday 9, Sunday 10 and Monday 11 March 2024; the days picked run
    // from Monday 4 to Sunday 17.
    const RideRecordList rides = {Ride(Local(2024, 3, 9, 10), 1.0), Ride(Local(2024, 3, 10, 10), 2.0),
                                  Ride(Local(2024, 3, 11, 10), 4.0)};
    const int64_t first = Local(2024, 3, 4, 15);
    const int64_t last = Local(2024, 3, 17, 15);
    struct Case {
        int firstWeekday;
        StatRows expected;
    };
    const Case cases[] = {
        {kMonday, {Row("2024/03/04", "3.00 km"), Row("2024/03/11", "4.00 km")}},
        // The week of the first day began on the Sunday before it.
        {kSunday, {Row("2024/03/03", "1.00 km"), Row("2024/03/10", "6.00 km"), Row("2024/03/17", "0.00 km")}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Rows(rides, kDistanceByWeek, first, last, c.firstWeekday), c.expected) << c.firstWeekday;
    }
}

TEST_F(StatSeriesTest, ADaylightSavingChangeInsideAWeekCountsEveryDayOnce) {
    // Berlin's clocks go forward on 31 March 2024 and back on 27 October:
    // those Sundays last 23 and 25 hours. A ride at the first and the last
    // second of every day of those weeks.
    for (const int month : {3, 10}) {
        const int monday = month == 3 ? 25 : 21;
        RideRecordList rides;
        for (int day = monday; day < monday + 7; ++day) {
            rides.push_back(Ride(Local(2024, month, day, 0, 0, 0), 1.0));
            rides.push_back(Ride(Local(2024, month, day, 23, 59, 59), 1.0));
        }
        const int64_t first = Local(2024, month, monday, 12);
        const int64_t last = Local(2024, month, monday + 6, 12);

        const StatSeries days = BuildSeries(NewestFirst(rides), kRidesByDay, first, last, kMonday, last);
        ASSERT_EQ(days.points.size(), 7u) << month;
        for (size_t i = 0; i < days.points.size(); ++i) {
            EXPECT_EQ(days.points[i].rides, 2) << month << "/" << monday + i;
            EXPECT_EQ(days.points[i].date.day, monday + static_cast<int>(i));
        }
        // The Sunday's length is what the clock made of it.
        EXPECT_EQ(days.points[6].start - days.points[5].start, 86400);
        const int64_t sundayLength = Local(2024, month, monday + 7) - days.points[6].start;
        EXPECT_EQ(sundayLength, month == 3 ? 23 * 3600 : 25 * 3600);

        const StatRows week = Rows(rides, kRidesByWeek, first, last);
        ASSERT_EQ(week.size(), 1u);
        EXPECT_EQ(week[0].value(1), QStringLiteral("14"));
    }
}

TEST_F(StatSeriesTest, ADayWhoseMidnightTheClockSkipsStartsAtItsFirstHour) {
    // In Sao Paulo the clocks went from 00:00 to 01:00 on 4 November 2018.
    ScopedTimeZone brazil("America/Sao_Paulo");
    const RideRecordList rides = {Ride(Local(2018, 11, 3, 23, 59, 59), 1.0),
                                  Ride(Local(2018, 11, 4, 1, 0, 0), 2.0),
                                  Ride(Local(2018, 11, 5, 0, 0, 0), 4.0)};
    const StatRows rows = Rows(rides, kDistanceByDay, Local(2018, 11, 3, 12), Local(2018, 11, 5, 12));
    EXPECT_EQ(rows, (StatRows{Row("2018/11/03(Saturday)", "1.00 km"), Row("2018/11/04(Sunday)", "2.00 km"),
                              Row("2018/11/05(Monday)", "4.00 km")}));
}

TEST_F(StatSeriesTest, PeriodsWithoutRidesShowZero) {
    const RideRecordList rides = {Ride(Local(2024, 3, 5, 10), 10.0, 0, 30),
                                  Ride(Local(2024, 3, 27, 10), 20.0, 1)};
    const int64_t first = Local(2024, 3, 4);
    const int64_t last = Local(2024, 3, 31);
    const auto weeks = [&](SeriesMeasure measure) {
        return Rows(rides, SeriesKind{measure, SeriesPeriod::Week}, first, last);
    };
    EXPECT_EQ(weeks(SeriesMeasure::Distance),
              (StatRows{Row("2024/03/04", "10.00 km"), Row("2024/03/11", "0.00 km"),
                        Row("2024/03/18", "0.00 km"), Row("2024/03/25", "20.00 km")}));
    EXPECT_EQ(weeks(SeriesMeasure::Time),
              (StatRows{Row("2024/03/04", "0:30:00"), Row("2024/03/11", "0:00:00"),
                        Row("2024/03/18", "0:00:00"), Row("2024/03/25", "1:00:00")}));
    EXPECT_EQ(weeks(SeriesMeasure::Speed),
              (StatRows{Row("2024/03/04", "20.00 km/h"), Row("2024/03/11", "0.00 km/h"),
                        Row("2024/03/18", "0.00 km/h"), Row("2024/03/25", "20.00 km/h")}));
    EXPECT_EQ(weeks(SeriesMeasure::Rides), (StatRows{Row("2024/03/04", "1"), Row("2024/03/11", "0"),
                                                     Row("2024/03/18", "0"), Row("2024/03/25", "1")}));
}

TEST_F(StatSeriesTest, MonthsRunOverTheYearsEnd) {
    const RideRecordList rides = {
        Ride(Local(2023, 11, 20, 9), 1.0),     Ride(Local(2023, 12, 31, 23, 59, 59), 2.0),
        Ride(Local(2024, 1, 1, 0, 0, 0), 4.0), Ride(Local(2024, 1, 31, 18), 8.0),
        Ride(Local(2024, 2, 29, 12), 16.0),  // a leap day
    };
    const StatRows rows = Rows(rides, SeriesKind{SeriesMeasure::Distance, SeriesPeriod::Month},
                               Local(2023, 11, 15), Local(2024, 2, 29));
    EXPECT_EQ(rows, (StatRows{Row("2023/11", "1.00 km"), Row("2023/12", "2.00 km"),
                              Row("2024/01", "12.00 km"), Row("2024/02", "16.00 km")}));
}

TEST_F(StatSeriesTest, AverageSpeedIsThePeriodsDistanceOverItsTime) {
    const RideRecordList rides = {
        // 10 km in an hour and 30 km in half an hour: 40 km in 1.5 h, not the mean of 10 and 60.
        Ride(Local(2024, 3, 4, 8), 10.0, 1),
        Ride(Local(2024, 3, 4, 18), 30.0, 0, 30),
        // A ride entered without a time: its distance counts, the speed is 0.
        Ride(Local(2024, 3, 5, 8), 12.0),
        // Seconds and minutes beyond 59, as an imported ride may hold them.
        Ride(Local(2024, 3, 6, 8), 15.0, 0, 59, 60),
    };
    EXPECT_EQ(Rows(rides, SeriesKind{SeriesMeasure::Speed, SeriesPeriod::Day}, Local(2024, 3, 4),
                   Local(2024, 3, 6)),
              (StatRows{Row("2024/03/04(Monday)", "26.67 km/h"), Row("2024/03/05(Tuesday)", "0.00 km/h"),
                        Row("2024/03/06(Wednesday)", "15.00 km/h")}));
    EXPECT_EQ(Rows(rides, SeriesKind{SeriesMeasure::Time, SeriesPeriod::Week}, Local(2024, 3, 4),
                   Local(2024, 3, 6)),
              (StatRows{Row("2024/03/04", "2:30:00")}));
}

TEST_F(StatSeriesTest, RidesOutsideThePickedDaysAreLeftOut) {
    const RideRecordList rides = {
        Ride(Local(2024, 3, 3, 23, 59, 59), 1.0),   // the day before the first
        Ride(Local(2024, 3, 4, 0, 0, 0), 2.0),      // the first day's first second
        Ride(Local(2024, 3, 10, 23, 59, 59), 4.0),  // the last day's last second
        Ride(Local(2024, 3, 11, 0, 0, 0), 8.0),     // the day after the last
    };
    // The pickers' times of day play no part: whole days count.
    const int64_t first = Local(2024, 3, 4, 18, 30);
    const int64_t last = Local(2024, 3, 10, 6, 15);
    for (const SeriesKind kind : {kDistanceByWeek, SeriesKind{SeriesMeasure::Distance, SeriesPeriod::Ride},
                                  SeriesKind{SeriesMeasure::Distance, SeriesPeriod::Month}}) {
        const StatSeries series =
            BuildSeries(NewestFirst(rides), kind, first, last, kMonday, last + 86400 * 30);
        double total = 0;
        for (const SeriesPoint& point : series.points) {
            total += point.distance;
        }
        EXPECT_DOUBLE_EQ(total, 6.0) << static_cast<int>(kind.period);
    }
    // An end before the start picks no days at all.
    EXPECT_TRUE(BuildSeries(rides, kDistanceByDay, last + 86400, first, kMonday, last).points.empty());
}

TEST_F(StatSeriesTest, DaysStillToComeAreLeftOutUnlessARideLiesAhead) {
    const int64_t now = Local(2024, 3, 6, 12);
    const int64_t first = Local(2024, 3, 4);
    const int64_t last = Local(2024, 3, 31);
    EXPECT_EQ(Rows({Ride(Local(2024, 3, 4, 9), 5.0)}, kDistanceByDay, first, last, kMonday, now).size(), 3u);
    // A ride entered ahead keeps its day, and the days up to it.
    const StatRows ahead = Rows({Ride(Local(2024, 3, 9, 9), 5.0)}, kDistanceByDay, first, last, kMonday, now);
    ASSERT_EQ(ahead.size(), 6u);
    EXPECT_EQ(ahead.back(), Row("2024/03/09(Saturday)", "5.00 km"));
    // Days wholly to come give nothing.
    EXPECT_TRUE(Rows({}, kDistanceByDay, Local(2024, 4, 1), Local(2024, 4, 30), kMonday, now).empty());
}

TEST_F(StatSeriesTest, RideByRideListsEveryRideOldestFirst) {
    const RideRecordList rides = {Ride(Local(2024, 3, 5, 8), 1.0), Ride(Local(2024, 3, 5, 18), 2.0),
                                  Ride(Local(2024, 3, 9, 8), 4.0)};
    const StatRows rows = Rows(rides, SeriesKind{SeriesMeasure::Distance, SeriesPeriod::Ride},
                               Local(2024, 3, 1), Local(2024, 3, 31));
    EXPECT_EQ(rows, (StatRows{Row("2024/03/05(Tuesday)", "1.00 km"), Row("2024/03/05(Tuesday)", "2.00 km"),
                              Row("2024/03/09(Saturday)", "4.00 km")}));
    EXPECT_EQ(rows, BuildRideDistanceList(NewestFirst(rides)));
}

TEST_F(StatSeriesTest, MilesConvertDistancesAndSpeedsOnly) {
    SetDistanceUnit(1);
    const RideRecordList rides = {Ride(Local(2024, 3, 4, 8), 16.09, 0, 30)};
    const int64_t day = Local(2024, 3, 4);
    EXPECT_EQ(Rows(rides, kDistanceByDay, day, day), (StatRows{Row("2024/03/04(Monday)", "10.00 miles")}));
    EXPECT_EQ(Rows(rides, SeriesKind{SeriesMeasure::Speed, SeriesPeriod::Day}, day, day),
              (StatRows{Row("2024/03/04(Monday)", "20.00 mph")}));
    EXPECT_EQ(Rows(rides, SeriesKind{SeriesMeasure::Time, SeriesPeriod::Day}, day, day),
              (StatRows{Row("2024/03/04(Monday)", "0:30:00")}));
    const StatSeries series = BuildSeries(rides, kDistanceByDay, day, day, kMonday, day + 86400);
    EXPECT_DOUBLE_EQ(SeriesValue(series.points.at(0), SeriesMeasure::Distance), 10.0);
    EXPECT_DOUBLE_EQ(SeriesValue(series.points.at(0), SeriesMeasure::Time), 0.5);
    EXPECT_EQ(SeriesUnitWord(SeriesMeasure::Distance), QStringLiteral("miles"));
    EXPECT_EQ(SeriesUnitWord(SeriesMeasure::Speed), QStringLiteral("mph"));
}

TEST_F(StatSeriesTest, TheCommaSeparatedReportHoldsPlainNumbers) {
    const RideRecordList rides = {Ride(Local(2024, 3, 4, 8), 12.5, 1, 2, 3),
                                  Ride(Local(2024, 3, 13, 8), 7.25)};
    const auto csv = [&](SeriesMeasure measure, const char* heading) {
        const StatSeries series =
            BuildSeries(NewestFirst(rides), SeriesKind{measure, SeriesPeriod::Week}, Local(2024, 3, 4),
                        Local(2024, 3, 17), kMonday, Local(2024, 4, 1));
        return BuildSeriesCsvReport(series, QStringLiteral("Date"), QString::fromUtf8(heading),
                                    QStringLiteral("Distance by week \u2014 Road, \"the red one\""))
            .Text();
    };
    const QString foot = QStringLiteral(
        "\r\n\"Distance by week \u2014 Road, \"\"the red one\"\"\"\r\n\r\n\"Generated by "
        "Velomarq.\"\r\n\"https://velomarq.org\"\r\n");
    EXPECT_EQ(csv(SeriesMeasure::Distance, "Distance"),
              QStringLiteral("Date,Distance (km)\r\n2024/03/04,12.50\r\n2024/03/11,7.25\r\n") + foot);
    EXPECT_EQ(csv(SeriesMeasure::Time, "Riding time"),
              QStringLiteral("Date,Riding time\r\n2024/03/04,1:02:03\r\n2024/03/11,0:00:00\r\n") + foot);
    EXPECT_EQ(csv(SeriesMeasure::Rides, "Rides"),
              QStringLiteral("Date,Rides\r\n2024/03/04,1\r\n2024/03/11,1\r\n") + foot);
    // A heading with a comma is quoted.
    EXPECT_TRUE(csv(SeriesMeasure::Speed, "Speed, average")
                    .startsWith(QStringLiteral("Date,\"Speed, average (km/h)\"\r\n")));
}

TEST_F(StatSeriesTest, ALongLineDrawsTheOutlineOfItsValues) {
    std::vector<double> x;
    std::vector<double> y;
    for (int i = 0; i < 100000; ++i) {
        x.push_back(1.7e9 + i * 3000.0);
        y.push_back(50 + 40 * std::sin(i / 37.0) + (i == 77777 ? 500 : 0) - (i == 123 ? 90 : 0));
    }
    const std::vector<size_t> drawn = DrawnPoints(x, y, 8000, 2000);
    EXPECT_LE(drawn.size(), 8000u);
    EXPECT_GT(drawn.size(), 2000u);
    EXPECT_EQ(drawn.front(), 0u);
    EXPECT_EQ(drawn.back(), 99999u);
    EXPECT_TRUE(std::adjacent_find(drawn.begin(), drawn.end(), std::greater_equal<size_t>()) == drawn.end());
    // The highest and the lowest value stay in the picture.
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 77777u), drawn.end());
    EXPECT_NE(std::find(drawn.begin(), drawn.end(), 123u), drawn.end());
    // A short line draws every point.
    EXPECT_EQ(DrawnPoints({1, 2, 3}, {5, 1, 5}, 8000, 2000), (std::vector<size_t>{0, 1, 2}));
}

TEST_F(StatSeriesTest, DateMarksTakeTheFinestStepThatFits) {
    const auto labels = [](int64_t from, int64_t to, int maxTicks, SeriesPeriod finest = SeriesPeriod::Day) {
        QStringList result;
        for (const DateTick& tick : DateTicks(from, to, maxTicks, finest)) {
            result << tick.label;
            EXPECT_TRUE(tick.time >= from && tick.time <= to) << tick.label.toStdString();
        }
        return result;
    };
    // Ten years: every year fits in twelve marks, every second one in six.
    EXPECT_EQ(labels(Local(2014, 1, 1), Local(2023, 12, 31), 12).size(), 10);
    EXPECT_EQ(labels(Local(2014, 1, 1), Local(2023, 12, 31), 6),
              (QStringList{QStringLiteral("2014"), QStringLiteral("2016"), QStringLiteral("2018"),
                           QStringLiteral("2020"), QStringLiteral("2022")}));
    // A year by quarters, a week by days.
    EXPECT_EQ(labels(Local(2024, 1, 1), Local(2024, 12, 31), 5),
              (QStringList{QStringLiteral("2024/01"), QStringLiteral("2024/04"), QStringLiteral("2024/07"),
                           QStringLiteral("2024/10")}));
    EXPECT_EQ(labels(Local(2024, 3, 4), Local(2024, 3, 10), 10).size(), 7);
    EXPECT_EQ(labels(Local(2024, 3, 4), Local(2024, 3, 10), 10).front(), QStringLiteral("2024/03/04"));
    // Bars of weeks take no marks between two weeks' starts.
    EXPECT_EQ(labels(Local(2024, 3, 4), Local(2024, 3, 25), 10, SeriesPeriod::Week),
              (QStringList{QStringLiteral("2024/03/04"), QStringLiteral("2024/03/11"),
                           QStringLiteral("2024/03/18"), QStringLiteral("2024/03/25")}));
    EXPECT_TRUE(labels(Local(2024, 3, 4), Local(2024, 3, 1), 10).isEmpty());
}

TEST_F(StatSeriesTest, AscentIsSummedPerPeriodWhereKnown) {
    RideRecordList rides = {Ride(Local(2024, 3, 4, 9), 30.0), Ride(Local(2024, 3, 4, 15), 20.0),
                            Ride(Local(2024, 3, 5, 9), 10.0)};
    for (size_t i = 0; i < rides.size(); ++i) {
        rides[i].RideRecordNumber = static_cast<int32_t>(i + 1);
    }
    const RideAscents ascents = {{1, 300.4}, {2, 150.0}};
    EXPECT_EQ(SeriesKindOf(kContentsAscentByWeek), (SeriesKind{SeriesMeasure::Ascent, SeriesPeriod::Week}));
    const StatSeries series =
        BuildSeries(NewestFirst(rides), SeriesKind{SeriesMeasure::Ascent, SeriesPeriod::Day},
                    Local(2024, 3, 4), Local(2024, 3, 6), kMonday, Local(2024, 3, 7), &ascents);
    // A day whose ride has no ascent is unknown, not flat; a day without rides is flat.
    EXPECT_EQ(FormatSeries(series),
              (StatRows{Row("2024/03/04(Monday)", "450 m"), Row("2024/03/05(Tuesday)", ""),
                        Row("2024/03/06(Wednesday)", "0 m")}));
    EXPECT_DOUBLE_EQ(SeriesValue(series.points[0], SeriesMeasure::Ascent), 450.4);
}

}  // namespace
