// The store's one connection, its last-error text and the helpers its files share.

#include "store/StoreInternal.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <limits>

namespace {
sqlite3* g_connection = nullptr;
char g_lastError[256] = {};

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
}

void ClearLastError() {
    g_lastError[0] = '\0';
}

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
