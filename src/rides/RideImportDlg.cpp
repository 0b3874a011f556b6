#include "rides/RideImportDlg.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/ModalRun.h"
#include "units/SafeFormat.h"
#include "units/TextBlock.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

RideImportDlg::RideImportDlg(const BicycleList& bicycles, int fileCount, QWidget* parent)
    : QDialog(parent), m_bicycle(new QComboBox(this)) {
    setObjectName(QStringLiteral("RideImportDlg"));
    setWindowTitle(GetLanguageString("RideImport", "TITL"));

    auto* question = new QLabel(SafeFormat(GetLanguageString("RideImport", "CHOB"), {fileCount}), this);
    question->setWordWrap(true);
    question->setMinimumWidth(340);
    question->setBuddy(m_bicycle);
    m_bicycle->setObjectName(QStringLiteral("bicycle"));
    m_bicycle->setMinimumWidth(340);
    for (const BicycleAttribute& bicycle : bicycles) {
        m_bicycle->addItem(FromTextBlock(bicycle.BicycleName), bicycle.BicycleNumber);
    }
    // Nothing chosen yet: rides on the wrong bicycle are worse than one more click.
    m_bicycle->setCurrentIndex(-1);

    auto* ok = new QPushButton(GetLanguageString("Strings", "OKAY"), this);
    auto* cancel =
        new QPushButton(GetLanguageStringWithAccelerator("Strings", "CANC", QStringLiteral("C")), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(question);
    layout->addWidget(m_bicycle);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok, &QPushButton::clicked, this, &RideImportDlg::OnOk);
    connect(cancel, &QPushButton::clicked, this, &RideImportDlg::reject);
    m_bicycle->setFocus();
}

void RideImportDlg::OnOk() {
    if (m_bicycle->currentIndex() < 0) {
        ShowError(this, GetLanguageString("ErrorStrings", "SELB"));
        m_bicycle->setFocus();
        return;
    }
    m_bicycleNumber = m_bicycle->currentData().toInt();
    accept();
}

bool RideImportDlg::Ask(QWidget* parent, const BicycleList& bicycles, int fileCount, int32_t* bicycleNumber) {
    GuardedModal dialog(new RideImportDlg(bicycles, fileCount, parent));
    if (RunModal(&*dialog, QDialog::Rejected) != QDialog::Accepted || !dialog.Alive()) {
        return false;
    }
    *bicycleNumber = dialog->BicycleNumber();
    return true;
}
