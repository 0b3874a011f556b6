#include "tools/ToolKitsDlg.h"

ToolKitsDlg::ToolKitsDlg(LinkLabel& statusLine, QWidget* parent) : TabPage(statusLine, parent) {
    setObjectName(QStringLiteral("ToolKitsDlg"));
    RefreshCaptions();
}

void ToolKitsDlg::RefreshCaptions() {}
