#pragma once
// The tools page: opens the gear calculator and the unit converter.

#include "widgets/TabPage.h"

class ToolKitsDlg : public TabPage {
    Q_OBJECT
public:
    ToolKitsDlg(LinkLabel& statusLine, QWidget* parent);

    void RefreshCaptions() override;
};
