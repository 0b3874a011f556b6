#pragma once
// Every modal dialog the program opens runs through here: its own dialogs
// (editors, choosers, the picture and print preview dialogs), the message
// boxes and file choosers of QtDialogs, and the progress window of a long
// task. Tests set one driver that answers each dialog through its widgets:
// while one is set, a dialog is shown without a modal loop and handed to the
// driver, and what the driver left as the dialog's result counts.
// (ScriptedDialogs in tests/support answers the questions of Dialogs.h a level
// higher, without any window.)

#include <QDialog>
#include <QPointer>
#include <functional>

using ModalDriver = std::function<void(QDialog&)>;
// Installs driver (empty: none) and returns the one it replaces, for a test
// helper to put back.
ModalDriver SetModalDriverForTesting(ModalDriver driver);

// Runs dialog modally and returns its result code. cancelled is returned when
// the dialog went away while it was open (its parent closed) or was left open
// by a test driver.
int RunModal(QDialog* dialog, int cancelled);

// A window-modal progress window has no loop of its own: the task keeps the
// events flowing and hands the window here after each step, so that a test's
// driver can read it or press its Cancel button. Does nothing without a driver.
void ShowModalProgress(QDialog& dialog);

// A modal dialog on the heap, watched through a QPointer. Should its parent be
// destroyed while the dialog is open, Qt deletes the dialog with it; the
// caller then finds it gone and treats the question as cancelled, where a
// dialog on the stack would be deleted twice. Every modal window the program
// opens on top of another one is held by one.
template <typename Dialog>
class GuardedModal {
public:
    explicit GuardedModal(Dialog* dialog) : m_dialog(dialog) {}
    ~GuardedModal() { delete m_dialog.data(); }
    GuardedModal(const GuardedModal&) = delete;
    GuardedModal& operator=(const GuardedModal&) = delete;

    Dialog* operator->() const { return m_dialog.data(); }
    Dialog& operator*() const { return *m_dialog; }

    // Runs the dialog through RunModal; returns its result, or cancelled when
    // it did not come back.
    int Run(int cancelled = QDialog::Rejected) {
        const int result = RunModal(m_dialog.data(), cancelled);
        return Alive() ? result : cancelled;
    }
    // Runs the dialog; true when it was accepted and is still there.
    bool Exec() { return Run(QDialog::Rejected) == QDialog::Accepted && Alive(); }
    // False once the dialog was destroyed while it was open.
    bool Alive() const { return !m_dialog.isNull(); }
    bool Accepted() const { return Alive() && m_dialog->result() == QDialog::Accepted; }

private:
    QPointer<Dialog> m_dialog;
};
