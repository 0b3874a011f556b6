// The lock on the program directory: held by a living process only, whatever
// a crash left in the lock file.

#include "platform/DirectoryLock.h"
#include "support/ProgramDirectory.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>

namespace {

using Result = DirectoryLock::Result;

TEST(DirectoryLock, WhatALockFileHoldsDecidesNothing) {
    ProgramDirectory dir;
    const QString path = dir.FilePath(QStringLiteral("velomarq.lock"));
    for (const QByteArray& left : {QByteArray(), QByteArray("garbage\xff\x00\n", 10),
                                   QByteArray("1\nhost\nvelomarq\n"), QByteArray(100000, '9')}) {
        ASSERT_TRUE(dir.WriteFile(QStringLiteral("velomarq.lock"), left));
        DirectoryLock lock;
        EXPECT_EQ(lock.Acquire(path), Result::Locked) << left.size();
        // A second lock on the same file waits its turn, even in the same process.
        DirectoryLock second;
        EXPECT_EQ(second.Acquire(path), Result::HeldElsewhere) << left.size();
    }
    // One the process may not even read is no reason to stop either.
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
    DirectoryLock unreadable;
    EXPECT_NE(unreadable.Acquire(path), Result::HeldElsewhere);
}

TEST(DirectoryLock, AnotherProcessHoldsItUntilItDies) {
    ProgramDirectory dir;
    const QString path = dir.FilePath(QStringLiteral("velomarq.lock"));
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        DirectoryLock held;
        const char result = held.Acquire(path) == Result::Locked ? 'L' : 'x';
        (void)!::write(ready[1], &result, 1);
        for (;;) {
            ::pause();  // holds the lock until it is killed
        }
    }
    ::close(ready[1]);
    char result = 0;
    ASSERT_EQ(::read(ready[0], &result, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(result, 'L');
    {
        DirectoryLock lock;
        EXPECT_EQ(lock.Acquire(path), Result::HeldElsewhere);
    }
    // Killed as a crash would end it: the system lets go of its lock.
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    DirectoryLock lock;
    EXPECT_EQ(lock.Acquire(path), Result::Locked);
}

}  // namespace
