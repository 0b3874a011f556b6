// The database file and its schema: creating, opening and closing it.

#include "store/StoreInternal.h"
#include "store/Tables.h"

#include "store/ErrnoVfs.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>

namespace {

// The lists are read newest first, per bicycle and over a day range, and the
// bicycle page sums per bicycle: these keep a long log quick. The two indexes
// by bicycle also carry the summed columns, so the totals never read the rows
// with their memos. Files written by older versions gain the indexes on their
// first open; they are not part of the schema a new file is created with.
constexpr const char* kIndexes[] = {
    "create index if not exists RideRecordDate on RideRecord(Date)",
    "create index if not exists RideRecordBicycleDate on RideRecord(BicycleNumber, Date, Distance, Hours, "
    "Minutes, Seconds, MaxSpeed)",
    "create index if not exists MaintenanceRecordDate on MaintenanceRecord(Date)",
    "create index if not exists MaintenanceRecordBicycleDate on MaintenanceRecord(BicycleNumber, Date, Cost)",
};

bool FileReadable(const char* name) {
    std::FILE* file = std::fopen(name, "rb");
    if (!file) {
        return false;
    }
    std::fclose(file);
    return true;
}

}  // namespace

using namespace store;
using namespace store::detail;

namespace store::detail {

const char* CreateSchema() {
    for (const TableDefinition& table : kTables) {
        if (DB_ExecSql(Connection(), table.createSql) != kOk) {
            return table.createFailure;
        }
    }
    if (DB_WriteDefaultConfig() != kOk) {
        return "ERROR: Can not write application default config.";
    }
    return nullptr;
}

void RemoveCompanionFiles(const std::string& name) {
    for (const char* suffix : logfiles::kDatabaseCompanionSuffixes) {
        std::remove((name + suffix).c_str());
    }
}

}  // namespace store::detail

int DB_CreateDatabase() {
    const char* name = kDatabaseFileName;
    InstallErrnoVfs();
    CloseConnection();

    if (FileReadable(name)) {
        if (std::remove(name) != 0) {
            SetLastErrorOf({0, errno}, "ERROR: Can not delete database file: %s.", name);
            return kFailed;
        }
    }
    // A file still there could not be read: it is the user's, and a failure
    // below must not take it away.
    std::error_code ignored;
    const bool existed = std::filesystem::exists(name, ignored);
    if (!existed) {
        RemoveCompanionFiles(name);
    }
    // Whatever goes wrong from here on, the half-made file goes too: the next
    // start must find either a complete database or none.
    auto fail = [&](const char* text, std::optional<StoreFailure> failure = std::nullopt) {
        if (failure) {
            SetLastErrorOf(*failure, "%s", text);
        } else {
            SetLastError("%s", text);
        }
        CloseConnection();
        if (!existed) {
            std::remove(name);
            RemoveCompanionFiles(name);
        }
        return kFailed;
    };

    sqlite3* connection = nullptr;
    if (sqlite3_open_v2(name, &connection, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        // SQLite hands out a handle even when opening fails; it must be closed.
        const StoreFailure failure = FailureOf(connection);
        sqlite3_close_v2(connection);
        char text[256];
        std::snprintf(text, sizeof text, "ERROR: Can not create database: %s.", name);
        return fail(text, failure);
    }
    SetConnection(connection);
    sqlite3_busy_timeout(connection, kBusyTimeoutMs);

    if (const char* failure = CreateSchema()) {
        return fail(failure);
    }
    CloseConnection();
    return kOk;
}

int DB_OpenDatabase() {
    const char* name = kDatabaseFileName;
    InstallErrnoVfs();
    // Dates are shown through the local calendar; pick up a changed zone.
    tzset();
    // A connection left open by a caller would keep the old file busy; nothing
    // can use it once it is forgotten, so close it.
    CloseConnection();
    ClearLastError();

    if (!FileReadable(name)) {
        SetLastErrorOf({0, errno != 0 ? errno : ENOENT}, "ERROR: Database file: %s not exists.", name);
        return kFailed;
    }
    // Without SQLITE_OPEN_CREATE: a file removed since the check above is
    // reported, not silently replaced by an empty one. A write-protected file
    // opens read-only.
    sqlite3* connection = nullptr;
    if (sqlite3_open_v2(name, &connection, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        const StoreFailure failure = FailureOf(connection);
        sqlite3_close_v2(connection);
        SetLastErrorOf(failure, "ERROR: Can not open/create database file: %s.", name);
        return kFailed;
    }
    SetConnection(connection);
    // The housekeeping below is optional: a read-only or foreign file simply
    // goes without it, and so does a file another program holds right now,
    // without making the rider wait once per statement.
    DB_ExecSql(Connection(), "PRAGMA auto_vacuum=1");
    for (const char* sql : kIndexes) {
        DB_ExecSql(Connection(), sql);
    }
    EnsureNewerTables();
    RemoveStaleRideDetails();
    RemoveStaleServiceLinks();
    // A backup tool or a second program may hold the file for a moment; wait
    // for it rather than failing on the first locked statement.
    sqlite3_busy_timeout(connection, kBusyTimeoutMs);
    return kOk;
}

int DB_CloseDatabase() {
    CloseConnection();
    return kOk;
}
