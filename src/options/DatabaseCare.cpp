#include "options/DatabaseCare.h"

#include "platform/Files.h"
#include "platform/Log.h"
#include "store/store.h"
#include "units/Clock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why the last backup, restore or initialize failed, for its message.
FailureReason g_careFailure;

// Notes why the operation fails; returns result for the caller to pass on.
template <typename Result>
Result Failing(Result result, FailureReason why) {
    g_careFailure = why;
    return result;
}

const QString kMemoFolders[] = {QString::fromLatin1(logfiles::kRidesFolder),
                                QString::fromLatin1(logfiles::kMaintenanceFolder)};
const QString kDatabaseFile = QString::fromLatin1(logfiles::kDatabase);
const QString kIncoming = QString::fromLatin1(logfiles::kIncomingSuffix);
const QString kOutgoing = QString::fromLatin1(logfiles::kOutgoingSuffix);
const QString kJournal = QString::fromLatin1(logfiles::kCareJournal);
const QString kBackupPrefix = QString::fromLatin1(logfiles::kBackupFolderPrefix);
const QString kBackupTimeFormat = QStringLiteral("yyyy-MM-dd HH-mm-ss");

// The journal's stages. Before the swap an interrupted operation is undone;
// once the new database is in place it is finished.
const QByteArray kStagePrepare = "prepare";
const QByteArray kStageSwap = "swap";

std::function<void()>& StepHook() {
    static std::function<void()> hook;
    return hook;
}

void StepDone() {
    if (StepHook()) {
        StepHook()();
    }
}

QByteArray FileSystemName(const QString& path) {
    return QFile::encodeName(QDir::toNativeSeparators(path));
}

// True when anything has the name, a dangling link included.
bool Present(const QString& path) {
    struct stat status;
    return ::lstat(FileSystemName(path).constData(), &status) == 0;
}

// Renames an entry beside itself; never replaces what has the new name.
bool Rename(const QString& from, const QString& to) {
    return !Present(to) && ::rename(FileSystemName(from).constData(), FileSystemName(to).constData()) == 0;
}

// Removes whatever has the name: a folder with its contents, a file, or a
// link itself (never what it points to).
bool Remove(const QString& path) {
    return DeleteFolder(path) && !Present(path);
}

void SyncFolder(const QString& folder) {
    const int descriptor = ::open(FileSystemName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

// True when path is folder itself or lies anywhere below it.
bool IsWithin(const QString& path, const QString& folder) {
    const QString inner = QFileInfo(path).canonicalFilePath();
    const QString outer = QFileInfo(folder).canonicalFilePath();
    if (inner.isEmpty() || outer.isEmpty()) {
        return false;
    }
    return inner == outer || inner.startsWith(outer + QLatin1Char('/'));
}

// Held for the whole of a journaled change, and taken by the recovery at
// start-up: a second program started meanwhile must not undo a change the
// first is still making. The system lets go of it when the process ends,
// however it ends.
class CareLock {
public:
    explicit CareLock(const QString& programDirectory)
        : m_descriptor(
              ::open(FileSystemName(programDirectory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        m_busy = m_descriptor >= 0 && ::flock(m_descriptor, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    }
    ~CareLock() {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
    }
    CareLock(const CareLock&) = delete;
    CareLock& operator=(const CareLock&) = delete;

    // Another process holds it.
    bool Busy() const { return m_busy; }

private:
    int m_descriptor;
    bool m_busy = false;
};

// The names of one journaled change in the program directory.
class LogNames {
public:
    explicit LogNames(const QString& programDirectory) : m_program(programDirectory) {}

    QString Directory() const { return m_program.path(); }
    QString Journal() const { return m_program.filePath(kJournal); }
    QString Memo(const QString& folder) const { return m_program.filePath(folder); }
    QString MemoIncoming(const QString& folder) const { return m_program.filePath(folder + kIncoming); }
    QString MemoOutgoing(const QString& folder) const { return m_program.filePath(folder + kOutgoing); }
    // The store works in the program directory: its names are relative.
    static QByteArray DatabaseIncoming() { return FileSystemName(kDatabaseFile + kIncoming); }
    QString DatabaseIncomingPath() const { return m_program.filePath(kDatabaseFile + kIncoming); }

private:
    QDir m_program;
};

bool WriteJournal(const LogNames& names, const QByteArray& stage) {
    if (!WriteFileReplacing(names.Journal(), stage)) {
        return false;
    }
    SyncFolder(names.Directory());
    return true;
}

bool RemoveJournal(const LogNames& names) {
    if (!Remove(names.Journal())) {
        return false;
    }
    SyncFolder(names.Directory());
    return true;
}

QByteArray ReadJournal(const LogNames& names) {
    QFile journal(names.Journal());
    return journal.open(QIODevice::ReadOnly) ? journal.readAll().trimmed() : QByteArray();
}

// Removes what an operation made beside the log: the new database and memo
// folders, and old memo folders a finished operation could not remove.
bool RemoveStaged(const LogNames& names) {
    bool removed = Remove(names.DatabaseIncomingPath());
    for (const char* suffix : logfiles::kDatabaseCompanionSuffixes) {
        removed = Remove(names.DatabaseIncomingPath() + QString::fromLatin1(suffix)) && removed;
    }
    for (const QString& folder : kMemoFolders) {
        removed = Remove(names.MemoIncoming(folder)) && removed;
        removed = Remove(names.MemoOutgoing(folder)) && removed;
    }
    return removed;
}

// Undoes an operation whose new database is not in place: the old memo
// folders go back under their names and everything new goes. Each step looks
// at what is there, so it may run again after being cut short itself.
bool RollBack(const LogNames& names, const QByteArray& stage) {
    bool whole = true;
    if (stage == kStageSwap) {
        for (const QString& folder : kMemoFolders) {
            const QString outgoing = names.MemoOutgoing(folder);
            if (!Present(outgoing)) {
                continue;  // never moved aside: the folder under its name is the old one
            }
            // Under the name lies the new folder, or one made since by a start.
            whole = Remove(names.Memo(folder)) && Rename(outgoing, names.Memo(folder)) && whole;
        }
    }
    whole = whole && RemoveStaged(names);
    return whole && RemoveJournal(names);
}

// Finishes an operation whose new database is in place.
bool RollForward(const LogNames& names) {
    bool whole = true;
    for (const QString& folder : kMemoFolders) {
        const QString incoming = names.MemoIncoming(folder);
        if (!Present(incoming)) {
            continue;
        }
        const QString live = names.Memo(folder);
        const bool cleared =
            !Present(live) ||
            (Present(names.MemoOutgoing(folder)) ? Remove(live) : Rename(live, names.MemoOutgoing(folder)));
        whole = cleared && Rename(incoming, live) && whole;
    }
    if (!whole) {
        return false;
    }
    // The old memo folders are no one's now; one that cannot be removed is
    // left for the next operation to clear.
    for (const QString& folder : kMemoFolders) {
        Remove(names.MemoOutgoing(folder));
        StepDone();
    }
    return RemoveJournal(names);
}

enum class SwapResult { Done, BuildFailed, MoveFailed };

// Puts a new log in place of the old one: the backup's memo folders in
// backupFolder and its database at backupDatabase, or an empty log when both
// are empty. On failure the old log is whole again.
SwapResult ReplaceLog(const LogNames& names, const QString& backupFolder, const QByteArray& backupDatabase) {
    const CareLock lock(names.Directory());
    if (lock.Busy()) {
        return Failing(SwapResult::BuildFailed, FailureReason{store::FailureKind::InUse});
    }
    if (!WriteJournal(names, kStagePrepare)) {
        return Failing(SwapResult::BuildFailed, FileFailureReason());
    }
    StepDone();
    // The reason is read before the undo, which may succeed and leave none.
    auto fail = [&](const QByteArray& stage, SwapResult result, FailureReason why) {
        g_careFailure = why;
        RollBack(names, stage);
        return result;
    };
    // Each memo folder is given one to move aside, so that the undo can tell
    // the old folder from the new one by the names alone.
    bool ready = RemoveStaged(names);
    for (const QString& folder : kMemoFolders) {
        ready = ready && (Present(names.Memo(folder)) || QDir().mkdir(names.Memo(folder)));
    }
    if (!ready) {
        return fail(kStagePrepare, SwapResult::BuildFailed, SystemFailureReason(errno));
    }
    if (DB_BuildDatabase(LogNames::DatabaseIncoming().constData(),
                         backupDatabase.isEmpty() ? nullptr : backupDatabase.constData()) != store::kOk) {
        return fail(kStagePrepare, SwapResult::BuildFailed, StoreFailureReason());
    }
    StepDone();
    for (const QString& folder : kMemoFolders) {
        // A backup without a memo folder restores an empty one.
        const QString backedUp = backupFolder.isEmpty() ? QString() : QDir(backupFolder).filePath(folder);
        const bool copy = !backedUp.isEmpty() && QFileInfo(backedUp).isDir();
        if (copy ? !CopyFolder(backedUp, names.MemoIncoming(folder))
                 : !QDir().mkdir(names.MemoIncoming(folder))) {
            return fail(kStagePrepare, SwapResult::BuildFailed,
                        copy ? FileFailureReason() : SystemFailureReason(errno));
        }
        StepDone();
    }
    if (!SyncFileSystem(names.Directory()) || !WriteJournal(names, kStageSwap)) {
        return fail(kStagePrepare, SwapResult::BuildFailed, FileFailureReason());
    }
    StepDone();

    DB_CloseDatabase();
    for (const QString& folder : kMemoFolders) {
        if (!Rename(names.Memo(folder), names.MemoOutgoing(folder))) {
            return fail(kStageSwap, SwapResult::MoveFailed, SystemFailureReason(errno));
        }
        StepDone();
        if (!Rename(names.MemoIncoming(folder), names.Memo(folder))) {
            return fail(kStageSwap, SwapResult::MoveFailed, SystemFailureReason(errno));
        }
        StepDone();
    }
    SyncFolder(names.Directory());
    if (DB_PutDatabaseInPlace(LogNames::DatabaseIncoming().constData()) != store::kOk) {
        return fail(kStageSwap, SwapResult::MoveFailed, StoreFailureReason());
    }
    StepDone();
    RollForward(names);
    StepDone();
    return SwapResult::Done;
}

QDateTime BackupTime(const QFileInfo& folder) {
    if (folder.fileName().startsWith(kBackupPrefix)) {
        QDateTime named = QDateTime::fromString(
            folder.fileName().mid(kBackupPrefix.size(), kBackupTimeFormat.size()), kBackupTimeFormat);
        if (named.isValid()) {
            return named;
        }
    }
    return QFileInfo(QDir(folder.filePath()).filePath(kDatabaseFile)).lastModified();
}

}  // namespace

BackupOutcome BackupData(const QString& programDirectory, const QString& chosenFolder, QString* madeFolder) {
    const QDir program(programDirectory);
    const QDir chosen(chosenFolder);
    g_careFailure = {};
    if (chosenFolder.isEmpty() || !chosen.exists()) {
        return Failing(BackupOutcome::DatabaseFailed, SystemFailureReason(ENOENT));
    }
    // Rides copied into Rides/backup would grow inside itself without end.
    for (const QString& memoFolder : kMemoFolders) {
        if (IsWithin(chosenFolder, program.filePath(memoFolder))) {
            return BackupOutcome::DatabaseFailed;
        }
    }
    // A folder of its own for each backup, made new here: nothing already in
    // the chosen folder is written to or through.
    const QString stamp = QDateTime::fromSecsSinceEpoch(CurrentTime()).toString(kBackupTimeFormat);
    QString name = kBackupPrefix + stamp;
    for (int number = 2; !chosen.mkdir(name); ++number) {
        if (!Present(chosen.filePath(name)) || number > 99) {
            return Failing(BackupOutcome::DatabaseFailed, SystemFailureReason(errno));
        }
        name = QStringLiteral("%1%2 (%3)").arg(kBackupPrefix, stamp).arg(number);
    }
    const QString folder = chosen.filePath(name);
    // The memos first and the database last: a folder cut short holds no
    // bicycle.db and is no backup.
    for (const QString& memoFolder : kMemoFolders) {
        const QString source = program.filePath(memoFolder);
        if (QFileInfo(source).isDir() && !CopyFolder(source, QDir(folder).filePath(memoFolder))) {
            const FailureReason why = FileFailureReason();
            DeleteFolder(folder);
            return Failing(BackupOutcome::MemoFoldersFailed, why);
        }
    }
    if (DB_BackupDatabase(FileSystemName(QDir(folder).filePath(kDatabaseFile)).constData()) != store::kOk) {
        const FailureReason why = StoreFailureReason();
        DeleteFolder(folder);
        return Failing(BackupOutcome::DatabaseFailed, why);
    }
    SyncFileSystem(folder);
    if (madeFolder) {
        *madeFolder = folder;
    }
    return BackupOutcome::Done;
}

QStringList FindBackups(const QString& folder) {
    const QDir dir(folder);
    if (folder.isEmpty()) {
        return {};
    }
    if (QFileInfo(dir.filePath(kDatabaseFile)).isFile()) {
        return {folder};
    }
    std::vector<std::pair<QDateTime, QString>> found;
    for (const QFileInfo& entry : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        if (QFileInfo(QDir(entry.filePath()).filePath(kDatabaseFile)).isFile()) {
            found.emplace_back(BackupTime(entry), entry.filePath());
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a > b; });
    QStringList backups;
    for (const auto& [time, path] : found) {
        backups << path;
    }
    return backups;
}

RestoreOutcome RestoreData(const QString& programDirectory, const QString& backupFolder) {
    g_careFailure = {};
    if (backupFolder.isEmpty()) {
        return RestoreOutcome::NoBackup;
    }
    const QByteArray database = FileSystemName(QDir(backupFolder).filePath(kDatabaseFile));
    store::BackupFault fault = store::BackupFault::None;
    if (DB_CheckBackupDatabase(database.constData(), &fault) != store::kOk) {
        switch (fault) {
            case store::BackupFault::NoSettings:
                return RestoreOutcome::NoSettings;
            case store::BackupFault::OtherVersion:
                return RestoreOutcome::OtherVersion;
            case store::BackupFault::ForeignTables:
                return RestoreOutcome::ForeignTables;
            case store::BackupFault::Missing:
                return RestoreOutcome::NoBackup;
            case store::BackupFault::None:
            case store::BackupFault::Unreadable:
                return RestoreOutcome::Unreadable;
        }
    }
    switch (ReplaceLog(LogNames(programDirectory), backupFolder, database)) {
        case SwapResult::Done:
            return RestoreOutcome::Done;
        case SwapResult::BuildFailed:
            return RestoreOutcome::CopyFailed;
        case SwapResult::MoveFailed:
            return RestoreOutcome::MoveFailed;
    }
    return RestoreOutcome::CopyFailed;
}

InitializeOutcome InitializeData(const QString& programDirectory) {
    g_careFailure = {};
    if (ReplaceLog(LogNames(programDirectory), QString(), QByteArray()) != SwapResult::Done) {
        // The old log is whole; keep working on it.
        DB_OpenDatabase();
        return InitializeOutcome::CreateFailed;
    }
    if (DB_OpenDatabase() != store::kOk) {
        return Failing(InitializeOutcome::OpenFailed, StoreFailureReason());
    }
    return InitializeOutcome::Done;
}

bool FinishInterruptedCare(const QString& programDirectory) {
    const LogNames names(programDirectory);
    const CareLock lock(programDirectory);
    if (lock.Busy() || !Present(names.Journal())) {
        return true;
    }
    const QByteArray stage = ReadJournal(names);
    // The new database's rename is the step that decides: once it is gone
    // from beside the log, the new log is in place and is finished.
    if (stage == kStageSwap && !Present(names.DatabaseIncomingPath())) {
        return RollForward(names);
    }
    return RollBack(names, stage);
}

void SetCareStepHookForTesting(std::function<void()> hook) {
    StepHook() = std::move(hook);
}

FailureReason LastCareFailure() {
    return g_careFailure;
}
