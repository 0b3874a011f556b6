#pragma once
// The small dialog every export asks first: the target file and the report
// format. The bicycle, ride and maintenance pages offer plain text,
// comma-separated text and HTML; the statistics page and the gear calculator
// plain text only. The caller then writes the report itself.

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;

// The formats; the bicycle, ride and maintenance lists offer the first three
// (the statistics page and the gear calculator fewer), the ride and
// maintenance lists also the CSV for spreadsheets, listed last.
enum ReportFormat : int { kTextReport = 0, kCsvReport = 1, kHtmlReport = 2, kSpreadsheetReport = 3 };

// A path chosen in the file dialog made to end in its format's extension:
// ".txt", ".csv" (both CSV formats), or ".html" (".htm" is left as it is),
// compared without case.
QString WithReportExtension(const QString& path, int format);

class ImportExportDlg : public QDialog {
    Q_OBJECT
public:
    ImportExportDlg(bool offerCsv, bool offerHtml, QWidget* parent = nullptr, bool offerSpreadsheet = false);

    // Set when the dialog was accepted with Save.
    QString FileName() const { return m_fileName; }
    // The ReportFormat chosen.
    int FormatIndex() const { return m_formatIndex; }

    // Offers a choice among a page's reports (names in order) under label,
    // below the format; the first is chosen at the start.
    void OfferReports(const QString& label, const QStringList& names);
    // The report chosen: its place among the names offered (0 without a choice).
    int ReportIndex() const { return m_reportIndex; }

    // Runs the dialog (guarded against its parent closing); true when the
    // user chose Save with a file name.
    static bool Ask(QWidget* parent, bool offerCsv, bool offerHtml, QString* fileName, int* formatIndex,
                    bool offerSpreadsheet = false);
    // The same with text, CSV and HTML and a choice of reports; *reportIndex
    // is the one chosen.
    static bool AskReport(QWidget* parent, const QString& label, const QStringList& reports,
                          QString* fileName, int* formatIndex, int* reportIndex);

private:
    int ChosenFormat() const;
    void OnBrowse();
    void OnSave();

    QLineEdit* m_fileNameBox;
    QComboBox* m_formatList;
    QPushButton* m_save;
    QGridLayout* m_grid = nullptr;
    QComboBox* m_reportList = nullptr;
    QString m_fileName;
    int m_formatIndex = 0;
    int m_reportIndex = 0;
};
