#include "app/HelpDlg.h"

HelpDlg::HelpDlg(LinkLabel& statusLine, QWidget* parent) : TabPage(statusLine, parent) {
    setObjectName(QStringLiteral("HelpDlg"));
    RefreshCaptions();
}

void HelpDlg::RefreshCaptions() {}
