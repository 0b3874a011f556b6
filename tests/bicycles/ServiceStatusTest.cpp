// Parts and service tasks: usage worked out from the rides, task states,
// links from maintenance entries, and what deleting a bicycle or restoring an
// older backup does to them.

#include "bicycles/ServiceStatus.h"
#include "store/StoreFixture.h"
#include "units/DayRange.h"

using namespace storetest;

namespace {

class ServiceTest : public RecordTest {
protected:
    void SetUp() override {
        RecordTest::SetUp();
        InsertBicycle(u"Road");
        InsertBicycle(u"Gravel");
    }

    static int32_t On(int month, int day, int year = 2024) {
        return static_cast<int32_t>(LocalDayStart(year, month, day));
    }

    // A ride at noon of the day.
    static void Ride(int bicycle, int month, int day, double km, int hours = 0) {
        InsertRide(bicycle, On(month, day) + 12 * 3600, hours, 0, 0, km);
    }

    static ServiceData Load() {
        ServiceData data;
        EXPECT_EQ(LoadServiceData(&data), 0) << DB_GetLastError();
        return data;
    }

    static Part NewPart(int bicycle, int32_t day, double priorKm = 0.0) {
        Part part;
        part.Name = "Chain";
        part.PriorDistance = priorKm;
        EXPECT_EQ(DB_InsertPart(&part, bicycle, day), 0) << DB_GetLastError();
        return part;
    }

    static double UsedKm(int partNumber) {
        const ServiceData data = Load();
        for (const Part& part : data.parts) {
            if (part.PartNumber == partNumber) {
                return PartUsage(data, part).distance;
            }
        }
        ADD_FAILURE() << "no part " << partNumber;
        return -1;
    }

    static ServiceTask NewTask(double km, double hours, int days, int32_t lastDone, int part = 0,
                               TaskKind kind = TaskKind::Every) {
        ServiceTask task;
        task.BicycleNumber = 1;
        task.PartNumber = part;
        task.Name = "Lube chain";
        task.Kind = kind;
        task.IntervalDistance = km;
        task.IntervalHours = hours;
        task.IntervalDays = days;
        task.LastDone = lastDone;
        EXPECT_EQ(DB_InsertServiceTask(&task), 0) << DB_GetLastError();
        return task;
    }
};

TEST_F(ServiceTest, AStretchCountsTheRidesFromItsFittingDayToBeforeItsRemovalDayAndFollowsTheirEdits) {
    // Fitted before the first ride in the log, with 100 km on it already.
    const Part part = NewPart(1, On(1, 1), 100.0);
    Ride(1, 1, 1, 10.0, 1);
    Ride(1, 2, 1, 20.0, 1);
    Ride(1, 3, 15, 40.0);  // the removal day: no longer counted
    Ride(2, 2, 2, 80.0);   // another bicycle
    ASSERT_EQ(DB_MovePart(part.PartNumber, 0, On(3, 15)), 0) << DB_GetLastError();
    EXPECT_DOUBLE_EQ(UsedKm(part.PartNumber), 130.0);
    const ServiceData data = Load();
    EXPECT_EQ(PartUsage(data, data.parts[0]).seconds, 7200);
    EXPECT_EQ(FittedBicycle(data, part.PartNumber), 0);
    ASSERT_EQ(PartsOfBicycle(data, 1).size(), 1u);  // retired there, still listed

    // A ride edited or deleted inside the stretch changes the usage.
    RideRecord ride;
    ride.BicycleNumber = 1;
    ride.Date = On(2, 1) + 3600;
    ride.Distance = 25.0;
    ASSERT_EQ(DB_UpdateRideRecord(2, &ride), 0);
    EXPECT_DOUBLE_EQ(UsedKm(part.PartNumber), 135.0);
    ASSERT_EQ(DB_DeleteRideRecord(1), 0);
    EXPECT_DOUBLE_EQ(UsedKm(part.PartNumber), 125.0);
}

TEST_F(ServiceTest, APartMovedBetweenBicyclesKeepsEveryStretch) {
    const Part wheels = NewPart(1, On(1, 1));
    ASSERT_EQ(DB_MovePart(wheels.PartNumber, 2, On(2, 1)), 0);
    ASSERT_EQ(DB_MovePart(wheels.PartNumber, 1, On(3, 1)), 0);
    Ride(1, 1, 10, 1.0);   // on road, counted
    Ride(2, 1, 10, 2.0);   // gravel before: not counted
    Ride(1, 2, 10, 4.0);   // road while on gravel: not counted
    Ride(2, 2, 10, 8.0);   // counted
    Ride(2, 3, 10, 16.0);  // gravel after: not counted
    Ride(1, 3, 10, 32.0);  // counted
    EXPECT_DOUBLE_EQ(UsedKm(wheels.PartNumber), 41.0);
    const ServiceData data = Load();
    EXPECT_EQ(StretchesOf(data, wheels.PartNumber).size(), 3u);
    EXPECT_EQ(FittedBicycle(data, wheels.PartNumber), 1);
    EXPECT_TRUE(PartsOfBicycle(data, 2).empty());
}

TEST_F(ServiceTest, EachIntervalKindGoesFromOkThroughDueToOverdue) {
    const Part pads = NewPart(1, On(1, 1), 500.0);
    const ServiceTask byKm = NewTask(100.0, 0, 0, On(1, 1));
    const ServiceTask byHours = NewTask(0, 10.0, 0, On(1, 1));
    const ServiceTask byDays = NewTask(0, 0, 100, On(1, 1));
    const ServiceTask life = NewTask(1000.0, 0, 0, On(1, 1), pads.PartNumber, TaskKind::At);
    struct Step {
        double km;
        int hours;
        int64_t today;
        TaskState km_, hours_, days_, life_;
    };
    const Step steps[] = {
        {50.0, 5, On(2, 1), TaskState::Ok, TaskState::Ok, TaskState::Ok, TaskState::Ok},
        {35.0, 3, On(3, 22), TaskState::DueSoon, TaskState::DueSoon, TaskState::DueSoon, TaskState::Ok},
        {15.0, 2, On(4, 10), TaskState::Due, TaskState::Due, TaskState::Due, TaskState::Ok},
        {300.0, 3, On(4, 30), TaskState::Overdue, TaskState::Overdue, TaskState::Overdue, TaskState::DueSoon},
        {100.0, 0, On(5, 1), TaskState::Overdue, TaskState::Overdue, TaskState::Overdue, TaskState::Due},
    };
    int day = 1;
    for (const Step& step : steps) {
        Ride(1, 1, ++day, step.km, step.hours);
        const ServiceData data = Load();
        EXPECT_EQ(WorkOutTask(data, byKm, step.today).state, step.km_) << day;
        EXPECT_EQ(WorkOutTask(data, byHours, step.today).state, step.hours_) << day;
        EXPECT_EQ(WorkOutTask(data, byDays, step.today).state, step.days_) << day;
        EXPECT_EQ(WorkOutTask(data, life, step.today).state, step.life_) << day;
    }
    // What is left is of the interval that comes first.
    ServiceTask both = NewTask(2000.0, 0, 200, On(1, 1));
    const TaskStatus status = WorkOutTask(Load(), both, On(3, 31));
    EXPECT_EQ(status.measure, Measure::Days);
    EXPECT_DOUBLE_EQ(status.left, 110.0);
    EXPECT_EQ(CountTasks(Load(), 1, On(5, 1)).due, 4);
}

TEST_F(ServiceTest, AnEntryLinkedToATaskMovesItsLastDoneAndItsEditAndDeleteMoveItBack) {
    const ServiceTask task = NewTask(100.0, 0, 0, On(1, 1));
    Ride(1, 2, 1, 120.0);
    Ride(1, 3, 10, 30.0);
    EXPECT_EQ(WorkOutTask(Load(), task, On(4, 1)).state, TaskState::Overdue);

    // Done on a past date: counted from then on.
    MaintenanceRecord entry;
    entry.BicycleNumber = 1;
    entry.Date = On(3, 1);
    ASSERT_EQ(DB_InsertLinkedMaintenanceRecord(&entry, task.TaskNumber, 0), 0) << DB_GetLastError();
    TaskStatus status = WorkOutTask(Load(), task, On(4, 1));
    EXPECT_EQ(status.lastDone, On(3, 1));
    EXPECT_DOUBLE_EQ(status.left, 70.0);

    entry.Date = On(3, 20);
    ASSERT_EQ(DB_UpdateMaintenanceRecord(1, &entry), 0);
    EXPECT_DOUBLE_EQ(WorkOutTask(Load(), task, On(4, 1)).left, 100.0);

    ASSERT_EQ(DB_DeleteMaintenanceRecord(1), 0);
    EXPECT_EQ(WorkOutTask(Load(), task, On(4, 1)).lastDone, On(1, 1));
    EXPECT_EQ(QueryInt("select count(*) from ServiceLink"), 0);
    // A new entry taking the number that came back is not the task's.
    InsertMaintenance(1, On(3, 1));
    EXPECT_EQ(WorkOutTask(Load(), task, On(4, 1)).lastDone, On(1, 1));
}

TEST_F(ServiceTest, DeletingABicycleKeepsWhatOtherPartsRodeOnItAndTakesItsOwnPartsAndTasks) {
    const Part wheels = NewPart(2, On(1, 1));
    ASSERT_EQ(DB_MovePart(wheels.PartNumber, 1, On(2, 1)), 0);
    const Part gravelChain = NewPart(2, On(1, 1));
    const Part roadChain = NewPart(1, On(1, 1));
    NewTask(100.0, 0, 0, On(1, 1), roadChain.PartNumber);
    ServiceTask gravelTask = NewTask(100.0, 0, 0, On(1, 1));
    gravelTask.BicycleNumber = 2;
    ASSERT_EQ(DB_UpdateServiceTask(&gravelTask), 0);
    MaintenanceRecord entry;
    entry.BicycleNumber = 2;
    entry.Date = On(1, 5);
    ASSERT_EQ(DB_InsertLinkedMaintenanceRecord(&entry, gravelTask.TaskNumber, 0), 0);
    Ride(2, 1, 10, 7.0, 1);
    Ride(2, 2, 10, 9.0);
    Ride(1, 2, 11, 5.0);

    ASSERT_EQ(DB_DeleteBicycle(2), 0) << DB_GetLastError();
    const ServiceData data = Load();
    ASSERT_EQ(data.parts.size(), 2u);
    EXPECT_EQ(data.parts[0].PartNumber, wheels.PartNumber);
    EXPECT_DOUBLE_EQ(data.parts[0].CarriedDistance, 7.0);
    EXPECT_EQ(data.parts[0].CarriedSeconds, 3600);
    EXPECT_DOUBLE_EQ(PartUsage(data, data.parts[0]).distance, 12.0);
    EXPECT_EQ(StretchesOf(data, wheels.PartNumber).size(), 1u);
    EXPECT_EQ(data.parts[1].PartNumber, roadChain.PartNumber);
    ASSERT_EQ(data.tasks.size(), 1u);
    EXPECT_EQ(data.tasks[0].BicycleNumber, 1);
    EXPECT_EQ(QueryInt("select count(*) from ServiceLink"), 0);
    (void)gravelChain;
}

TEST_F(ServiceTest, SinceLastDoneStillCountsWhatAPartRodeOnABicycleDeletedSince) {
    const Part chain = NewPart(2, On(1, 1));
    ServiceTask task = NewTask(100.0, 0, 0, On(2, 1), chain.PartNumber);
    Ride(2, 1, 10, 7.0, 1);  // before the task was done
    Ride(2, 2, 10, 9.0, 1);
    ASSERT_EQ(DB_MovePart(chain.PartNumber, 1, On(3, 1)), 0);
    Ride(1, 3, 10, 5.0);
    const double whole = UsedKm(chain.PartNumber);

    ASSERT_EQ(DB_DeleteBicycle(2), 0) << DB_GetLastError();
    EXPECT_DOUBLE_EQ(UsedKm(chain.PartNumber), whole);
    Usage since = PartUsage(Load(), Load().parts[0], On(2, 1));
    EXPECT_DOUBLE_EQ(since.distance, 14.0);
    EXPECT_EQ(since.seconds, 3600);
    EXPECT_DOUBLE_EQ(WorkOutTask(Load(), task, On(4, 1)).left, 86.0);
    // A last-done day moved afterwards splits those rides anew.
    task.LastDone = On(1, 5);
    EXPECT_DOUBLE_EQ(WorkOutTask(Load(), task, On(4, 1)).left, 79.0);
    // Its stretch left can not reach back into its days on the deleted bicycle.
    std::vector<PartStretch> stretches = Load().stretches;
    stretches.at(0).Fitted = On(2, 1);
    StretchDatesFault fault = StretchDatesFault::None;
    EXPECT_NE(DB_SetStretchDates(chain.PartNumber, stretches, &fault), 0);
    EXPECT_EQ(fault, StretchDatesFault::Overlap);
}

TEST_F(ServiceTest, NewFittingAndRemovalDaysAreCheckedAndMoveTheUsage) {
    const Part chain = NewPart(1, On(1, 1));
    ASSERT_EQ(DB_MovePart(chain.PartNumber, 2, On(2, 1)), 0);
    Ride(1, 1, 10, 1.0);
    Ride(1, 2, 10, 2.0);
    Ride(2, 1, 20, 4.0);
    Ride(2, 2, 20, 8.0);
    const std::vector<PartStretch> stored = Load().stretches;
    ASSERT_EQ(stored.size(), 2u);
    const auto set = [&](auto change) {
        std::vector<PartStretch> edited = stored;
        change(edited);
        StretchDatesFault fault = StretchDatesFault::None;
        const bool saved = DB_SetStretchDates(chain.PartNumber, edited, &fault) == 0;
        EXPECT_EQ(saved, fault == StretchDatesFault::None);
        return fault;
    };
    EXPECT_EQ(set([&](auto& s) { s[0].Removed = On(12, 31, 2023); }), StretchDatesFault::RemovedBeforeFitted);
    EXPECT_EQ(set([&](auto& s) { s[0].Removed = On(2, 15); }), StretchDatesFault::Overlap);
    EXPECT_EQ(set([&](auto& s) { s[1].BicycleNumber = 1; }), StretchDatesFault::Changed);
    EXPECT_EQ(set([&](auto& s) { s[1].Removed = On(3, 1); }), StretchDatesFault::Changed);
    EXPECT_DOUBLE_EQ(UsedKm(chain.PartNumber), 9.0);  // nothing saved

    EXPECT_EQ(set([&](auto& s) {
                  s[0].Removed = On(2, 15);
                  s[1].Fitted = On(2, 15);
              }),
              StretchDatesFault::None);
    EXPECT_DOUBLE_EQ(UsedKm(chain.PartNumber), 11.0);
}

TEST_F(ServiceTest, AnOlderLogGetsTheTablesOnOpenAndAnOlderBackupRestores) {
    NewPart(1, On(1, 1));
    for (const char* table : {"Part", "PartStretch", "ServiceTask", "ServiceLink"}) {
        Exec(std::string("drop table ") + table);
    }
    std::filesystem::create_directory("backup");
    ASSERT_EQ(DB_BackupDatabase("backup/bicycle.db"), 0) << DB_GetLastError();
    // Without the tables (a read-only older log) the lists are empty.
    EXPECT_TRUE(Load().parts.empty());

    ASSERT_EQ(DB_OpenDatabase(), 0);
    NewPart(1, On(1, 1));
    EXPECT_EQ(Load().parts.size(), 1u);

    ASSERT_EQ(DB_RestoreDatabase("backup/bicycle.db"), 0) << DB_GetLastError();
    ASSERT_EQ(DB_OpenDatabase(), 0);
    EXPECT_TRUE(Load().parts.empty());
    EXPECT_EQ(QueryInt("select count(*) from Bicycle"), 2);
    NewPart(1, On(1, 1));
    // Nothing but tables: the log still opens in a program that knows the four.
    EXPECT_EQ(QueryInt("select count(*) from sqlite_master where type in ('trigger', 'view')"), 0);
}

}  // namespace
