#include "bicycles/BicycleDlg.h"

BicycleDlg::BicycleDlg(LinkLabel& statusLine, QWidget* parent) : TabPage(statusLine, parent) {
    setObjectName(QStringLiteral("BicycleDlg"));
    RefreshCaptions();
}

void BicycleDlg::RefreshCaptions() {}
