// The parts and service window: work done through it lands as a linked entry
// that resets the task, a replaced part hands its tasks on, and figures
// follow the rider's unit with the starter list's round numbers.

#include "BicycleTestSupport.h"
#include "bicycles/PartsServiceDlg.h"
#include "bicycles/ServiceReport.h"
#include "platform/ModalRun.h"
#include "reports/ReportFiles.h"
#include "support/ReportBytes.h"
#include "units/Clock.h"
#include "units/DayRange.h"
#include "units/Units.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

class PartsServiceDlgTest : public BicycleTest {
protected:
    void SetUp() override {
        BicycleTest::SetUp();
        CreateTestStore();
        BicycleAttribute bicycle;
        bicycle.BicycleName = ToTextBlock(QStringLiteral("Tourer"));
        AddBicycle(bicycle);
        SetCurrentTimeForTesting(LocalDayStart(2024, 6, 1) + 10 * 3600);
    }
    void TearDown() override {
        SetCurrentTimeForTesting(std::nullopt);
        SetModalDriverForTesting({});
        SetDistanceUnit(0);
        DB_CloseDatabase();
    }

    static ServiceData Load() {
        ServiceData data;
        EXPECT_EQ(LoadServiceData(&data), store::kOk);
        return data;
    }
};

TEST_F(PartsServiceDlgTest, DoneOnAPastDateAndAReplacedPartLinkTheirEntriesBack) {
    Part chain;
    chain.Name = "Chain";
    ASSERT_EQ(DB_InsertPart(&chain, 1, static_cast<int32_t>(LocalDayStart(2024, 1, 1))), store::kOk);
    ServiceTask task;
    task.BicycleNumber = 1;
    task.PartNumber = chain.PartNumber;
    task.Name = "Lube chain";
    task.IntervalDays = 30;
    task.LastDone = static_cast<int32_t>(LocalDayStart(2024, 1, 1));
    ASSERT_EQ(DB_InsertServiceTask(&task), store::kOk);

    // The editor the main window lends: it is asked with the entry prefilled,
    // and the rider moves the date back before saving.
    std::vector<MaintenanceRecord> asked;
    const int32_t pastDay = static_cast<int32_t>(LocalDayStart(2024, 5, 20) + 9 * 3600);
    MaintenanceEntryEditor editor = [&](QWidget*, const MaintenanceRecord& entry, auto store) {
        asked.push_back(entry);
        MaintenanceRecord edited = entry;
        edited.Date = pastDay;
        edited.Cost = 12.5;
        return store(edited);
    };
    PartsServiceDlg window(1, QStringLiteral("Tourer"), {}, editor, nullptr);
    ASSERT_EQ(window.TaskList()->topLevelItemCount(), 1);
    EXPECT_TRUE(window.TaskList()->topLevelItem(0)->text(4).startsWith(QStringLiteral("Overdue")));
    window.TaskList()->setCurrentItem(window.TaskList()->topLevelItem(0));
    window.findChild<QPushButton*>(QStringLiteral("DONE"))->click();

    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].BicycleNumber, 1);
    EXPECT_EQ(asked[0].Date, CurrentTime());
    EXPECT_EQ(FromTextBlock(asked[0].Memo), QStringLiteral("Lube chain"));
    EXPECT_EQ(asked[0].Cost, 0.0);
    EXPECT_EQ(WorkOutTask(Load(), Load().tasks[0], Today()).lastDone, LocalDayStart(2024, 5, 20) + 9 * 3600);
    EXPECT_EQ(window.TaskList()->topLevelItem(0)->text(4), QStringLiteral("OK - 18 days left"));

    // Replacing: the rider names the new part, the entry is saved, the task follows.
    SetModalDriverForTesting([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("partName"))->setText(QStringLiteral("New chain"));
        dialog.accept();
    });
    window.PartList()->setCurrentItem(window.PartList()->topLevelItem(0));
    window.findChild<QPushButton*>(QStringLiteral("REPP"))->click();
    const ServiceData data = Load();
    ASSERT_EQ(data.parts.size(), 2u);
    EXPECT_EQ(FittedBicycle(data, chain.PartNumber), 0);
    EXPECT_EQ(FittedBicycle(data, data.parts[1].PartNumber), 1);
    EXPECT_EQ(data.parts[1].Name, "New chain");
    EXPECT_EQ(data.tasks[0].PartNumber, data.parts[1].PartNumber);
    ASSERT_EQ(data.links.size(), 2u);
    EXPECT_EQ(data.links[1].PartNumber, data.parts[1].PartNumber);
    EXPECT_EQ(window.PartList()->topLevelItemCount(), 2);
}

TEST_F(PartsServiceDlgTest, IntervalsInMilesKeepTheirRoundFigures) {
    SetDistanceUnit(1);
    const std::vector<StarterTask> starters = StarterTasks();
    ASSERT_FALSE(starters.empty());
    EXPECT_EQ(starters[0].name, QStringLiteral("Lube chain"));
    EXPECT_DOUBLE_EQ(starters[0].distance, ToKilometres(200));

    ServiceTask task;
    task.BicycleNumber = 1;
    task.Name = "Lube chain";
    task.IntervalDistance = starters[0].distance;
    task.LastDone = static_cast<int32_t>(LocalDayStart(2024, 5, 1));
    ASSERT_EQ(DB_InsertServiceTask(&task), store::kOk);
    RideRecord ride;
    ride.BicycleNumber = 1;
    ride.Date = static_cast<int32_t>(LocalDayStart(2024, 5, 2));
    ride.Distance = ToKilometres(150);
    ASSERT_EQ(DB_InsertRideRecord(&ride), store::kOk);
    const TaskStatus status = WorkOutTask(Load(), task, Today());
    EXPECT_EQ(IntervalText(task), QStringLiteral("every 200 miles"));
    EXPECT_EQ(LeftText(status), QStringLiteral("50 miles left"));
    EXPECT_EQ(status.state, TaskState::Ok);
    ride.Distance = ToKilometres(60);
    ASSERT_EQ(DB_InsertRideRecord(&ride), store::kOk);
    EXPECT_EQ(LeftText(WorkOutTask(Load(), task, Today())), QStringLiteral("10 miles over"));
}

TEST_F(PartsServiceDlgTest, TheServiceReportListsEveryBicyclesPartsAndTasks) {
    Part tyre;
    tyre.Name = "Marathon, 37-622";
    tyre.Kind = 4;
    ASSERT_EQ(DB_InsertPart(&tyre, 1, static_cast<int32_t>(LocalDayStart(2024, 5, 2))), store::kOk);
    ServiceTask task;
    task.BicycleNumber = 1;
    task.Name = "Full service";
    task.IntervalDays = 365;
    task.LastDone = static_cast<int32_t>(LocalDayStart(2023, 7, 1));
    ASSERT_EQ(DB_InsertServiceTask(&task), store::kOk);
    RideRecord ride;
    ride.BicycleNumber = 1;
    ride.Date = static_cast<int32_t>(LocalDayStart(2024, 5, 2) + 3600);
    ride.Distance = 42.4;
    ride.Hours = 1;
    ASSERT_EQ(DB_InsertRideRecord(&ride), store::kOk);
    BicycleList bicycles;
    ASSERT_EQ(DB_GetBicycleList(&bicycles), store::kOk);
    const ServiceData data = Load();
    const auto rows = ServiceReportRows(data, bicycles, Today());
    const QString summary = ServiceLine(CountTasks(data, 0, Today()));
    EXPECT_EQ(summary, QStringLiteral("1 soon"));
    const QString path = QStringLiteral("service.csv");
    ASSERT_EQ(WriteReport(path, ServiceCsvReport(rows, summary)), ReportResult::Written);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes,
              FileBytes(QStringLiteral(
                  "Bicycle,Parts,Name,Kind,Fitted,Distance,Riding time,Days\r\n"
                  "Tourer,Part,\"Marathon, 37-622\",Rear tyre,2024/05/02,42.40 km,1:00:00,30\r\n"
                  "Bicycle,Service tasks,Task,Interval,Last done,State\r\n"
                  "Tourer,Task,Full service,every 365 days,2023/07/01,Due soon - 29 days left\r\n"
                  "\r\n\"1 soon\"\r\n\r\n\"Generated by Velomarq.\"\r\n\"https://velomarq.org\"\r\n")));
}

}  // namespace
