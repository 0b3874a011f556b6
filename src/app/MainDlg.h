#pragma once
// The main window: a banner across the top, the seven tab pages in the middle
// and the status line at the bottom. It runs the start-up sequence (memo
// folders, language, database, configuration) before it creates the pages;
// any failure on that road ends the program after one message.

#include "language/Language.h"
#include "store/store.h"

#include <QDialog>
#include <QPoint>
#include <array>
#include <memory>

class DirectoryLock;
class LinkLabel;
class QLabel;
class TabControl;
class TabPage;
class BicycleDlg;
class RideDlg;
class StatDlg;
class MaintenanceDlg;
class ToolKitsDlg;
class HelpDlg;

class MainDlg : public QDialog {
    Q_OBJECT
public:
    // Tab order of the pages.
    enum Tab { kBicycles, kRides, kStatistics, kMaintenance, kTools, kOptions, kHelp, kTabCount };

    explicit MainDlg(QWidget* parent = nullptr);
    ~MainDlg() override;

    // Runs the start-up sequence. True when the window is ready to be shown;
    // false when the program is to end (the message due has been shown).
    bool Initialise();

    // Re-captions the tabs and every page after the language table was reloaded.
    void RefreshLanguage();

    TabControl& Tabs() const { return *m_tabs; }
    LinkLabel& StatusLine() const { return *m_statusLine; }
    LinkLabel& HomePageLink() const { return *m_homePage; }
    TabPage* Page(Tab tab) const { return m_pages[tab]; }

    // The default OK action of a dialog does nothing here; the window closes
    // only through its close box.
    void accept() override {}
    // Closing remembers the window's size, place and maximised state for the next start.
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void RestoreWindowState();
    void SaveWindowState();
    bool LockProgramDirectory();
    bool OpenOrCreateDatabase();
    bool ApplyConfiguration();
    void CreatePages();
    void SetTabCaptions();
    void FitPages();
    void LayOut();

    // Shut-down runs in the reverse order of start-up, by the order of these
    // members: the pages (in m_tabs, with any editor they hold) go first, then
    // the database connection, then the language table, then the lock on the
    // program directory.
    std::unique_ptr<DirectoryLock> m_directoryLock;
    bool m_initialised = false;
    LanguageTableSession m_languageTable;
    store::Session m_store;
    std::unique_ptr<TabControl> m_tabs;
    LinkLabel* m_statusLine;
    LinkLabel* m_homePage;
    QLabel* m_bannerLeft;
    QLabel* m_bannerRight;
    std::array<TabPage*, kTabCount> m_pages{};
    bool m_dragging = false;
    QPoint m_dragOffset;
};
