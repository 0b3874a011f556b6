// What working out parts and service costs on the long log: the usage of 200
// parts and the state of 1,000 tasks on 50 bicycles, read from the store and
// worked out from the 100,000 rides, beside one grouped pass over the rides
// (the least any figure per bicycle needs). Target: within 1.5x of it.
//
//   build/service_bench        exits 1 when the target is missed

#include "BenchLog.h"
#include "bicycles/ServiceStatus.h"

#include <sqlite3.h>

#include <cstdio>
#include <random>

namespace {

constexpr int kParts = 200;
constexpr int kTasks = 1000;

using benchlog::Check;
using benchlog::Day;

// Parts fitted over the years, some moved once to another bicycle; tasks of
// every kind, some for a part, some with a done entry.
void AddPartsAndTasks() {
    std::mt19937 random(27);
    std::uniform_int_distribution<int> bicycle(1, benchlog::kBicycles);
    std::uniform_int_distribution<int> day(0, 3000);
    benchlog::Exec("begin");
    for (int i = 0; i < kParts; ++i) {
        Part part;
        part.Name = "Part " + std::to_string(i);
        part.Kind = i % 12;
        const int32_t fitted = benchlog::kLogStart + day(random) * 86400;
        Check(DB_InsertPart(&part, bicycle(random), fitted));
        if (i % 3 == 0) {
            Check(DB_MovePart(part.PartNumber, bicycle(random), fitted + 200 * 86400));
        }
    }
    for (int i = 0; i < kTasks; ++i) {
        ServiceTask task;
        task.BicycleNumber = bicycle(random);
        task.Name = "Task " + std::to_string(i);
        task.Kind = i % 5 == 0 ? TaskKind::At : TaskKind::Every;
        task.PartNumber = i % 2 == 0 ? 1 + i % kParts : 0;
        task.IntervalDistance = i % 3 == 0 ? 0 : 300.0 + i;
        task.IntervalHours = i % 3 == 1 ? 50.0 : 0;
        task.IntervalDays = i % 4 == 0 ? 365 : 0;
        task.LastDone = benchlog::kLogStart + day(random) * 86400;
        Check(DB_InsertServiceTask(&task));
        if (i % 4 == 0) {
            MaintenanceRecord entry;
            entry.BicycleNumber = task.BicycleNumber;
            entry.Date = task.LastDone + 30 * 86400;
            Check(DB_InsertLinkedMaintenanceRecord(&entry, task.TaskNumber, 0));
        }
    }
    benchlog::Exec("commit");
}

double GroupedPass() {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(DB_GetConnection(),
                       "select BicycleNumber, sum(Distance), sum(Hours * 3600 + Minutes * 60 + Seconds) from "
                       "RideRecord group by BicycleNumber",
                       -1, &statement, nullptr);
    double sum = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        sum += sqlite3_column_double(statement, 1) + sqlite3_column_double(statement, 2);
    }
    sqlite3_finalize(statement);
    return sum;
}

}  // namespace

int main() {
    const benchlog::LogDirectory log;
    AddPartsAndTasks();
    const int64_t today = benchlog::kLogEnd;
    volatile double sink = 0;
    const bool met = benchlog::Compare("parts usage and task states",
                                       {.run =
                                            [&] {
                                                ServiceData data;
                                                Check(LoadServiceData(&data));
                                                double sum = 0;
                                                for (const Part& part : data.parts) {
                                                    sum += PartUsage(data, part).distance;
                                                }
                                                for (const ServiceTask& task : data.tasks) {
                                                    sum += WorkOutTask(data, task, today).share;
                                                }
                                                sink = sink + sum;
                                            }},
                                       {.run = [&] { sink = sink + GroupedPass(); }}, 1.5, {7, 0.3});
    // Where the time goes: reading the rides into their sums, against the same floor.
    benchlog::Compare("  of which the rides' sums",
                      {.run =
                           [&] {
                               RideUsage usage;
                               Check(DB_ReadRideDays([&usage](const RideDay& day) { usage.Add(day); }));
                               usage.Finish();
                           }},
                      {.run = [&] { sink = sink + GroupedPass(); }}, 1.5, {7, 0.3});
    std::printf("targets %s\n", met ? "met" : "missed");
    return met ? 0 : 1;
}
