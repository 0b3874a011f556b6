#include "options/DatabaseCare.h"

#include "platform/Files.h"
#include "store/store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kMemoFolders[] = {QString::fromLatin1(logfiles::kRidesFolder),
                                QString::fromLatin1(logfiles::kMaintenanceFolder)};
const QString kDatabaseFile = QString::fromLatin1(logfiles::kDatabase);
// Beside each memo folder while a restore copies the backup's one in.
const QString kStagingSuffix = QStringLiteral(".restoring");

QByteArray FileSystemName(const QString& path) {
    return QFile::encodeName(QDir::toNativeSeparators(path));
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

}  // namespace

BackupOutcome BackupData(const QString& programDirectory, const QString& folder) {
    const QDir program(programDirectory);
    const QDir target(folder);
    if (folder.isEmpty() || !target.exists()) {
        return BackupOutcome::DatabaseFailed;
    }
    // Rides copied into Rides/backup would grow inside itself without end.
    for (const QString& memoFolder : kMemoFolders) {
        if (IsWithin(folder, program.filePath(memoFolder))) {
            return BackupOutcome::DatabaseFailed;
        }
    }
    if (DB_BackupDatabase(FileSystemName(target.filePath(kDatabaseFile)).constData()) != store::kOk) {
        return BackupOutcome::DatabaseFailed;
    }
    bool copied = true;
    for (const QString& memoFolder : kMemoFolders) {
        // A memo folder the program does not have is nothing to copy.
        const QString source = program.filePath(memoFolder);
        if (QFileInfo(source).isDir()) {
            copied = CopyFolder(source, target.filePath(memoFolder)) && copied;
        }
    }
    return copied ? BackupOutcome::Done : BackupOutcome::MemoFoldersFailed;
}

bool RestoreData(const QString& programDirectory, const QString& folder) {
    const QDir program(programDirectory);
    const QDir source(folder);
    if (folder.isEmpty() || !source.exists()) {
        return false;
    }
    auto removeStaged = [&] {
        for (const QString& memoFolder : kMemoFolders) {
            DeleteFolder(program.filePath(memoFolder + kStagingSuffix));
        }
    };

    // The backup's memo folders are copied beside the program's first; a
    // backup without one restores an empty one.
    for (const QString& memoFolder : kMemoFolders) {
        const QString staged = program.filePath(memoFolder + kStagingSuffix);
        DeleteFolder(staged);
        const QString backedUp = source.filePath(memoFolder);
        const bool ready = QFileInfo(backedUp).isDir() ? CopyFolder(backedUp, staged) : QDir().mkpath(staged);
        if (!ready) {
            removeStaged();
            return false;
        }
    }
    if (DB_RestoreDatabase(FileSystemName(source.filePath(kDatabaseFile)).constData()) != store::kOk) {
        removeStaged();
        return false;
    }
    // The database is the backup's now: its memo folders take their place.
    for (const QString& memoFolder : kMemoFolders) {
        const QString live = program.filePath(memoFolder);
        const QString staged = live + kStagingSuffix;
        DeleteFolder(live);
        // A rename beside the folder hardly fails; should it, copy instead.
        if (!QDir().rename(staged, live) && CopyFolder(staged, live)) {
            DeleteFolder(staged);
        }
    }
    return true;
}

InitializeOutcome InitializeData(const QString& programDirectory) {
    if (DB_InitializeDatabase() != store::kOk) {
        // The old file is untouched; keep working on it.
        DB_OpenDatabase();
        return InitializeOutcome::CreateFailed;
    }
    if (DB_OpenDatabase() != store::kOk) {
        return InitializeOutcome::OpenFailed;
    }
    // Only now that the empty database is in place do the memos lose their records.
    const QDir program(programDirectory);
    for (const QString& memoFolder : kMemoFolders) {
        EmptyFolder(program.filePath(memoFolder));
    }
    return InitializeOutcome::Done;
}
