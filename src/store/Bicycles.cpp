// Table Bicycle: fetch, insert, update, delete, and the record helpers.

#include "store/SearchIndex.h"
#include "store/StoreInternal.h"

#include <cerrno>
#include <cstdio>
#include <string>

using namespace store;
using namespace store::detail;

int DB_GetBicycles(BicycleList* list) {
    if (!DB_GetConnection() || !list) {
        return NoConnection();
    }
    // A failing totals query is reported, but the bicycles are still read:
    // the page can show them, only their sums are missing.
    std::unordered_map<int64_t, BicycleTotals> totals;
    const int totalsResult = ReadAllBicycleTotals(&totals);
    std::string totalsError;
    if (totalsResult != kOk) {
        totalsError = DB_GetLastError();
    }
    const int fetched = FetchRecords("select * from Bicycle", list,
                                     [&totals](sqlite3_stmt* statement, BicycleAttribute* record) {
                                         const int converted = DB_StmtToBicycleAttribute(statement, record);
                                         const auto found = totals.find(record->BicycleNumber);
                                         const BicycleTotals bicycle =
                                             found != totals.end() ? found->second : BicycleTotals{};
                                         record->TotalDistance = bicycle.distance;
                                         record->TotalHours = bicycle.hours;
                                         record->TotalMinutes = bicycle.minutes;
                                         record->TotalSeconds = bicycle.seconds;
                                         record->MaxSpeed = bicycle.maxSpeed;
                                         record->TotalMaintenanceCost = bicycle.maintenanceCost;
                                         record->TimedDistance = bicycle.timedDistance;
                                         return converted;
                                     },
                                     {0});
    if (fetched == kOk && totalsResult != kOk) {
        SetLastError("%s", totalsError.c_str());
        return totalsResult;
    }
    return fetched;
}

int DB_GetBicycleList(BicycleList* list) {
    if (!DB_GetConnection() || !list) {
        return NoConnection();
    }
    return FetchRecords(
        "select BicycleNumber,BicycleName,Weight,Frame,Cost,Type,DatePurchased,PreviousODO,MaxSpeed from "
        "Bicycle",
        list,
        [](sqlite3_stmt* statement, BicycleAttribute* record) {
            return DB_StmtToBicycleAttribute(statement, record, true);
        },
        {0});
}

int DB_StmtToBicycleAttribute(sqlite3_stmt* statement, BicycleAttribute* record, bool shortForm) {
    if (!statement || !record) {
        return NoConnection();
    }
    *record = BicycleAttribute{};
    if (!RecordNumberFits(statement, 0)) {
        return kFailed;
    }
    record->BicycleNumber = sqlite3_column_int(statement, 0);

    constexpr const char* kError = "ERROR: DB_StmtToBicycleAttribute() out of memory error. Index is :%d";
    int column = 1;
    try {
        // A name left NULL or empty by another tool reads as an empty text,
        // which is what the editors store for an empty name. Refusing the row
        // would hide this bicycle and every one after it.
        ReadBlock(statement, column, record->BicycleName);
        if (record->BicycleName.empty()) {
            record->BicycleName.assign(kEmptyTextBlockSize, 0);
        }
        record->Weight = sqlite3_column_double(statement, 2);
        record->Frame = sqlite3_column_int(statement, 3);
        record->Cost = sqlite3_column_double(statement, 4);
        record->Type = sqlite3_column_int(statement, 5);
        record->DatePurchased = sqlite3_column_int(statement, 6);
        record->PreviousODO = sqlite3_column_double(statement, 7);
        record->MaxSpeed = sqlite3_column_double(statement, 8);
        if (!shortForm) {
            column = 9;
            ReadBlock(statement, column, record->PictureData);
            column = 10;
            ReadBlock(statement, column, record->Memo);
        }
    } catch (const std::bad_alloc&) {
        SetLastError(kError, column);
        return kFailed;
    }
    return kOk;
}

int DB_BicycleAttributeToStmt(sqlite3_stmt* statement, const BicycleAttribute* record, bool forUpdate) {
    if (!statement || !record) {
        return NoConnection();
    }
    // Position 1 of the insert is the record number, left NULL for the database to choose.
    Binder binder(statement, forUpdate ? 1 : 2);
    binder.Block(record->BicycleName)
        .Double(record->Weight)
        .Int(record->Frame)
        .Double(record->Cost)
        .Int(record->Type)
        .Int(record->DatePurchased)
        .Double(record->PreviousODO)
        .Double(record->MaxSpeed)
        .Block(record->PictureData)
        .Block(record->Memo);
    if (binder.FailedPosition() != 0) {
        SetLastError("ERROR: DB_BicycleAttributeToStmt() error. Index is :%d", binder.FailedPosition() + 1);
        return kFailed;
    }
    return kOk;
}

int DB_InsertBicycle(const BicycleAttribute* record) {
    if (!DB_GetConnection() || !record) {
        return NoConnection();
    }
    const int result =
        WriteRecord("insert into Bicycle values( :p1, :p2, :p3, :p4, :p5, :p6, :p7, :p8, :p9, :p10, :p11)",
                    kPrepareError, record, DB_BicycleAttributeToStmt, false);
    if (result == kOk) {
        FollowBicyclesInSearch();
    }
    return result;
}

int DB_UpdateBicycle(int number, BicycleAttribute* record) {
    if (!DB_GetConnection() || !record) {
        return NoConnection();
    }
    record->BicycleNumber = number;
    const int result =
        WriteRecord(FormatSql("update Bicycle set \t\tBicycleName=:p1,\t\tWeight=:p2,\t\tFrame=:p3,"
                              "\t\tCost=:p4,\t\tType=:p5,\t\tDatePurchased=:p6,\t\tPreviousODO=:p7,"
                              "\t\tMaxSpeed=:p8,\t\tPictureData=:p9,\t\tMemo=:p10 \t\twhere BicycleNumber=%d",
                              number),
                    kUpdatePrepareError, record, DB_BicycleAttributeToStmt, true);
    if (result == kOk) {
        FollowBicyclesInSearch();
    }
    return result;
}

int DB_DeleteBicycle(int number) {
    sqlite3* connection = DB_GetConnection();
    if (!connection) {
        return NoConnection();
    }
    // All or nothing: rides and entries of a bicycle that no longer exists
    // would be counted nowhere and shown with no name.
    store::Transaction transaction;
    bool deleted = transaction.IsOpen();
    deleted = deleted && RemoveRideDetails(
                             FormatSql("RideRecordNumber in (select RideRecordNumber from RideRecord where "
                                       "BicycleNumber=%d)",
                                       number)) == kOk;
    deleted = deleted && RemoveBicycleService(number) == kOk;
    for (const char* format :
         {"delete from Bicycle where BicycleNumber=%d", "delete from RideRecord where BicycleNumber=%d",
          "delete from MaintenanceRecord where BicycleNumber=%d"}) {
        deleted = deleted && DB_ExecSql(connection, FormatSql(format, number).c_str()) == kOk;
    }
    if (!deleted || !transaction.Commit()) {
        SetLastError("ERROR: Can not delete bicycle %d with its rides and maintenance records.", number);
        return kFailed;
    }
    FollowBicyclesInSearch();
    return kOk;
}

void DB_ReleaseBicycle(BicycleAttribute* record) {
    if (record) {
        ReleaseBlock(record->BicycleName);
        ReleaseBlock(record->PictureData);
        ReleaseBlock(record->Memo);
    }
}

void DB_ReleaseBicycleList(BicycleList* list) {
    if (list) {
        BicycleList().swap(*list);
    }
}

void DB_CopyBicycle(BicycleAttribute* target, const BicycleAttribute* source) {
    CopyRecord(target, source, DB_ReleaseBicycle);
}

int DB_FindBicycle(int number, const BicycleList* list, const BicycleAttribute** record) {
    if (!list || list->empty() || !record) {
        return NoConnection();
    }
    for (const BicycleAttribute& bicycle : *list) {
        if (bicycle.BicycleNumber == number) {
            *record = &bicycle;
            return kOk;
        }
    }
    return kFailed;
}

int DB_ReadFile(const char* path, ByteBlock* bytes) {
    if (!path || !bytes) {
        return NoConnection();
    }
    bytes->clear();
    std::FILE* file = std::fopen(path, "rb");
    if (!file) {
        SetLastErrorOf({0, errno}, "ERROR: Can not read file: %s.", path);
        return kFailed;
    }
    bool read = true;
    try {
        char buffer[65536];
        size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
            bytes->insert(bytes->end(), buffer, buffer + count);
        }
        read = !std::ferror(file);
        if (!read) {
            SetLastErrorOf({0, errno}, "ERROR: Can not read file: %s.", path);
        }
    } catch (const std::bad_alloc&) {
        read = false;
        SetLastErrorOf({0, ENOMEM}, "ERROR: Can not read file: %s.", path);
    }
    std::fclose(file);
    if (!read) {
        ReleaseBlock(*bytes);
        return kFailed;
    }
    return kOk;
}

int DB_WriteFile(const char* path, const ByteBlock& bytes) {
    if (!path) {
        return NoConnection();
    }
    std::FILE* file = std::fopen(path, "wb");
    if (!file) {
        SetLastErrorOf({0, errno}, "ERROR: Can not write file: %s.", path);
        return kFailed;
    }
    // A short write (full disk) is a failure too, not a silently cut picture.
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeError = written ? 0 : errno;
    if (std::fclose(file) != 0 || !written) {
        SetLastErrorOf({0, writeError != 0 ? writeError : errno}, "ERROR: Can not write file: %s.", path);
        return kFailed;
    }
    return kOk;
}
