#pragma once
// The tools page: opens the unit converter and the gear calculator, each as a
// modal dialog. Neither reads or writes the log, so nothing is refreshed when
// they close.

#include "widgets/TabPage.h"

class ImageButton;
class LinkLabel;
class QLabel;

class ToolKitsDlg : public TabPage {
    Q_OBJECT
public:
    ToolKitsDlg(LinkLabel& statusLine, QWidget* parent);

    void RefreshCaptions() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OpenUnitConversion();
    void OpenGearCalculator();

    LinkLabel* m_picture = nullptr;
    ImageButton* m_unitConversion = nullptr;
    ImageButton* m_gearCalculator = nullptr;
    QLabel* m_unitConversionText = nullptr;
    QLabel* m_gearCalculatorText = nullptr;
};
