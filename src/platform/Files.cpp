#include "platform/Files.h"

#include <fcntl.h>
#include <unistd.h>
#include <QFile>
#include <QSaveFile>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {
namespace fs = std::filesystem;

WriteFailurePredicate& WriteFailure() {
    static WriteFailurePredicate shouldFail;
    return shouldFail;
}

fs::path ToFsPath(const QString& path) {
    return fs::path(path.toStdU16String());
}

bool WriteAll(QSaveFile& file, const QByteArray& bytes) {
    if (WriteFailure() && WriteFailure()(file.fileName())) {
        file.write(bytes.left(bytes.size() / 2));
        return false;
    }
    return file.write(bytes) == bytes.size();
}

// Puts the written file in the target's place only once every byte is on the
// disk. QSaveFile::commit alone is not enough: when the last buffered bytes
// fail to reach a full disk it still renames the short file into place and
// reports success, and it ignores a failing sync.
bool CommitWhole(QSaveFile& file) {
    if (!file.flush() || file.error() != QFileDevice::NoError || ::fsync(file.handle()) != 0) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
}  // namespace

bool WriteFileReplacing(const QString& path, const QByteArray& bytes) {
    // QSaveFile makes its temporary file exclusively (a link planted under a
    // guessable name cannot redirect it), syncs it and renames it into place
    // on commit; without a commit the temporary file is removed.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (!WriteAll(file, bytes)) {
        file.cancelWriting();
        return false;
    }
    return CommitWhole(file);
}

bool WriteNewFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    // NewOnly: never into a file, or through a link, that is there already.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return false;
    }
    bool written = false;
    if (WriteFailure() && WriteFailure()(path)) {
        file.write(bytes.left(bytes.size() / 2));
    } else {
        written = file.write(bytes) == bytes.size() && file.flush();
    }
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return false;
    }
    return true;
}

bool SyncFileSystem(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    const int descriptor = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
#ifdef __linux__
    const bool synced = ::syncfs(descriptor) == 0;
#else
    ::sync();
    const bool synced = true;
#endif
    ::close(descriptor);
    return synced;
}

bool CopyFileReplacing(const QString& source, const QString& target) {
    std::error_code error;
    if (!fs::is_regular_file(ToFsPath(source), error)) {
        return false;
    }
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly)) {
        return false;
    }
    QSaveFile output(target);
    if (!output.open(QIODevice::WriteOnly)) {
        return false;
    }
    // Pictures and databases can be large: copy in pieces rather than whole.
    constexpr qint64 kChunk = 1 << 20;
    while (!input.atEnd()) {
        const QByteArray chunk = input.read(kChunk);
        if (chunk.isEmpty() && input.error() != QFileDevice::NoError) {
            output.cancelWriting();
            return false;
        }
        if (!WriteAll(output, chunk)) {
            output.cancelWriting();
            return false;
        }
    }
    if (input.error() != QFileDevice::NoError) {
        output.cancelWriting();
        return false;
    }
    return CommitWhole(output);
}

bool CopyFolder(const QString& from, const QString& to) {
    std::error_code error;
    const fs::path source = ToFsPath(from);
    if (!fs::is_directory(source, error)) {
        return false;
    }
    fs::create_directories(ToFsPath(to), error);
    if (error) {
        return false;
    }
    fs::copy(source, ToFsPath(to), fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    return !error;
}

bool DeleteFolder(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    // remove_all removes a symbolic link itself, never what it points to.
    std::error_code error;
    fs::remove_all(ToFsPath(path), error);
    return !error;
}

bool EmptyFolder(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    std::error_code error;
    const fs::path folder = ToFsPath(path);
    if (!fs::is_directory(folder, error)) {
        // A file in the folder's place is not the rider's memo folder: leave it.
        return !fs::exists(fs::symlink_status(folder, error)) && fs::create_directories(folder, error);
    }
    // Listed first, removed after: a folder is not changed under its own listing.
    std::vector<fs::path> entries;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        entries.push_back(entry->path());
    }
    bool emptied = !error;
    for (const fs::path& entry : entries) {
        std::error_code removeError;
        fs::remove_all(entry, removeError);
        emptied = emptied && !removeError;
    }
    return emptied;
}

void SetWriteFailureForTesting(WriteFailurePredicate shouldFail) {
    WriteFailure() = std::move(shouldFail);
}
