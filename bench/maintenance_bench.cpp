// How the maintenance page copes with a long log: the 20,000 maintenance
// entries of the store benchmark's log, all listed at once. Each figure is
// the median of several runs beside its floor, DB_GetMaintenanceRecords
// reading the same entries alone, timed in alternation so that a busy moment
// weighs on both alike.
//
// Targets: the page's reload (bicycles, fetch, table model, sum, status line)
// within 1.5x the floor; a click on each sortable heading within 0.5x; the
// plain-text and comma-separated exports (report built and written) within 4x.
//
//   build/maintenance_bench        exits 1 when a target is missed

#include "BenchLog.h"
#include "language/Language.h"
#include "maintenance/MaintenanceDlg.h"
#include "maintenance/MaintenanceReport.h"
#include "maintenance/MaintenanceTable.h"
#include "reports/ReportFiles.h"
#include "store/store.h"
#include "units/DayRange.h"
#include "units/Units.h"
#include "widgets/LinkLabel.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kMinRuns = 7;
constexpr double kMinSecondsPerFigure = 1.0;

double Milliseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Times work and the floor in alternation; prints one line; true when the
// ratio is within the target. prepare, when given, runs untimed before each
// run of work.
bool Compare(const std::string& label, const std::function<void()>& work, const std::function<void()>& floor,
             double target, const std::function<void()>& prepare = {}) {
    if (prepare) {
        prepare();
    }
    work();
    floor();
    std::vector<double> workTimes;
    std::vector<double> floorTimes;
    double spent = 0;
    while (workTimes.size() < kMinRuns || spent < kMinSecondsPerFigure * 1000) {
        floorTimes.push_back(Milliseconds(floor));
        if (prepare) {
            prepare();
        }
        workTimes.push_back(Milliseconds(work));
        spent += floorTimes.back() + workTimes.back();
    }
    const double workTime = Median(workTimes);
    const double floorTime = Median(floorTimes);
    const double ratio = workTime / floorTime;
    std::printf("%s: %.1f ms (floor %.1f ms, ratio %.2f)%s\n", label.c_str(), workTime, floorTime, ratio,
                ratio <= target ? "" : "  <-- above target");
    std::fflush(stdout);
    return ratio <= target;
}

void Check(int result) {
    if (result != 0) {
        std::fprintf(stderr, "store call failed (%d): %s\n", result, DB_GetLastError());
        std::exit(2);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir directory;
    if (!directory.isValid() || !QDir::setCurrent(directory.path())) {
        std::fprintf(stderr, "no temporary directory\n");
        return 2;
    }
    SetProgramDirectory(directory.path());
    if (LoadLanguageFile(QStringLiteral(VELOMARQ_SOURCE_DIR "/languages/vmq_00.ini")) != 0) {
        std::fprintf(stderr, "cannot load the English texts\n");
        return 2;
    }

    const double generated = Milliseconds([] {
        Check(DB_CreateDatabase());
        Check(DB_OpenDatabase());
        if (!benchlog::GenerateLog()) {
            std::exit(2);
        }
    });
    std::printf("log of %d bicycles, %d maintenance entries made in %.0f ms\n", benchlog::kBicycles,
                benchlog::kMaintenanceEntries, generated);

    // The page as the rider sees it, listing every entry of every bicycle.
    LinkLabel statusLine;
    MaintenanceDlg page(statusLine, nullptr);
    page.resize(1000, 700);
    page.show();
    page.findChild<QDateEdit*>(QStringLiteral("startDate"))->setDate(QDate(1980, 1, 1));
    page.findChild<QDateEdit*>(QStringLiteral("endDate"))->setDate(QDate(2030, 1, 1));
    app.processEvents();
    if (page.Entries().rowCount() != benchlog::kMaintenanceEntries) {
        std::fprintf(stderr, "the page lists %d entries, not %d\n", page.Entries().rowCount(),
                     benchlog::kMaintenanceEntries);
        return 2;
    }

    // The floor reads the same entries with the same condition, and nothing else.
    const std::string condition = DayRangeCondition(
        LocalDayRange(FromLocalDateTime(1980, 1, 1, 12), FromLocalDateTime(2030, 1, 1, 12)));
    MaintenanceRecordList floorEntries;
    const auto floor = [&] {
        DB_ReleaseMaintenanceRecordList(&floorEntries);
        Check(DB_GetMaintenanceRecords(condition.c_str(), &floorEntries));
    };

    bool met = true;
    met &= Compare(
        "maintenance page reload, all bicycles, all dates", [&] { page.Reload(); }, floor, 1.5);

    // Each sort starts from the rows in another column's order, as when the
    // rider clicks a new heading; sorting rows that are already in order
    // would flatter the figure.
    for (int column = 0; column < kMaintenanceMemoColumn; ++column) {
        const std::string heading = page.Entries().HeadingText(column).toStdString();
        const int other = column == kMaintenanceDateColumn ? kMaintenanceCostColumn : kMaintenanceDateColumn;
        met &= Compare(
            "sort by " + heading, [&] { page.SortByColumn(column); }, floor, 0.5,
            [&] { page.SortByColumn(other); });
    }

    MaintenanceReportInput input;
    BicycleList bicycles;
    Check(DB_GetBicycleList(&bicycles));
    input.bicycles = &bicycles;
    input.statusText = page.StatusText();
    for (int row = 0; row < page.Entries().rowCount(); ++row) {
        input.entries.push_back(&page.Entries().RecordAt(row));
    }
    const QString textFile = directory.filePath(QStringLiteral("maintenance.txt"));
    const QString csvFile = directory.filePath(QStringLiteral("maintenance.csv"));
    met &= Compare(
        "text export",
        [&] {
            if (WriteReport(textFile, MaintenanceTextReport(input)) != ReportResult::Written) {
                std::exit(2);
            }
        },
        floor, 4.0);
    met &= Compare(
        "comma-separated export",
        [&] {
            if (WriteReport(csvFile, MaintenanceCsvReport(input)) != ReportResult::Written) {
                std::exit(2);
            }
        },
        floor, 4.0);

    std::printf("DB_GetMaintenanceRecords alone: %.1f ms\n",
                Median({Milliseconds(floor), Milliseconds(floor), Milliseconds(floor)}));
    DB_ReleaseMaintenanceRecordList(&floorEntries);
    DB_CloseDatabase();
    FreeLanguageTable();
    std::printf("targets %s\n", met ? "met" : "missed");
    return met ? 0 : 1;
}
