// The database file, its schema and the one connection every store function uses.

#include "store/StoreInternal.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <new>
#include <system_error>

namespace {

sqlite3* g_connection = nullptr;
char g_lastError[256] = {};

// Written exactly like this into every new file; other programs that read
// bicycle.db compare against these texts.
constexpr const char* kCreateBicycle =
    "create table Bicycle(\t\tBicycleNumber INTEGER PRIMARY KEY,\t\tBicycleName BLOB,\t\tWeight REAL,"
    "\t\tFrame INTEGER,\t\tCost REAL,\t\tType INTEGER,\t\tDatePurchased INTEGER,\t\tPreviousODO REAL,"
    "\t\tMaxSpeed REAL,\t\tPictureData BLOB,\t\tMemo BLOB\t\t)";
constexpr const char* kCreateRideRecord =
    "create table RideRecord(\t\tRideRecordNumber INTEGER PRIMARY KEY,\t\tDate INTEGER,"
    "\t\tBicycleNumber INTEGER,\t\tDistance REAL,\t\tMaxSpeed REAL,\t\tHours INTEGER,\t\tMinutes INTEGER,"
    "\t\tSeconds INTEGER,\t\tDifficultyLevel INTEGER,\t\tFeelingLevel INTEGER,\t\tMemo BLOB\t\t)";
constexpr const char* kCreateMaintenanceRecord =
    "create table MaintenanceRecord(\t\tMaintenanceRecordNumber INTEGER PRIMARY KEY,\t\tDate INTEGER,"
    "\t\tBicycleNumber INTEGER,\t\tCost REAL,\t\tMemo BLOB\t\t)";
constexpr const char* kCreateApplicationConfig = "create table ApplicationConfig(\t\tData BLOB\t\t)";

struct TableDefinition {
    const char* createSql;
    const char* failureText;
};
constexpr TableDefinition kTables[] = {
    {kCreateBicycle, "ERROR: Can not create table: Bicycle."},
    {kCreateRideRecord, "ERROR: Can not create table: RideRecord."},
    {kCreateMaintenanceRecord, "ERROR: Can not create table: MaintenanceRecord."},
    {kCreateApplicationConfig, "ERROR: Can not create table: ApplicationConfig."},
};

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

// A journal left beside a deleted database would be played back into the new
// file of the same name.
void RemoveCompanionFiles(const std::string& name) {
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        std::remove((name + suffix).c_str());
    }
}

void CloseConnection() {
    if (g_connection) {
        sqlite3_close_v2(g_connection);
        g_connection = nullptr;
    }
}

}  // namespace

namespace store::detail {

void SetLastError(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(g_lastError, sizeof g_lastError, format, arguments);
    va_end(arguments);
}

std::string FormatSql(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    return text;
}

Statement Prepare(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (!g_connection || sqlite3_prepare_v2(g_connection, sql.c_str(), static_cast<int>(sql.size()),
                                            &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    return Statement(statement);
}

int BindBlock(sqlite3_stmt* statement, int position, const ByteBlock& block) {
    if (block.empty()) {
        return sqlite3_bind_null(statement, position);
    }
    return sqlite3_bind_blob64(statement, position, block.data(), block.size(), SQLITE_STATIC);
}

void ReadBlock(sqlite3_stmt* statement, int column, ByteBlock& block) {
    const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(statement, column));
    const int count = sqlite3_column_bytes(statement, column);
    if (bytes && count > 0) {
        block.assign(bytes, bytes + count);
    } else {
        block.clear();
    }
}

void NormaliseTime(int32_t& hours, int32_t& minutes, int32_t& seconds) {
    if (seconds > 59) {
        minutes += seconds / 60;
        seconds %= 60;
    }
    if (minutes > 59) {
        hours += minutes / 60;
        minutes %= 60;
    }
}

Transaction::Transaction(sqlite3* connection)
    : m_connection(connection), m_open(DB_ExecSql(connection, "begin") == kOk) {}

Transaction::~Transaction() {
    // A failed statement may already have ended the transaction on its own.
    if (m_open && !sqlite3_get_autocommit(m_connection)) {
        DB_ExecSql(m_connection, "rollback");
    }
}

bool Transaction::Commit() {
    if (!m_open || DB_ExecSql(m_connection, "commit") != kOk) {
        return false;
    }
    m_open = false;
    return true;
}

}  // namespace store::detail

using namespace store;
using namespace store::detail;

int DB_CreateDatabase() {
    const char* name = kDatabaseFileName;
    CloseConnection();

    if (FileReadable(name)) {
        if (std::remove(name) != 0) {
            SetLastError("ERROR: Can not delete database file: %s.", name);
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
    auto fail = [&](const char* text) {
        SetLastError("%s", text);
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
        sqlite3_close_v2(connection);
        char text[256];
        std::snprintf(text, sizeof text, "ERROR: Can not create database: %s.", name);
        return fail(text);
    }
    g_connection = connection;

    for (const TableDefinition& table : kTables) {
        if (DB_ExecSql(g_connection, table.createSql) != kOk) {
            return fail(table.failureText);
        }
    }
    if (DB_WriteDefaultConfig() != kOk) {
        return fail("ERROR: Can not write application default config.");
    }
    CloseConnection();
    return kOk;
}

int DB_OpenDatabase() {
    const char* name = kDatabaseFileName;
    // Dates are shown through the local calendar; pick up a changed zone.
    tzset();
    // A connection left open by a caller would keep the old file busy; nothing
    // can use it once it is forgotten, so close it.
    CloseConnection();
    g_lastError[0] = '\0';

    if (!FileReadable(name)) {
        SetLastError("ERROR: Database file: %s not exists.", name);
        return kFailed;
    }
    // Without SQLITE_OPEN_CREATE: a file removed since the check above is
    // reported, not silently replaced by an empty one. A write-protected file
    // opens read-only.
    sqlite3* connection = nullptr;
    if (sqlite3_open_v2(name, &connection, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(connection);
        SetLastError("ERROR: Can not open/create database file: %s.", name);
        return kFailed;
    }
    g_connection = connection;
    DB_ExecSql(g_connection, "PRAGMA auto_vacuum=1");
    // A read-only or foreign file simply goes without them.
    for (const char* sql : kIndexes) {
        DB_ExecSql(g_connection, sql);
    }
    return kOk;
}

int DB_CloseDatabase() {
    CloseConnection();
    return kOk;
}

const char* DB_GetLastError() {
    return g_lastError;
}

int DB_ExecSql(sqlite3* connection, const char* sql) {
    if (!connection || !sql) {
        return kNoConnection;
    }
    return sqlite3_exec(connection, sql, nullptr, nullptr, nullptr) == SQLITE_OK ? kOk : kFailed;
}

sqlite3* DB_GetConnection() {
    return g_connection;
}
