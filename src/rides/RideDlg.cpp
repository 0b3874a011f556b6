#include "rides/RideDlg.h"

#include "rides/RideReport.h"

void RideListTraits::Export(QWidget* page, const QString& fileName, int format,
                            std::vector<const RideRecord*> rows, const BicycleList& bicycles,
                            const QString& statusText) {
    ExportRecordReport(page, fileName, format, RideReportInput{std::move(rows), &bicycles, statusText},
                       kRideReports);
}

RideDlg::RideDlg(LinkLabel& statusLine, QWidget* parent) : RecordListPageOf(statusLine, parent) {
    setObjectName(QStringLiteral("RideDlg"));
    Table()->setObjectName(QStringLiteral("rideTable"));
}
