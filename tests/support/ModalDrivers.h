#pragma once
// Answers the modal dialogs the program runs through RunModal
// (platform/ModalRun.h), each through its widgets as the user would. Both
// helpers install their driver for their lifetime and put back the one they
// found, so that a dialog's step may script the dialogs it opens in turn.

#include "platform/ModalRun.h"

#include <gtest/gtest.h>
#include <QDialog>
#include <QProgressDialog>
#include <deque>
#include <functional>

// Each dialog that opens is handed to the next scripted step. A dialog nobody
// scripted fails the test and is left open, which counts as cancelled. Fails
// the test if steps were left. Progress windows are no steps: they go to the
// progress watcher, if one is set.
class ScopedModalDrivers {
public:
    using Step = std::function<void(QDialog&)>;

    ScopedModalDrivers() {
        m_previous = SetModalDriverForTesting([this](QDialog& dialog) {
            if (auto* progress = qobject_cast<QProgressDialog*>(&dialog)) {
                // The window of reading files for a preview shows only when the
                // reading is slow (as in the sanitizers' build): it is no part of
                // the import a watcher follows.
                if (m_progress && progress->objectName() != QLatin1String("planProgress")) {
                    m_progress(*progress);
                }
                return;
            }
            ++m_opened;
            if (m_steps.empty()) {
                ADD_FAILURE() << "unexpected dialog " << dialog.objectName().toStdString();
                return;
            }
            Step step = std::move(m_steps.front());
            m_steps.pop_front();
            step(dialog);
        });
    }
    ~ScopedModalDrivers() {
        SetModalDriverForTesting(std::move(m_previous));
        EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " scripted dialog(s) never opened";
    }
    ScopedModalDrivers(const ScopedModalDrivers&) = delete;
    ScopedModalDrivers& operator=(const ScopedModalDrivers&) = delete;

    // The next dialog must be of type Dialog; step gets it as such.
    template <typename Dialog>
    void Then(std::function<void(Dialog&)> step) {
        m_steps.push_back([step = std::move(step)](QDialog& dialog) {
            auto* typed = qobject_cast<Dialog*>(&dialog);
            ASSERT_NE(typed, nullptr) << "another dialog opened: " << dialog.objectName().toStdString();
            step(*typed);
        });
    }

    // Looks at every progress window after each step of its task (and may
    // press its Cancel button); an empty function stops looking.
    void WatchProgress(std::function<void(QProgressDialog&)> watcher) { m_progress = std::move(watcher); }

    int Opened() const { return m_opened; }
    size_t Pending() const { return m_steps.size(); }

private:
    ModalDriver m_previous;
    std::deque<Step> m_steps;
    std::function<void(QProgressDialog&)> m_progress;
    int m_opened = 0;
};

// Hands every dialog that opens to one function, as many as open; a dialog of
// another type than Dialog fails the test and is left open (cancelled).
template <typename Dialog>
class ScopedModalDriver {
public:
    explicit ScopedModalDriver(std::function<void(Dialog&)> driver) {
        m_previous = SetModalDriverForTesting([driver = std::move(driver)](QDialog& dialog) {
            auto* typed = qobject_cast<Dialog*>(&dialog);
            ASSERT_NE(typed, nullptr) << "another dialog opened: " << dialog.objectName().toStdString();
            driver(*typed);
        });
    }
    ~ScopedModalDriver() { SetModalDriverForTesting(std::move(m_previous)); }
    ScopedModalDriver(const ScopedModalDriver&) = delete;
    ScopedModalDriver& operator=(const ScopedModalDriver&) = delete;

private:
    ModalDriver m_previous;
};
