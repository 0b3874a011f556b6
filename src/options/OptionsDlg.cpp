#include "options/OptionsDlg.h"

OptionsDlg::OptionsDlg(LinkLabel& statusLine, QWidget* parent) : TabPage(statusLine, parent) {
    setObjectName(QStringLiteral("OptionsDlg"));
    RefreshCaptions();
}

void OptionsDlg::RefreshCaptions() {}
