#include "rides/RideReport.h"

#include "language/Language.h"
#include "rides/RideTable.h"
#include "units/RideFigures.h"
#include "units/TextBlock.h"
#include "units/Units.h"

ReportText RideTextReport(const RideReportInput& input) {
    const RideCellWords words = RideCellWords::Current(input.Bicycles());
    return RecordTextReport(GetLanguageString("MainDlg", "MYRS"), RideTableColumns(&words), input, 140);
}

ReportText RideCsvReport(const RideReportInput& input) {
    const RideCellWords words = RideCellWords::Current(input.Bicycles());
    return RecordCsvReport(RideTableColumns(&words), input, 120);
}

ReportText RideHtmlReport(const RideReportInput& input, const QString& baseName) {
    const BicycleList& bicycles = input.Bicycles();
    const QString dateLabel = GetLanguageStringWithColon("RideRecordDlg", "RDDT");
    const QString nameLabel = GetLanguageStringWithColon("BicycleAttrDlg", "NAME");
    const QString distanceLabel = GetLanguageStringWithColon("Strings", "DIST");
    const QString timeLabel = GetLanguageStringWithColon("RideRecordDlg", "RDTM");
    const QString averageLabel = GetLanguageStringWithColon("Strings", "AVGS");
    const QString maxSpeedLabel = GetLanguageStringWithColon("Strings", "MAXS");
    const QString memoHeading = GetLanguageStringWithColon("Strings", "MEMO");
    const QString distanceUnit = GetDistanceUnitWord();
    const QString speedUnit = GetSpeedUnitWord();

    ReportText page(ExpectedReportCharacters(input, 1200));
    AppendRecordPageHead(page, GetLanguageString("MainDlg", "MYRS"));
    for (const RideRecord* ride : input.records) {
        const BicycleAttribute* bicycle = nullptr;
        QString bicycleCell;
        if (DB_FindBicycle(ride->BicycleNumber, &bicycles, &bicycle) == store::kOk && bicycle) {
            bicycleCell = nameLabel + FromTextBlock(bicycle->BicycleName);
        }
        const QString average = FormatNumber(
            FromKilometres(AverageSpeed(ride->Distance, ride->Hours, ride->Minutes, ride->Seconds)));
        AppendRecordTableStart(page);
        AppendRecordRow(page, QString(dateLabel + FormatDate(ride->Date)), bicycleCell);
        AppendRecordRow(page,
                        QString(distanceLabel + FormatNumber(FromKilometres(ride->Distance)) + distanceUnit),
                        QString(timeLabel + FormatRidingTime(ride->Hours, ride->Minutes, ride->Seconds)));
        AppendRecordRow(page, QString(averageLabel + average + speedUnit),
                        QString(maxSpeedLabel + FormatNumber(FromKilometres(ride->MaxSpeed)) + speedUnit));
        AppendRecordMemo(page, memoHeading, baseName, *ride);
        AppendRecordTableEnd(page);
    }
    AppendRecordPageFoot(page, input.statusText, baseName);
    return page;
}
