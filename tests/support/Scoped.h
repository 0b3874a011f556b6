#pragma once
// Scoped settings for tests: each sets one piece of process-wide state for its
// lifetime and puts the previous state back when it goes, also when an
// assertion ends the test early.

#include "platform/Files.h"
#include "platform/Shell.h"
#include "support/ScopedTimeZone.h"
#include "units/Clock.h"

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
