// The database file as a whole: a snapshot for a backup, a backup put back in
// place, a new empty database in place of the old one.

#include "store/StoreInternal.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

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

// A file worth putting in the place of the rider's database: SQLite finds
// nothing broken in it and it holds the program's four tables. A truncated or
// damaged backup, or some other program's database, fails here and the rider's
// database stays.
bool IsWholeDatabase(const std::string& path) {
    OwnConnection connection = Open(path, SQLITE_OPEN_READONLY);
    if (!connection) {
        return false;
    }
    return QueryText(connection.get(), "PRAGMA quick_check") == "ok" &&
           QueryText(connection.get(),
                     "select count(*) from sqlite_master where type='table' and name in "
                     "('Bicycle','RideRecord','MaintenanceRecord','ApplicationConfig')") == "4";
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

// Puts a complete new file in the database's place. The old file's journal, if
// one was left, belongs to the old contents and must not be played into these.
bool ReplaceDatabaseFile(const std::string& fresh) {
    if (std::rename(fresh.c_str(), kDatabaseFileName) != 0) {
        return false;
    }
    RemoveCompanionFiles(kDatabaseFileName);
    return true;
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

int DB_RestoreDatabase(const char* sourcePath) {
    if (!sourcePath || !*sourcePath) {
        return kNoConnection;
    }
    // Nothing may write the old file while its successor is made, and the
    // connection must not outlive the file it was opened on.
    CloseConnection();

    std::error_code ignored;
    if (!fs::is_regular_file(sourcePath, ignored)) {
        SetLastError("ERROR: Backup database file: %s not exists.", sourcePath);
        return kFailed;
    }
    OwnConnection source = Open(sourcePath, SQLITE_OPEN_READONLY);
    if (!source) {
        SetLastError("ERROR: Can not open backup database file: %s.", sourcePath);
        return kFailed;
    }
    const std::string fresh = MakeFileBeside(kDatabaseFileName);
    if (fresh.empty()) {
        SetLastError("ERROR: Can not create database: %s.", kDatabaseFileName);
        return kFailed;
    }
    const bool copied = CopyDatabase(source.get(), fresh);
    source.reset();
    if (!copied || !IsWholeDatabase(fresh)) {
        RemoveFileAndCompanions(fresh);
        SetLastError("ERROR: Can not copy backup database file: %s.", sourcePath);
        return kFailed;
    }
    if (!ReplaceDatabaseFile(fresh)) {
        RemoveFileAndCompanions(fresh);
        SetLastError("ERROR: Can not replace database file: %s.", kDatabaseFileName);
        return kFailed;
    }
    return kOk;
}

int DB_InitializeDatabase() {
    CloseConnection();
    const std::string fresh = MakeFileBeside(kDatabaseFileName);
    if (fresh.empty()) {
        SetLastError("ERROR: Can not create database: %s.", kDatabaseFileName);
        return kFailed;
    }
    OwnConnection connection = Open(fresh, SQLITE_OPEN_READWRITE);
    if (!connection) {
        RemoveFileAndCompanions(fresh);
        SetLastError("ERROR: Can not create database: %s.", kDatabaseFileName);
        return kFailed;
    }
    // The schema is written through the store's own functions, which work on
    // the store's connection: lend it the new file for that.
    SetConnection(connection.release());
    const char* failure = CreateSchema();
    CloseConnection();
    if (failure) {
        RemoveFileAndCompanions(fresh);
        SetLastError("%s", failure);
        return kFailed;
    }
    if (!ReplaceDatabaseFile(fresh)) {
        RemoveFileAndCompanions(fresh);
        SetLastError("ERROR: Can not replace database file: %s.", kDatabaseFileName);
        return kFailed;
    }
    return kOk;
}
