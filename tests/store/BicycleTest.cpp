// Table Bicycle: fetches, numbering, update, the all-or-nothing delete and the
// record helpers.

#include "store/StoreFixture.h"

#include <fstream>

using namespace storetest;

using BicycleTest = RecordTest;

TEST_F(BicycleTest, AnEmptyTableGivesEmptyLists) {
    BicycleList list(2);  // whatever a page held before is dropped
    EXPECT_EQ(DB_GetBicycles(&list), 0);
    EXPECT_TRUE(list.empty());
    list.resize(1);
    EXPECT_EQ(DB_GetBicycleList(&list), 0);
    EXPECT_TRUE(list.empty());
}

TEST_F(BicycleTest, BothFetchesReturnTheStoredFields) {
    BicycleAttribute bicycle = Bicycle(u"Gravel \u00fc");
    bicycle.Weight = 9.75;
    bicycle.Frame = 56;
    bicycle.Cost = 1299.5;
    bicycle.Type = 3;
    bicycle.DatePurchased = Day(2007, 6, 1);
    bicycle.PreviousODO = 1234.5;
    bicycle.MaxSpeed = 61.5;
    bicycle.PictureData = Bytes("BM picture bytes");
    bicycle.Memo = TextBlock(u"notes");
    bicycle.BicycleNumber = 40;  // not used by the insert
    ASSERT_EQ(DB_InsertBicycle(&bicycle), 0);

    BicycleList full;
    ASSERT_EQ(DB_GetBicycles(&full), 0);
    ASSERT_EQ(full.size(), 1u);
    const BicycleAttribute& got = full[0];
    EXPECT_EQ(got.BicycleNumber, 1);
    EXPECT_EQ(got.BicycleName, bicycle.BicycleName);
    EXPECT_EQ(got.Weight, 9.75);
    EXPECT_EQ(got.Frame, 56);
    EXPECT_EQ(got.Cost, 1299.5);
    EXPECT_EQ(got.Type, 3);
    EXPECT_EQ(got.DatePurchased, Day(2007, 6, 1));
    EXPECT_EQ(got.PreviousODO, 1234.5);
    EXPECT_EQ(got.PictureData, bicycle.PictureData);
    EXPECT_EQ(got.Memo, bicycle.Memo);
    // No rides and no maintenance: the computed fields are all zero, the
    // stored top speed is replaced by the fastest ride's.
    EXPECT_EQ(got.TotalDistance, 0.0);
    EXPECT_EQ(got.TotalHours + got.TotalMinutes + got.TotalSeconds, 0);
    EXPECT_EQ(got.MaxSpeed, 0.0);
    EXPECT_EQ(got.TotalMaintenanceCost, 0.0);

    BicycleList light;
    ASSERT_EQ(DB_GetBicycleList(&light), 0);
    ASSERT_EQ(light.size(), 1u);
    EXPECT_EQ(light[0].BicycleName, bicycle.BicycleName);
    EXPECT_EQ(light[0].PreviousODO, 1234.5);
    EXPECT_EQ(light[0].MaxSpeed, 61.5);
    EXPECT_TRUE(light[0].PictureData.empty());
    EXPECT_TRUE(light[0].Memo.empty());
}

TEST_F(BicycleTest, TheFullFetchCarriesEachBicyclesTotals) {
    InsertBicycle(u"A");
    InsertBicycle(u"B");
    InsertBicycle(u"C");
    InsertRide(1, Day(2008, 1, 1), 0, 50, 40, 20.5, 35.0);
    InsertRide(1, Day(2008, 1, 2), 0, 20, 30, 10.25, 41.5);
    InsertRide(3, Day(2008, 1, 3), 2, 0, 0, 60.0, 50.0);
    InsertMaintenance(1, Day(2008, 1, 4), 12.5);
    InsertMaintenance(1, Day(2008, 1, 5), 7.25);
    InsertMaintenance(2, Day(2008, 1, 6), 3.0);

    BicycleList list;
    ASSERT_EQ(DB_GetBicycles(&list), 0);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].TotalDistance, 30.75);
    EXPECT_EQ(list[0].TotalHours, 1);
    EXPECT_EQ(list[0].TotalMinutes, 11);
    EXPECT_EQ(list[0].TotalSeconds, 10);
    EXPECT_EQ(list[0].MaxSpeed, 41.5);
    EXPECT_EQ(list[0].TotalMaintenanceCost, 19.75);
    EXPECT_EQ(list[1].TotalDistance, 0.0);
    EXPECT_EQ(list[1].MaxSpeed, 0.0);
    EXPECT_EQ(list[1].TotalMaintenanceCost, 3.0);
    EXPECT_EQ(list[2].TotalHours, 2);
    EXPECT_EQ(list[2].TotalMaintenanceCost, 0.0);

    // The same figures as the single-bicycle functions give.
    for (const BicycleAttribute& bicycle : list) {
        double distance = -1, speed = -1, cost = -1;
        int32_t hours = -1, minutes = -1, seconds = -1;
        ASSERT_EQ(DB_GetTotalDistance(bicycle.BicycleNumber, &distance), 0);
        ASSERT_EQ(DB_GetTotalTime(bicycle.BicycleNumber, &hours, &minutes, &seconds), 0);
        ASSERT_EQ(DB_GetMaxSpeed(bicycle.BicycleNumber, &speed), 0);
        ASSERT_EQ(DB_GetTotalMaintenanceCost(bicycle.BicycleNumber, &cost), 0);
        EXPECT_DOUBLE_EQ(bicycle.TotalDistance, distance);
        EXPECT_EQ(bicycle.TotalHours, hours);
        EXPECT_EQ(bicycle.TotalMinutes, minutes);
        EXPECT_EQ(bicycle.TotalSeconds, seconds);
        EXPECT_DOUBLE_EQ(bicycle.MaxSpeed, speed);
        EXPECT_DOUBLE_EQ(bicycle.TotalMaintenanceCost, cost);
    }
}

TEST_F(BicycleTest, NewBicyclesTakeTheLargestNumberPlusOne) {
    Exec("insert into Bicycle(BicycleNumber, BicycleName) values (7, x'41000000')");
    InsertBicycle(u"eight");
    ASSERT_EQ(DB_DeleteBicycle(8), 0);
    InsertBicycle(u"eight again");

    BicycleList list;
    ASSERT_EQ(DB_GetBicycleList(&list), 0);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].BicycleNumber, 7);
    EXPECT_EQ(list[1].BicycleNumber, 8);
    EXPECT_EQ(list[1].BicycleName, TextBlock(u"eight again"));
}

TEST_F(BicycleTest, UpdateOverwritesOneBicycle) {
    InsertBicycle(u"old");
    InsertBicycle(u"other");
    BicycleAttribute changed = Bicycle(u"new");
    changed.PictureData = Bytes("pic");
    changed.Frame = 58;
    ASSERT_EQ(DB_UpdateBicycle(1, &changed), 0);
    EXPECT_EQ(changed.BicycleNumber, 1);
    // A number that does not exist changes nothing.
    BicycleAttribute ghost = Bicycle(u"ghost");
    EXPECT_EQ(DB_UpdateBicycle(9, &ghost), 0);

    BicycleList list;
    ASSERT_EQ(DB_GetBicycles(&list), 0);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].BicycleName, TextBlock(u"new"));
    EXPECT_EQ(list[0].PictureData, Bytes("pic"));
    EXPECT_EQ(list[0].Frame, 58);
    EXPECT_EQ(list[1].BicycleName, TextBlock(u"other"));
}

TEST_F(BicycleTest, DeleteTakesTheBicyclesRidesAndEntriesOnly) {
    for (int i = 1; i <= 3; ++i) {
        InsertBicycle(u"bike");
        InsertRide(i, Day(2008, 1, i));
        InsertRide(i, Day(2008, 2, i));
        InsertMaintenance(i, Day(2008, 3, i));
    }
    ASSERT_EQ(DB_DeleteBicycle(3), 0);
    EXPECT_EQ(QueryInt("select count(*) from Bicycle"), 2);
    EXPECT_EQ(QueryInt("select count(*) from RideRecord where BicycleNumber=3"), 0);
    EXPECT_EQ(QueryInt("select count(*) from RideRecord"), 4);
    EXPECT_EQ(QueryInt("select count(*) from MaintenanceRecord where BicycleNumber=3"), 0);
    EXPECT_EQ(QueryInt("select count(*) from MaintenanceRecord"), 2);
    EXPECT_EQ(DB_DeleteBicycle(42), 0);
}

TEST_F(BicycleTest, AFailedDeleteLeavesEverythingInPlace) {
    InsertBicycle(u"bike");
    InsertRide(1, Day(2008, 1, 1));
    InsertMaintenance(1, Day(2008, 1, 2));
    // The last of the three deletes fails after the first two have run.
    Exec("create trigger Refuse before delete on MaintenanceRecord begin select raise(abort, 'no'); end");

    EXPECT_EQ(DB_DeleteBicycle(1), 99);
    EXPECT_STREQ(DB_GetLastError(),
                 "ERROR: Can not delete bicycle 1 with its rides and maintenance records.");
    EXPECT_TRUE(sqlite3_get_autocommit(DB_GetConnection()));
    EXPECT_EQ(QueryInt("select count(*) from Bicycle"), 1);
    EXPECT_EQ(QueryInt("select count(*) from RideRecord"), 1);
    EXPECT_EQ(QueryInt("select count(*) from MaintenanceRecord"), 1);
}

TEST_F(BicycleTest, ANameLeftEmptyOrNullReadsAsAnEmptyText) {
    // Another tool, or an empty name saved in the editor: the bicycle and
    // every one after it stay in the lists.
    InsertBicycle(u"first");
    Exec("insert into Bicycle(BicycleName, Weight) values (x'', 9.5)");
    Exec("insert into Bicycle(BicycleName, Weight) values (NULL, 10.5)");
    InsertBicycle(u"fourth");

    BicycleList full;
    BicycleList light;
    ASSERT_EQ(DB_GetBicycles(&full), 0) << DB_GetLastError();
    ASSERT_EQ(DB_GetBicycleList(&light), 0) << DB_GetLastError();
    for (const BicycleList* list : {&full, &light}) {
        ASSERT_EQ(list->size(), 4u);
        EXPECT_EQ((*list)[0].BicycleName, TextBlock(u"first"));
        EXPECT_EQ((*list)[1].BicycleName, TextBlock(u""));
        EXPECT_EQ((*list)[1].Weight, 9.5);
        EXPECT_EQ((*list)[2].BicycleName, TextBlock(u""));
        EXPECT_EQ((*list)[2].Weight, 10.5);
        EXPECT_EQ((*list)[3].BicycleName, TextBlock(u"fourth"));
    }
}

TEST_F(BicycleTest, AFailedBindNamesThePositionAfterIt) {
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(DB_GetConnection(), "select ?, ?, ?", -1, &statement, nullptr), SQLITE_OK);
    const BicycleAttribute bicycle = Bicycle(u"x");
    EXPECT_EQ(DB_BicycleAttributeToStmt(statement, &bicycle, true), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: DB_BicycleAttributeToStmt() error. Index is :5");
    EXPECT_EQ(DB_BicycleAttributeToStmt(statement, &bicycle, false), 99);
    EXPECT_STREQ(DB_GetLastError(), "ERROR: DB_BicycleAttributeToStmt() error. Index is :5");
    EXPECT_EQ(DB_BicycleAttributeToStmt(statement, nullptr, false), 1);
    EXPECT_EQ(DB_StmtToBicycleAttribute(nullptr, nullptr), 1);
    sqlite3_finalize(statement);
}

TEST_F(BicycleTest, EveryOperationNeedsAConnection) {
    DB_CloseDatabase();
    BicycleList list;
    BicycleAttribute bicycle = Bicycle(u"x");
    EXPECT_EQ(DB_GetBicycles(&list), 1);
    EXPECT_EQ(DB_GetBicycleList(&list), 1);
    EXPECT_EQ(DB_InsertBicycle(&bicycle), 1);
    EXPECT_EQ(DB_UpdateBicycle(1, &bicycle), 1);
    EXPECT_EQ(DB_DeleteBicycle(1), 1);
}

TEST_F(BicycleTest, CopyIsDeepAndReleaseEmpties) {
    BicycleAttribute source = Bicycle(u"source");
    source.PictureData = Bytes("picture");
    source.TotalHours = 5;
    BicycleAttribute target = Bicycle(u"old target");
    target.Memo = Bytes("old memo");
    DB_CopyBicycle(&target, &source);
    EXPECT_EQ(target.BicycleName, source.BicycleName);
    EXPECT_EQ(target.PictureData, source.PictureData);
    EXPECT_TRUE(target.Memo.empty());
    EXPECT_EQ(target.TotalHours, 5);
    EXPECT_NE(target.PictureData.data(), source.PictureData.data());

    DB_ReleaseBicycle(&target);
    EXPECT_TRUE(target.BicycleName.empty() && target.PictureData.empty() && target.Memo.empty());
    EXPECT_EQ(source.PictureData, Bytes("picture"));

    BicycleList list(3);
    DB_ReleaseBicycleList(&list);
    EXPECT_TRUE(list.empty());
}

TEST_F(BicycleTest, FindBicycleByNumber) {
    BicycleList list(3);
    list[0].BicycleNumber = 4;
    list[1].BicycleNumber = 9;
    list[2].BicycleNumber = 9;
    const BicycleAttribute* found = nullptr;
    EXPECT_EQ(DB_FindBicycle(9, &list, &found), 0);
    EXPECT_EQ(found, &list[1]);
    EXPECT_EQ(DB_FindBicycle(5, &list, &found), 99);
    EXPECT_EQ(DB_FindBicycle(9, nullptr, &found), 1);
    EXPECT_EQ(DB_FindBicycle(9, &list, nullptr), 1);
    const BicycleList empty;
    EXPECT_EQ(DB_FindBicycle(9, &empty, &found), 1);
}

TEST_F(BicycleTest, WholeFilesReadAndWrite) {
    ByteBlock bytes;
    for (int i = 0; i < 200000; ++i) {
        bytes.push_back(static_cast<uint8_t>(i * 7));
    }
    ASSERT_EQ(DB_WriteFile("picture.bmp", bytes), 0);
    ByteBlock read = Bytes("stale");
    ASSERT_EQ(DB_ReadFile("picture.bmp", &read), 0);
    EXPECT_EQ(read, bytes);

    ASSERT_EQ(DB_WriteFile("picture.bmp", Bytes("short")), 0);  // truncates
    ASSERT_EQ(DB_ReadFile("picture.bmp", &read), 0);
    EXPECT_EQ(read, Bytes("short"));

    EXPECT_EQ(DB_ReadFile("missing.bmp", &read), 99);
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(DB_WriteFile("no/such/folder/picture.bmp", bytes), 99);
}
