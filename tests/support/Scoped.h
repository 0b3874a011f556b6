#pragma once
// Scoped settings for tests: each sets one piece of process-wide state for its
// lifetime and puts the previous state back when it goes, also when an
// assertion ends the test early.

#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Shell.h"
#include "support/ScopedTimeZone.h"
#include "units/Clock.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <csignal>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// Pins "now" for CurrentTime(); Set moves it on.
class ScopedClock {
public:
    explicit ScopedClock(int64_t secondsSince1970) { Set(secondsSince1970); }
    ~ScopedClock() { SetCurrentTimeForTesting(std::nullopt); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
    void Set(int64_t secondsSince1970) { SetCurrentTimeForTesting(secondsSince1970); }
};

// Catches what ShellOpen would open. Answers true ("opened") unless told otherwise.
class ScopedShellHandler {
public:
    explicit ScopedShellHandler(bool answer = true);
    ~ScopedShellHandler() { SetShellOpenHandlerForTesting({}); }
    ScopedShellHandler(const ScopedShellHandler&) = delete;
    ScopedShellHandler& operator=(const ScopedShellHandler&) = delete;
    const std::vector<QString>& Opened() const { return m_opened; }

private:
    std::vector<QString> m_opened;
};

// Makes the safe writes whose target the predicate picks fail part-way, as a
// full disk would; with no predicate, every write fails.
class ScopedWriteFailure {
public:
    explicit ScopedWriteFailure(WriteFailurePredicate shouldFail = [](const QString&) { return true; }) {
        SetWriteFailureForTesting(std::move(shouldFail));
    }
    ~ScopedWriteFailure() { SetWriteFailureForTesting({}); }
    ScopedWriteFailure(const ScopedWriteFailure&) = delete;
    ScopedWriteFailure& operator=(const ScopedWriteFailure&) = delete;
};

// The system refuses every byte of a file past the limit, the way a full disk
// refuses the rest of one: part of a write goes through, then the write fails.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t limit) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_old;
        lowered.rlim_cur = limit;
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
    }
    ~ScopedFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

// Another program writing to bicycle.db of the current directory: it holds
// the write lock until it goes.
class ScopedWriteLock {
public:
    ScopedWriteLock() {
        EXPECT_EQ(sqlite3_open("bicycle.db", &m_connection), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(m_connection, "begin immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    ~ScopedWriteLock() {
        sqlite3_exec(m_connection, "rollback", nullptr, nullptr, nullptr);
        sqlite3_close(m_connection);
    }
    ScopedWriteLock(const ScopedWriteLock&) = delete;
    ScopedWriteLock& operator=(const ScopedWriteLock&) = delete;

private:
    sqlite3* m_connection = nullptr;
};

// Writes the program's log into the current directory while it lives.
class ScopedLog {
public:
    ScopedLog() { EXPECT_TRUE(StartLog(QDir::currentPath())); }
    ~ScopedLog() { StopLog(); }
    ScopedLog(const ScopedLog&) = delete;
    ScopedLog& operator=(const ScopedLog&) = delete;

    // What the log holds so far.
    QString Text() const {
        QFile file(LogFilePath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};
