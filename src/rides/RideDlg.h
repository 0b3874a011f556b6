#pragma once
// The ride list page: rides filtered by bicycle and day range, with their totals.

#include "widgets/TabPage.h"

class RideDlg : public TabPage {
    Q_OBJECT
public:
    RideDlg(LinkLabel& statusLine, QWidget* parent);

    void RefreshCaptions() override;
};
