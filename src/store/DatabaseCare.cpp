// The database file as a whole: a snapshot for a backup, a backup checked and
// its rows copied into a new file of the program's own making, and that file
// put in place of the old one.

#include "store/SearchIndex.h"
#include "store/StoreInternal.h"
#include "store/Tables.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace store;
using namespace store::detail;

namespace {
namespace fs = std::filesystem;

struct ConnectionCloser {
    void operator()(sqlite3* connection) const { sqlite3_close_v2(connection); }
};
// A connection of our own beside the store's, closed on every return path.
using OwnConnection = std::unique_ptr<sqlite3, ConnectionCloser>;

OwnConnection Open(const std::string& path, int flags) {
    sqlite3* connection = nullptr;
    const int result = sqlite3_open_v2(path.c_str(), &connection, flags, nullptr);
    OwnConnection owned(connection);  // SQLite hands out a handle even when opening fails
    if (result != SQLITE_OK) {
        return nullptr;
    }
    return owned;
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    // A dangling symbolic link is a name taken all the same.
    return fs::exists(fs::symlink_status(path, ignored));
}

// A new, empty file with a name of its own beside target; its name, or an empty
// text when none can be made there. It gets the permissions a file created by
// SQLite would get, not the owner-only ones of a temporary file.
std::string MakeFileBeside(const std::string& target) {
    std::string name = target + ".XXXXXX";
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        return {};
    }
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    close(descriptor);
    return name;
}

void RemoveFileAndCompanions(const std::string& name) {
    std::remove(name.c_str());
    RemoveCompanionFiles(name);
}

// Copies every page of source's main database into the file at path in one
// step. The source stays read-locked for the whole step, so the copy holds one
// committed state of the database and nothing of a change in progress.
bool CopyDatabase(sqlite3* source, const std::string& path) {
    OwnConnection target = Open(path, SQLITE_OPEN_READWRITE);
    if (!target) {
        return false;
    }
    sqlite3_backup* backup = sqlite3_backup_init(target.get(), "main", source, "main");
    if (!backup) {
        return false;
    }
    const int step = sqlite3_backup_step(backup, -1);
    const int finish = sqlite3_backup_finish(backup);
    return step == SQLITE_DONE && finish == SQLITE_OK;
}

// First column of the first row of sql as text, or an empty text.
std::string QueryText(sqlite3* connection, const char* sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(connection, sql, -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return {};
    }
    Statement statement(raw);
    if (sqlite3_step(statement.get()) != SQLITE_ROW) {
        return {};
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
    return text ? text : "";
}

// Renames from to to, failing when to exists. File systems without an atomic
// no-replace rename get a check just before the rename: the program is the
// only writer in the folders it backs up into.
bool RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return false;
    }
    return !Exists(to) && std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

int DB_BackupDatabase(const char* targetPath) {
    if (!targetPath || !*targetPath) {
        return kNoConnection;
    }
    const std::string target = targetPath;
    if (Exists(target)) {
        SetLastError("ERROR: Backup file: %s exists.", targetPath);
        return kFailed;
    }

    sqlite3* source = Connection();
    OwnConnection ownSource;
    if (!source) {
        ownSource = Open(kDatabaseFileName, SQLITE_OPEN_READONLY);
        if (!ownSource) {
            SetLastError("ERROR: Can not open/create database file: %s.", kDatabaseFileName);
            return kFailed;
        }
        source = ownSource.get();
    }

    const std::string partial = MakeFileBeside(target);
    if (partial.empty()) {
        SetLastError("ERROR: Can not create backup file: %s.", targetPath);
        return kFailed;
    }
    if (!CopyDatabase(source, partial)) {
        RemoveFileAndCompanions(partial);
        SetLastError("ERROR: Can not copy database to: %s.", targetPath);
        return kFailed;
    }
    if (!RenameWithoutReplacing(partial, target)) {
        RemoveFileAndCompanions(partial);
        SetLastError("ERROR: Backup file: %s exists.", targetPath);
        return kFailed;
    }
    return kOk;
}

namespace {

// A backup is someone else's file until checked: opened read-only, with
// nothing in its schema trusted to run functions while it is read.
OwnConnection OpenBackup(const char* path) {
    OwnConnection connection = Open(path, SQLITE_OPEN_READONLY);
    if (connection) {
        sqlite3_db_config(connection.get(), SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_db_config(connection.get(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    }
    return connection;
}

std::vector<std::string> SplitColumns(const char* columns) {
    std::vector<std::string> names;
    std::string name;
    for (const char* c = columns;; ++c) {
        if (*c == ',' || *c == '\0') {
            names.push_back(name);
            name.clear();
            if (*c == '\0') {
                return names;
            }
        } else {
            name.push_back(*c);
        }
    }
}

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

Statement PrepareOn(sqlite3* connection, const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(connection, sql.c_str(), static_cast<int>(sql.size()), &raw, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(raw);
        return nullptr;
    }
    return Statement(raw);
}

enum class Presence { Present, Absent, Unreadable };

// Whether connection has a real table of that name (SQLite's names ignore case).
Presence HasTable(sqlite3* connection, const char* table) {
    Statement statement = PrepareOn(connection,
                                    "select count(*) from sqlite_master where type='table' and "
                                    "name=?1 collate nocase");
    if (!statement || sqlite3_bind_text(statement.get(), 1, table, -1, SQLITE_STATIC) != SQLITE_OK ||
        sqlite3_step(statement.get()) != SQLITE_ROW) {
        return Presence::Unreadable;
    }
    return sqlite3_column_int(statement.get(), 0) > 0 ? Presence::Present : Presence::Absent;
}

// The table's column names in lower case; false when they cannot be read.
bool ReadColumns(sqlite3* connection, const char* table, std::set<std::string>* columns) {
    Statement statement = PrepareOn(connection, "select name from pragma_table_info(?1)");
    if (!statement || sqlite3_bind_text(statement.get(), 1, table, -1, SQLITE_STATIC) != SQLITE_OK) {
        return false;
    }
    int step;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
        columns->insert(Lower(name ? name : ""));
    }
    return step == SQLITE_DONE;
}

// Copies the listed columns of every row of table from source into the same
// table on the store's connection.
bool CopyRows(sqlite3* source, const TableDefinition& table) {
    const std::vector<std::string> columns = SplitColumns(table.columns);
    std::string places;
    for (size_t i = 0; i < columns.size(); ++i) {
        places += i == 0 ? "?" : ",?";
    }
    Statement select = PrepareOn(source, FormatSql("select %s from %s", table.columns, table.name));
    Statement insert =
        Prepare(FormatSql("insert into %s(%s) values(%s)", table.name, table.columns, places.c_str()));
    if (!select || !insert) {
        return false;
    }
    const int count = static_cast<int>(columns.size());
    int step;
    while ((step = sqlite3_step(select.get())) == SQLITE_ROW) {
        for (int i = 0; i < count; ++i) {
            if (sqlite3_bind_value(insert.get(), i + 1, sqlite3_column_value(select.get(), i)) != SQLITE_OK) {
                return false;
            }
        }
        if (sqlite3_step(insert.get()) != SQLITE_DONE) {
            return false;
        }
        sqlite3_reset(insert.get());
        sqlite3_clear_bindings(insert.get());
    }
    return step == SQLITE_DONE;
}

// Waits until a rename in the program directory has reached the disk, so
// that after a power cut the new name is there too and not only the file.
void SyncCurrentFolder() {
    const int folder = open(".", O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
}

std::string StagedDatabaseName() {
    return std::string(kDatabaseFileName) + logfiles::kIncomingSuffix;
}

}  // namespace

namespace store::detail {

int CheckTables(sqlite3* source, const char* path, std::span<const TableDefinition> tables,
                BackupFault* fault) {
    auto refuse = [&](BackupFault why) {
        *fault = why;
        return kFailed;
    };
    for (const TableDefinition& table : tables) {
        const Presence presence = HasTable(source, table.name);
        if (presence == Presence::Unreadable) {
            SetLastError("ERROR: Can not read backup database file: %s.", path);
            return refuse(BackupFault::Unreadable);
        }
        if (presence == Presence::Absent) {
            if (table.inEveryLog) {
                SetLastError("ERROR: Backup database file: %s has no table: %s.", path, table.name);
                return refuse(BackupFault::ForeignTables);
            }
            continue;
        }
        std::set<std::string> present;
        if (!ReadColumns(source, table.name, &present)) {
            SetLastError("ERROR: Can not read backup database file: %s.", path);
            return refuse(BackupFault::Unreadable);
        }
        for (const std::string& column : SplitColumns(table.columns)) {
            if (!present.count(Lower(column))) {
                SetLastError("ERROR: Backup database file: %s has no column: %s.%s.", path, table.name,
                             column.c_str());
                return refuse(BackupFault::ForeignTables);
            }
        }
        if (table.numberColumn) {
            // A number that is no whole number would be given a new one on the
            // copy, and its memo folder would then belong to nobody or to
            // another; a number held twice cannot be copied at all.
            const std::string count =
                QueryText(source, FormatSql("select (select count(*) from %s where typeof(%s)<>'integer') + "
                                            "(select count(*) - count(distinct %s) from %s)",
                                            table.name, table.numberColumn, table.numberColumn, table.name)
                                      .c_str());
            if (count.empty()) {
                SetLastError("ERROR: Can not read backup database file: %s.", path);
                return refuse(BackupFault::Unreadable);
            }
            if (count != "0") {
                SetLastError("ERROR: Backup database file: %s has records without distinct numbers in: %s.",
                             path, table.name);
                return refuse(BackupFault::ForeignTables);
            }
        }
    }
    return kOk;
}

int BuildDatabase(const char* target, sqlite3* source, std::span<const TableDefinition> tables) {
    CloseConnection();
    RemoveFileAndCompanions(target);
    OwnConnection connection = Open(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (!connection) {
        RemoveFileAndCompanions(target);
        SetLastError("ERROR: Can not create database: %s.", target);
        return kFailed;
    }
    // The schema and rows are written through the store's own functions, which
    // work on the store's connection: lend it the new file for that.
    SetConnection(connection.release());
    const char* failure = nullptr;
    std::string copyFailure;
    if (!source) {
        failure = CreateSchema();
    } else {
        store::Transaction transaction;
        if (!transaction.IsOpen()) {
            failure = kExecuteError;
        }
        for (const TableDefinition& table : tables) {
            if (!failure && DB_ExecSql(Connection(), table.createSql) != kOk) {
                failure = table.createFailure;
            }
        }
        for (const TableDefinition& table : tables) {
            if (failure || HasTable(source, table.name) == Presence::Absent) {
                continue;
            }
            if (!CopyRows(source, table)) {
                copyFailure = FormatSql("ERROR: Can not copy table: %s.", table.name);
                failure = copyFailure.c_str();
            }
        }
        if (!failure && !transaction.Commit()) {
            failure = kExecuteError;
        }
    }
    // Why, read before the connection that failed goes.
    const StoreFailure reason = failure ? FailureOf(Connection()) : StoreFailure{};
    CloseConnection();
    if (failure) {
        RemoveFileAndCompanions(target);
        SetLastErrorOf(reason, "%s", failure);
        return kFailed;
    }
    return kOk;
}

}  // namespace store::detail

int DB_CheckBackupDatabase(const char* path, BackupFault* fault) {
    BackupFault ignored;
    BackupFault& why = fault ? *fault : ignored;
    why = BackupFault::None;
    if (!path || !*path) {
        return kNoConnection;
    }
    CloseConnection();
    std::error_code error;
    if (!fs::is_regular_file(path, error)) {
        why = BackupFault::Missing;
        SetLastError("ERROR: Backup database file: %s not exists.", path);
        return kFailed;
    }
    OwnConnection source = OpenBackup(path);
    if (!source) {
        why = BackupFault::Unreadable;
        SetLastError("ERROR: Can not open backup database file: %s.", path);
        return kFailed;
    }
    if (QueryText(source.get(), "PRAGMA quick_check") != "ok") {
        why = BackupFault::Unreadable;
        SetLastError("ERROR: Backup database file: %s is damaged.", path);
        return kFailed;
    }
    // The settings as start-up reads them, by the same reader.
    SetConnection(source.release());
    ApplicationConfigRecord config;
    const int settings = DB_LoadApplicationConfig(&config);
    sqlite3* lent = Connection();
    if (settings != kOk) {
        CloseConnection();
        why = settings == kWrongVersion ? BackupFault::OtherVersion : BackupFault::NoSettings;
        SetLastError(settings == kWrongVersion
                         ? "ERROR: Backup database file: %s has another version."
                         : "ERROR: Backup database file: %s has no application config data.",
                     path);
        return kFailed;
    }
    const int tables = CheckTables(lent, path, kTables, &why);
    CloseConnection();
    return tables;
}

int DB_BuildDatabase(const char* stagedPath, const char* sourcePath) {
    if (!stagedPath || !*stagedPath) {
        return kNoConnection;
    }
    CloseConnection();
    if (!sourcePath) {
        return BuildDatabase(stagedPath, nullptr, kTables);
    }
    OwnConnection source = OpenBackup(sourcePath);
    if (!source) {
        SetLastError("ERROR: Can not open backup database file: %s.", sourcePath);
        return kFailed;
    }
    return BuildDatabase(stagedPath, source.get(), kTables);
}

int DB_PutDatabaseInPlace(const char* stagedPath) {
    if (!stagedPath || !*stagedPath) {
        return kNoConnection;
    }
    CloseConnection();
    if (!Exists(stagedPath)) {
        SetLastError("ERROR: Database file: %s not exists.", stagedPath);
        return kFailed;
    }
    // A journal beside the old file belongs to its contents and must not be
    // played into the new ones.
    RemoveCompanionFiles(kDatabaseFileName);
    if (std::rename(stagedPath, kDatabaseFileName) != 0) {
        SetLastError("ERROR: Can not replace database file: %s.", kDatabaseFileName);
        return kFailed;
    }
    RemoveCompanionFiles(kDatabaseFileName);
    // The index told of the log that was; the next search builds it anew.
    DropSearchIndex();
    SyncCurrentFolder();
    return kOk;
}

int DB_RestoreDatabase(const char* sourcePath) {
    if (!sourcePath || !*sourcePath) {
        return kNoConnection;
    }
    if (DB_CheckBackupDatabase(sourcePath, nullptr) != kOk) {
        return kFailed;
    }
    const std::string staged = StagedDatabaseName();
    if (DB_BuildDatabase(staged.c_str(), sourcePath) != kOk) {
        return kFailed;
    }
    if (DB_PutDatabaseInPlace(staged.c_str()) != kOk) {
        RemoveFileAndCompanions(staged);
        return kFailed;
    }
    return kOk;
}

int DB_InitializeDatabase() {
    const std::string staged = StagedDatabaseName();
    if (DB_BuildDatabase(staged.c_str(), nullptr) != kOk) {
        return kFailed;
    }
    if (DB_PutDatabaseInPlace(staged.c_str()) != kOk) {
        RemoveFileAndCompanions(staged);
        return kFailed;
    }
    return kOk;
}
