// A bicycle.db written by another SQLite client, in the layout the program has
// always used, reads back field for field.

#include "store/StoreFixture.h"

using namespace storetest;

namespace {

// The file as another program would write it: its own connection, plain SQL,
// names and notes as UTF-16LE text blocks in hexadecimal.
void WriteLogWithPlainSql() {
    sqlite3* connection = nullptr;
    ASSERT_EQ(sqlite3_open("bicycle.db", &connection), SQLITE_OK);
    const char* sql =
        "create table Bicycle(\t\tBicycleNumber INTEGER PRIMARY KEY,\t\tBicycleName BLOB,\t\tWeight REAL,\t\t"
        "Frame INTEGER,\t\tCost REAL,\t\tType INTEGER,\t\tDatePurchased INTEGER,\t\tPreviousODO REAL,\t\t"
        "MaxSpeed REAL,\t\tPictureData BLOB,\t\tMemo BLOB\t\t);"
        "create table RideRecord(\t\tRideRecordNumber INTEGER PRIMARY KEY,\t\tDate INTEGER,\t\tBicycleNumber "
        "INTEGER,\t\tDistance REAL,\t\tMaxSpeed REAL,\t\tHours INTEGER,\t\tMinutes INTEGER,\t\tSeconds "
        "INTEGER,\t\tDifficultyLevel INTEGER,\t\tFeelingLevel INTEGER,\t\tMemo BLOB\t\t);"
        "create table MaintenanceRecord(\t\tMaintenanceRecordNumber INTEGER PRIMARY KEY,\t\tDate INTEGER,\t\t"
        "BicycleNumber INTEGER,\t\tCost REAL,\t\tMemo BLOB\t\t);"
        "create table ApplicationConfig(\t\tData BLOB\t\t);"
        // "Rad ü" and "Zweirad": UTF-16LE characters, then two zero characters.
        "insert into Bicycle values (3, x'5200610064002000fc0000000000', 10.5, 54, 850.0, 2, 1199145600, "
        "250.5,"
        " 48.5, x'424d0102', x'4e006f007400650000000000');"
        "insert into Bicycle values (5, x'5a0077006500690072006100640000000000', 12.0, 60, 0.0, 0, 0, 0.0, "
        "0.0,"
        " NULL, NULL);"
        "insert into RideRecord values (10, 1209600000, 3, 33.3, 44.4, 1, 2, 3, 4, 5,"
        " x'4800690000000000');"
        "insert into RideRecord values (11, 1204329600, 5, 5.0, 20.0, 0, 30, 0, 0, 0, x'00000000');"
        "insert into MaintenanceRecord values (4, 1207008000, 3, 19.75, x'4f0069006c0000000000');"
        "insert into ApplicationConfig values (x'3030303130303031303030323030303130303031');";
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(connection, sql, nullptr, nullptr, &message), SQLITE_OK) << message;
    sqlite3_free(message);
    sqlite3_close(connection);
}

}  // namespace

TEST_F(StoreTest, ALogWrittenByAnotherClientReadsFieldForField) {
    WriteLogWithPlainSql();
    ASSERT_EQ(DB_OpenDatabase(), 0);

    ApplicationConfigRecord config;
    ASSERT_EQ(DB_LoadApplicationConfig(&config), 0);
    EXPECT_EQ(config.Language, 2);
    EXPECT_EQ(config.DistanceUnit, 1);
    EXPECT_EQ(config.WeekStart, 1);

    BicycleList bicycles;
    ASSERT_EQ(DB_GetBicycles(&bicycles), 0);
    ASSERT_EQ(bicycles.size(), 2u);
    const BicycleAttribute& rad = bicycles[0];
    EXPECT_EQ(rad.BicycleNumber, 3);
    EXPECT_EQ(rad.BicycleName, TextBlock(u"Rad \u00fc"));
    EXPECT_EQ(rad.Weight, 10.5);
    EXPECT_EQ(rad.Frame, 54);
    EXPECT_EQ(rad.Cost, 850.0);
    EXPECT_EQ(rad.Type, 2);
    EXPECT_EQ(rad.DatePurchased, 1199145600);
    EXPECT_EQ(rad.PreviousODO, 250.5);
    EXPECT_EQ(rad.PictureData, (ByteBlock{'B', 'M', 1, 2}));
    EXPECT_EQ(rad.Memo, TextBlock(u"Note"));
    EXPECT_EQ(rad.TotalDistance, 33.3);
    EXPECT_EQ(rad.TotalHours, 1);
    EXPECT_EQ(rad.TotalMinutes, 2);
    EXPECT_EQ(rad.TotalSeconds, 3);
    EXPECT_EQ(rad.MaxSpeed, 44.4);
    EXPECT_EQ(rad.TotalMaintenanceCost, 19.75);
    const BicycleAttribute& zweirad = bicycles[1];
    EXPECT_EQ(zweirad.BicycleNumber, 5);
    EXPECT_EQ(zweirad.BicycleName, TextBlock(u"Zweirad"));
    EXPECT_TRUE(zweirad.PictureData.empty());
    EXPECT_TRUE(zweirad.Memo.empty());
    EXPECT_EQ(zweirad.TotalMinutes, 30);

    BicycleList light;
    ASSERT_EQ(DB_GetBicycleList(&light), 0);
    ASSERT_EQ(light.size(), 2u);
    EXPECT_EQ(light[0].MaxSpeed, 48.5);

    RideRecordList rides;
    ASSERT_EQ(DB_GetRideRecords(nullptr, &rides), 0);
    ASSERT_EQ(rides.size(), 2u);
    const RideRecord& ride = rides[0];
    EXPECT_EQ(ride.RideRecordNumber, 10);
    EXPECT_EQ(ride.Date, 1209600000);
    EXPECT_EQ(ride.BicycleNumber, 3);
    EXPECT_EQ(ride.Distance, 33.3);
    EXPECT_EQ(ride.MaxSpeed, 44.4);
    EXPECT_EQ(ride.Hours, 1);
    EXPECT_EQ(ride.Minutes, 2);
    EXPECT_EQ(ride.Seconds, 3);
    EXPECT_EQ(ride.DifficultyLevel, 4);
    EXPECT_EQ(ride.FeelingLevel, 5);
    EXPECT_EQ(ride.Memo, TextBlock(u"Hi"));
    EXPECT_EQ(rides[1].Memo, TextBlock(u""));

    MaintenanceRecordList entries;
    ASSERT_EQ(DB_GetMaintenanceRecords(nullptr, &entries), 0);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].MaintenanceRecordNumber, 4);
    EXPECT_EQ(entries[0].Date, 1207008000);
    EXPECT_EQ(entries[0].BicycleNumber, 3);
    EXPECT_EQ(entries[0].Cost, 19.75);
    EXPECT_EQ(entries[0].Memo, TextBlock(u"Oil"));

    int next = 0;
    ASSERT_EQ(DB_GetMaxRideRecordNumber(&next), 0);
    EXPECT_EQ(next, 12);
}
