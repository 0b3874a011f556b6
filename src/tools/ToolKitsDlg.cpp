#include "tools/ToolKitsDlg.h"

#include "language/Language.h"
#include "platform/ModalRun.h"
#include "tools/GearCalculatorDlg.h"
#include "tools/UnitConversionDlg.h"
#include "widgets/ImageButton.h"
#include "widgets/LinkLabel.h"

#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace {
constexpr int kPictureNumber = 1;
constexpr int kPictureWidth = 130;
constexpr int kPictureHeight = 40;
}  // namespace

ToolKitsDlg::ToolKitsDlg(LinkLabel& statusLine, QWidget* parent) : TabPage(statusLine, parent) {
    setObjectName(QStringLiteral("ToolKitsDlg"));

    m_picture = new LinkLabel(this);
    m_picture->setObjectName(QStringLiteral("picture"));
    m_picture->SetPicture(kPictureNumber, QPixmap(QStringLiteral(":/tools_banner.png")), kPictureWidth,
                          kPictureHeight);
    m_picture->setFixedSize(kPictureWidth, kPictureHeight);

    m_unitConversion = new ImageButton(this);
    m_unitConversion->setObjectName(QStringLiteral("unitConversion"));
    m_gearCalculator = new ImageButton(this);
    m_gearCalculator->setObjectName(QStringLiteral("gearCalculator"));

    // Each button with a line saying what its tool does.
    m_unitConversionText = new QLabel(this);
    m_gearCalculatorText = new QLabel(this);
    for (QLabel* text : {m_unitConversionText, m_gearCalculatorText}) {
        QPalette muted = text->palette();
        muted.setColor(QPalette::WindowText, QColor(0x3E, 0x55, 0x60));
        text->setPalette(muted);
    }
    auto* tools = new QGridLayout;
    tools->setHorizontalSpacing(14);
    tools->setVerticalSpacing(10);
    tools->addWidget(m_unitConversion, 0, 0);
    tools->addWidget(m_unitConversionText, 0, 1);
    tools->addWidget(m_gearCalculator, 1, 0);
    tools->addWidget(m_gearCalculatorText, 1, 1);
    tools->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->addWidget(m_picture);
    layout->addSpacing(14);
    layout->addLayout(tools);
    layout->addStretch(1);

    connect(m_unitConversion, &ImageButton::clicked, this, &ToolKitsDlg::OpenUnitConversion);
    connect(m_gearCalculator, &ImageButton::clicked, this, &ToolKitsDlg::OpenGearCalculator);
    RefreshCaptions();
}

void ToolKitsDlg::RefreshCaptions() {
    m_unitConversion->setText(GetLanguageStringWithAccelerator("ToolKitsDlg", "UTCS", QStringLiteral("C")));
    m_gearCalculator->setText(GetLanguageStringWithAccelerator("ToolKitsDlg", "GECL", QStringLiteral("K")));
    m_unitConversionText->setText(GetLanguageString("ToolKitsDlg", "UTCD"));
    m_gearCalculatorText->setText(GetLanguageString("ToolKitsDlg", "GECD"));
    // A longer caption in another language widens the buttons; both stay alike.
    const int width = qMax(m_unitConversion->sizeHint().width(), m_gearCalculator->sizeHint().width());
    for (ImageButton* button : {m_unitConversion, m_gearCalculator}) {
        button->setFixedSize(qMax(width, 150), 34);
    }
}

void ToolKitsDlg::showEvent(QShowEvent* event) {
    TabPage::showEvent(event);
    StatusLine().SetText(QStringLiteral(" "));
}

void ToolKitsDlg::OpenUnitConversion() {
    GuardedModal dialog(new UnitConversionDlg(this));
    RunModal(&*dialog, QDialog::Rejected);
}

void ToolKitsDlg::OpenGearCalculator() {
    GuardedModal dialog(new GearCalculatorDlg(this));
    RunModal(&*dialog, QDialog::Rejected);
}
