// How the record store's fetches compare with the least SQLite itself needs
// for the same rows, on a long log: 50 bicycles, 100,000 rides and 20,000
// maintenance entries in a temporary directory.
//
// Each figure is the median of several runs, beside its floor: the same query
// read by a bare prepare/step loop that only reads the columns (for the
// bicycle totals, one grouped query over the rides). Targets: every fetch
// within 1.5x of its floor, DB_GetBicycles within 3x.
//
//   build/store_bench        exits 1 when a target is missed

#include "BenchLog.h"
#include "store/store.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kMinRuns = 7;
constexpr double kMinSecondsPerFigure = 0.3;

using benchlog::Day;
using benchlog::GenerateLog;
using benchlog::kBicycles;
using benchlog::kMaintenanceEntries;
using benchlog::kRides;

// The floor: step through a query and read every column as its declared type
// (aggregates as doubles), nothing more.
double ReadBare(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(DB_GetConnection(), sql.c_str(), static_cast<int>(sql.size()), &statement, nullptr);
    enum Kind { kInteger, kReal, kBlob };
    std::vector<Kind> kinds;
    for (int column = 0; column < sqlite3_column_count(statement); ++column) {
        const char* declared = sqlite3_column_decltype(statement, column);
        const std::string type = declared ? declared : "REAL";
        kinds.push_back(type == "INTEGER" ? kInteger : type == "BLOB" ? kBlob : kReal);
    }
    double checksum = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int column = 0; column < static_cast<int>(kinds.size()); ++column) {
            switch (kinds[column]) {
                case kInteger:
                    checksum += sqlite3_column_int(statement, column);
                    break;
                case kReal:
                    checksum += sqlite3_column_double(statement, column);
                    break;
                case kBlob:
                    sqlite3_column_blob(statement, column);
                    checksum += sqlite3_column_bytes(statement, column);
                    break;
            }
        }
    }
    sqlite3_finalize(statement);
    return checksum;
}

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

// Times the store call and its floor in alternation, so that a busy moment of
// the machine weighs on both alike; prints one line, returns whether the ratio
// is within the target.
bool Compare(const char* label, const std::function<void()>& fetch, const std::function<void()>& release,
             const std::string& floorSql, double target) {
    volatile double sink = 0;
    fetch();
    release();
    sink = sink + ReadBare(floorSql);

    std::vector<double> fetchTimes;
    std::vector<double> floorTimes;
    double spent = 0;
    while (fetchTimes.size() < kMinRuns || spent < kMinSecondsPerFigure * 1000) {
        floorTimes.push_back(Milliseconds([&] { sink = sink + ReadBare(floorSql); }));
        fetchTimes.push_back(Milliseconds(fetch));
        release();
        spent += floorTimes.back() + fetchTimes.back();
    }
    const double fetchTime = Median(fetchTimes);
    const double floorTime = Median(floorTimes);
    const double ratio = fetchTime / floorTime;
    // Sub-millisecond figures keep enough digits to mean something.
    const int digits = floorTime < 1.0 ? 3 : 1;
    std::printf("%s: %.*f ms (floor %.*f ms, ratio %.2f)%s\n", label, digits, fetchTime, digits, floorTime,
                ratio, ratio <= target ? "" : "  <-- above target");
    std::fflush(stdout);
    return ratio <= target;
}

int Check(int result) {
    if (result != 0) {
        std::fprintf(stderr, "store call failed (%d): %s\n", result, DB_GetLastError());
        std::exit(2);
    }
    return result;
}

}  // namespace

int main() {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::string pattern = (std::filesystem::temp_directory_path() / "velomarq-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 2;
    }
    std::filesystem::current_path(pattern);

    const double generated = Milliseconds([] {
        Check(DB_CreateDatabase());
        Check(DB_OpenDatabase());
        if (!GenerateLog()) {
            std::exit(2);
        }
    });
    std::printf("log of %d bicycles, %d rides, %d maintenance entries made in %.0f ms\n", kBicycles, kRides,
                kMaintenanceEntries, generated);

    bool met = true;
    RideRecordList rides;
    MaintenanceRecordList entries;
    BicycleList bicycles;

    met &= Compare(
        "DB_GetRideRecords all", [&] { Check(DB_GetRideRecords(nullptr, &rides)); },
        [&] { DB_ReleaseRideRecordList(&rides); }, "select * from RideRecord order by Date desc", 1.5);

    char condition[256];
    std::snprintf(condition, sizeof condition, "(BicycleNumber==%d) and (Date>%d) and (Date<%d)", 17,
                  Day(2020, 1, 1), Day(2020, 12, 31) + 86399);
    met &= Compare(
        "DB_GetRideRecords one bicycle, one year", [&] { Check(DB_GetRideRecords(condition, &rides)); },
        [&] { DB_ReleaseRideRecordList(&rides); },
        std::string("select * from RideRecord where ( ") + condition + " ) order by Date desc", 1.5);

    met &= Compare(
        "DB_GetMaintenanceRecords all", [&] { Check(DB_GetMaintenanceRecords(nullptr, &entries)); },
        [&] { DB_ReleaseMaintenanceRecordList(&entries); },
        "select * from MaintenanceRecord order by date desc", 1.5);

    met &= Compare(
        "DB_GetBicycles with totals", [&] { Check(DB_GetBicycles(&bicycles)); },
        [&] { DB_ReleaseBicycleList(&bicycles); },
        "select BicycleNumber, sum(Distance), sum(Hours), sum(Minutes), sum(Seconds), max(MaxSpeed) "
        "from RideRecord group by BicycleNumber",
        3.0);

    DB_CloseDatabase();
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(pattern);
    std::printf("targets %s\n", met ? "met" : "missed");
    return met ? 0 : 1;
}
