#include "options/OptionsDlg.h"

OptionsDlg::OptionsDlg(LinkLabel& statusLine, MainDlg& mainWindow, QWidget* parent)
    : TabPage(statusLine, parent), m_mainWindow(mainWindow) {
    setObjectName(QStringLiteral("OptionsDlg"));
    RefreshCaptions();
}

void OptionsDlg::RefreshCaptions() {}
