// Table RideDetail: a ride's further figures, kept only while they belong to
// the ride (same number, same date) and removed with it on every path.

#include "store/StoreFixture.h"

using namespace storetest;

using RideDetailTest = RecordTest;

namespace {

RideDetail Typed(double ascent) {
    RideDetail detail;
    detail.Ascent = ascent;
    detail.AverageHeartRate = 131.5;
    detail.Calories = 820;
    return detail;
}

std::optional<double> StoredAscent(int number) {
    RideDetail detail;
    bool found = false;
    EXPECT_EQ(DB_GetRideDetail(number, &detail, &found), 0) << DB_GetLastError();
    return found ? detail.Ascent : std::nullopt;
}

}  // namespace

TEST_F(RideDetailTest, FiguresKeepWhatWasWrittenAndNothingElse) {
    InsertRide(1, Day(2024, 5, 1));
    RideDetail detail = Typed(412);
    detail.SourceFile = "Morning ride.fit";
    ASSERT_EQ(DB_SetRideDetail(1, &detail), 0) << DB_GetLastError();
    RideDetail stored;
    bool found = false;
    ASSERT_EQ(DB_GetRideDetail(1, &stored, &found), 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(stored.RideRecordNumber, 1);
    EXPECT_EQ(stored.Date, Day(2024, 5, 1));
    EXPECT_EQ(stored.Ascent, 412.0);
    EXPECT_EQ(stored.AverageHeartRate, 131.5);
    EXPECT_EQ(stored.Calories, 820.0);
    EXPECT_FALSE(stored.Descent || stored.MaxHeartRate || stored.AverageCadence || stored.AveragePower ||
                 stored.MaxPower || stored.AverageTemperature || stored.ElapsedSeconds);
    EXPECT_EQ(stored.SourceFile, "Morning ride.fit");
    EXPECT_EQ(stored.ActivityId, "");

    // No ride, no figures; a figure no ride can have is refused; an empty
    // detail removes the row.
    EXPECT_EQ(DB_SetRideDetail(2, &detail), 99);
    detail.MaxPower = std::numeric_limits<double>::infinity();
    EXPECT_EQ(DB_SetRideDetail(1, &detail), 99);
    ASSERT_EQ(DB_SetRideDetail(1, &stored), 0);
    const RideDetail empty;
    ASSERT_EQ(DB_SetRideDetail(1, &empty), 0);
    EXPECT_EQ(QueryInt("select count(*) from RideDetail"), 0);
}

TEST_F(RideDetailTest, DeletingARideOrItsBicycleTakesItsFigures) {
    InsertBicycle(u"Tourer");
    InsertBicycle(u"Racer");
    InsertRide(1, Day(2024, 5, 1));
    InsertRide(2, Day(2024, 5, 2));
    InsertRide(1, Day(2024, 5, 3));
    for (int number = 1; number <= 3; ++number) {
        const RideDetail detail = Typed(100 * number);
        ASSERT_EQ(DB_SetRideDetail(number, &detail), 0);
    }
    ASSERT_EQ(DB_DeleteRideRecord(3), 0);
    EXPECT_EQ(QueryInt("select count(*) from RideDetail where RideRecordNumber=3"), 0);
    // The next ride takes number 3 again and starts without figures.
    InsertRide(2, Day(2024, 5, 3));
    EXPECT_EQ(StoredAscent(3), std::nullopt);

    ASSERT_EQ(DB_DeleteBicycle(1), 0);
    EXPECT_EQ(QueryInt("select count(*) from RideDetail"), 1);
    EXPECT_EQ(StoredAscent(2), 200.0);
}

TEST_F(RideDetailTest, FiguresFollowTheStoresDateEditButNotAnotherProgramsChanges) {
    for (int day = 1; day <= 3; ++day) {
        InsertRide(1, Day(2024, 5, day));
        const RideDetail detail = Typed(day);
        ASSERT_EQ(DB_SetRideDetail(day, &detail), 0);
    }
    RideRecordList rides;
    ASSERT_EQ(DB_GetRideRecords("RideRecordNumber=1", &rides), 0);
    rides[0].Date = Day(2024, 4, 30);
    ASSERT_EQ(DB_UpdateRideRecord(1, &rides[0]), 0);
    EXPECT_EQ(StoredAscent(1), 1.0);

    // Another program moves ride 2 and removes ride 3 behind the store's back.
    Exec("update RideRecord set Date=Date+60 where RideRecordNumber=2");
    Exec("delete from RideRecord where RideRecordNumber=3");
    EXPECT_EQ(StoredAscent(2), std::nullopt);
    std::vector<RideDetail> all;
    ASSERT_EQ(DB_GetRideDetails(&all), 0);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].RideRecordNumber, 1);
    EXPECT_EQ(QueryInt("select count(*) from RideDetail"), 3);
    ASSERT_EQ(DB_OpenDatabase(), 0);
    EXPECT_EQ(QueryInt("select group_concat(RideRecordNumber) from RideDetail"), 1);
}
