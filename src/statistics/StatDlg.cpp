#include "statistics/StatDlg.h"

StatDlg::StatDlg(LinkLabel& statusLine, QWidget* parent) : TabPage(statusLine, parent) {
    setObjectName(QStringLiteral("StatDlg"));
    RefreshCaptions();
}

void StatDlg::RefreshCaptions() {}
