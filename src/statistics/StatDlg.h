#pragma once
// The statistics page: period summaries of the rides for one bicycle or all.

#include "widgets/TabPage.h"

class StatDlg : public TabPage {
    Q_OBJECT
public:
    StatDlg(LinkLabel& statusLine, QWidget* parent);

    void RefreshCaptions() override;
};
