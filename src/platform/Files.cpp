#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <filesystem>
#include <string>
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
    // The source itself must be a folder, not a link to one: a backup whose
    // Rides leads to "/" would otherwise copy the whole disk.
    const Descriptor source(OpenFolderAt(AT_FDCWD, QFile::encodeName(from).constData()));
    if (!source.IsOpen()) {
        return false;
    }
    // A copy into a folder inside the one copied would meet itself on the
    // way and nest until the path is too long.
    std::error_code error;
    const fs::path outer = fs::canonical(ToFsPath(from), error);
    const fs::path inner = error ? fs::path() : fs::weakly_canonical(ToFsPath(to), error);
    if (error || IsSameOrBelow(inner, outer)) {
        return false;
    }
    // The folders above the target are the rider's choice, links or not; the
    // target folder itself is written into only when it is a real folder.
    fs::create_directories(ToFsPath(to).parent_path(), error);
    const QByteArray targetName = QFile::encodeName(to);
    if (::mkdir(targetName.constData(), 0777) != 0 && errno != EEXIST) {
        return false;
    }
    const Descriptor target(OpenFolderAt(AT_FDCWD, targetName.constData()));
    struct stat targetId {};
    if (!target.IsOpen() || ::fstat(target.Get(), &targetId) != 0) {
        return false;
    }
    return CopyTree(source.Get(), target.Get(), to, targetId);
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
