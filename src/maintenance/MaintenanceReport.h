#pragma once
// The three maintenance reports: plain text and comma-separated text copy the
// table as it is shown (same cells, same order); the HTML page sets out each
// entry with its formatted memo, which it shows from a copy of the entry's
// memo folder beside the page. Contents only: writing goes through
// reports/ReportFiles.

#include "reports/RecordReport.h"
#include "reports/ReportText.h"
#include "store/store.h"

#include <QByteArray>
#include <QString>

using MaintenanceReportInput = RecordReportInput<MaintenanceRecord>;

ReportText MaintenanceTextReport(const MaintenanceReportInput& input);
ReportText MaintenanceCsvReport(const MaintenanceReportInput& input);
// baseName: the report's file name without its folder; the page's links to the
// memos and the logo start with it.
ReportText MaintenanceHtmlReport(const MaintenanceReportInput& input, const QString& baseName);
// The CSV for spreadsheets (see reports/SpreadsheetCsv.h): date and time,
// bicycle, cost (the currency in the heading) and memo.
QByteArray MaintenanceSpreadsheetReport(const MaintenanceReportInput& input);

inline constexpr RecordReports<MaintenanceRecord> kMaintenanceReports = {
    &MaintenanceTextReport, &MaintenanceCsvReport, &MaintenanceHtmlReport, &MaintenanceSpreadsheetReport};
