#include "maintenance/MaintenanceReport.h"

#include "language/Language.h"
#include "maintenance/MaintenanceTable.h"
#include "reports/RecordReport.h"
#include "units/RecordCells.h"
#include "units/RecordFolders.h"
#include "units/TextBlock.h"
#include "units/Units.h"

namespace {

// Table cells and headings go into the text reports up to this length.
constexpr qsizetype kCellCharacters = 63;

// The one-cell row that opens an entry's table: the date label and the date.
const char16_t kDateRow[] =
    u"<tbody>\r\n<tr>\r\n<td height=\"2\" colspan=\"2\"><font color=\"#3333cc\">$$</font></td>\r\n</tr>\r\n";

// What a report of a given size is likely to need, so the text grows once.
qsizetype ExpectedCharacters(const MaintenanceReportInput& input, qsizetype perEntry) {
    qsizetype memos = 0;
    for (const MaintenanceRecord* entry : input.entries) {
        memos += static_cast<qsizetype>(entry->Memo.size() / 2);
    }
    return 512 + static_cast<qsizetype>(input.entries.size()) * perEntry + memos;
}

RecordCellWords WordsFor(const MaintenanceReportInput& input) {
    return RecordCellWords::Current(input.bicycles ? *input.bicycles : BicycleList());
}

QString Heading(int column) {
    return GetLanguageString(MaintenanceColumnInfo(column).heading);
}

}  // namespace

ReportText MaintenanceTextReport(const MaintenanceReportInput& input) {
    const RecordCellWords words = WordsFor(input);
    ReportText report(ExpectedCharacters(input, 80));
    report.Write(GetLanguageString("MainDlg", "MAIN")).Write(u"\r\n\r\n");
    for (int column = 0; column < kMaintenanceColumnCount; ++column) {
        report.Write(CutText(Heading(column), kCellCharacters)).Write(u" | ");
    }
    report.Write(u"\r\n");
    for (const MaintenanceRecord* entry : input.entries) {
        for (int column = 0; column < kMaintenanceMemoColumn; ++column) {
            report.Write(CutText(MaintenanceCellText(*entry, column, words), kCellCharacters)).Write(u" | ");
        }
        report.Write(u"\r\n").Write(FromTextBlock(entry->Memo)).Write(u"\r\n\r\n");
    }
    AppendTextReportFoot(report, input.statusText);
    return report;
}

ReportText MaintenanceCsvReport(const MaintenanceReportInput& input) {
    const RecordCellWords words = WordsFor(input);
    ReportText report(ExpectedCharacters(input, 64));
    for (int column = 0; column < kMaintenanceColumnCount; ++column) {
        report.CsvField(CutText(Heading(column), kCellCharacters)).Write(u",");
    }
    report.Write(u"\r\n");
    QString memo;
    for (const MaintenanceRecord* entry : input.entries) {
        for (int column = 0; column < kMaintenanceMemoColumn; ++column) {
            report.CsvField(CutText(MaintenanceCellText(*entry, column, words), kCellCharacters)).Write(u",");
        }
        memo.clear();
        AppendCsvQuoted(memo, FromTextBlock(entry->Memo));
        report.Write(u"\"").Write(memo).Write(u"\"\r\n");
    }
    AppendCsvReportFoot(report, input.statusText);
    return report;
}

ReportText MaintenanceHtmlReport(const MaintenanceReportInput& input, const QString& baseName) {
    const BicycleList noBicycles;
    const BicycleList& bicycles = input.bicycles ? *input.bicycles : noBicycles;
    const QString dateLabel = HtmlEscape(GetLanguageStringWithColon("Strings", "DATE"));
    const QString nameLabel = GetLanguageStringWithColon("BicycleAttrDlg", "NAME");
    const QString costLabel = GetLanguageStringWithColon("Strings", "COST");
    const QString memoHeading = GetLanguageStringWithColon("Strings", "MEMO");

    ReportText page(ExpectedCharacters(input, 1000));
    AppendRecordPageHead(page, GetLanguageString("MainDlg", "MAIN"));
    for (const MaintenanceRecord* entry : input.entries) {
        AppendRecordTableStart(page);
        page.Template(kDateRow, {dateLabel, FormatDate(entry->Date)});
        const BicycleAttribute* bicycle = nullptr;
        QString name;
        if (DB_FindBicycle(entry->BicycleNumber, &bicycles, &bicycle) == store::kOk && bicycle) {
            name = nameLabel + FromTextBlock(bicycle->BicycleName);
        }
        // The cost is shown whether or not the bicycle is still there: the
        // total below the tables counts it either way.
        AppendRecordRow(page, name, QString(costLabel + FormatNumber(entry->Cost)));
        AppendRecordMemo(page, memoHeading, baseName, entry->MaintenanceRecordNumber);
        AppendRecordTableEnd(page);
    }
    AppendRecordPageFoot(page, input.statusText, baseName);
    return page;
}

std::vector<CompanionCopy> MaintenanceMemoCopies(const MaintenanceReportInput& input) {
    std::vector<CompanionCopy> copies;
    copies.reserve(input.entries.size());
    for (const MaintenanceRecord* entry : input.entries) {
        copies.push_back({RecordMemoFolder(RecordKind::Maintenance, entry->MaintenanceRecordNumber),
                          QString::number(entry->MaintenanceRecordNumber)});
    }
    return copies;
}
