#pragma once
// Putting a finished report on disk and telling the user how it went. A
// report is written completely or not at all: a failed export leaves neither
// a half file nor an empty companion folder behind, and an older report of
// the same name stays as it was.

#include <QByteArray>
#include <QString>
#include <vector>

class QWidget;
class ReportText;

enum class ReportResult {
    Written,
    FileFailed,    // the report file could not be written
    FolderFailed,  // the HTML report's companion folder could not be made
};

// Writes a text or comma-separated report.
ReportResult WriteReport(const QString& path, const ReportText& report);
// Writes a report whose bytes are made already (the CSV for spreadsheets).
ReportResult WriteReportBytes(const QString& path, const QByteArray& bytes);

// The folder an HTML report keeps beside it: its full file name followed by
// ".files" (log.htm -> log.htm.files). Links of the page point into it.
QString CompanionFolderPath(const QString& reportPath);

// A folder copied into the companion folder under the given name (a memo
// folder keeps its record number as name).
struct CompanionCopy {
    QString sourceFolder;
    QString name;
};

// Writes an HTML report: makes the companion folder when missing, writes the
// page, then copies the given folders into the companion folder and the
// program's logo.dat there as logo.jpg. A folder or the logo that cannot be
// copied is left out silently, as the page still reads without it. Memo
// folders an earlier report of the same name left there, of records this
// report does not list, are removed; a report knows them by their shape
// (data.htm and plain files, perhaps data.files of plain files), so a folder
// the rider keeps there, even one named by a number, stays, and one in the
// place of a memo copy is not replaced. A companion folder that is a link is
// not written through: the report fails with FolderFailed.
ReportResult WriteHtmlReport(const QString& path, const ReportText& page,
                             const std::vector<CompanionCopy>& copies);

// The message that ends every export. When it was written: Strings/EXPC,
// where the file is, and the offer to open it with the desktop's program for
// it; when not, ErrorStrings/CCTF or CRTD with the reason.
void ShowReportResult(QWidget* parent, ReportResult result, const QString& path);

// The text of the message after a report was written to path.
QString ReportWrittenText(const QString& path);
