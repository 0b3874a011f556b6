#pragma once
// A lock that says one process works in a folder: an exclusive flock on a
// lock file in it. The system drops the lock when the process ends, however
// it ends (a crash, a kill, a power cut), so a lock file left behind never
// counts, and what the file holds (empty, cut short, another program's
// text) is never read. Programs the process starts do not inherit it.

#include <QString>

class DirectoryLock {
public:
    enum class Result {
        Locked,         // this process holds the lock now
        HeldElsewhere,  // another process (or another lock of this one) holds it
        Unavailable,    // no lock can be taken there at all (read-only media, no file locks)
    };

    DirectoryLock() = default;
    ~DirectoryLock();
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

    // Takes the lock on the file at path, made when missing, without waiting.
    Result Acquire(const QString& path);

private:
    int m_descriptor = -1;
};
