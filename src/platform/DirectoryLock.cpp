#include "platform/DirectoryLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>

DirectoryLock::~DirectoryLock() {
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
    }
}

DirectoryLock::Result DirectoryLock::Acquire(const QString& path) {
    if (m_descriptor >= 0) {
        return Result::Locked;
    }
    const QByteArray name = QFile::encodeName(path);
    // Close-on-exec: a program started meanwhile must not keep the lock alive
    // after this process has gone. A link in the lock file's place is not followed.
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NOCTTY;
    int descriptor = ::open(name.constData(), O_RDWR | O_CREAT | kFlags, 0644);
    if (descriptor < 0 && (errno == EACCES || errno == EROFS)) {
        descriptor = ::open(name.constData(), O_RDONLY | kFlags);  // flock needs no write access
    }
    if (descriptor < 0) {
        return Result::Unavailable;
    }
    int locked;
    do {
        locked = ::flock(descriptor, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(descriptor);
        return held ? Result::HeldElsewhere : Result::Unavailable;
    }
    m_descriptor = descriptor;
    return Result::Locked;
}
