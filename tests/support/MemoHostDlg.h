#pragma once
// A plain dialog that embeds a MemoEditor the way the ride and maintenance
// editors do, for tests and for looking at the editor by hand.

#include <QDialog>
#include <QString>

class MemoEditor;

class MemoHostDlg : public QDialog {
    Q_OBJECT
public:
    explicit MemoHostDlg(QWidget* parent = nullptr);

    // Binds the editor to a memo folder (the folder must exist).
    bool Open(const QString& folder);
    MemoEditor* Editor() const { return m_editor; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    MemoEditor* m_editor = nullptr;
};
