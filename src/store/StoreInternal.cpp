// The store's one connection, its last-error text and the helpers its files share.

#include "store/StoreInternal.h"

#include "store/ErrnoVfs.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace {
sqlite3* g_connection = nullptr;
char g_lastError[256] = {};
StoreFailure g_lastFailure;
StoreFailureObserver g_failureObserver = nullptr;
// How many store::Transaction are open on the connection, outermost first.
int g_transactionDepth = 0;

bool IsFailureCode(int code) {
    const int primary = code & 0xff;
    return primary != SQLITE_OK && primary != SQLITE_ROW && primary != SQLITE_DONE;
}

// What the connection says of the call that just failed; nothing when its
// last call succeeded (the failure was the store's own finding).
StoreFailure ConnectionFailure() {
    return store::detail::FailureOf(g_connection);
}

void Observe() {
    if (g_failureObserver) {
        g_failureObserver(g_lastError, g_lastFailure);
    }
}

int64_t SaturatingAdd(int64_t a, int64_t b) {
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    }
    return sum;
}
}  // namespace

namespace store::detail {

sqlite3* Connection() {
    return g_connection;
}

void SetConnection(sqlite3* connection) {
    CloseConnection();
    g_connection = connection;
}

void CloseConnection() {
    if (g_connection) {
        sqlite3_close_v2(g_connection);
        g_connection = nullptr;
    }
    g_transactionDepth = 0;
}

void ClearLastError() {
    g_lastError[0] = '\0';
    g_lastFailure = {};
}

void SetLastError(const char* format, ...) {
    // Read before anything else can make another call on the connection.
    g_lastFailure = ConnectionFailure();
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(g_lastError, sizeof g_lastError, format, arguments);
    va_end(arguments);
    Observe();
}

int NoConnection() {
    g_lastFailure = {};
    return kNoConnection;
}

void SetLastErrorOf(StoreFailure failure, const char* format, ...) {
    g_lastFailure = failure;
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(g_lastError, sizeof g_lastError, format, arguments);
    va_end(arguments);
    Observe();
}

StoreFailure FailureOf(sqlite3* connection) {
    // Whatever the file layer noted belongs to this failure or to none.
    const int noted = TakeLastIoErrno();
    if (!connection || !IsFailureCode(sqlite3_extended_errcode(connection))) {
        return {};
    }
    const int code = sqlite3_extended_errcode(connection);
    // SQLite reads errno only after its clean-up, when it may say nothing or
    // something else; the file layer caught it as it happened.
    const int primary = code & 0xff;
    const int system =
        (primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN || primary == SQLITE_FULL) && noted != 0
            ? noted
            : sqlite3_system_errno(connection);
    return {code, system};
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

void NormaliseTime(int64_t& hours, int64_t& minutes, int64_t& seconds) {
    // The sums may lie anywhere in the 64-bit range SQLite sums in; a carry
    // that would pass it stops at its end instead of wrapping.
    if (seconds > 59) {
        minutes = SaturatingAdd(minutes, seconds / 60);
        seconds %= 60;
    }
    if (minutes > 59) {
        hours = SaturatingAdd(hours, minutes / 60);
        minutes %= 60;
    }
}

int32_t ClampToInt32(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool RecordNumberFits(sqlite3_stmt* statement, int column) {
    // Read as SQLite converts whatever the column holds (NULL reads as 0).
    const int64_t number = sqlite3_column_int64(statement, column);
    if (number >= std::numeric_limits<int32_t>::min() && number <= std::numeric_limits<int32_t>::max()) {
        return true;
    }
    SetLastError("ERROR: Record number %lld is out of range; the record is left out.",
                 static_cast<long long>(number));
    return false;
}

}  // namespace store::detail

using namespace store;
using store::detail::FormatSql;
using store::detail::NoConnection;
using store::detail::SetLastError;

const char* DB_GetLastError() {
    return g_lastError;
}

int DB_ExecSql(sqlite3* connection, const char* sql) {
    if (!connection || !sql) {
        return NoConnection();
    }
    return sqlite3_exec(connection, sql, nullptr, nullptr, nullptr) == SQLITE_OK ? kOk : kFailed;
}

sqlite3* DB_GetConnection() {
    return g_connection;
}

StoreFailure DB_GetLastFailure() {
    return g_lastFailure;
}

const char* DB_DescribeResultCode(int sqliteCode) {
    return sqlite3_errstr(sqliteCode);
}

const char* DB_LibraryVersion() {
    return sqlite3_libversion();
}

void DB_SetFailureObserver(StoreFailureObserver observer) {
    g_failureObserver = observer;
}

namespace store {

Transaction::Transaction() {
    if (!g_connection) {
        SetLastError("ERROR: Can not begin a transaction without a database.");
        return;
    }
    // A failed statement may have ended the outer transaction on its own;
    // what is then opened is a transaction of its own, not a part of one.
    if (g_transactionDepth > 0 && sqlite3_get_autocommit(g_connection)) {
        g_transactionDepth = 0;
    }
    // A transaction the caller began in plain SQL holds this one as a part.
    if (g_transactionDepth == 0 && !sqlite3_get_autocommit(g_connection)) {
        g_transactionDepth = 1;
    }
    m_depth = g_transactionDepth;
    const std::string sql =
        m_depth == 0 ? std::string("begin immediate") : FormatSql("savepoint velomarq_part_%d", m_depth);
    if (DB_ExecSql(g_connection, sql.c_str()) != kOk) {
        SetLastError("ERROR: Can not begin a transaction.");
        return;
    }
    m_open = true;
    ++g_transactionDepth;
}

Transaction::~Transaction() {
    if (m_open) {
        RollBack();
    }
}

bool Transaction::Commit() {
    if (!m_open) {
        return false;
    }
    const std::string sql =
        m_depth == 0 ? std::string("commit") : FormatSql("release velomarq_part_%d", m_depth);
    if (DB_ExecSql(g_connection, sql.c_str()) != kOk) {
        // Rolled back by the destructor, once the caller has read the failure.
        SetLastError("ERROR: Can not commit the changes.");
        return false;
    }
    m_open = false;
    g_transactionDepth = m_depth;
    return true;
}

void Transaction::RollBack() {
    if (!m_open) {
        return;
    }
    m_open = false;
    g_transactionDepth = m_depth;
    if (!g_connection || sqlite3_get_autocommit(g_connection)) {
        // SQLite has already rolled the whole transaction back (a full disk or
        // an I/O error does that).
        g_transactionDepth = 0;
        return;
    }
    if (m_depth == 0) {
        DB_ExecSql(g_connection, "rollback");
        return;
    }
    const int depth = m_depth;
    DB_ExecSql(g_connection, FormatSql("rollback to velomarq_part_%d", depth).c_str());
    DB_ExecSql(g_connection, FormatSql("release velomarq_part_%d", depth).c_str());
}

}  // namespace store

bool DB_LastFailureWasBusy() {
    if (!g_connection) {
        return false;
    }
    const int code = sqlite3_errcode(g_connection);
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

bool DB_LastFailureWasDamage() {
    if (!g_connection) {
        return false;
    }
    const int code = sqlite3_errcode(g_connection) & 0xff;
    return code == SQLITE_NOTADB || code == SQLITE_CORRUPT;
}
