// Tables RideRecord and MaintenanceRecord: twin sets of operations that differ
// only in their columns.

#include "store/SearchIndex.h"
#include "store/StoreInternal.h"

#include <cerrno>
#include <cmath>
#include <limits>

using namespace store;
using namespace store::detail;

namespace store::detail {

int DeleteRecord(const char* format, int number) {
    const int result = DB_ExecSql(DB_GetConnection(), FormatSql(format, number).c_str());
    if (result == kFailed) {
        SetLastError("%s", kExecuteError);
    }
    return result;
}

}  // namespace store::detail

namespace {

// The condition is written by the pages from numbers they format themselves;
// it is inserted as it is.
std::string RecordQuery(const char* condition, const char* all, const char* filtered) {
    return condition && *condition ? FormatSql(filtered, condition) : std::string(all);
}

int NextNumber(const char* sql, int* number) {
    if (!number) {
        return NoConnection();
    }
    Statement statement = Prepare(sql);
    if (!statement) {
        SetLastError("%s", kPrepareError);
        return kFailed;
    }
    if (sqlite3_step(statement.get()) != SQLITE_ROW) {
        SetLastError("%s", kFetchError);
        return kFailed;
    }
    // max() of an empty table is NULL, which reads as 0. Record numbers are
    // 32-bit: past the largest one there is no number the new record and its
    // memo folder could share.
    const int64_t largest = sqlite3_column_int64(statement.get(), 0);
    if (largest >= std::numeric_limits<int32_t>::max()) {
        SetLastError("ERROR: No record number left after %lld.", static_cast<long long>(largest));
        return kFailed;
    }
    *number = static_cast<int>(largest) + 1;
    return kOk;
}

}  // namespace

namespace {

// Row readers for rows whose record numbers have been checked: FetchRecords
// checks them once per row, and the public converters below check first.
int ReadRideRow(sqlite3_stmt* statement, RideRecord* record) {
    record->RideRecordNumber = sqlite3_column_int(statement, 0);
    record->Date = sqlite3_column_int(statement, 1);
    record->BicycleNumber = sqlite3_column_int(statement, 2);
    record->Distance = sqlite3_column_double(statement, 3);
    record->MaxSpeed = sqlite3_column_double(statement, 4);
    record->Hours = sqlite3_column_int(statement, 5);
    record->Minutes = sqlite3_column_int(statement, 6);
    record->Seconds = sqlite3_column_int(statement, 7);
    record->DifficultyLevel = sqlite3_column_int(statement, 8);
    record->FeelingLevel = sqlite3_column_int(statement, 9);
    try {
        ReadBlock(statement, 10, record->Memo);
    } catch (const std::bad_alloc&) {
        SetLastError("ERROR: DB_StmtToRideRecord() out of memory error. Index is :%d", 10);
        return kFailed;
    }
    return kOk;
}

int ReadMaintenanceRow(sqlite3_stmt* statement, MaintenanceRecord* record) {
    record->MaintenanceRecordNumber = sqlite3_column_int(statement, 0);
    record->Date = sqlite3_column_int(statement, 1);
    record->BicycleNumber = sqlite3_column_int(statement, 2);
    record->Cost = sqlite3_column_double(statement, 3);
    try {
        ReadBlock(statement, 4, record->Memo);
    } catch (const std::bad_alloc&) {
        SetLastError("ERROR: DB_StmtToMaintenanceRecord() out of memory error. Index is :%d", 4);
        return kFailed;
    }
    return kOk;
}

}  // namespace

// ---- Rides ------------------------------------------------------------------

int DB_GetRideRecords(const char* condition, RideRecordList* list) {
    if (!DB_GetConnection() || !list) {
        return NoConnection();
    }
    return FetchRecords(RecordQuery(condition, "select * from RideRecord order by Date desc",
                                    "select * from RideRecord where ( %s ) order by Date desc"),
                        list, ReadRideRow, {0, 2});
}

int DB_StmtToRideRecord(sqlite3_stmt* statement, RideRecord* record) {
    if (!statement || !record) {
        return NoConnection();
    }
    *record = RideRecord{};
    if (!RecordNumberFits(statement, 0) || !RecordNumberFits(statement, 2)) {
        return kFailed;
    }
    return ReadRideRow(statement, record);
}

int DB_RideRecordToStmt(sqlite3_stmt* statement, const RideRecord* record, bool forUpdate) {
    if (!statement || !record) {
        return NoConnection();
    }
    // An infinite distance would make every total it enters infinite, for
    // good: whatever brings a ride (the editor, an import, a restore) is
    // turned away here.
    const auto ridable = [](double value) { return std::isfinite(value) && value >= 0.0; };
    if (!ridable(record->Distance) || !ridable(record->MaxSpeed) || record->Hours < 0 ||
        record->Minutes < 0 || record->Seconds < 0) {
        SetLastErrorOf({0, ERANGE},
                       "ERROR: DB_RideRecordToStmt() refuses a ride with a distance, time or speed that is "
                       "infinite, not a number or negative.");
        return kFailed;
    }
    Binder binder(statement, forUpdate ? 1 : 2);
    binder.Int(record->Date)
        .Int(record->BicycleNumber)
        .Double(record->Distance)
        .Double(record->MaxSpeed)
        .Int(record->Hours)
        .Int(record->Minutes)
        .Int(record->Seconds)
        .Int(record->DifficultyLevel)
        .Int(record->FeelingLevel)
        .Block(record->Memo);
    if (binder.FailedPosition() != 0) {
        SetLastError("ERROR: DB_RideRecordToStmt() error. Index is :%d", binder.FailedPosition() + 1);
        return kFailed;
    }
    return kOk;
}

namespace {

// The search index follows each write once the log has committed it.
int Followed(int result, SearchKind kind, int number) {
    if (result == kOk) {
        FollowRecordInSearch(kind, number);
    }
    return result;
}

}  // namespace

int DB_InsertRideRecord(const RideRecord* record) {
    if (!DB_GetConnection() || !record) {
        return NoConnection();
    }
    // The new ride may take the number of one removed behind the store's
    // back: the figures that ride left are not the new one's.
    store::Transaction transaction;
    if (!transaction.IsOpen()) {
        // Reported as the write itself would have been: another program
        // holds the database.
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    const int inserted = WriteRecord(
        "insert into RideRecord values( :p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, :p9, :p10, :p11 )",
        kPrepareError, record, DB_RideRecordToStmt, false);
    if (inserted != kOk) {
        return inserted;
    }
    const sqlite3_int64 number = sqlite3_last_insert_rowid(DB_GetConnection());
    if (RemoveRideDetails(FormatSql("RideRecordNumber=%lld", static_cast<long long>(number))) != kOk ||
        !transaction.Commit()) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    return Followed(kOk, SearchKind::Ride, 0);
}

int DB_UpdateRideRecord(int number, RideRecord* record) {
    if (!DB_GetConnection() || !record) {
        return NoConnection();
    }
    record->RideRecordNumber = number;
    // The ride's figures follow it to a new date, in the same transaction.
    store::Transaction transaction;
    if (!transaction.IsOpen()) {
        // Reported as the write itself would have been: another program
        // holds the database.
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    if (MoveRideDetailDate(number, record->Date) != kOk) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    const int updated =
        WriteRecord(FormatSql("update RideRecord set \t\tDate=:p1,\t\tBicycleNumber=:p2,\t\tDistance=:p3,"
                              "\t\tMaxSpeed=:p4,\t\tHours=:p5,\t\tMinutes=:p6,\t\tSeconds=:p7,"
                              "\t\tDifficultyLevel=:p8,\t\tFeelingLevel=:p9,\t\tMemo=:p10 "
                              "\t\twhere RideRecordNumber=%d",
                              number),
                    kUpdatePrepareError, record, DB_RideRecordToStmt, true);
    if (updated != kOk) {
        return updated;
    }
    if (!transaction.Commit()) {
        return kFailed;
    }
    return Followed(kOk, SearchKind::Ride, number);
}

int DB_DeleteRideRecord(int number) {
    if (!DB_GetConnection()) {
        return DeleteRecord("delete from RideRecord where RideRecordNumber=%d", number);
    }
    // The ride and its figures go together or not at all.
    store::Transaction transaction;
    if (!transaction.IsOpen()) {
        // Reported as the write itself would have been: another program
        // holds the database.
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    const int deleted = DeleteRecord("delete from RideRecord where RideRecordNumber=%d", number);
    if (deleted != kOk) {
        return deleted;
    }
    if (RemoveRideDetails(FormatSql("RideRecordNumber=%d", number)) != kOk) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    return Followed(transaction.Commit() ? kOk : kFailed, SearchKind::Ride, number);
}

int DB_GetMaxRideRecordNumber(int* number) {
    return NextNumber("select max(RideRecordNumber) from RideRecord", number);
}

void DB_ReleaseRideRecord(RideRecord* record) {
    if (record) {
        ReleaseBlock(record->Memo);
    }
}

void DB_ReleaseRideRecordList(RideRecordList* list) {
    if (list) {
        RideRecordList().swap(*list);
    }
}

void DB_CopyRideRecord(RideRecord* target, const RideRecord* source) {
    CopyRecord(target, source, DB_ReleaseRideRecord);
}

// ---- Maintenance entries ----------------------------------------------------

int DB_GetMaintenanceRecords(const char* condition, MaintenanceRecordList* list) {
    if (!DB_GetConnection() || !list) {
        return NoConnection();
    }
    return FetchRecords(RecordQuery(condition, "select * from MaintenanceRecord order by date desc",
                                    "select * from MaintenanceRecord where ( %s ) order by date desc"),
                        list, ReadMaintenanceRow, {0, 2});
}

int DB_StmtToMaintenanceRecord(sqlite3_stmt* statement, MaintenanceRecord* record) {
    if (!statement || !record) {
        return NoConnection();
    }
    *record = MaintenanceRecord{};
    if (!RecordNumberFits(statement, 0) || !RecordNumberFits(statement, 2)) {
        return kFailed;
    }
    return ReadMaintenanceRow(statement, record);
}

int DB_MaintenanceRecordToStmt(sqlite3_stmt* statement, const MaintenanceRecord* record, bool forUpdate) {
    if (!statement || !record) {
        return NoConnection();
    }
    Binder binder(statement, forUpdate ? 1 : 2);
    binder.Int(record->Date).Int(record->BicycleNumber).Double(record->Cost).Block(record->Memo);
    if (binder.FailedPosition() != 0) {
        SetLastError("ERROR: DB_MaintenanceRecordToStmt() error. Index is :%d", binder.FailedPosition() + 1);
        return kFailed;
    }
    return kOk;
}

int DB_InsertMaintenanceRecord(const MaintenanceRecord* record) {
    if (!DB_GetConnection() || !record) {
        return NoConnection();
    }
    // The new entry may take the number of one removed behind the store's
    // back: that entry's link to a task is not the new one's.
    store::Transaction transaction;
    if (!transaction.IsOpen()) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    const int inserted = WriteRecord("insert into MaintenanceRecord values( :p1, :p2, :p3, :p4, :p5 )",
                                     kPrepareError, record, DB_MaintenanceRecordToStmt, false);
    if (inserted != kOk) {
        return inserted;
    }
    if (RemoveServiceLinks(static_cast<int>(sqlite3_last_insert_rowid(DB_GetConnection()))) != kOk ||
        !transaction.Commit()) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    return Followed(kOk, SearchKind::Maintenance, 0);
}

int DB_UpdateMaintenanceRecord(int number, MaintenanceRecord* record) {
    if (!DB_GetConnection() || !record) {
        return NoConnection();
    }
    record->MaintenanceRecordNumber = number;
    // A link to a task follows the entry to its new date, in the same transaction.
    store::Transaction transaction;
    if (!transaction.IsOpen()) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    if (MoveServiceLinkDate(number, record->Date) != kOk) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    const int updated =
        WriteRecord(FormatSql("update MaintenanceRecord set \t\tDate=:p1,\t\tBicycleNumber=:p2,\t\tCost=:p3,"
                              "\t\tMemo=:p4 \t\twhere MaintenanceRecordNumber=%d",
                              number),
                    kUpdatePrepareError, record, DB_MaintenanceRecordToStmt, true);
    if (updated != kOk) {
        return updated;
    }
    if (!transaction.Commit()) {
        return kFailed;
    }
    return Followed(kOk, SearchKind::Maintenance, number);
}

int DB_DeleteMaintenanceRecord(int number) {
    if (!DB_GetConnection()) {
        return DeleteRecord("delete from MaintenanceRecord where MaintenanceRecordNumber=%d", number);
    }
    // The entry and its link to a task go together or not at all.
    store::Transaction transaction;
    if (!transaction.IsOpen()) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    const int deleted =
        DeleteRecord("delete from MaintenanceRecord where MaintenanceRecordNumber=%d", number);
    if (deleted != kOk) {
        return deleted;
    }
    if (RemoveServiceLinks(number) != kOk) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    return Followed(transaction.Commit() ? kOk : kFailed, SearchKind::Maintenance, number);
}

int DB_GetMaxMaintenanceRecordNumber(int* number) {
    return NextNumber("select max(MaintenanceRecordNumber) from MaintenanceRecord", number);
}

void DB_ReleaseMaintenanceRecord(MaintenanceRecord* record) {
    if (record) {
        ReleaseBlock(record->Memo);
    }
}

void DB_ReleaseMaintenanceRecordList(MaintenanceRecordList* list) {
    if (list) {
        MaintenanceRecordList().swap(*list);
    }
}

void DB_CopyMaintenanceRecord(MaintenanceRecord* target, const MaintenanceRecord* source) {
    CopyRecord(target, source, DB_ReleaseMaintenanceRecord);
}
