// Per-bicycle sums over the rides and maintenance entries.

#include "store/StoreInternal.h"

using namespace store;
using namespace store::detail;

namespace {

// Steps a one-row aggregate query built from format and the bicycle number.
// An aggregate over no rows is NULL, which reads as 0.
Statement RunAggregate(const char* format, int bicycleNumber, int* result) {
    Statement statement = Prepare(FormatSql(format, bicycleNumber));
    if (!statement) {
        SetLastError("%s", kPrepareError);
        *result = kFailed;
        return nullptr;
    }
    if (sqlite3_step(statement.get()) != SQLITE_ROW) {
        SetLastError("%s", kFetchError);
        *result = kFailed;
        return nullptr;
    }
    *result = kOk;
    return statement;
}

int ReadDouble(const char* format, int bicycleNumber, double* value) {
    if (!value) {
        return NoConnection();
    }
    int result = kOk;
    Statement statement = RunAggregate(format, bicycleNumber, &result);
    if (statement) {
        *value = sqlite3_column_double(statement.get(), 0);
    }
    return result;
}

}  // namespace

int DB_GetTotalDistance(int bicycleNumber, double* distance) {
    return ReadDouble("select sum(Distance) from RideRecord where BicycleNumber=%d", bicycleNumber, distance);
}

int DB_GetMaxSpeed(int bicycleNumber, double* speed) {
    return ReadDouble("select max(MaxSpeed) from RideRecord where BicycleNumber=%d", bicycleNumber, speed);
}

int DB_GetTotalMaintenanceCost(int bicycleNumber, double* cost) {
    return ReadDouble("select sum(Cost) from MaintenanceRecord where BicycleNumber=%d", bicycleNumber, cost);
}

int DB_GetTotalTime(int bicycleNumber, int32_t* hours, int32_t* minutes, int32_t* seconds) {
    if (!hours || !minutes || !seconds) {
        return NoConnection();
    }
    const char* const queries[] = {
        "select sum(Hours) from RideRecord where BicycleNumber=%d",
        "select sum(Minutes) from RideRecord where BicycleNumber=%d",
        "select sum(Seconds) from RideRecord where BicycleNumber=%d",
    };
    // SQLite sums integers in 64 bits; reading them as 32-bit values would
    // keep only their low halves.
    int64_t sums[3] = {};
    for (int i = 0; i < 3; ++i) {
        int result = kOk;
        Statement statement = RunAggregate(queries[i], bicycleNumber, &result);
        if (!statement) {
            return result;
        }
        sums[i] = sqlite3_column_int64(statement.get(), 0);
    }
    NormaliseTime(sums[0], sums[1], sums[2]);
    *hours = ClampToInt32(sums[0]);
    *minutes = ClampToInt32(sums[1]);
    *seconds = ClampToInt32(sums[2]);
    return kOk;
}

namespace store::detail {

namespace {

// "BicycleNumber=%d" matches integers only; a group whose number another
// program stored as a fraction or a text belongs to no bicycle. Read as an
// integer it would land on a real bicycle's totals (2.5 on bicycle 2).
bool IsWholeNumber(sqlite3_stmt* row) {
    return sqlite3_column_type(row, 0) == SQLITE_INTEGER;
}

// Steps a grouped query to its end, handing each row to read. A query that
// cannot be prepared or fails part-way (a damaged or missing table) is
// reported like a failing single total.
template <typename Read>
int ReadGroups(const char* sql, Read read) {
    Statement statement = Prepare(sql);
    if (!statement) {
        SetLastError("%s", kPrepareError);
        return kFailed;
    }
    for (;;) {
        const int step = sqlite3_step(statement.get());
        if (step == SQLITE_DONE) {
            return kOk;
        }
        if (step != SQLITE_ROW) {
            SetLastError("%s", kFetchError);
            return kFailed;
        }
        if (IsWholeNumber(statement.get())) {
            read(statement.get());
        }
    }
}

}  // namespace

// Two grouped passes instead of six queries per bicycle: the bicycle page
// stays quick however long the log grows. Each column is aggregated exactly as
// the single-bicycle queries do it.
int ReadAllBicycleTotals(std::unordered_map<int64_t, BicycleTotals>* totals) {
    const int rides = ReadGroups(
        "select BicycleNumber, sum(Distance), sum(Hours), sum(Minutes), sum(Seconds), max(MaxSpeed), "
        "sum(case when Hours*3600+Minutes*60+Seconds>0 then Distance else 0 end) "
        "from RideRecord group by BicycleNumber",
        [totals](sqlite3_stmt* row) {
            BicycleTotals& bicycle = (*totals)[sqlite3_column_int64(row, 0)];
            bicycle.distance = sqlite3_column_double(row, 1);
            int64_t hours = sqlite3_column_int64(row, 2);
            int64_t minutes = sqlite3_column_int64(row, 3);
            int64_t seconds = sqlite3_column_int64(row, 4);
            NormaliseTime(hours, minutes, seconds);
            bicycle.hours = ClampToInt32(hours);
            bicycle.minutes = ClampToInt32(minutes);
            bicycle.seconds = ClampToInt32(seconds);
            bicycle.maxSpeed = sqlite3_column_double(row, 5);
            bicycle.timedDistance = sqlite3_column_double(row, 6);
        });
    if (rides != kOk) {
        return rides;
    }
    return ReadGroups("select BicycleNumber, sum(Cost) from MaintenanceRecord group by BicycleNumber",
                      [totals](sqlite3_stmt* row) {
                          (*totals)[sqlite3_column_int64(row, 0)].maintenanceCost =
                              sqlite3_column_double(row, 1);
                      });
}

}  // namespace store::detail
