#include "maintenance/MaintenanceDlg.h"

MaintenanceDlg::MaintenanceDlg(LinkLabel& statusLine, QWidget* parent) : TabPage(statusLine, parent) {
    setObjectName(QStringLiteral("MaintenanceDlg"));
    RefreshCaptions();
}

void MaintenanceDlg::RefreshCaptions() {}
