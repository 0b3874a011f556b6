// The search index beside the log: words in any order, by their beginning,
// without case or accents, Chinese text without spaces, bicycle names joined
// in; following the store's writes at once; rebuilt when stale or missing;
// nothing of it inside the log's database; dropped with the log it told of.

#include "store/LogFiles.h"
#include "store/SearchIndex.h"
#include "store/StoreFixture.h"

#include <algorithm>

namespace {

using namespace storetest;

class SearchIndexTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        CreateAndOpen();
        BicycleAttribute bicycle{};
        bicycle.BicycleName = TextBlock(u"Brompton Folder");
        ASSERT_EQ(DB_InsertBicycle(&bicycle), 0);
        bicycle.BicycleName = TextBlock(u"Trek 520");
        ASSERT_EQ(DB_InsertBicycle(&bicycle), 0);
    }
    static void AddRide(int bicycle, std::u16string_view memo) {
        RideRecord ride{};
        ride.BicycleNumber = bicycle;
        ride.Date = 1700000000;
        ride.Memo = TextBlock(memo);
        ASSERT_EQ(DB_InsertRideRecord(&ride), 0);
    }
    static std::vector<int32_t> Found(const char* text, SearchKind kind = SearchKind::Ride) {
        std::vector<int32_t> numbers;
        EXPECT_EQ(DB_SearchRecords(kind, text, &numbers), 0) << DB_GetLastError();
        std::sort(numbers.begin(), numbers.end());
        return numbers;
    }
    using Numbers = std::vector<int32_t>;
};

TEST_F(SearchIndexTest, FindsWordsInAnyOrderByTheirBeginningWithoutCaseOrAccents) {
    AddRide(1, u"Changed the CHAIN at Müller's shop");
    AddRide(2, u"Lake loop, new chain wax");
    AddRide(2, u"今天换了链条");
    AddRide(1, u"Crème brûlée at the café");
    MaintenanceRecord entry{};
    entry.BicycleNumber = 2;
    entry.Memo = TextBlock(u"New chain KMC");
    ASSERT_EQ(DB_InsertMaintenanceRecord(&entry), 0);

    EXPECT_EQ(Found("chai"), (Numbers{1, 2}));
    EXPECT_EQ(Found("shop chain"), (Numbers{1}));
    EXPECT_EQ(Found("MULLER"), (Numbers{1}));
    EXPECT_EQ(Found("creme cafe"), (Numbers{4}));
    EXPECT_EQ(Found("链条"), (Numbers{3}));
    EXPECT_EQ(Found("换了"), (Numbers{3}));
    EXPECT_EQ(Found("条换"), Numbers{});
    // A bicycle's name names its records; the words may mix name and memo.
    EXPECT_EQ(Found("brompton"), (Numbers{1, 4}));
    EXPECT_EQ(Found("trek chain"), (Numbers{2}));
    EXPECT_EQ(Found("chain", SearchKind::Maintenance), (Numbers{1}));
    EXPECT_EQ(Found("\"unbalanced ( *"), Numbers{});
    EXPECT_EQ(Found("   "), Numbers{});
}

TEST_F(SearchIndexTest, FollowsEveryWriteAndIsRebuiltWhenStaleOrMissing) {
    AddRide(1, u"Flat tyre");
    EXPECT_EQ(Found("flat"), (Numbers{1}));

    RideRecord ride{};
    ride.BicycleNumber = 1;
    ride.Memo = TextBlock(u"New tyre fitted");
    ASSERT_EQ(DB_UpdateRideRecord(1, &ride), 0);
    EXPECT_EQ(Found("flat"), Numbers{});
    EXPECT_EQ(Found("fitted"), (Numbers{1}));
    AddRide(2, u"Fitted mudguards");
    EXPECT_EQ(Found("fitted"), (Numbers{1, 2}));
    ASSERT_EQ(DB_DeleteRideRecord(2), 0);
    EXPECT_EQ(Found("fitted"), (Numbers{1}));
    BicycleAttribute renamed{};
    renamed.BicycleName = TextBlock(u"Moulton");
    ASSERT_EQ(DB_UpdateBicycle(1, &renamed), 0);
    EXPECT_EQ(Found("moult"), (Numbers{1}));

    // Another program adds a ride: the counts differ and the index is built again.
    Exec(
        "insert into RideRecord(RideRecordNumber, Date, BicycleNumber, Distance, MaxSpeed, Hours, Minutes, "
        "Seconds, DifficultyLevel, FeelingLevel, Memo) values(7, 1, 2, 0, 0, 0, 0, 0, 0, 0, "
        "x'470072006100760065006c0000000000')");
    EXPECT_EQ(Found("gravel"), (Numbers{7}));
    std::remove(logfiles::kSearchIndex);
    EXPECT_EQ(Found("fitted"), (Numbers{1}));
    EXPECT_TRUE(std::filesystem::exists(logfiles::kSearchIndex));

    // The log itself holds nothing of it.
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(DB_GetConnection(),
                                 "select count(*) from sqlite_master where type in ('trigger', 'view') "
                                 "or sql like '%virtual%' or name like '%fts%'",
                                 -1, &statement, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(statement, 0), 0);
    sqlite3_finalize(statement);

    // Initialize (and restore alike) puts another log in place: the index goes with the old one.
    ASSERT_EQ(DB_InitializeDatabase(), 0) << DB_GetLastError();
    EXPECT_FALSE(std::filesystem::exists(logfiles::kSearchIndex));
    ASSERT_EQ(DB_OpenDatabase(), 0) << DB_GetLastError();
    EXPECT_EQ(Found("fitted"), Numbers{});
}

}  // namespace
