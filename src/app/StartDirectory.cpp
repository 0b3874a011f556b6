#include "app/StartDirectory.h"

#include "platform/Files.h"
#include "store/LogFiles.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace {
namespace fs = std::filesystem;

const QString kDefaultLanguageFile = QStringLiteral("languages/vmq_00.ini");
const QString kDataFolderName = QStringLiteral("velomarq");

fs::path ToFsPath(const QString& path) {
    return fs::path(path.toStdU16String());
}

QString FromFsPath(const fs::path& path) {
    return QString::fromStdU16String(path.u16string());
}

// What belongs to the rider in a program directory. An installed tree never
// ships these, but should one ever appear there it must not overwrite a log.
bool IsRiderData(const fs::path& name) {
    return logfiles::IsRiderData(name.native());
}

QString CannotUse(const QString& folder) {
    return QStringLiteral("Can not use the folder %1.").arg(QDir::toNativeSeparators(folder));
}
}  // namespace

QString FindSharedFiles(const QString& executableDirectory, const QString& relativePath) {
    if (executableDirectory.isEmpty()) {
        return {};
    }
    const QString shared = QDir::cleanPath(QDir(executableDirectory).absoluteFilePath(relativePath));
    if (!QFileInfo(QDir(shared).filePath(kDefaultLanguageFile)).isFile()) {
        return {};
    }
    return shared;
}

QString UserDataHome(const QString& xdgDataHome, const QString& home) {
    if (!xdgDataHome.isEmpty() && QDir::isAbsolutePath(xdgDataHome)) {
        return QDir::cleanPath(xdgDataHome);
    }
    return QDir::cleanPath(QDir(home).filePath(QStringLiteral(".local/share")));
}

StartDirectory ChooseStartDirectory(const QStringList& arguments, const QString& sharedFiles,
                                    const QString& userDataHome, const QString& currentDirectory) {
    StartDirectory start;
    start.sharedFiles = sharedFiles;
    // An option Qt did not take (a mistyped --help) must not become a folder
    // of that name, nor must a second word be silently dropped.
    if (arguments.size() > 1 || (arguments.size() == 1 && arguments.front().startsWith(QLatin1Char('-')))) {
        start.error =
            QStringLiteral(
                "Usage: velomarq [FOLDER]\n\n"
                "Velomarq keeps its data in FOLDER, or without one in %1.")
                .arg(QDir::toNativeSeparators(
                    sharedFiles.isEmpty() ? currentDirectory : QDir(userDataHome).filePath(kDataFolderName)));
        return start;
    }
    if (arguments.size() == 1) {
        start.programDirectory = QDir::cleanPath(QDir(currentDirectory).absoluteFilePath(arguments.front()));
    } else if (!sharedFiles.isEmpty()) {
        start.programDirectory = QDir::cleanPath(QDir(userDataHome).filePath(kDataFolderName));
    } else {
        start.programDirectory = QDir::cleanPath(currentDirectory);
    }
    return start;
}

bool PrepareStartDirectory(const StartDirectory& start, QString* error) {
    const QString target = start.programDirectory;
    if (!QDir().mkpath(target) || !QFileInfo(target).isDir()) {
        *error = CannotUse(target);
        return false;
    }
    if (start.sharedFiles.isEmpty()) {
        return true;
    }

    const fs::path source = ToFsPath(start.sharedFiles);
    const fs::path destination = ToFsPath(target);
    std::error_code walkError;
    fs::recursive_directory_iterator entry(source, walkError);
    for (; !walkError && entry != fs::recursive_directory_iterator(); entry.increment(walkError)) {
        const fs::path relative = entry->path().lexically_relative(source);
        if (entry.depth() == 0 && IsRiderData(relative)) {
            entry.disable_recursion_pending();
            continue;
        }
        const fs::path copy = destination / relative;
        std::error_code kindError;
        if (entry->is_directory(kindError)) {
            std::error_code makeError;
            fs::create_directories(copy, makeError);
            if (makeError) {
                *error = CannotUse(FromFsPath(copy));
                return false;
            }
            continue;
        }
        if (!entry->is_regular_file(kindError)) {
            continue;
        }
        std::error_code timeError;
        const fs::file_time_type installed = fs::last_write_time(entry->path(), timeError);
        std::error_code missing;
        const fs::file_time_type present = fs::last_write_time(copy, missing);
        if (!timeError && !missing && present >= installed) {
            continue;
        }
        if (!CopyFileReplacing(FromFsPath(entry->path()), FromFsPath(copy))) {
            *error = QStringLiteral("Can not copy %1 to %2.")
                         .arg(QDir::toNativeSeparators(FromFsPath(entry->path())),
                              QDir::toNativeSeparators(FromFsPath(copy)));
            return false;
        }
        // Without the installed time the copy would look newer than any
        // update to come. Failing here costs only a fresh copy next start.
        if (!timeError) {
            std::error_code ignored;
            fs::last_write_time(copy, installed, ignored);
        }
    }
    if (walkError) {
        *error = CannotUse(start.sharedFiles);
        return false;
    }
    return true;
}
