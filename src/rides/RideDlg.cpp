#include "rides/RideDlg.h"

RideDlg::RideDlg(LinkLabel& statusLine, QWidget* parent) : TabPage(statusLine, parent) {
    setObjectName(QStringLiteral("RideDlg"));
    RefreshCaptions();
}

void RideDlg::RefreshCaptions() {}
