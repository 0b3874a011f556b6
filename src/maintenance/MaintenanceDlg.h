#pragma once
// The maintenance list page: maintenance entries filtered by bicycle and day range.

#include "widgets/TabPage.h"

class MaintenanceDlg : public TabPage {
    Q_OBJECT
public:
    MaintenanceDlg(LinkLabel& statusLine, QWidget* parent);

    void RefreshCaptions() override;
};
