#include "tools/GearCalculatorDlg.h"

#include "language/Language.h"
#include "platform/NumberField.h"
#include "reports/ReportFiles.h"
#include "widgets/ImportExportDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace {
// Enough for any real drive train and small enough that no product of the
// calculation can leave the range of a double.
constexpr int kMaxNumberCharacters = 9;

QLineEdit* NumberField(QWidget* parent, const QString& name, int width) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setMaxLength(kMaxNumberCharacters);
    field->setFixedWidth(width);
    return field;
}

QLineEdit* ResultField(QWidget* parent, const QString& name, int width) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Tab walks the free-wheel fields; a click still selects a result to copy.
    field->setFocusPolicy(Qt::ClickFocus);
    field->setFixedWidth(width);
    QPalette readOnly = field->palette();
    readOnly.setColor(QPalette::Base, QColor(0xF2, 0xF6, 0xF7));
    field->setPalette(readOnly);
    return field;
}

// A list the rider may also type into. Typed values stay out of the list and
// are never completed from it, so 1 stays 1 and does not become 120.
QComboBox* TypableList(QWidget* parent, const QString& name) {
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setCompleter(nullptr);
    list->lineEdit()->setMaxLength(kMaxNumberCharacters);
    return list;
}

QLabel* Heading(QWidget* parent, const QString& text) {
    auto* heading = new QLabel(text, parent);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setAlignment(Qt::AlignCenter);
    return heading;
}
}  // namespace

GearCalculatorDlg::GearCalculatorDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("GearCalculatorDlg"));
    setWindowTitle(GetLanguageString("ToolKitsDlg", "GECL"));

    // The bicycle: template, wheel, chain wheel and cadence.
    auto* bicycle = new QGroupBox(this);
    m_template = new QComboBox(bicycle);
    m_template->setObjectName(QStringLiteral("template"));
    for (const GearTemplate& gear : kGearTemplates) {
        m_template->addItem(GetLanguageString(gear.name));
    }
    m_rimSize = new QComboBox(bicycle);
    m_rimSize->setObjectName(QStringLiteral("rimSize"));
    for (const RimSize& rim : kRimSizes) {
        m_rimSize->addItem(GetLanguageString(rim.name));
    }
    for (QComboBox* list : {m_template, m_rimSize}) {
        list->setCurrentIndex(-1);
    }
    const int numberWidth = fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 16;
    m_inches = NumberField(bicycle, QStringLiteral("inches"), numberWidth);
    auto* inchWord = new QLabel(GetLanguageString("GearCalculatorDlg", "INCH"), bicycle);
    m_chainWheel = TypableList(bicycle, QStringLiteral("chainWheel"));
    m_cadence = TypableList(bicycle, QStringLiteral("cadence"));
    m_cadence->addItems({QStringLiteral("60"), QStringLiteral("90"), QStringLiteral("120")});
    m_cadence->setCurrentIndex(-1);
    for (QComboBox* list : {m_chainWheel, m_cadence}) {
        list->setFixedWidth(numberWidth + 24);
    }

    auto* bicycleLayout = new QGridLayout(bicycle);
    const std::pair<QString, QWidget*> labelled[] = {
        {GetLanguageStringWithColon("GearCalculatorDlg", "BKTP"), m_template},
        {GetLanguageStringWithColon("GearCalculatorDlg", "RIMS"), m_rimSize},
        {GetLanguageStringWithColon("GearCalculatorDlg", "CHWG"), m_chainWheel},
        {GetLanguageStringWithColon("GearCalculatorDlg", "RPMV"), m_cadence},
    };
    for (int row = 0; row < 4; ++row) {
        auto* label = new QLabel(labelled[row].first, bicycle);
        label->setBuddy(labelled[row].second);
        bicycleLayout->addWidget(label, row, 0);
    }
    bicycleLayout->addWidget(m_template, 0, 1, 1, 3);
    bicycleLayout->addWidget(m_rimSize, 1, 1);
    bicycleLayout->addWidget(m_inches, 1, 2);
    bicycleLayout->addWidget(inchWord, 1, 3);
    bicycleLayout->addWidget(m_chainWheel, 2, 1, Qt::AlignLeft);
    bicycleLayout->addWidget(m_cadence, 3, 1, Qt::AlignLeft);
    bicycleLayout->setColumnStretch(1, 1);

    m_tips = new QPlainTextEdit(this);
    m_tips->setObjectName(QStringLiteral("tips"));
    m_tips->setReadOnly(true);
    m_tips->setPlainText(GetLanguageString("GearCalculatorDlg", "TIP1") + u'\n' +
                         GetLanguageString("GearCalculatorDlg", "TIP2") + u'\n' +
                         GetLanguageString("GearCalculatorDlg", "TIP3"));
    m_tips->setFocusPolicy(Qt::ClickFocus);
    // The table sets the dialog's height; the tips take what the left side has left.
    m_tips->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    m_tips->setMinimumHeight(m_tips->fontMetrics().lineSpacing() * 5);
    QPalette tipsPalette = m_tips->palette();
    tipsPalette.setColor(QPalette::Base, QColor(0xFF, 0xF8, 0xEE));
    m_tips->setPalette(tipsPalette);

    // The table: row numbers, free-wheel teeth and the three results.
    auto* table = new QGroupBox(this);
    auto* tableLayout = new QGridLayout(table);
    tableLayout->setVerticalSpacing(4);
    tableLayout->addWidget(Heading(table, GetLanguageString("GearCalculatorDlg", "RRDE")), 0, 0);
    tableLayout->addWidget(Heading(table, GetLanguageString("GearCalculatorDlg", "FRWG")), 0, 1);
    tableLayout->addWidget(Heading(table, GetLanguageString("GearCalculatorDlg", "GERA")), 0, 2);
    tableLayout->addWidget(Heading(table, GetLanguageString("GearCalculatorDlg", "SPRA")), 0, 3);
    tableLayout->addWidget(Heading(table, GetLanguageString("GearCalculatorDlg", "SPED")), 0, 4);
    const int resultWidth = fontMetrics().horizontalAdvance(QStringLiteral("0000.00")) + 16;
    const int speedWidth = fontMetrics().horizontalAdvance(QStringLiteral("000.00km/h")) + 16;
    for (int i = 0; i < kGearRowCount; ++i) {
        GearRow& row = m_rows[i];
        const QString n = QString::number(i + 1);
        row.number = new QLabel(n, table);
        row.number->setAlignment(Qt::AlignCenter);
        row.freeWheel = NumberField(table, QStringLiteral("freeWheel") + n, numberWidth);
        row.gearRatio = ResultField(table, QStringLiteral("gearRatio") + n, resultWidth);
        row.speedRatio = ResultField(table, QStringLiteral("speedRatio") + n, resultWidth);
        row.speed = ResultField(table, QStringLiteral("speed") + n, speedWidth);
        tableLayout->addWidget(row.number, i + 1, 0);
        tableLayout->addWidget(row.freeWheel, i + 1, 1, Qt::AlignHCenter);
        tableLayout->addWidget(row.gearRatio, i + 1, 2, Qt::AlignHCenter);
        tableLayout->addWidget(row.speedRatio, i + 1, 3, Qt::AlignHCenter);
        tableLayout->addWidget(row.speed, i + 1, 4, Qt::AlignHCenter);
    }

    m_calculate = new QPushButton(
        GetLanguageStringWithAccelerator("GearCalculatorDlg", "CALC", QStringLiteral("K")), this);
    m_calculate->setObjectName(QStringLiteral("calculate"));
    auto* exportButton =
        new QPushButton(GetLanguageStringWithAccelerator("Strings", "EXPT", QStringLiteral("E")), this);
    exportButton->setObjectName(QStringLiteral("export"));
    auto* close =
        new QPushButton(GetLanguageStringWithAccelerator("Strings", "CLOS", QStringLiteral("C")), this);
    close->setObjectName(QStringLiteral("close"));
    // Enter calculates wherever the focus is (keyPressEvent); no button
    // takes it for itself.
    for (QPushButton* button : {m_calculate, exportButton, close}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(100);
    }

    auto* left = new QVBoxLayout;
    left->addWidget(bicycle);
    left->addWidget(m_tips, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(table);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_calculate);
    buttons->addWidget(exportButton);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_template, m_rimSize);
    setTabOrder(m_rimSize, m_inches);
    setTabOrder(m_inches, m_chainWheel);
    setTabOrder(m_chainWheel, m_cadence);
    setTabOrder(m_cadence, m_rows[0].freeWheel);
    for (int i = 1; i < kGearRowCount; ++i) {
        setTabOrder(m_rows[i - 1].freeWheel, m_rows[i].freeWheel);
    }
    setTabOrder(m_rows[kGearRowCount - 1].freeWheel, m_calculate);
    setTabOrder(m_calculate, exportButton);
    setTabOrder(exportButton, close);

    connect(m_template, &QComboBox::activated, this, &GearCalculatorDlg::ApplyTemplate);
    connect(m_rimSize, &QComboBox::activated, this, &GearCalculatorDlg::ApplyRimSize);
    connect(m_calculate, &QPushButton::clicked, this, &GearCalculatorDlg::Calculate);
    connect(exportButton, &QPushButton::clicked, this, &GearCalculatorDlg::Export);
    connect(close, &QPushButton::clicked, this, &GearCalculatorDlg::reject);
}

void GearCalculatorDlg::ApplyTemplate(int index) {
    if (index < 0 || index >= kGearTemplateCount) {
        return;
    }
    const GearTemplate& gear = kGearTemplates[index];
    m_rimSize->setCurrentIndex(gear.rimSize);
    m_chainWheel->clear();
    for (int i = 0; i < gear.chainWheelCount; ++i) {
        m_chainWheel->addItem(QString::fromLatin1(gear.chainWheels[i]));
    }
    m_chainWheel->setCurrentIndex(gear.selectedChainWheel);
    for (int i = 0; i < kGearRowCount; ++i) {
        m_rows[i].freeWheel->setText(gear.freeWheels[i] > 0 ? QString::number(gear.freeWheels[i])
                                                            : QString());
    }
    m_cadence->setEditText(QString::fromLatin1(gear.cadence));
    ApplyRimSize(m_rimSize->currentIndex());
    Calculate();
}

void GearCalculatorDlg::ApplyRimSize(int index) {
    if (index < 0 || index >= kRimSizeCount) {
        return;
    }
    const char* inches = kRimSizes[index].inches;
    // The last entry is for a wheel not in the list: the rider's own diameter stays.
    m_inches->setEnabled(inches == nullptr);
    if (inches != nullptr) {
        m_inches->setText(QString::fromLatin1(inches));
    }
}

std::optional<GearInputs> GearCalculatorDlg::TakeInputs() {
    GearInputs inputs;
    const std::optional<double> inches =
        TakeNumberField(this, m_inches, GetLanguageString("GearCalculatorDlg", "RIMS"), NumberKind::Decimal,
                        GetLanguageString("GearCalculatorDlg", "INCH"));
    if (!inches) {
        return std::nullopt;
    }
    inputs.inches = *inches;
    const std::optional<int> chainWheel =
        TakeWholeNumberField(this, m_chainWheel->lineEdit(), GetLanguageString("GearCalculatorDlg", "CHWG"));
    if (!chainWheel) {
        return std::nullopt;
    }
    inputs.chainWheel = *chainWheel;
    const std::optional<int> cadence =
        TakeWholeNumberField(this, m_cadence->lineEdit(), GetLanguageString("GearCalculatorDlg", "RPMV"));
    if (!cadence) {
        return std::nullopt;
    }
    inputs.cadence = *cadence;
    for (int i = 0; i < kGearRowCount; ++i) {
        const std::optional<int> teeth = TakeWholeNumberField(
            this, m_rows[i].freeWheel,
            GetLanguageString("GearCalculatorDlg", "FRWG") + u' ' + m_rows[i].number->text());
        if (!teeth) {
            return std::nullopt;
        }
        inputs.freeWheels[i] = *teeth;
    }
    return inputs;
}

void GearCalculatorDlg::Calculate() {
    const std::optional<GearInputs> inputs = TakeInputs();
    if (!inputs) {
        return;
    }
    const auto results = CalculateGearTable(*inputs);
    for (int i = 0; i < kGearRowCount; ++i) {
        m_rows[i].gearRatio->setText(results[i].gearRatio);
        m_rows[i].speedRatio->setText(results[i].speedRatio);
        m_rows[i].speed->setText(results[i].speed);
    }
}

GearReportContents GearCalculatorDlg::ReportContents() const {
    GearReportContents contents;
    contents.inches = m_inches->text();
    contents.chainWheel = m_chainWheel->currentText();
    contents.cadence = m_cadence->currentText();
    for (int i = 0; i < kGearRowCount; ++i) {
        contents.rows[i] = {
            m_rows[i].freeWheel->text(),
            {m_rows[i].gearRatio->text(), m_rows[i].speedRatio->text(), m_rows[i].speed->text()}};
    }
    return contents;
}

void GearCalculatorDlg::Export() {
    QString fileName;
    int format = kTextReport;
    if (!ImportExportDlg::Ask(this, false, false, &fileName, &format)) {
        return;
    }
    // The table as it stands, calculated or not.
    ShowReportResult(this, WriteReport(fileName, GearReport(ReportContents())), fileName);
}

void GearCalculatorDlg::keyPressEvent(QKeyEvent* event) {
    // Enter calculates and keeps the dialog open; Escape still closes it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        Calculate();
        return;
    }
    QDialog::keyPressEvent(event);
}
