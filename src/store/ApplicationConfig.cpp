// The settings row: one 512-byte text blob in table ApplicationConfig.

#include "store/StoreInternal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

using namespace store;
using namespace store::detail;

namespace {

constexpr size_t kBlobSize = 512;
constexpr size_t kNumberWidth = 4;
constexpr size_t kTextOffset = 5 * kNumberWidth;
constexpr size_t kTextSize = sizeof(ApplicationConfigRecord::Text);

// Leading decimal digits of one four-character field, so "0012" gives 12.
int32_t ReadNumberField(const char* field) {
    char digits[kNumberWidth + 1] = {};
    std::memcpy(digits, field, kNumberWidth);
    return static_cast<int32_t>(std::strtol(digits, nullptr, 10));
}

}  // namespace

int DB_LoadApplicationConfig(ApplicationConfigRecord* record) {
    if (!DB_GetConnection() || !record) {
        return NoConnection();
    }
    Statement statement = Prepare("select * from ApplicationConfig");
    if (!statement) {
        SetLastError("%s", kPrepareError);
        return kFailed;
    }
    const int step = sqlite3_step(statement.get());
    if (step == SQLITE_DONE) {
        SetLastError("ERROR: No application config data.");
        return kFailed;
    }
    if (step != SQLITE_ROW) {
        SetLastError("%s", kFetchError);
        return kFailed;
    }

    const auto* blob = static_cast<const char*>(sqlite3_column_blob(statement.get(), 0));
    const size_t count = static_cast<size_t>(sqlite3_column_bytes(statement.get(), 0));
    // Zero-padded past the fields, so a short blob written by some other tool
    // reads as zeros instead of running off its end.
    std::vector<char> buffer;
    try {
        buffer.assign(std::max(count, kTextOffset + kTextSize) + 1, '\0');
    } catch (const std::bad_alloc&) {
        SetLastError("ERROR: No enough memory.");
        return kFailed;
    }
    if (blob && count > 0) {
        std::memcpy(buffer.data(), blob, count);
    }

    const char* field = buffer.data();
    record->Version = ReadNumberField(field);
    record->Reserved = ReadNumberField(field + kNumberWidth);
    record->Language = ReadNumberField(field + 2 * kNumberWidth);
    record->DistanceUnit = ReadNumberField(field + 3 * kNumberWidth);
    record->WeekStart = ReadNumberField(field + 4 * kNumberWidth);
    std::memcpy(record->Text, field + kTextOffset, kTextSize);
    return record->Version != 1 ? kWrongVersion : kOk;
}

int DB_SaveApplicationConfig(const ApplicationConfigRecord* record) {
    sqlite3* connection = DB_GetConnection();
    if (!connection || !record) {
        return NoConnection();
    }
    char blob[kBlobSize] = {};
    // Text need not end in a zero byte; never read past its 16 bytes.
    std::snprintf(blob, sizeof blob, "%04d%04d%04d%04d%04d%.16s", record->Version, record->Reserved,
                  record->Language, record->DistanceUnit, record->WeekStart, record->Text);

    // Delete and insert stand or fall together: a table left empty would stop
    // the next start.
    store::Transaction transaction;
    if (!transaction.IsOpen() || DB_ExecSql(connection, "delete from ApplicationConfig") != kOk) {
        // Said here, or the caller would find an older failure's text.
        SetLastError("ERROR: Can not save application config.");
        return kFailed;
    }
    Statement statement = Prepare("insert into ApplicationConfig values ( :p0)");
    if (!statement) {
        SetLastError("%s", kPrepareError);
        return kFailed;
    }
    if (sqlite3_bind_blob(statement.get(), 1, blob, sizeof blob, SQLITE_STATIC) != SQLITE_OK) {
        SetLastError("ERROR: Can not bind data.");
        return kFailed;
    }
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    statement.reset();
    if (!transaction.Commit()) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    return kOk;
}

int DB_WriteDefaultConfig() {
    const ApplicationConfigRecord defaults;
    return DB_SaveApplicationConfig(&defaults);
}
