#pragma once
// The options page: language, distance unit and first day of the week, and
// the database care operations. A language change re-captions the whole
// program through the main window.

#include "app/TabPage.h"

class MainDlg;

class OptionsDlg : public TabPage {
    Q_OBJECT
public:
    OptionsDlg(LinkLabel& statusLine, MainDlg& mainWindow, QWidget* parent);

    void RefreshCaptions() override;

protected:
    MainDlg& MainWindow() const { return m_mainWindow; }

private:
    MainDlg& m_mainWindow;
};
