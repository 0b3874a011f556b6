// Per-bicycle totals: sums, normalised riding time, top speed and costs.

#include "store/StoreFixture.h"

#include <limits>

using namespace storetest;

using TotalsTest = RecordTest;

TEST_F(TotalsTest, RidingTimeIsNormalised) {
    struct Time {
        int32_t hours, minutes, seconds;
    };
    struct Case {
        std::vector<Time> rides;
        Time total;
    };
    const std::vector<Case> cases = {
        {{{0, 50, 40}, {0, 20, 30}}, {1, 11, 10}},
        {{{0, 0, 59}, {0, 0, 59}}, {0, 1, 58}},
        {{{20, 59, 59}, {9, 0, 1}}, {30, 0, 0}},
        {{{0, 0, 3725}}, {1, 2, 5}},
        {{{0, 125, 0}}, {2, 5, 0}},
        {{{3, 59, 0}}, {3, 59, 0}},
        {{}, {0, 0, 0}},
    };
    int32_t bicycle = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(++bicycle);
        for (const Time& ride : c.rides) {
            InsertRide(bicycle, 0, ride.hours, ride.minutes, ride.seconds);
        }
        int32_t hours = -1, minutes = -1, seconds = -1;
        ASSERT_EQ(DB_GetTotalTime(bicycle, &hours, &minutes, &seconds), 0);
        EXPECT_EQ(hours, c.total.hours);
        EXPECT_EQ(minutes, c.total.minutes);
        EXPECT_EQ(seconds, c.total.seconds);
    }
}

TEST_F(TotalsTest, SumsAndMaximumCountOnlyTheirBicycle) {
    InsertRide(1, 0, 0, 0, 0, 20.5, 38.0);
    InsertRide(1, 0, 0, 0, 0, 10.25, 52.5);
    InsertRide(2, 0, 0, 0, 0, 99.0, 70.0);
    InsertMaintenance(1, 0, 12.5);
    InsertMaintenance(1, 0, 7.25);
    InsertMaintenance(2, 0, 100.0);

    double distance = 0, speed = 0, cost = 0;
    ASSERT_EQ(DB_GetTotalDistance(1, &distance), 0);
    ASSERT_EQ(DB_GetMaxSpeed(1, &speed), 0);
    ASSERT_EQ(DB_GetTotalMaintenanceCost(1, &cost), 0);
    EXPECT_EQ(distance, 30.75);
    EXPECT_EQ(speed, 52.5);
    EXPECT_EQ(cost, 19.75);

    // Nothing recorded: zero, and still success.
    distance = speed = cost = -1;
    ASSERT_EQ(DB_GetTotalDistance(3, &distance), 0);
    ASSERT_EQ(DB_GetMaxSpeed(3, &speed), 0);
    ASSERT_EQ(DB_GetTotalMaintenanceCost(3, &cost), 0);
    EXPECT_EQ(distance, 0.0);
    EXPECT_EQ(speed, 0.0);
    EXPECT_EQ(cost, 0.0);
}

TEST_F(TotalsTest, FailuresLeaveTheOutputsAlone) {
    DB_CloseDatabase();
    double value = -1;
    int32_t hours = -1, minutes = -1, seconds = -1;
    EXPECT_EQ(DB_GetTotalDistance(1, &value), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Can not prepare SQL command to execute.");
    EXPECT_EQ(DB_GetMaxSpeed(1, &value), 99);
    EXPECT_EQ(DB_GetTotalMaintenanceCost(1, &value), 99);
    EXPECT_EQ(DB_GetTotalTime(1, &hours, &minutes, &seconds), 99);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(hours, -1);
    EXPECT_EQ(DB_GetTotalDistance(1, nullptr), 1);
    EXPECT_EQ(DB_GetTotalTime(1, &hours, nullptr, &seconds), 1);
}

TEST_F(TotalsTest, TheFullFetchKeepsApartTheDistanceRiddenWithoutATime) {
    InsertBicycle(u"Tourer");
    InsertRide(1, 0, 1, 0, 0, 20.0, 30.0);
    InsertRide(1, 0, 0, 0, 0, 30.0, 30.0);  // a distance without a riding time
    BicycleList bicycles;
    ASSERT_EQ(DB_GetBicycles(&bicycles), 0) << DB_GetLastError();
    ASSERT_EQ(bicycles.size(), 1u);
    EXPECT_EQ(bicycles[0].TotalDistance, 50.0);
    EXPECT_EQ(bicycles[0].TimedDistance, 20.0);
}

TEST_F(TotalsTest, TheFullFetchCountsTheRidesTheSingleTotalsCount) {
    // Rows another program filed under a number that is no whole bicycle
    // number: the single totals never match them, so the bicycle page must not
    // either.
    InsertBicycle(u"Zero");  // numbered 1; renumbered to 0 below
    Exec("update Bicycle set BicycleNumber=0");
    InsertBicycle(u"Two");
    Exec("update Bicycle set BicycleNumber=2 where BicycleNumber=1");
    InsertRide(2, 0, 1, 10, 0, 10.0, 20.0);
    InsertMaintenance(2, 0, 5.0);
    Exec("insert into RideRecord(BicycleNumber, Distance, Hours, MaxSpeed) values (2.5, 99.0, 5, 90.0)");
    Exec("insert into RideRecord(BicycleNumber, Distance, Hours, MaxSpeed) values ('spare', 7.0, 2, 60.0)");
    Exec("insert into MaintenanceRecord(BicycleNumber, Cost) values (2.5, 40.0)");
    Exec("insert into MaintenanceRecord(BicycleNumber, Cost) values ('spare', 3.0)");

    BicycleList bicycles;
    ASSERT_EQ(DB_GetBicycles(&bicycles), 0) << DB_GetLastError();
    ASSERT_EQ(bicycles.size(), 2u);
    for (const BicycleAttribute& bicycle : bicycles) {
        SCOPED_TRACE(bicycle.BicycleNumber);
        double distance = -1, speed = -1, cost = -1;
        int32_t hours = -1, minutes = -1, seconds = -1;
        ASSERT_EQ(DB_GetTotalDistance(bicycle.BicycleNumber, &distance), 0);
        ASSERT_EQ(DB_GetMaxSpeed(bicycle.BicycleNumber, &speed), 0);
        ASSERT_EQ(DB_GetTotalMaintenanceCost(bicycle.BicycleNumber, &cost), 0);
        ASSERT_EQ(DB_GetTotalTime(bicycle.BicycleNumber, &hours, &minutes, &seconds), 0);
        EXPECT_EQ(bicycle.TotalDistance, distance);
        EXPECT_EQ(bicycle.MaxSpeed, speed);
        EXPECT_EQ(bicycle.TotalMaintenanceCost, cost);
        EXPECT_EQ(bicycle.TotalHours, hours);
        EXPECT_EQ(bicycle.TotalMinutes, minutes);
        EXPECT_EQ(bicycle.TotalSeconds, seconds);
    }
    EXPECT_EQ(bicycles[1].TotalDistance, 10.0);
    EXPECT_EQ(bicycles[0].TotalDistance, 0.0);
}

TEST_F(TotalsTest, TimeSumsPastThirtyTwoBitsAreCarriedNotWrapped) {
    InsertBicycle(u"Tourer");
    // Seconds summing past 2^31, and hours that no 32-bit total can hold.
    InsertRide(1, 0, 0, 0, 2147483647);
    InsertRide(1, 0, 0, 0, 2147483647);
    InsertRide(2, 0, 2147483647, 0, 0);
    InsertRide(2, 0, 2147483647, 59, 60);

    int32_t hours = -1, minutes = -1, seconds = -1;
    ASSERT_EQ(DB_GetTotalTime(1, &hours, &minutes, &seconds), 0);
    // 4294967294 s = 71582788 min 14 s = 1193046 h 28 min 14 s
    EXPECT_EQ(hours, 1193046);
    EXPECT_EQ(minutes, 28);
    EXPECT_EQ(seconds, 14);
    ASSERT_EQ(DB_GetTotalTime(2, &hours, &minutes, &seconds), 0);
    EXPECT_EQ(hours, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(minutes, 0);
    EXPECT_EQ(seconds, 0);

    BicycleList bicycles;
    ASSERT_EQ(DB_GetBicycles(&bicycles), 0) << DB_GetLastError();
    ASSERT_EQ(bicycles.size(), 1u);
    EXPECT_EQ(bicycles[0].TotalHours, 1193046);
    EXPECT_EQ(bicycles[0].TotalMinutes, 28);
    EXPECT_EQ(bicycles[0].TotalSeconds, 14);
}

TEST_F(TotalsTest, TheFullFetchReportsTotalsItCouldNotRead) {
    InsertBicycle(u"Commuter");
    InsertBicycle(u"Racer");
    InsertRide(1, 0, 1, 0, 0, 12.0);

    // A sum SQLite cannot hold fails part-way through the grouped query, as
    // a damaged table does: the single totals say so, and so must the list.
    Exec("insert into RideRecord(BicycleNumber, Hours) values (2, 9223372036854775807)");
    Exec("insert into RideRecord(BicycleNumber, Hours) values (2, 1)");
    int32_t hours = -1, minutes = -1, seconds = -1;
    EXPECT_EQ(DB_GetTotalTime(2, &hours, &minutes, &seconds), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Fetch SQL result error.");

    BicycleList bicycles;
    EXPECT_EQ(DB_GetBicycles(&bicycles), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Fetch SQL result error.");
    ASSERT_EQ(bicycles.size(), 2u);  // the bicycles themselves are still there
    EXPECT_EQ(bicycles[0].BicycleName, TextBlock(u"Commuter"));

    // No ride table at all: nothing to sum is not the same as zero.
    Exec("drop table RideRecord");
    EXPECT_EQ(DB_GetBicycles(&bicycles), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: Can not prepare SQL command to execute.");
    EXPECT_EQ(bicycles.size(), 2u);
}
