// The list pages' day range: whole local calendar days with both ends
// included, in more than one time zone and across clock changes; the memo
// folder of a record; ride figures.

#include "support/ProgramDirectory.h"
#include "support/Scoped.h"
#include "units/DayRange.h"
#include "units/FigureRange.h"
#include "units/LocalCalendar.h"
#include "units/RecordFolders.h"
#include "units/RideFigures.h"
#include "units/Units.h"

#include <gtest/gtest.h>
#include <ctime>
#include <ostream>
#include <tuple>

namespace {

int64_t Utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    std::tm date{};
    date.tm_year = year - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    date.tm_hour = hour;
    date.tm_min = minute;
    date.tm_sec = second;
    return timegm(&date);
}

bool InRange(const DayRange& range, int64_t date) {
    return range.first <= date && date <= range.last;
}

struct ZoneCase {
    const char* zone;
    int januaryOffsetHours;  // east positive, in force in January
};

// Names the case by its zone, so the test names stay the same from run to run.
void PrintTo(const ZoneCase& c, std::ostream* out) {
    *out << c.zone;
}

class DayRangeZones : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(DayRangeZones, WholeLocalDaysWithBothEndsIncluded) {
    ScopedTimeZone zone(GetParam().zone);
    const int offset = GetParam().januaryOffsetHours * 3600;
    // Pickers on 2026-01-01 15:30 and 2026-01-03 09:00 local: the time of day does not matter.
    const DayRange range = LocalDayRange(Utc(2026, 1, 1, 15, 30) - offset, Utc(2026, 1, 3, 9, 0) - offset);
    EXPECT_EQ(range.first, Utc(2026, 1, 1) - offset);
    EXPECT_EQ(range.last, Utc(2026, 1, 3, 23, 59, 59) - offset);

    // A ride shown as 2025/12/31 in the evening is not in a list that starts
    // on 2026/01/01, one at local midnight is, and so is one late on the last day.
    EXPECT_FALSE(InRange(range, Utc(2025, 12, 31, 23, 59, 59) - offset));
    EXPECT_TRUE(InRange(range, Utc(2026, 1, 1, 0, 0, 0) - offset));
    EXPECT_TRUE(InRange(range, Utc(2026, 1, 3, 23, 59, 59) - offset));
    EXPECT_FALSE(InRange(range, Utc(2026, 1, 4, 0, 0, 0) - offset));

    // One day: from and to on the same day, this evening's ride included.
    const DayRange today = LocalDayRange(Utc(2026, 1, 2, 8) - offset, Utc(2026, 1, 2, 8) - offset);
    EXPECT_EQ(today.last - today.first, 86399);
    EXPECT_TRUE(InRange(today, Utc(2026, 1, 2, 21, 45) - offset));
}

TEST_P(DayRangeZones, DaysOfClockChangesLast23And25Hours) {
    ScopedTimeZone zone(GetParam().zone);
    // Find the spring and autumn changes of 2025 in this zone by their day lengths.
    int shortDays = 0;
    int longDays = 0;
    for (int64_t noon = Utc(2025, 1, 1, 12); noon < Utc(2026, 1, 1); noon += 86400) {
        const LocalDateTime local = ToLocalDateTime(noon);
        const DayRange day = LocalDayRange(noon, noon);
        const int64_t length = day.last - day.first + 1;
        EXPECT_EQ(ToLocalDateTime(day.first).hour, 0);
        EXPECT_EQ(ToLocalDateTime(day.first).day, local.day);
        EXPECT_EQ(ToLocalDateTime(day.last).day, local.day);
        EXPECT_EQ(ToLocalDateTime(day.last).hour, 23);
        EXPECT_EQ(ToLocalDateTime(day.last + 1).day, ToLocalDateTime(noon + 86400).day);
        if (length == 23 * 3600) {
            ++shortDays;
        } else if (length == 25 * 3600) {
            ++longDays;
        } else {
            EXPECT_EQ(length, 86400) << local.year << "/" << local.month << "/" << local.day;
        }
    }
    EXPECT_EQ(shortDays, 1);
    EXPECT_EQ(longDays, 1);
}

INSTANTIATE_TEST_SUITE_P(Zones, DayRangeZones,
                         ::testing::Values(ZoneCase{"Europe/Berlin", 1}, ZoneCase{"America/New_York", -5},
                                           ZoneCase{"Australia/Sydney", 11}));

TEST(DayRange, AcrossTheAutumnChangeInBerlin) {
    ScopedTimeZone zone("Europe/Berlin");
    // 2025-10-26: clocks go back from 03:00 CEST to 02:00 CET.
    const DayRange range = LocalDayRange(Utc(2025, 10, 26, 10), Utc(2025, 10, 26, 10));
    EXPECT_EQ(range.first, Utc(2025, 10, 25, 22));         // 00:00 CEST
    EXPECT_EQ(range.last, Utc(2025, 10, 26, 22, 59, 59));  // 23:59:59 CET
    EXPECT_TRUE(InRange(range, Utc(2025, 10, 26, 22, 59, 59)));
    EXPECT_FALSE(InRange(range, Utc(2025, 10, 26, 23)));
}

TEST(DayRange, ASkippedMidnightStartsTheDayAtItsFirstHour) {
    // Brazil moved its clocks from 00:00 to 01:00 on 2018-11-04: that day has no midnight.
    ScopedTimeZone zone("America/Sao_Paulo");
    EXPECT_EQ(LocalDayStart(2018, 11, 4), Utc(2018, 11, 4, 3));  // 01:00 -02 = 00:00 -03
    const DayRange range = LocalDayRange(Utc(2018, 11, 4, 15), Utc(2018, 11, 4, 15));
    EXPECT_FALSE(InRange(range, Utc(2018, 11, 4, 2, 59, 59)));  // 23:59:59 of November 3
    EXPECT_TRUE(InRange(range, Utc(2018, 11, 4, 3)));
    EXPECT_EQ(range.last - range.first + 1, 23 * 3600);
}

TEST(DayRange, ConditionTexts) {
    const DayRange range{1767222000, 1767394799};
    EXPECT_EQ(DayRangeCondition(range), " (Date>=1767222000) and (Date<=1767394799)");
    EXPECT_EQ(DayRangeCondition(range, 7),
              "(BicycleNumber==7) and (Date>=1767222000) and (Date<=1767394799)");
    // Beyond the 32-bit dates of the tables the bounds stop at their ends.
    EXPECT_EQ(DayRangeCondition({-5'000'000'000LL, 5'000'000'000LL}),
              " (Date>=-2147483648) and (Date<=2147483647)");
}

TEST(RideFigures, AverageSpeedAndTimeSums) {
    EXPECT_DOUBLE_EQ(AverageSpeed(30.0, 1, 0, 0), 30.0);
    EXPECT_DOUBLE_EQ(AverageSpeed(30.0, 0, 90, 0), 20.0);
    EXPECT_DOUBLE_EQ(AverageSpeed(30.0, 0, 0, 0), 0.0);
    EXPECT_DOUBLE_EQ(AverageSpeed(30.0, 0, -5, 0), 0.0);

    RidingTimeSum sum;
    sum.Add(0, 50, 40);
    sum.Add(0, 20, 30);
    sum.Normalise();
    EXPECT_EQ(sum.hours, 1);
    EXPECT_EQ(sum.minutes, 11);
    EXPECT_EQ(sum.seconds, 10);
    // Stored times may carry 99 minutes and seconds; hours grow without bound.
    RidingTimeSum big;
    for (int i = 0; i < 1000; ++i) {
        big.Add(30, 99, 99);
    }
    big.Normalise();
    EXPECT_EQ(big.hours * 3600 + big.minutes * 60 + big.seconds, 1000LL * (30 * 3600 + 99 * 60 + 99));
    EXPECT_LT(big.minutes, 60);
    EXPECT_LT(big.seconds, 60);
}

TEST(LocalCalendar, AgreesWithTheOneDateConversion) {
    for (const char* name : {"Europe/Berlin", "America/New_York", "Asia/Kolkata"}) {
        ScopedTimeZone zone(name);
        const LocalCalendar calendar;
        for (int64_t t = Utc(2025, 3, 8); t < Utc(2025, 11, 4); t += 3 * 3600 + 17) {
            const LocalDateTime one = ToLocalDateTime(t);
            const LocalDateTime many = calendar.At(t);
            ASSERT_EQ(
                std::tie(one.year, one.month, one.day, one.hour, one.minute, one.second, one.weekday),
                std::tie(many.year, many.month, many.day, many.hour, many.minute, many.second, many.weekday))
                << name << " " << t;
        }
    }
}

TEST(RecordFolders, NamedByNumberUnderRidesOrMaintenance) {
    ProgramDirectory programDirectory;
    EXPECT_EQ(RecordMemoFolder(RecordKind::Ride, 12), programDirectory.Path() + QStringLiteral("/Rides/12"));
    EXPECT_EQ(RecordMemoFolder(RecordKind::Maintenance, 3),
              programDirectory.Path() + QStringLiteral("/Maintenance/3"));
}

}  // namespace

namespace {

TEST(FigureRange, BoundsWriteAPointAndRidingTimesReadAsTyped) {
    EXPECT_EQ(FigureRangeCondition("Distance", std::nullopt, std::nullopt), "");
    EXPECT_EQ(FigureRangeCondition("Cost", 9.995, std::nullopt), " and (Cost>=9.995)");
    EXPECT_EQ(FigureRangeCondition("Distance", 0.5, 12.0), " and (Distance>=0.5) and (Distance<=12)");

    const struct {
        const char* text;
        std::optional<int> seconds;
    } cases[] = {{"1:30", 5400}, {"0:45:10", 2710}, {"2", 7200},  {"1.5", 5400},   {" 1:05 ", 3900},
                 {"1:60", {}},   {"1:", {}},        {"a:10", {}}, {"1:2:3:4", {}}, {"", {}}};
    for (const auto& c : cases) {
        EXPECT_EQ(ReadDuration(QString::fromLatin1(c.text)), c.seconds) << c.text;
    }
}

}  // namespace
