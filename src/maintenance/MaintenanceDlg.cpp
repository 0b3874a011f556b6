#include "maintenance/MaintenanceDlg.h"

#include "maintenance/MaintenanceReport.h"

void MaintenanceListTraits::Export(QWidget* page, const QString& fileName, int format,
                                   std::vector<const MaintenanceRecord*> rows, const BicycleList& bicycles,
                                   const QString& statusText) {
    ExportRecordReport(page, fileName, format, MaintenanceReportInput{std::move(rows), &bicycles, statusText},
                       kMaintenanceReports);
}

MaintenanceDlg::MaintenanceDlg(LinkLabel& statusLine, QWidget* parent)
    : RecordListPageOf(statusLine, parent) {
    setObjectName(QStringLiteral("MaintenanceDlg"));
    Table()->setObjectName(QStringLiteral("maintenanceTable"));
}
