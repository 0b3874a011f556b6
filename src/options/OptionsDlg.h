#pragma once
// The options page: language, distance unit and first day of the week, and
// the database care operations. It tells whoever listens that the settings
// changed; the main window answers by re-captioning the whole program.

#include "widgets/TabPage.h"

class OptionsDlg : public TabPage {
    Q_OBJECT
public:
    OptionsDlg(LinkLabel& statusLine, QWidget* parent);

    void RefreshCaptions() override;

Q_SIGNALS:
    // The language table, the distance unit or the week start changed.
    void SettingsChanged();
};
