// Tables RideRecord and MaintenanceRecord: order, filters, numbering, memos,
// updates, deletes and fetches that fail part-way.

#include "store/StoreFixture.h"

#include <cerrno>
#include <cmath>
#include <limits>

using namespace storetest;

using RideMaintenanceTest = RecordTest;

namespace {

template <typename Record>
std::vector<int32_t> Dates(const std::vector<Record>& records) {
    std::vector<int32_t> dates;
    for (const Record& record : records) {
        dates.push_back(record.Date);
    }
    return dates;
}

}  // namespace

TEST_F(RideMaintenanceTest, ListsComeNewestFirst) {
    for (int month : {5, 3, 4}) {
        InsertRide(1, Day(2008, month, 1));
        InsertMaintenance(1, Day(2008, month, 1));
    }
    const std::vector<int32_t> expected = {Day(2008, 5, 1), Day(2008, 4, 1), Day(2008, 3, 1)};
    RideRecordList rides;
    ASSERT_EQ(DB_GetRideRecords(nullptr, &rides), 0);
    EXPECT_EQ(Dates(rides), expected);
    MaintenanceRecordList entries;
    ASSERT_EQ(DB_GetMaintenanceRecords(nullptr, &entries), 0);
    EXPECT_EQ(Dates(entries), expected);
}

TEST_F(RideMaintenanceTest, ConditionsFilterAndAnEmptyOneMeansAll) {
    for (int bicycle = 1; bicycle <= 3; ++bicycle) {
        for (int day = 1; day <= 4; ++day) {
            InsertRide(bicycle, Day(2008, 6, day));
            InsertMaintenance(bicycle, Day(2008, 6, day));
        }
    }
    RideRecordList rides;
    ASSERT_EQ(DB_GetRideRecords("", &rides), 0);
    EXPECT_EQ(rides.size(), 12u);

    ASSERT_EQ(DB_GetRideRecords("(BicycleNumber==2)", &rides), 0);
    ASSERT_EQ(rides.size(), 4u);
    for (const RideRecord& ride : rides) {
        EXPECT_EQ(ride.BicycleNumber, 2);
    }

    // The pages' day range: strictly between the two bounds.
    const std::string range = "(BicycleNumber==3) and (Date>" + std::to_string(Day(2008, 6, 1)) +
                              ") and (Date<" + std::to_string(Day(2008, 6, 4)) + ")";
    ASSERT_EQ(DB_GetRideRecords(range.c_str(), &rides), 0);
    EXPECT_EQ(Dates(rides), (std::vector<int32_t>{Day(2008, 6, 3), Day(2008, 6, 2)}));

    MaintenanceRecordList entries;
    ASSERT_EQ(DB_GetMaintenanceRecords("", &entries), 0);
    EXPECT_EQ(entries.size(), 12u);
    ASSERT_EQ(DB_GetMaintenanceRecords(range.c_str(), &entries), 0);
    EXPECT_EQ(Dates(entries), (std::vector<int32_t>{Day(2008, 6, 3), Day(2008, 6, 2)}));

    EXPECT_EQ(DB_GetRideRecords("no such column", &rides), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Can not prepare SQL command to execute.");
}

TEST_F(RideMaintenanceTest, NextNumberIsTheLargestPlusOne) {
    int number = 0;
    ASSERT_EQ(DB_GetMaxRideRecordNumber(&number), 0);
    EXPECT_EQ(number, 1);
    ASSERT_EQ(DB_GetMaxMaintenanceRecordNumber(&number), 0);
    EXPECT_EQ(number, 1);

    for (int n : {1, 2, 5}) {
        Exec("insert into RideRecord(RideRecordNumber, Date) values (" + std::to_string(n) + ", 0)");
        Exec("insert into MaintenanceRecord(MaintenanceRecordNumber, Date) values (" + std::to_string(n) +
             ", 0)");
    }
    ASSERT_EQ(DB_GetMaxRideRecordNumber(&number), 0);
    EXPECT_EQ(number, 6);
    ASSERT_EQ(DB_DeleteRideRecord(5), 0);
    ASSERT_EQ(DB_GetMaxRideRecordNumber(&number), 0);
    EXPECT_EQ(number, 3);

    ASSERT_EQ(DB_GetMaxMaintenanceRecordNumber(&number), 0);
    EXPECT_EQ(number, 6);
    ASSERT_EQ(DB_DeleteMaintenanceRecord(5), 0);
    ASSERT_EQ(DB_GetMaxMaintenanceRecordNumber(&number), 0);
    EXPECT_EQ(number, 3);
}

TEST_F(RideMaintenanceTest, NoNextNumberPastTheLargestRecordNumber) {
    // Numbers are 32-bit; a table another program filled up to the top (or
    // beyond) has no next number that a memo folder and the record could share.
    for (const char* largest : {"2147483647", "5000000001"}) {
        SCOPED_TRACE(largest);
        Exec(std::string("insert into RideRecord(RideRecordNumber, Date) values (") + largest + ", 0)");
        Exec(std::string("insert into MaintenanceRecord(MaintenanceRecordNumber, Date) values (") + largest +
             ", 0)");
        int number = -7;
        EXPECT_EQ(DB_GetMaxRideRecordNumber(&number), 99);
        EXPECT_EQ(DB_GetMaxMaintenanceRecordNumber(&number), 99);
        EXPECT_EQ(number, -7);
    }
    Exec("delete from RideRecord where RideRecordNumber > 2147483646");
    int number = 0;
    ASSERT_EQ(DB_GetMaxRideRecordNumber(&number), 0);
    EXPECT_EQ(number, 1);
}

TEST_F(RideMaintenanceTest, InsertIgnoresTheRecordsOwnNumber) {
    Exec("insert into RideRecord(RideRecordNumber, Date) values (6, 0)");
    Exec("insert into MaintenanceRecord(MaintenanceRecordNumber, Date) values (6, 0)");
    RideRecord ride;
    ride.RideRecordNumber = 2;
    ride.Date = 10;
    ASSERT_EQ(DB_InsertRideRecord(&ride), 0);
    MaintenanceRecord entry;
    entry.MaintenanceRecordNumber = 2;
    entry.Date = 10;
    ASSERT_EQ(DB_InsertMaintenanceRecord(&entry), 0);

    RideRecordList rides;
    ASSERT_EQ(DB_GetRideRecords(nullptr, &rides), 0);
    EXPECT_EQ(rides.front().RideRecordNumber, 7);
    MaintenanceRecordList entries;
    ASSERT_EQ(DB_GetMaintenanceRecords(nullptr, &entries), 0);
    EXPECT_EQ(entries.front().MaintenanceRecordNumber, 7);
}

TEST_F(RideMaintenanceTest, RidesKeepEveryField) {
    RideRecord ride;
    ride.Date = Day(2008, 7, 14);
    ride.BicycleNumber = 3;
    ride.Distance = 42.195;
    ride.MaxSpeed = 55.5;
    ride.Hours = 1;
    ride.Minutes = 59;
    ride.Seconds = 58;
    ride.DifficultyLevel = 4;
    ride.FeelingLevel = 2;
    ride.Memo = TextBlock(u"Windy \u00e9t\u00e9");
    ASSERT_EQ(DB_InsertRideRecord(&ride), 0);
    ride.RideRecordNumber = 1;

    RideRecordList rides;
    ASSERT_EQ(DB_GetRideRecords(nullptr, &rides), 0);
    ASSERT_EQ(rides.size(), 1u);
    const RideRecord& got = rides[0];
    EXPECT_EQ(got.RideRecordNumber, 1);
    EXPECT_EQ(got.Date, ride.Date);
    EXPECT_EQ(got.BicycleNumber, 3);
    EXPECT_EQ(got.Distance, 42.195);
    EXPECT_EQ(got.MaxSpeed, 55.5);
    EXPECT_EQ(got.Hours, 1);
    EXPECT_EQ(got.Minutes, 59);
    EXPECT_EQ(got.Seconds, 58);
    EXPECT_EQ(got.DifficultyLevel, 4);
    EXPECT_EQ(got.FeelingLevel, 2);
    EXPECT_EQ(got.Memo, ride.Memo);

    // Update overwrites everything but the number, and an empty memo reads
    // back as no block at all.
    RideRecord changed;
    changed.Date = Day(2009, 1, 1);
    changed.Distance = 3.5;
    changed.RideRecordNumber = 77;
    ASSERT_EQ(DB_UpdateRideRecord(1, &changed), 0);
    EXPECT_EQ(changed.RideRecordNumber, 1);
    ASSERT_EQ(DB_GetRideRecords(nullptr, &rides), 0);
    ASSERT_EQ(rides.size(), 1u);
    EXPECT_EQ(rides[0].Distance, 3.5);
    EXPECT_EQ(rides[0].FeelingLevel, 0);
    EXPECT_TRUE(rides[0].Memo.empty());

    RideRecord ghost;
    EXPECT_EQ(DB_UpdateRideRecord(9, &ghost), 0);
    EXPECT_EQ(DB_DeleteRideRecord(9), 0);
    EXPECT_EQ(QueryInt("select count(*) from RideRecord"), 1);
}

TEST_F(RideMaintenanceTest, MaintenanceEntriesKeepEveryField) {
    MaintenanceRecord entry;
    entry.Date = Day(2008, 7, 14);
    entry.BicycleNumber = 2;
    entry.Cost = 19.99;
    entry.Memo = TextBlock(u"New chain");
    ASSERT_EQ(DB_InsertMaintenanceRecord(&entry), 0);

    MaintenanceRecordList entries;
    ASSERT_EQ(DB_GetMaintenanceRecords(nullptr, &entries), 0);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].MaintenanceRecordNumber, 1);
    EXPECT_EQ(entries[0].Date, entry.Date);
    EXPECT_EQ(entries[0].BicycleNumber, 2);
    EXPECT_EQ(entries[0].Cost, 19.99);
    EXPECT_EQ(entries[0].Memo, entry.Memo);

    MaintenanceRecord changed;
    changed.Cost = 5.0;
    changed.Memo = TextBlock(u"");
    ASSERT_EQ(DB_UpdateMaintenanceRecord(1, &changed), 0);
    EXPECT_EQ(changed.MaintenanceRecordNumber, 1);
    ASSERT_EQ(DB_GetMaintenanceRecords(nullptr, &entries), 0);
    EXPECT_EQ(entries[0].Cost, 5.0);
    EXPECT_EQ(entries[0].Memo, ByteBlock(4, 0));
    EXPECT_EQ(DB_DeleteMaintenanceRecord(1), 0);
    EXPECT_EQ(QueryInt("select count(*) from MaintenanceRecord"), 0);
}

TEST_F(RideMaintenanceTest, AFetchThatFailsPartWayKeepsWhatItRead) {
    for (int day = 1; day <= 20; ++day) {
        InsertRide(1, Day(2008, 8, day));
    }
    // Count the steps of a whole fetch, then interrupt one halfway through.
    struct Budget {
        int calls = 0;
        int limit = 1 << 30;
    } budget;
    sqlite3_progress_handler(
        DB_GetConnection(), 1,
        [](void* data) {
            auto* b = static_cast<Budget*>(data);
            return ++b->calls > b->limit ? 1 : 0;
        },
        &budget);
    RideRecordList all;
    ASSERT_EQ(DB_GetRideRecords(nullptr, &all), 0);
    budget.limit = budget.calls / 2;
    budget.calls = 0;

    RideRecordList part;
    EXPECT_EQ(DB_GetRideRecords(nullptr, &part), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Fetch SQL result error.");
    ASSERT_GT(part.size(), 0u);
    ASSERT_LT(part.size(), all.size());
    for (size_t i = 0; i < part.size(); ++i) {
        EXPECT_EQ(part[i].Date, all[i].Date);
    }
    sqlite3_progress_handler(DB_GetConnection(), 0, nullptr, nullptr);
}

TEST_F(RideMaintenanceTest, AFailedDeleteIsReported) {
    InsertRide(1, 100);
    InsertMaintenance(1, 100);
    Exec("create trigger RefuseRide before delete on RideRecord begin select raise(abort, 'no'); end");
    Exec(
        "create trigger RefuseEntry before delete on MaintenanceRecord begin select raise(abort, 'no'); end");
    EXPECT_EQ(DB_DeleteRideRecord(1), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Execute SQL command error.");
    EXPECT_EQ(DB_DeleteMaintenanceRecord(1), 99);
    EXPECT_EQ(QueryInt("select count(*) from RideRecord"), 1);
    EXPECT_EQ(QueryInt("select count(*) from MaintenanceRecord"), 1);
}

TEST_F(RideMaintenanceTest, AFailedBindNamesThePositionAfterIt) {
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(DB_GetConnection(), "select ?, ?", -1, &statement, nullptr), SQLITE_OK);
    const RideRecord ride;
    EXPECT_EQ(DB_RideRecordToStmt(statement, &ride, true), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: DB_RideRecordToStmt() error. Index is :4");
    const MaintenanceRecord entry;
    EXPECT_EQ(DB_MaintenanceRecordToStmt(statement, &entry, false), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: DB_MaintenanceRecordToStmt() error. Index is :4");
    sqlite3_finalize(statement);
}

TEST_F(RideMaintenanceTest, WithoutAConnection) {
    DB_CloseDatabase();
    RideRecordList rides;
    MaintenanceRecordList entries;
    RideRecord ride;
    MaintenanceRecord entry;
    EXPECT_EQ(DB_GetRideRecords(nullptr, &rides), 1);
    EXPECT_EQ(DB_InsertRideRecord(&ride), 1);
    EXPECT_EQ(DB_UpdateRideRecord(1, &ride), 1);
    EXPECT_EQ(DB_DeleteRideRecord(1), 1);
    EXPECT_EQ(DB_GetMaintenanceRecords(nullptr, &entries), 1);
    EXPECT_EQ(DB_InsertMaintenanceRecord(&entry), 1);
    EXPECT_EQ(DB_UpdateMaintenanceRecord(1, &entry), 1);
    EXPECT_EQ(DB_DeleteMaintenanceRecord(1), 1);
    int number = 0;
    EXPECT_EQ(DB_GetMaxRideRecordNumber(&number), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Can not prepare SQL command to execute.");
    EXPECT_EQ(DB_GetMaxMaintenanceRecordNumber(&number), 99);
}

TEST_F(RideMaintenanceTest, CopyAndRelease) {
    RideRecord source;
    source.Distance = 12.0;
    source.Memo = Bytes("memo");
    RideRecord target;
    DB_CopyRideRecord(&target, &source);
    EXPECT_EQ(target.Distance, 12.0);
    EXPECT_EQ(target.Memo, source.Memo);
    DB_ReleaseRideRecord(&target);
    EXPECT_TRUE(target.Memo.empty());

    MaintenanceRecord entry;
    entry.Memo = Bytes("memo");
    MaintenanceRecord copy;
    DB_CopyMaintenanceRecord(&copy, &entry);
    EXPECT_EQ(copy.Memo, entry.Memo);
    DB_ReleaseMaintenanceRecord(&copy);
    EXPECT_TRUE(copy.Memo.empty());

    RideRecordList rides(2);
    MaintenanceRecordList entries(2);
    DB_ReleaseRideRecordList(&rides);
    DB_ReleaseMaintenanceRecordList(&entries);
    EXPECT_TRUE(rides.empty() && entries.empty());
}

TEST_F(RideMaintenanceTest, NumbersPastThirtyTwoBitsAreRefusedNotWrapped) {
    // 2^32 + 1 read as 32 bits is 1: another record's number and memo folder.
    InsertBicycle(u"Tourer");
    InsertRide(1, Day(2008, 5, 1));
    InsertMaintenance(1, Day(2008, 5, 1));
    Exec("insert into RideRecord(RideRecordNumber, Date, BicycleNumber) values (4294967297, 5, 1)");
    Exec("insert into RideRecord(RideRecordNumber, Date, BicycleNumber) values (7, 6, 4294967298)");
    Exec(
        "insert into MaintenanceRecord(MaintenanceRecordNumber, Date, BicycleNumber) "
        "values (-4294967295, 5, 1)");
    Exec("insert into Bicycle(BicycleNumber, BicycleName) values (4294967297, x'41000000')");

    RideRecordList rides;
    EXPECT_EQ(DB_GetRideRecords(nullptr, &rides), 99);
    EXPECT_STREQ(DB_GetLastError(),
                 "ERROR: Record number 4294967297 is out of range; the record is left out.");
    ASSERT_EQ(rides.size(), 1u);  // the others are all still read
    EXPECT_EQ(rides[0].RideRecordNumber, 1);

    MaintenanceRecordList entries;
    EXPECT_EQ(DB_GetMaintenanceRecords(nullptr, &entries), 99);
    EXPECT_STREQ(DB_GetLastError(),
                 "ERROR: Record number -4294967295 is out of range; the record is left out.");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].MaintenanceRecordNumber, 1);

    for (const bool full : {true, false}) {
        BicycleList bicycles;
        EXPECT_EQ(full ? DB_GetBicycles(&bicycles) : DB_GetBicycleList(&bicycles), 99);
        EXPECT_STREQ(DB_GetLastError(),
                     "ERROR: Record number 4294967297 is out of range; the record is left out.");
        ASSERT_EQ(bicycles.size(), 1u);
        EXPECT_EQ(bicycles[0].BicycleNumber, 1);
    }

    // Converting such a row directly is refused the same way.
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(DB_GetConnection(), "select * from RideRecord where RideRecordNumber > 100",
                                 -1, &statement, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    RideRecord ride;
    EXPECT_EQ(DB_StmtToRideRecord(statement, &ride), 99);
    EXPECT_EQ(ride.RideRecordNumber, 0);
    sqlite3_finalize(statement);
}

TEST_F(RideMaintenanceTest, ARideWithAFigureNoRideCanHaveIsRefused) {
    InsertRide(1, Day(2008, 5, 1));
    for (const auto& spoil : std::initializer_list<void (*)(RideRecord&)>{
             [](RideRecord& r) { r.Distance = std::numeric_limits<double>::infinity(); },
             [](RideRecord& r) { r.Distance = std::nan(""); }, [](RideRecord& r) { r.MaxSpeed = -1.0; },
             [](RideRecord& r) { r.Minutes = -5; }}) {
        RideRecord ride;
        ride.Date = Day(2008, 6, 1);
        ride.Distance = 10.0;
        spoil(ride);
        EXPECT_EQ(DB_InsertRideRecord(&ride), 99);
        EXPECT_EQ(DB_GetLastFailure().systemError, ERANGE);
        EXPECT_EQ(DB_UpdateRideRecord(1, &ride), 99);
    }
    EXPECT_STREQ(
        DB_GetLastError(),
        "ERROR: DB_RideRecordToStmt() refuses a ride with a distance, time or speed that is infinite, "
        "not a number or negative.");
    EXPECT_EQ(QueryInt("select count(*) from RideRecord"), 1);
}
