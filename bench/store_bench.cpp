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
#include "units/DayRange.h"

#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr benchlog::Runs kRuns{7, 0.3};

using benchlog::Check;
using benchlog::Day;

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

// Times the store call against a bare read of the same query.
bool Compare(const char* label, const std::function<void()>& fetch, const std::function<void()>& release,
             const std::string& floorSql, double target) {
    volatile double sink = 0;
    return benchlog::Compare(label, {.run = fetch, .after = release},
                             {.run = [&] { sink = sink + ReadBare(floorSql); }}, target, kRuns);
}

}  // namespace

int main() {
    const benchlog::LogDirectory log;

    bool met = true;
    RideRecordList rides;
    MaintenanceRecordList entries;
    BicycleList bicycles;

    met &= Compare(
        "DB_GetRideRecords all", [&] { Check(DB_GetRideRecords(nullptr, &rides)); },
        [&] { DB_ReleaseRideRecordList(&rides); }, "select * from RideRecord order by Date desc", 1.5);

    // The list page's condition: one bicycle, whole days of one year.
    const std::string condition = DayRangeCondition({Day(2020, 1, 1), Day(2020, 12, 31) + 86399}, 17);
    met &= Compare(
        "DB_GetRideRecords one bicycle, one year",
        [&] { Check(DB_GetRideRecords(condition.c_str(), &rides)); },
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

    std::printf("targets %s\n", met ? "met" : "missed");
    return met ? 0 : 1;
}
