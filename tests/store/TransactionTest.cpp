// Grouped writes through store::Transaction, and the reason a failure carries
// beside the last-error text.

#include "store/FailureKind.h"
#include "store/StoreFixture.h"

#include <cerrno>

using namespace storetest;

namespace {

int InsertRide(int32_t date) {
    RideRecord ride;
    ride.Date = date;
    ride.BicycleNumber = 1;
    ride.Memo = TextBlock(u"");
    return DB_InsertRideRecord(&ride);
}

TEST_F(StoreTest, NestedTransactionsUndoTheirPartAndCommitTheWhole) {
    CreateAndOpen();
    {
        store::Transaction whole;
        ASSERT_TRUE(whole.IsOpen());
        ASSERT_EQ(InsertRide(100), store::kOk);
        {
            store::Transaction part;
            ASSERT_TRUE(part.IsOpen());
            ASSERT_EQ(InsertRide(200), store::kOk);
            // Not committed: only this part goes.
        }
        {
            store::Transaction part;
            ASSERT_EQ(InsertRide(300), store::kOk);
            ASSERT_TRUE(part.Commit());
        }
        // A bicycle delete groups its own writes; inside the import's group it is a part too.
        ASSERT_EQ(DB_DeleteBicycle(7), store::kOk);
        ASSERT_TRUE(whole.Commit());
    }
    EXPECT_EQ(QueryRows("select Date from RideRecord order by Date"),
              (std::vector<std::vector<std::string>>{{"100"}, {"300"}}));
    {
        store::Transaction undone;
        ASSERT_EQ(InsertRide(400), store::kOk);
    }
    EXPECT_EQ(QueryInt("select count(*) from RideRecord"), 2);
    // Inside a transaction the caller began in plain SQL, a store write is a part of it.
    Exec("begin");
    ASSERT_EQ(InsertRide(500), store::kOk) << DB_GetLastError();
    Exec("rollback");
    EXPECT_EQ(QueryInt("select count(*) from RideRecord"), 2);
    // Nothing is left open: another client can write.
    OtherClient other;
    EXPECT_EQ(sqlite3_exec(other.connection, "begin immediate; rollback", nullptr, nullptr, nullptr),
              SQLITE_OK);
}

TEST_F(StoreTest, AFailureCarriesItsReasonBesideTheLastErrorText) {
    CreateAndOpen();
    sqlite3_busy_timeout(DB_GetConnection(), 10);
    {
        OtherClient other;
        ASSERT_EQ(sqlite3_exec(other.connection, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_EQ(InsertRide(100), store::kFailed);
        EXPECT_STREQ(DB_GetLastError(), "ERROR: Execute SQL command error.");
        EXPECT_EQ(store::ClassifyStoreFailure(DB_GetLastFailure()), store::FailureKind::InUse);
        store::Transaction blocked;
        EXPECT_FALSE(blocked.IsOpen());
        EXPECT_EQ(DB_GetLastFailure().sqliteCode & 0xff, SQLITE_BUSY);
    }
    // A finding of the store's own carries no stale reason of an earlier call.
    Exec("insert into RideRecord (RideRecordNumber, Date) values (5000000000, 1)");
    RideRecordList rides;
    EXPECT_EQ(DB_GetRideRecords(nullptr, &rides), store::kFailed);
    EXPECT_EQ(store::ClassifyStoreFailure(DB_GetLastFailure()), store::FailureKind::None);

    ByteBlock bytes;
    EXPECT_EQ(DB_ReadFile("no such picture.jpg", &bytes), store::kFailed);
    EXPECT_EQ(DB_GetLastFailure().systemError, ENOENT);
    EXPECT_EQ(store::ClassifyStoreFailure(DB_GetLastFailure()), store::FailureKind::Missing);
}

TEST(FailureKind, SystemAndSqliteCodesMapOntoWhatARiderCanActOn) {
    using store::FailureKind;
    const struct {
        StoreFailure failure;
        FailureKind kind;
    } cases[] = {
        {{SQLITE_FULL, 0}, FailureKind::DiskFull},
        {{SQLITE_IOERR_WRITE, EFBIG}, FailureKind::DiskFull},  // not one byte could be written
        {{SQLITE_IOERR_WRITE, EIO}, FailureKind::IoError},
        {{SQLITE_IOERR_WRITE, 0}, FailureKind::IoError},
        {{SQLITE_READONLY, 0}, FailureKind::ReadOnly},
        {{SQLITE_CANTOPEN, EACCES}, FailureKind::NoPermission},
        {{SQLITE_CANTOPEN, 0}, FailureKind::Other},
        {{SQLITE_NOTADB, 0}, FailureKind::Damaged},
        {{SQLITE_LOCKED, 0}, FailureKind::InUse},
        {{0, ENOSPC}, FailureKind::DiskFull},
        {{0, EROFS}, FailureKind::ReadOnly},
        {{0, ENOENT}, FailureKind::Missing},
        {{0, ELOOP}, FailureKind::Other},
        {{0, 0}, FailureKind::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(store::ClassifyStoreFailure(c.failure), c.kind)
            << c.failure.sqliteCode << "/" << c.failure.systemError;
    }
}

}  // namespace
