#include "platform/Files.h"

#include "platform/Log.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
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

// A file descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int descriptor) : m_descriptor(descriptor) {}
    ~Descriptor() {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    bool IsOpen() const { return m_descriptor >= 0; }
    int Get() const { return m_descriptor; }

private:
    int m_descriptor;
};

// Opens a folder, never a link to one.
int OpenFolderAt(int folder, const char* name) {
    return ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool IsSameOrBelow(const fs::path& inner, const fs::path& outer) {
    auto outerPart = outer.begin();
    auto innerPart = inner.begin();
    for (; outerPart != outer.end(); ++outerPart, ++innerPart) {
        if (innerPart == inner.end() || *innerPart != *outerPart) {
            return false;
        }
    }
    return true;
}

bool WriteWhole(int descriptor, const char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Copies the regular file name of the folder from to the same name in the
// folder to. The bytes go to a new file beside the target that is then
// renamed over it: the name is replaced, nothing is written through it.
bool CopyEntryFile(int from, int to, const char* name, const QString& targetPath) {
    const Descriptor input(::openat(from, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat opened {};
    if (!input.IsOpen() || ::fstat(input.Get(), &opened) != 0) {
        return false;
    }
    if (!S_ISREG(opened.st_mode)) {
        return true;  // swapped for something else since it was listed: nothing to copy
    }
    const std::string temporary = std::string(".") + name + ".copying";
    ::unlinkat(to, temporary.c_str(), 0);
    const Descriptor output(::openat(
        to, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, opened.st_mode & 0777));
    if (!output.IsOpen()) {
        return false;
    }
    const bool breakOff = WriteFailure() && WriteFailure()(targetPath);
    bool copied = true;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(input.Get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            copied = got == 0;
            break;
        }
        if (breakOff || !WriteWhole(output.Get(), buffer.data(), static_cast<size_t>(got))) {
            copied = false;
            break;
        }
    }
    if (copied && ::renameat(to, temporary.c_str(), to, name) == 0) {
        return true;
    }
    ::unlinkat(to, temporary.c_str(), 0);
    return false;
}

// Copies what the folder from holds into the folder to. Only folders and
// regular files are copied; links and special files (pipes, sockets,
// devices) in the source are skipped, so nothing outside it comes along.
// Whatever in the target stands where a copy would go and is not of the same
// kind (a link above all) is left as it is and makes the copy fail.
bool CopyTree(int from, int to, const QString& toPath, const struct stat& target) {
    std::vector<std::string> names;
    {
        DIR* listing = ::fdopendir(::dup(from));
        if (!listing) {
            return false;
        }
        while (const dirent* entry = ::readdir(listing)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(listing);
    }
    bool copied = true;
    for (const std::string& name : names) {
        const QString entryPath = toPath + u'/' + QFile::decodeName(name.c_str());
        struct stat entry {};
        struct stat existing {};
        if (::fstatat(from, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
            copied = false;
            continue;
        }
        const bool exists = ::fstatat(to, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
        if (S_ISDIR(entry.st_mode)) {
            if (entry.st_dev == target.st_dev && entry.st_ino == target.st_ino) {
                continue;  // the copy itself, should it lie inside after all
            }
            if (exists ? !S_ISDIR(existing.st_mode) : ::mkdirat(to, name.c_str(), 0777) != 0) {
                copied = false;
                continue;
            }
            const Descriptor source(OpenFolderAt(from, name.c_str()));
            const Descriptor copy(OpenFolderAt(to, name.c_str()));
            copied = source.IsOpen() && copy.IsOpen() &&
                     CopyTree(source.Get(), copy.Get(), entryPath, target) && copied;
        } else if (S_ISREG(entry.st_mode)) {
            if (exists && !S_ISREG(existing.st_mode)) {
                copied = false;
                continue;
            }
            copied = CopyEntryFile(from, to, name.c_str(), entryPath) && copied;
        }
    }
    return copied;
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
    // The source itself must be a folder, not a link to one: a backup whose
    // Rides leads to "/" would otherwise copy the whole disk.
    const Descriptor source(OpenFolderAt(AT_FDCWD, QFile::encodeName(from).constData()));
    if (!source.IsOpen()) {
        return Fail("copying", from, errno);
    }
    // A copy into a folder inside the one copied would meet itself on the
    // way and nest until the path is too long.
    std::error_code error;
    const fs::path outer = fs::canonical(ToFsPath(from), error);
    const fs::path inner = error ? fs::path() : fs::weakly_canonical(ToFsPath(to), error);
    if (error || IsSameOrBelow(inner, outer)) {
        return Fail("copying into", to, error ? error.value() : EINVAL);
    }
    // The folders above the target are the rider's choice, links or not; the
    // target folder itself is written into only when it is a real folder.
    fs::create_directories(ToFsPath(to).parent_path(), error);
    const QByteArray targetName = QFile::encodeName(to);
    if (::mkdir(targetName.constData(), 0777) != 0 && errno != EEXIST) {
        return Fail("creating", to, errno);
    }
    const Descriptor target(OpenFolderAt(AT_FDCWD, targetName.constData()));
    struct stat targetId {};
    if (!target.IsOpen() || ::fstat(target.Get(), &targetId) != 0) {
        return Fail("opening", to, errno);
    }
    return CopyTree(source.Get(), target.Get(), to, targetId) || Fail("copying into", to, errno);
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
