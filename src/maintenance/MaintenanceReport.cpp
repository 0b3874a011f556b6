#include "maintenance/MaintenanceReport.h"

#include "language/Language.h"
#include "maintenance/MaintenanceTable.h"
#include "reports/SpreadsheetCsv.h"
#include "units/RecordCells.h"
#include "units/TextBlock.h"
#include "units/Units.h"

namespace {

// The one-cell row that opens an entry's table: the date label and the date.
const char16_t kDateRow[] =
    u"<tbody>\r\n<tr>\r\n<td height=\"2\" colspan=\"2\"><font color=\"#3333cc\">$$</font></td>\r\n</tr>\r\n";

}  // namespace

ReportText MaintenanceTextReport(const MaintenanceReportInput& input) {
    const RecordCellWords words = RecordCellWords::Current(input.Bicycles());
    return RecordTextReport(GetLanguageString("MainDlg", "MAIN"), MaintenanceTableColumns(&words), input, 80);
}

ReportText MaintenanceCsvReport(const MaintenanceReportInput& input) {
    const RecordCellWords words = RecordCellWords::Current(input.Bicycles());
    return RecordCsvReport(MaintenanceTableColumns(&words), input, 64);
}

ReportText MaintenanceHtmlReport(const MaintenanceReportInput& input, const QString& baseName) {
    const BicycleList& bicycles = input.Bicycles();
    const QString dateLabel = HtmlEscape(GetLanguageStringWithColon("Strings", "DATE"));
    const QString nameLabel = GetLanguageStringWithColon("BicycleAttrDlg", "NAME");
    const QString costLabel = GetLanguageStringWithColon("Strings", "COST");
    const QString memoHeading = GetLanguageStringWithColon("Strings", "MEMO");

    ReportText page(ExpectedReportCharacters(input, 1000));
    AppendRecordPageHead(page, GetLanguageString("MainDlg", "MAIN"));
    for (const MaintenanceRecord* entry : input.records) {
        AppendRecordTableStart(page);
        page.Template(kDateRow, {dateLabel, FormatDate(entry->Date)});
        const BicycleAttribute* bicycle = nullptr;
        QString name;
        QString cost;
        // Both cells go with the bicycle: an entry whose bicycle is gone
        // shows neither, though the total below the tables counts its cost.
        if (DB_FindBicycle(entry->BicycleNumber, &bicycles, &bicycle) == store::kOk && bicycle) {
            name = nameLabel + FromTextBlock(bicycle->BicycleName);
            cost = costLabel + FormatNumber(entry->Cost);
        }
        AppendRecordRow(page, name, cost);
        AppendRecordMemo(page, memoHeading, baseName, *entry);
        AppendRecordTableEnd(page);
    }
    AppendRecordPageFoot(page, input.statusText, baseName);
    return page;
}

QByteArray MaintenanceSpreadsheetReport(const MaintenanceReportInput& input) {
    const BicycleList& bicycles = input.Bicycles();
    // Costs read in dollars until the rider chooses a currency.
    const QString symbol = GetCurrencySymbol().isEmpty() ? QStringLiteral("$") : GetCurrencySymbol();
    SpreadsheetCsv sheet(CurrentSpreadsheetConventions());
    sheet.Text(GetLanguageString("Strings", "DATE"))
        .Text(GetLanguageString("Strings", "BICY"))
        .Text(QString(GetLanguageString("Strings", "COST") + u" (" + symbol + u')'))
        .Text(GetLanguageString("Strings", "MEMO"))
        .EndLine();
    for (const MaintenanceRecord* entry : input.records) {
        const BicycleAttribute* bicycle = nullptr;
        const bool found = DB_FindBicycle(entry->BicycleNumber, &bicycles, &bicycle) == store::kOk && bicycle;
        sheet.Text(IsoLocalDateTime(entry->Date))
            .Text(found ? FromTextBlock(bicycle->BicycleName) : QString())
            .Number(entry->Cost)
            .Text(FromTextBlock(entry->Memo))
            .EndLine();
    }
    return sheet.Bytes();
}
