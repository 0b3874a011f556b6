// Preferences: what the 512-byte settings record has no room for (the
// currency symbol, the window's place, later column and range choices), as
// names with text values in table Preference. Older logs go without the
// table; it is made when the log is opened.

#include "store/StoreInternal.h"
#include "store/Tables.h"

#include <cstring>

using namespace store;
using namespace store::detail;

namespace {

bool BindText(sqlite3_stmt* statement, int index, const std::string& text) {
    return sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()),
                             SQLITE_TRANSIENT) == SQLITE_OK;
}

}  // namespace

int DB_GetPreference(const char* name, std::string* value, bool* found) {
    if (!DB_GetConnection() || !name || !value || !found) {
        return NoConnection();
    }
    *found = false;
    Statement statement = Prepare("select Value from Preference where Name = ?");
    if (!statement) {
        SetLastError("%s", kPrepareError);
        return kFailed;
    }
    if (!BindText(statement.get(), 1, name)) {
        SetLastError("ERROR: Can not bind data.");
        return kFailed;
    }
    const int step = sqlite3_step(statement.get());
    if (step == SQLITE_DONE) {
        return kOk;
    }
    if (step != SQLITE_ROW) {
        SetLastError("%s", kFetchError);
        return kFailed;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
    value->assign(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(statement.get(), 0)));
    *found = true;
    return kOk;
}

int DB_SetPreference(const char* name, const std::string& value) {
    if (!DB_GetConnection() || !name) {
        return NoConnection();
    }
    Statement statement = Prepare("insert or replace into Preference(Name, Value) values (?, ?)");
    if (!statement) {
        SetLastError("%s", kPrepareError);
        return kFailed;
    }
    if (!BindText(statement.get(), 1, name) || !BindText(statement.get(), 2, value)) {
        SetLastError("ERROR: Can not bind data.");
        return kFailed;
    }
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        SetLastError("%s", kExecuteError);
        return kFailed;
    }
    return kOk;
}

void store::detail::EnsureNewerTables() {
    for (const TableDefinition& table : kTables) {
        if (table.inEveryLog) {
            continue;
        }
        Statement statement = Prepare("select 1 from sqlite_master where type = 'table' and name = ?");
        if (!statement || !BindText(statement.get(), 1, table.name)) {
            continue;
        }
        if (sqlite3_step(statement.get()) == SQLITE_DONE) {
            statement.reset();
            // A read-only file, or one another program holds right now, goes
            // without the table; what needs it then reports its own failure.
            (void)DB_ExecSql(DB_GetConnection(), table.createSql);
        }
    }
    ClearLastError();
}
