#include "tools/UnitConversionDlg.h"

#include "language/Language.h"
#include "platform/NumberField.h"
#include "tools/DistanceConversion.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kMaxInputCharacters = 9;
}  // namespace

UnitConversionDlg::UnitConversionDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("UnitConversionDlg"));
    setWindowTitle(GetLanguageString("ToolKitsDlg", "UTCS"));

    auto* frame = new QGroupBox(GetLanguageString("ToolKitsDlg", "UTCS"), this);
    const int fieldWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000000000.00")) + 16;
    m_kilometres = new QLineEdit(frame);
    m_kilometres->setObjectName(QStringLiteral("kilometres"));
    m_miles = new QLineEdit(frame);
    m_miles->setObjectName(QStringLiteral("miles"));
    for (QLineEdit* input : {m_kilometres, m_miles}) {
        input->setMaxLength(kMaxInputCharacters);
        input->setFixedWidth(fieldWidth);
    }
    m_kilometresInMiles = new QLineEdit(frame);
    m_kilometresInMiles->setObjectName(QStringLiteral("kilometresInMiles"));
    m_milesInKilometres = new QLineEdit(frame);
    m_milesInKilometres->setObjectName(QStringLiteral("milesInKilometres"));
    for (QLineEdit* result : {m_kilometresInMiles, m_milesInKilometres}) {
        result->setReadOnly(true);
        result->setFocusPolicy(Qt::ClickFocus);
        result->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        result->setFixedWidth(fieldWidth);
        QPalette readOnly = result->palette();
        readOnly.setColor(QPalette::Base, QColor(0xF2, 0xF6, 0xF7));
        result->setPalette(readOnly);
    }
    auto* convertKilometres = new QPushButton(
        GetLanguageStringWithAccelerator("UnitConversionDlg", "COVT", QStringLiteral("V")), frame);
    convertKilometres->setObjectName(QStringLiteral("convertKilometres"));
    auto* convertMiles = new QPushButton(
        GetLanguageStringWithAccelerator("UnitConversionDlg", "COVT", QStringLiteral("T")), frame);
    convertMiles->setObjectName(QStringLiteral("convertMiles"));

    auto* lines = new QGridLayout(frame);
    lines->setHorizontalSpacing(8);
    const QString kilometresWord = GetLanguageString("Strings", "KMSS");
    const QString milesWord = GetLanguageString("Strings", "MILE");
    const QString arrow = QStringLiteral("==>");
    int column = 0;
    for (QWidget* widget : std::initializer_list<QWidget*>{m_kilometres, new QLabel(kilometresWord, frame),
                                                           new QLabel(arrow, frame), m_kilometresInMiles,
                                                           new QLabel(milesWord, frame), convertKilometres}) {
        lines->addWidget(widget, 0, column++);
    }
    column = 0;
    for (QWidget* widget : std::initializer_list<QWidget*>{m_miles, new QLabel(milesWord, frame),
                                                           new QLabel(arrow, frame), m_milesInKilometres,
                                                           new QLabel(kilometresWord, frame), convertMiles}) {
        lines->addWidget(widget, 1, column++);
    }

    auto* tips = new QPlainTextEdit(this);
    tips->setObjectName(QStringLiteral("tips"));
    tips->setReadOnly(true);
    tips->setFocusPolicy(Qt::ClickFocus);
    tips->setPlainText(GetLanguageString("UnitConversionDlg", "TIP1") + u'\n' +
                       GetLanguageString("UnitConversionDlg", "TIP2"));
    QPalette tipsPalette = tips->palette();
    tipsPalette.setColor(QPalette::Base, QColor(0xFF, 0xF8, 0xEE));
    tips->setPalette(tipsPalette);
    tips->setFixedHeight(tips->fontMetrics().lineSpacing() * 5 + 12);

    auto* close =
        new QPushButton(GetLanguageStringWithAccelerator("Strings", "CLOS", QStringLiteral("C")), this);
    close->setObjectName(QStringLiteral("close"));
    // Enter converts the field it is typed in, or presses the button that has
    // the focus (keyPressEvent); no button takes it for itself.
    m_convertKilometres = convertKilometres;
    m_convertMiles = convertMiles;
    for (QPushButton* button : {convertKilometres, convertMiles, close}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(100);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(tips);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_kilometres, convertKilometres);
    setTabOrder(convertKilometres, m_miles);
    setTabOrder(m_miles, convertMiles);
    setTabOrder(convertMiles, close);
    m_kilometres->setFocus();

    connect(convertKilometres, &QPushButton::clicked, this, [this, kilometresWord] {
        Convert(m_kilometres, kilometresWord, ConversionDirection::KilometresToMiles, m_kilometresInMiles);
    });
    connect(convertMiles, &QPushButton::clicked, this, [this, milesWord] {
        Convert(m_miles, milesWord, ConversionDirection::MilesToKilometres, m_milesInKilometres);
    });
    connect(close, &QPushButton::clicked, this, &UnitConversionDlg::reject);
}

void UnitConversionDlg::Convert(QLineEdit* input, const QString& unitWord, ConversionDirection direction,
                                QLineEdit* result) {
    // The field is named by the unit word beside it, its only caption. A
    // refused text leaves no result standing beside it.
    const std::optional<double> value = TakeNumberField(this, input, unitWord, NumberKind::Decimal, unitWord);
    result->setText(value ? ConvertDistanceText(*value, direction) : QString());
}

void UnitConversionDlg::keyPressEvent(QKeyEvent* event) {
    // Enter converts: what was typed is what the rider wants converted.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        QWidget* focus = focusWidget();
        if (focus == m_kilometres) {
            m_convertKilometres->click();
        } else if (focus == m_miles) {
            m_convertMiles->click();
        } else if (auto* button = qobject_cast<QPushButton*>(focus)) {
            button->click();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}
