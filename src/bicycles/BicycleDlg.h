#pragma once
// The bicycle list page: the rider's bicycles as summary cards with their totals.

#include "widgets/TabPage.h"

class BicycleDlg : public TabPage {
    Q_OBJECT
public:
    BicycleDlg(LinkLabel& statusLine, QWidget* parent);

    void RefreshCaptions() override;
};
