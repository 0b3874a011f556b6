#pragma once
// The about and help page.

#include "widgets/TabPage.h"

class HelpDlg : public TabPage {
    Q_OBJECT
public:
    HelpDlg(LinkLabel& statusLine, QWidget* parent);

    void RefreshCaptions() override;
};
