#include "widgets/ImportExportDlg.h"

#include "language/Language.h"
#include "platform/Dialogs.h"
#include "platform/ModalRun.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

QString WithReportExtension(const QString& path, int format) {
    const QString extension = QFileInfo(path).suffix().toLower();
    switch (format) {
        case kCsvReport:
        case kSpreadsheetReport:
            return extension == u"csv" ? path : path + QStringLiteral(".csv");
        case kHtmlReport:
            return extension == u"htm" || extension == u"html" ? path : path + QStringLiteral(".html");
        default:
            return extension == u"txt" ? path : path + QStringLiteral(".txt");
    }
}

ImportExportDlg::ImportExportDlg(bool offerCsv, bool offerHtml, QWidget* parent, bool offerSpreadsheet)
    : QDialog(parent),
      m_fileNameBox(new QLineEdit(this)),
      m_formatList(new QComboBox(this)),
      m_save(new QPushButton(this)) {
    setObjectName(QStringLiteral("ImportExportDlg"));
    setWindowTitle(GetLanguageString("Strings", "EXPT"));

    auto* fileLabel = new QLabel(GetLanguageStringWithColon("Strings", "FILN"), this);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    auto* formatLabel = new QLabel(GetLanguageStringWithColon("ImportExportDlg", "EXPT"), this);
    auto* cancel =
        new QPushButton(GetLanguageStringWithAccelerator("Strings", "CANC", QStringLiteral("C")), this);
    m_save->setText(GetLanguageStringWithAccelerator("Strings", "SAVE", QStringLiteral("S")));

    m_fileNameBox->setObjectName(QStringLiteral("fileName"));
    m_fileNameBox->setMaxLength(1023);
    m_fileNameBox->setMinimumWidth(320);
    browse->setObjectName(QStringLiteral("browse"));
    browse->setAutoDefault(false);
    browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    m_formatList->setObjectName(QStringLiteral("format"));
    m_save->setObjectName(QStringLiteral("save"));
    m_save->setDefault(true);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    fileLabel->setBuddy(m_fileNameBox);
    formatLabel->setBuddy(m_formatList);

    m_formatList->addItem(GetLanguageString("ImportExportDlg", "TXTF"), kTextReport);
    if (offerCsv) {
        m_formatList->addItem(GetLanguageString("ImportExportDlg", "CSVF"), kCsvReport);
    }
    if (offerHtml) {
        m_formatList->addItem(GetLanguageString("ImportExportDlg", "HTMF"), kHtmlReport);
    }
    if (offerSpreadsheet) {
        m_formatList->addItem(GetLanguageString("SpreadsheetCsv", "FORM"), kSpreadsheetReport);
    }
    m_formatList->setCurrentIndex(0);

    auto* grid = new QGridLayout;
    m_grid = grid;
    grid->addWidget(fileLabel, 0, 0);
    grid->addWidget(m_fileNameBox, 0, 1);
    grid->addWidget(browse, 0, 2);
    grid->addWidget(formatLabel, 1, 0);
    grid->addWidget(m_formatList, 1, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(cancel);
    auto* layout = new QGridLayout(this);
    layout->addLayout(grid, 0, 0);
    layout->setRowMinimumHeight(1, 8);
    layout->addLayout(buttons, 2, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(browse, &QPushButton::clicked, this, &ImportExportDlg::OnBrowse);
    connect(m_save, &QPushButton::clicked, this, &ImportExportDlg::OnSave);
    connect(cancel, &QPushButton::clicked, this, &ImportExportDlg::reject);
}

void ImportExportDlg::OnBrowse() {
    // The filter texts carry the file dialog's own syntax: a format's filter
    // followed by the "all files" one.
    static constexpr LanguageKey kFilters[] = {
        LanguageKey{"ImportExportDlg", "TXTM"},
        LanguageKey{"ImportExportDlg", "CSVM"},
        LanguageKey{"ImportExportDlg", "HTMM"},
    };
    const int format = ChosenFormat();
    const QString filter = GetLanguageString(kFilters[format == kSpreadsheetReport ? kCsvReport : format]) +
                           GetLanguageString("ImportExportDlg", "ALLM");
    const QString chosen =
        AppDialogs().GetSaveFileName(this, GetLanguageString("Strings", "EXPT"), QString(), filter);
    if (chosen.isEmpty()) {
        return;
    }
    m_fileNameBox->setText(WithReportExtension(chosen, format));
}

void ImportExportDlg::OfferReports(const QString& label, const QStringList& names) {
    if (!m_reportList) {
        m_reportList = new QComboBox(this);
        m_reportList->setObjectName(QStringLiteral("report"));
        auto* reportLabel = new QLabel(label, this);
        reportLabel->setBuddy(m_reportList);
        m_grid->addWidget(reportLabel, 2, 0);
        m_grid->addWidget(m_reportList, 2, 1, 1, 2);
    }
    m_reportList->clear();
    m_reportList->addItems(names);
    m_reportList->setCurrentIndex(0);
}

int ImportExportDlg::ChosenFormat() const {
    return std::clamp(m_formatList->currentData().toInt(), 0, static_cast<int>(kSpreadsheetReport));
}

void ImportExportDlg::OnSave() {
    m_formatIndex = ChosenFormat();
    m_reportIndex = m_reportList ? std::max(0, m_reportList->currentIndex()) : 0;
    if (m_fileNameBox->text().isEmpty()) {
        ShowError(this, GetLanguageString("ErrorStrings", "SELF"));
        m_fileNameBox->setFocus();
        return;
    }
    // A name typed without an extension gets the chosen format's; one
    // with an extension of its own ("rides.doc") is used as typed.
    const QString typed = m_fileNameBox->text();
    m_fileName = QFileInfo(typed).suffix().isEmpty() ? WithReportExtension(typed, m_formatIndex) : typed;
    accept();
}

bool ImportExportDlg::Ask(QWidget* parent, bool offerCsv, bool offerHtml, QString* fileName, int* formatIndex,
                          bool offerSpreadsheet) {
    GuardedModal dialog(new ImportExportDlg(offerCsv, offerHtml, parent, offerSpreadsheet));
    if (RunModal(&*dialog, QDialog::Rejected) != QDialog::Accepted || !dialog.Alive()) {
        return false;
    }
    *fileName = dialog->FileName();
    *formatIndex = dialog->FormatIndex();
    return true;
}

bool ImportExportDlg::AskReport(QWidget* parent, const QString& label, const QStringList& reports,
                                QString* fileName, int* formatIndex, int* reportIndex) {
    GuardedModal dialog(new ImportExportDlg(true, true, parent));
    dialog->OfferReports(label, reports);
    if (RunModal(&*dialog, QDialog::Rejected) != QDialog::Accepted || !dialog.Alive()) {
        return false;
    }
    *fileName = dialog->FileName();
    *formatIndex = dialog->FormatIndex();
    *reportIndex = dialog->ReportIndex();
    return true;
}
