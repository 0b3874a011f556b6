// Table RideDetail: what a ride's device recorded beyond the ride's own
// columns, one row per ride. A row names its ride by number and keeps the
// ride's date, because numbers come back (a new ride takes the largest plus
// one) and other programs may change or remove rides without knowing this
// table: a row whose ride is gone or has another date belongs to no ride.

#include "store/StoreInternal.h"

#include <cerrno>
#include <cmath>

using namespace store;
using namespace store::detail;

namespace {

constexpr const char* kDetailColumns =
    "RideRecordNumber, Date, Ascent, Descent, AverageHeartRate, MaxHeartRate, AverageCadence, AveragePower, "
    "MaxPower, Calories, AverageTemperature, ElapsedSeconds, SourceFile, ActivityId";

constexpr const char* kSelectColumns =
    "d.RideRecordNumber, d.Date, d.Ascent, d.Descent, d.AverageHeartRate, d.MaxHeartRate, d.AverageCadence, "
    "d.AveragePower, d.MaxPower, d.Calories, d.AverageTemperature, d.ElapsedSeconds, d.SourceFile, "
    "d.ActivityId";

// Only rows whose ride is there with the same date are read.
constexpr const char* kValidRows =
    "from RideDetail d join RideRecord r on r.RideRecordNumber = d.RideRecordNumber and r.Date = d.Date";

constexpr size_t kFigureCount = std::size(kRideDetailFigures);

bool HasTable() {
    Statement statement = Prepare("select 1 from sqlite_master where type = 'table' and name = 'RideDetail'");
    return statement && sqlite3_step(statement.get()) == SQLITE_ROW;
}

std::string ColumnText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement, column)))
                : std::string();
}

int ReadDetailRow(sqlite3_stmt* statement, RideDetail* detail) {
    detail->RideRecordNumber = sqlite3_column_int(statement, 0);
    detail->Date = sqlite3_column_int(statement, 1);
    for (size_t i = 0; i < kFigureCount; ++i) {
        const int column = static_cast<int>(i) + 2;
        const int type = sqlite3_column_type(statement, column);
        // Text or a figure no ride can have, written by another program,
        // counts as not known.
        const double value = sqlite3_column_double(statement, column);
        if ((type == SQLITE_INTEGER || type == SQLITE_FLOAT) && std::isfinite(value)) {
            detail->*kRideDetailFigures[i] = value;
        }
    }
    try {
        detail->SourceFile = ColumnText(statement, 12);
        detail->ActivityId = ColumnText(statement, 13);
    } catch (const std::bad_alloc&) {
        SetLastError("%s", kOutOfMemoryError);
        return kFailed;
    }
    return kOk;
}

}  // namespace

bool RideDetail::IsEmpty() const {
    for (const auto figure : kRideDetailFigures) {
        if ((this->*figure).has_value()) {
            return false;
        }
    }
    return SourceFile.empty() && ActivityId.empty();
}

namespace store::detail {

int RemoveRideDetails(const std::string& condition) {
    if (!HasTable()) {
        return kOk;
    }
    return DB_ExecSql(Connection(), ("delete from RideDetail where " + condition).c_str());
}

int MoveRideDetailDate(int number, int32_t date) {
    if (!HasTable()) {
        return kOk;
    }
    // Only a row that belonged to the ride as it was follows it to its new date.
    return DB_ExecSql(Connection(), FormatSql("update RideDetail set Date=%d where RideRecordNumber=%d and "
                                              "Date=(select Date from RideRecord where RideRecordNumber=%d)",
                                              date, number, number)
                                        .c_str());
}

void RemoveStaleRideDetails() {
    if (HasTable()) {
        (void)DB_ExecSql(Connection(),
                         "delete from RideDetail where not exists (select 1 from RideRecord r where "
                         "r.RideRecordNumber = RideDetail.RideRecordNumber and r.Date = RideDetail.Date)");
    }
    ClearLastError();
}

}  // namespace store::detail

int DB_GetRideDetails(std::vector<RideDetail>* list) {
    if (!DB_GetConnection() || !list) {
        return NoConnection();
    }
    if (!HasTable()) {
        list->clear();
        return kOk;
    }
    return FetchRecords(
        FormatSql("select %s %s order by d.RideRecordNumber", kSelectColumns, kValidRows).c_str(), list,
        ReadDetailRow, {0});
}

int DB_GetRideDetailsOf(const char* condition, std::vector<RideDetail>* list) {
    if (!condition || !*condition) {
        return DB_GetRideDetails(list);
    }
    if (!DB_GetConnection() || !list) {
        return NoConnection();
    }
    if (!HasTable()) {
        list->clear();
        return kOk;
    }
    // The condition names the rides' columns as the rides' own fetch does.
    return FetchRecords(FormatSql("select %s from RideDetail d join (select RideRecordNumber, Date from "
                                  "RideRecord where ( %s )) r on r.RideRecordNumber = d.RideRecordNumber and "
                                  "r.Date = d.Date order by d.RideRecordNumber",
                                  kSelectColumns, condition)
                            .c_str(),
                        list, ReadDetailRow, {0});
}

int DB_ReadRideFigures(int32_t first, int32_t last, unsigned wanted, const RideFiguresTaker& take) {
    if (!DB_GetConnection() || !take) {
        return NoConnection();
    }
    if (!HasTable()) {
        return kOk;
    }
    // Only the figures wanted are read: each column costs as much as the rest of the row.
    static constexpr const char* kFigureColumns[] = {
        "Ascent",       "Descent",  "AverageHeartRate", "MaxHeartRate",       "AverageCadence",
        "AveragePower", "MaxPower", "Calories",         "AverageTemperature", "ElapsedSeconds"};
    static_assert(std::size(kFigureColumns) == kFigureCount);
    std::string columns;
    std::vector<size_t> read;
    for (size_t i = 0; i < kFigureCount; ++i) {
        if (wanted >> i & 1u) {
            columns += std::string(", ") + kFigureColumns[i];
            read.push_back(i);
        }
    }
    // The rows lie in number order: the range is one stretch of the table, read straight through.
    Statement statement = Prepare(
        FormatSql("select RideRecordNumber, Date%s from RideDetail where RideRecordNumber between %d and %d "
                  "order by RideRecordNumber",
                  columns.c_str(), first, last));
    if (!statement) {
        SetLastError("%s", kPrepareError);
        return kFailed;
    }
    sqlite3_stmt* row = statement.get();
    double figures[kFigureCount] = {};
    for (;;) {
        const int step = sqlite3_step(row);
        if (step == SQLITE_DONE) {
            return kOk;
        }
        if (step != SQLITE_ROW) {
            SetLastError("%s", kFetchError);
            return kFailed;
        }
        unsigned known = 0;
        for (size_t column = 0; column < read.size(); ++column) {
            // As ReadDetailRow: text, or a figure no ride can have, is not known.
            const int type = sqlite3_column_type(row, static_cast<int>(column) + 2);
            if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
                const double value = sqlite3_column_double(row, static_cast<int>(column) + 2);
                if (std::isfinite(value)) {
                    figures[read[column]] = value;
                    known |= 1u << read[column];
                }
            }
        }
        take(sqlite3_column_int(row, 0), sqlite3_column_int(row, 1), figures, known);
    }
}

int DB_SumRideAscent(const char* condition, double* metres, int* counted) {
    if (!DB_GetConnection() || !metres || !counted) {
        return NoConnection();
    }
    *metres = 0.0;
    *counted = 0;
    if (!HasTable()) {
        return kOk;
    }
    const std::string rides =
        condition && *condition
            ? FormatSql("(select RideRecordNumber, Date from RideRecord where ( %s ))", condition)
            : std::string("RideRecord");
    Statement statement =
        Prepare(FormatSql("select total(d.Ascent), count(d.Ascent) from RideDetail d join %s r on "
                          "r.RideRecordNumber = d.RideRecordNumber and r.Date = d.Date",
                          rides.c_str()));
    if (!statement) {
        SetLastError("%s", kPrepareError);
        return kFailed;
    }
    if (sqlite3_step(statement.get()) != SQLITE_ROW) {
        SetLastError("%s", kFetchError);
        return kFailed;
    }
    *metres = sqlite3_column_double(statement.get(), 0);
    *counted = sqlite3_column_int(statement.get(), 1);
    return kOk;
}

int DB_GetRideDetail(int number, RideDetail* detail, bool* found) {
    if (!DB_GetConnection() || !detail || !found) {
        return NoConnection();
    }
    *detail = RideDetail{};
    *found = false;
    if (!HasTable()) {
        return kOk;
    }
    std::vector<RideDetail> rows;
    const int result = FetchRecords(
        FormatSql("select %s %s where d.RideRecordNumber=%d", kSelectColumns, kValidRows, number), &rows,
        ReadDetailRow, {0});
    if (result == kOk && !rows.empty()) {
        *detail = std::move(rows.front());
        *found = true;
    }
    return result;
}

int DB_SetRideDetail(int number, const RideDetail* detail) {
    if (!DB_GetConnection() || !detail) {
        return NoConnection();
    }
    if (detail->IsEmpty()) {
        if (RemoveRideDetails(FormatSql("RideRecordNumber=%d", number)) != kOk) {
            SetLastError("%s", kExecuteError);
            return kFailed;
        }
        return kOk;
    }
    const RideDetail& values = *detail;
    for (const auto member : kRideDetailFigures) {
        const std::optional<double>& figure = values.*member;
        if (figure && !std::isfinite(*figure)) {
            SetLastErrorOf({0, ERANGE},
                           "ERROR: DB_SetRideDetail() refuses a figure that is infinite or not a "
                           "number.");
            return kFailed;
        }
    }
    // The row takes the date of the ride as it is stored; without the ride
    // there is nothing to keep.
    Statement statement =
        Prepare(FormatSql("insert or replace into RideDetail(%s) select RideRecordNumber, Date, "
                          "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ? from RideRecord where "
                          "RideRecordNumber=%d",
                          kDetailColumns, number));
    if (!statement) {
        SetLastError("%s", kPrepareError);
        return kFailed;
    }
    bool bound = true;
    for (size_t i = 0; i < kFigureCount; ++i) {
        const std::optional<double>& figure = values.*kRideDetailFigures[i];
        const int position = static_cast<int>(i) + 1;
        bound = bound && (figure ? sqlite3_bind_double(statement.get(), position, *figure)
                                 : sqlite3_bind_null(statement.get(), position)) == SQLITE_OK;
    }
    const auto bindText = [&](int position, const std::string& text) {
        return text.empty() ? sqlite3_bind_null(statement.get(), position)
                            : sqlite3_bind_text(statement.get(), position, text.data(),
                                                static_cast<int>(text.size()), SQLITE_TRANSIENT);
    };
    bound =
        bound && bindText(11, values.SourceFile) == SQLITE_OK && bindText(12, values.ActivityId) == SQLITE_OK;
    if (!bound) {
        SetLastError("ERROR: Can not bind data.");
        return kFailed;
    }
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    if (sqlite3_changes(DB_GetConnection()) == 0) {
        SetLastError("ERROR: No ride %d for its figures.", number);
        return kFailed;
    }
    return kOk;
}
