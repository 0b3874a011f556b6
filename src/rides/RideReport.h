#pragma once
// The ride reports: plain text and comma-separated text copy the ride
// table as it is shown (same cells, same order); the HTML page sets out each
// ride with its formatted memo, which it shows from a copy of the ride's memo
// folder beside the page; the CSV for spreadsheets is made in RideSheet. Contents only: writing goes through
// reports/ReportFiles.

#include "reports/RecordReport.h"
#include "reports/ReportText.h"
#include "rides/RideSheet.h"
#include "store/store.h"

#include <QString>

using RideReportInput = RecordReportInput<RideRecord>;

ReportText RideTextReport(const RideReportInput& input);
ReportText RideCsvReport(const RideReportInput& input);
// baseName: the report's file name without its folder; the page's links to the
// memos and the logo start with it.
ReportText RideHtmlReport(const RideReportInput& input, const QString& baseName);

inline constexpr RecordReports<RideRecord> kRideReports = {&RideTextReport, &RideCsvReport, &RideHtmlReport,
                                                           &RideSpreadsheetReport};
