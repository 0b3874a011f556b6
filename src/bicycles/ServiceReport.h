#pragma once
// The service report: every bicycle's parts with their usage and its tasks
// with their state, as plain text, comma-separated text or an HTML page,
// written through the shared report writer.

#include "bicycles/ServiceStatus.h"
#include "reports/ReportText.h"

#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

// One line of the report: the bicycle, then the part's or task's cells.
struct ServiceReportRow {
    QString bicycle;
    bool task = false;
    QStringList cells;  // parts: name, kind, fitted, distance, riding time, days; tasks: name, interval,
                        // last done, state
};
std::vector<ServiceReportRow> ServiceReportRows(const ServiceData& data, const BicycleList& bicycles,
                                                int64_t today);

ReportText ServiceTextReport(const std::vector<ServiceReportRow>& rows, const QString& summary);
ReportText ServiceCsvReport(const std::vector<ServiceReportRow>& rows, const QString& summary);
ReportText ServiceHtmlReport(const std::vector<ServiceReportRow>& rows, const QString& summary,
                             const QString& baseName);

// Asks for the file and format, writes the report of the whole log and says how it went.
void ExportServiceReport(QWidget* parent);
// Writes the report of the whole log in format (a ReportFormat) to fileName
// and says how it went.
void WriteServiceReport(QWidget* parent, const QString& fileName, int format);
