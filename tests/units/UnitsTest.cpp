// Distance units and their words, the display formats, the local calendar in
// pinned time zones, the file helpers, the program directory and the clock.

#include "language/Language.h"
#include "support/ProgramDirectory.h"
#include "support/Scoped.h"
#include "units/Clock.h"
#include "units/Units.h"

#include <gtest/gtest.h>
#include <QDir>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace {

class UnitsTest : public ProgramDirectoryTest {
protected:
    void SetUp() override { ASSERT_EQ(LoadLanguageFile(SourcePath("languages/vmq_00.ini")), 0); }
};

TEST_F(UnitsTest, MilesConvertBothWaysWithTheFixedFactor) {
    SetDistanceUnit(1);
    EXPECT_EQ(FormatNumber(FromKilometres(16.09)), "10.00");
    EXPECT_EQ(FormatNumber(ToKilometres(10.0)), "16.09");
    EXPECT_DOUBLE_EQ(FromKilometres(ToKilometres(123.45)), 123.45);
    EXPECT_EQ(GetDistanceUnitWord(), GetLanguageString("Strings", "MILE"));
    EXPECT_EQ(GetSpeedUnitWord(), GetLanguageString("Strings", "MPHS"));
    EXPECT_EQ(FormatNumberWithUnit(FromKilometres(16.09), GetDistanceUnitWord()), "10.00 miles");
}

TEST_F(UnitsTest, EveryOtherUnitIsKilometres) {
    for (int unit : {0, 2, -1}) {
        SetDistanceUnit(unit);
        EXPECT_EQ(GetDistanceUnit(), unit);
        EXPECT_DOUBLE_EQ(ToKilometres(16.09), 16.09) << unit;
        EXPECT_DOUBLE_EQ(FromKilometres(16.09), 16.09) << unit;
        EXPECT_EQ(GetDistanceUnitWord(), GetLanguageString("Strings", "KMSS")) << unit;
        EXPECT_EQ(GetSpeedUnitWord(), GetLanguageString("Strings", "KPHS")) << unit;
    }
    EXPECT_EQ(GetWeekStart(), 1);
    SetWeekStart(0);
    EXPECT_EQ(GetWeekStart(), 0);
}

TEST_F(UnitsTest, NumberAndTimeFormats) {
    EXPECT_EQ(FormatRidingTime(27, 5, 9), "27:05:09");
    EXPECT_EQ(FormatRidingTime(0, 0, 0), "0:00:00");
    // Rounded as printf rounds the binary value: 2.005 is a little below 2.005.
    EXPECT_EQ(FormatNumber(2.005), "2.00");
    EXPECT_EQ(FormatNumber(0.125), "0.12");
    EXPECT_EQ(FormatNumber(1234567.891), "1234567.89");
    EXPECT_EQ(FormatNumber(-0.004), "-0.00");
    EXPECT_EQ(FormatNumberWithUnit(3.0, "km/h"), "3.00 km/h");
}

TEST_F(UnitsTest, MoneyIsInDollarsUntilTheRiderChoosesASymbolThatGoesWhereTheLanguagePutsIt) {
    EXPECT_EQ(FormatMoney(12.5), QStringLiteral("$12.50"));
    SetCurrencySymbol(QStringLiteral("€"));
    EXPECT_EQ(FormatMoney(1234.567), QStringLiteral("€1234.57"));
    FreeLanguageTable();
    ASSERT_EQ(LoadLanguageFile(SourcePath("languages/vmq_01.ini")), 0);
    EXPECT_EQ(FormatMoney(12.5), QStringLiteral("12.50 €"));
    SetCurrencySymbol(QString());
    EXPECT_EQ(FormatMoney(12.5), QStringLiteral("$12.50"));
}

TEST_F(UnitsTest, WeekdayAndBicycleTypeWords) {
    // The ends of both tables and the values just outside them.
    EXPECT_EQ(GetWeekdayName(0), "Sunday");
    EXPECT_EQ(GetWeekdayName(6), "Saturday");
    EXPECT_EQ(GetWeekdayName(7), "Error");
    EXPECT_EQ(GetWeekdayName(-1), "Error");
    EXPECT_EQ(GetBicycleTypeName(0), "Mountain bike");
    EXPECT_EQ(GetBicycleTypeName(6), "Cyclocross bike");
    EXPECT_EQ(GetBicycleTypeName(7), "Other bicycle");
    EXPECT_EQ(GetBicycleTypeName(-1), "Other bicycle");
}

TEST_F(UnitsTest, DatesFollowTheLocalCalendarAndItsDaylightSaving) {
    struct Case {
        const char* zone;
        int64_t utc;
        const char* date;
        int weekday;
    };
    const Case cases[] = {
        // 2024-01-15 23:30 UTC: past midnight in Berlin, evening in New York.
        {"Europe/Berlin", 1705361400, "2024/01/16", 2},
        {"America/New_York", 1705361400, "2024/01/15", 1},
        // 2024-04-01 22:30 UTC, the day after Berlin went to summer time (+2).
        {"Europe/Berlin", 1712010600, "2024/04/02", 2},
        // 2024-03-11 04:30 UTC, the day after New York went to summer time (-4).
        {"America/New_York", 1710131400, "2024/03/11", 1},
        // 2024-03-10 06:30 UTC, half an hour before the change: still -5.
        {"America/New_York", 1710052200, "2024/03/10", 0},
        // Dates before 1970 are negative.
        {"Europe/Berlin", -86400, "1969/12/31", 3},
    };
    for (const Case& c : cases) {
        ScopedTimeZone zone(c.zone);
        EXPECT_EQ(FormatDate(c.utc), c.date) << c.zone << " " << c.utc;
        EXPECT_EQ(ToLocalDateTime(c.utc).weekday, c.weekday) << c.zone << " " << c.utc;
    }
}

TEST_F(UnitsTest, LocalDateTimeRoundTripsAcrossTheClockChange) {
    ScopedTimeZone zone("America/New_York");
    // Noon on the day of the change is 16:00 UTC (summer time), noon the day
    // before is 17:00 UTC.
    EXPECT_EQ(FromLocalDateTime(2024, 3, 10, 12), 1710086400);
    EXPECT_EQ(FromLocalDateTime(2024, 3, 9, 12), 1710003600);
    const LocalDateTime local = ToLocalDateTime(1710086400 + 3 * 60 + 7);
    EXPECT_EQ(local.year, 2024);
    EXPECT_EQ(local.month, 3);
    EXPECT_EQ(local.day, 10);
    EXPECT_EQ(local.hour, 12);
    EXPECT_EQ(local.minute, 3);
    EXPECT_EQ(local.second, 7);
}

TEST_F(UnitsTest, FileNamePart) {
    const std::pair<const char*, const char*> cases[] = {
        {R"(C:\a\b\pic.jpg)", "pic.jpg"},
        {"pic.jpg", "pic.jpg"},
        {"/home/rider/Rides/7/data.files/pic.jpg", "pic.jpg"},
        {R"(Rides/7\data.files\pic.jpg)", "pic.jpg"},
        {R"(C:\folder\)", ""},
        {"", ""},
    };
    for (const auto& [path, name] : cases) {
        EXPECT_EQ(GetFileNamePart(path), name) << path;
    }
}

TEST_F(UnitsTest, FileAndDirectoryTests) {
    ASSERT_TRUE(m_programDir.WriteFile("Rides/1/data.htm", "<html></html>"));
    EXPECT_EQ(FileExists(m_programDir.FilePath("Rides/1/data.htm")), 1);
    EXPECT_EQ(IsDirectory(m_programDir.FilePath("Rides/1/data.htm")), 0);
    // A folder cannot be opened for reading as a file.
    EXPECT_EQ(FileExists(m_programDir.FilePath("Rides/1")), 0);
    EXPECT_EQ(IsDirectory(m_programDir.FilePath("Rides/1")), 1);
    EXPECT_EQ(FileExists(m_programDir.FilePath("Rides/2/data.htm")), 0);
    EXPECT_EQ(IsDirectory(m_programDir.FilePath("Rides/2")), 0);
    EXPECT_EQ(FileExists(""), 0);
    EXPECT_EQ(IsDirectory(""), 0);
}

TEST_F(UnitsTest, ProgramDirectoryIsKeptWithoutTrailingSeparator) {
    EXPECT_EQ(GetProgramDirectory(), m_programDir.Path());
    EXPECT_EQ(ProgramPath("languages/vmq_00.ini"), m_programDir.Path() + "/languages/vmq_00.ini");
    // It was recorded, so changing the current directory later does not move it.
    const QString recorded = GetProgramDirectory();
    QDir::setCurrent(QDir::tempPath());
    EXPECT_EQ(GetProgramDirectory(), recorded);

    SetProgramDirectory("/srv/velomarq/");
    EXPECT_EQ(GetProgramDirectory(), "/srv/velomarq");
    EXPECT_EQ(ProgramPath("bicycle.db"), "/srv/velomarq/bicycle.db");
    SetProgramDirectory("/");
    EXPECT_EQ(ProgramPath("bicycle.db"), "/bicycle.db");
}

TEST(ClockTest, PinnedTimeUntilReleased) {
    {
        ScopedClock clock(1705361400);
        EXPECT_EQ(CurrentTime(), 1705361400);
        clock.Set(1705361460);
        EXPECT_EQ(CurrentTime(), 1705361460);
    }
    EXPECT_GT(CurrentTime(), 1705361460);
}

}  // namespace
