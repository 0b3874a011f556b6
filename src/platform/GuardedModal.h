#pragma once
// A modal dialog on the heap, watched through a QPointer. Should its parent be
// destroyed while the dialog is open, Qt deletes the dialog with it; the
// caller then finds it gone and treats the question as cancelled, where a
// dialog on the stack would be deleted twice. Every modal window the program
// opens on top of another one goes through this.

#include <QDialog>
#include <QPointer>

template <typename Dialog>
class GuardedModal {
public:
    explicit GuardedModal(Dialog* dialog) : m_dialog(dialog) {}
    ~GuardedModal() { delete m_dialog.data(); }
    GuardedModal(const GuardedModal&) = delete;
    GuardedModal& operator=(const GuardedModal&) = delete;

    Dialog* operator->() const { return m_dialog.data(); }
    Dialog& operator*() const { return *m_dialog; }

    // Runs the dialog; true when it was accepted and is still there.
    bool Exec() { return m_dialog->exec() == QDialog::Accepted && Alive(); }
    // False once the dialog was destroyed while it was open.
    bool Alive() const { return !m_dialog.isNull(); }
    bool Accepted() const { return Alive() && m_dialog->result() == QDialog::Accepted; }

private:
    QPointer<Dialog> m_dialog;
};
