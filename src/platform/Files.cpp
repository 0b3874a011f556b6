#include "platform/Files.h"

#include "platform/Log.h"

#include <fcntl.h>
#include <unistd.h>
#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {
namespace fs = std::filesystem;

thread_local int t_lastFileError = 0;

// Remembers why an operation on path failed, for the message the rider sees,
// writes it to the log and returns false for the caller to pass on. 0 (the
// system did not say) is remembered as an I/O error.
bool Fail(const char* operation, const QString& path, int error) {
    t_lastFileError = error != 0 ? error : EIO;
    qCWarning(lcFiles).noquote() << operation << path << "failed:" << std::strerror(t_lastFileError);
    return false;
}

WriteFailurePredicate& WriteFailure() {
    static WriteFailurePredicate shouldFail;
    return shouldFail;
}

fs::path ToFsPath(const QString& path) {
    return fs::path(path.toStdU16String());
}

QString FromFsPath(const fs::path& path) {
    return QString::fromStdU16String(path.u16string());
}

bool WriteAll(QSaveFile& file, const QByteArray& bytes) {
    if (WriteFailure() && WriteFailure()(file.fileName())) {
        file.write(bytes.left(bytes.size() / 2));
        errno = ENOSPC;
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
        const int error = errno;
        file.cancelWriting();
        return Fail("writing", file.fileName(), error);
    }
    return file.commit() || Fail("replacing", file.fileName(), errno);
}
}  // namespace

bool WriteFileReplacing(const QString& path, const QByteArray& bytes) {
    t_lastFileError = 0;
    // QSaveFile makes its temporary file exclusively (a link planted under a
    // guessable name cannot redirect it), syncs it and renames it into place
    // on commit; without a commit the temporary file is removed.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return Fail("creating", path, errno);
    }
    if (!WriteAll(file, bytes)) {
        const int error = errno;
        file.cancelWriting();
        return Fail("writing", path, error);
    }
    return CommitWhole(file);
}

bool WriteNewFile(const QString& path, const QByteArray& bytes) {
    t_lastFileError = 0;
    QFile file(path);
    // NewOnly: never into a file, or through a link, that is there already.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return Fail("creating", path, errno);
    }
    bool written = false;
    if (WriteFailure() && WriteFailure()(path)) {
        file.write(bytes.left(bytes.size() / 2));
        errno = ENOSPC;
    } else {
        written = file.write(bytes) == bytes.size() && file.flush();
    }
    const int error = errno;
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return Fail("writing", path, error);
    }
    return true;
}

bool SyncFileSystem(const QString& path) {
    t_lastFileError = 0;
    const QByteArray name = QFile::encodeName(path);
    const int descriptor = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return Fail("syncing", path, errno);
    }
#ifdef __linux__
    const bool synced = ::syncfs(descriptor) == 0;
#else
    ::sync();
    const bool synced = true;
#endif
    const int error = errno;
    ::close(descriptor);
    return synced || Fail("syncing", path, error);
}

bool CopyFileReplacing(const QString& source, const QString& target) {
    t_lastFileError = 0;
    std::error_code error;
    if (!fs::is_regular_file(ToFsPath(source), error)) {
        return Fail("copying", source, error ? error.value() : ENOENT);
    }
    QFile input(source);
    if (!input.open(QIODevice::ReadOnly)) {
        return Fail("reading", source, errno);
    }
    QSaveFile output(target);
    if (!output.open(QIODevice::WriteOnly)) {
        return Fail("creating", target, errno);
    }
    // Pictures and databases can be large: copy in pieces rather than whole.
    constexpr qint64 kChunk = 1 << 20;
    while (!input.atEnd()) {
        const QByteArray chunk = input.read(kChunk);
        if (chunk.isEmpty() && input.error() != QFileDevice::NoError) {
            const int readError = errno;
            output.cancelWriting();
            return Fail("reading", source, readError);
        }
        if (!WriteAll(output, chunk)) {
            const int writeError = errno;
            output.cancelWriting();
            return Fail("writing", target, writeError);
        }
    }
    if (input.error() != QFileDevice::NoError) {
        const int readError = errno;
        output.cancelWriting();
        return Fail("reading", source, readError);
    }
    return CommitWhole(output);
}

bool CopyFolder(const QString& from, const QString& to) {
    t_lastFileError = 0;
    std::error_code error;
    const fs::path source = ToFsPath(from);
    if (!fs::is_directory(source, error)) {
        return Fail("copying", from, error ? error.value() : ENOTDIR);
    }
    fs::create_directories(ToFsPath(to), error);
    if (error) {
        return Fail("creating", to, error.value());
    }
    fs::copy(source, ToFsPath(to), fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    return !error || Fail("copying into", to, error.value());
}

bool DeleteFolder(const QString& path) {
    t_lastFileError = 0;
    if (path.isEmpty()) {
        return false;
    }
    // remove_all removes a symbolic link itself, never what it points to.
    std::error_code error;
    fs::remove_all(ToFsPath(path), error);
    return !error || Fail("removing", path, error.value());
}

bool EmptyFolder(const QString& path) {
    t_lastFileError = 0;
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
    if (error) {
        return Fail("listing", path, error.value());
    }
    bool emptied = true;
    for (const fs::path& entry : entries) {
        std::error_code removeError;
        fs::remove_all(entry, removeError);
        if (removeError) {
            emptied = Fail("removing", FromFsPath(entry), removeError.value());
        }
    }
    return emptied;
}

int LastFileError() {
    return t_lastFileError;
}

void SetLastFileError(int error) {
    t_lastFileError = error;
}

void SetWriteFailureForTesting(WriteFailurePredicate shouldFail) {
    WriteFailure() = std::move(shouldFail);
}
