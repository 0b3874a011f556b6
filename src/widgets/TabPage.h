#pragma once
// Base of the seven tab pages: a white page that swallows Enter and Escape (so
// they never reach the main window as dialog commands) and writes its summary
// texts into the main window's status line.

#include <QWidget>

class LinkLabel;
class QKeyEvent;

// True for the keys a dialog would take as its OK or Cancel command (Enter,
// Return, Escape), which the main window and its pages swallow.
bool IsDialogCommandKey(const QKeyEvent* event);
// True for Enter or Return pressed alone: in a page's list it opens the
// current record, as a double-click does.
bool IsOpenKey(const QKeyEvent* event);

class TabPage : public QWidget {
    Q_OBJECT
public:
    TabPage(LinkLabel& statusLine, QWidget* parent);

    // Sets every caption of the page again from the language table. Called
    // once at creation and after each language change.
    virtual void RefreshCaptions() {}

protected:
    LinkLabel& StatusLine() const { return m_statusLine; }
    void keyPressEvent(QKeyEvent* event) override;

private:
    LinkLabel& m_statusLine;
};
