#pragma once
// Answers the modal dialogs a page runs through RunModal (widgets/ModalRun.h):
// each dialog that opens is handed to the next scripted step, which acts on
// its widgets as the user would. A dialog nobody scripted fails the test and
// is left open, which counts as cancelled. Fails the test if steps were left.

#include "widgets/ModalRun.h"

#include <gtest/gtest.h>
#include <QDialog>
#include <deque>
#include <functional>

class ScopedModalDrivers {
public:
    using Step = std::function<void(QDialog&)>;

    ScopedModalDrivers() {
        SetModalDriverForTesting([this](QDialog& dialog) {
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
        SetModalDriverForTesting({});
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

    int Opened() const { return m_opened; }
    size_t Pending() const { return m_steps.size(); }

private:
    std::deque<Step> m_steps;
    int m_opened = 0;
};
