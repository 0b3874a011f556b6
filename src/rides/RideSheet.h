#pragma once
// The rides as a spreadsheet keeps them: the columns of the "CSV for
// spreadsheets" export, which the spreadsheet import knows again by their
// headings. A column of the ride's further figures, its effort or its
// feeling is written only when one of the exported rides has it.

#include "language/Language.h"
#include "reports/RecordReport.h"
#include "store/store.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

enum class RideSheetField : int {
    Date,
    Bicycle,
    Distance,
    RidingTime,
    AverageSpeed,
    MaxSpeed,
    // The further figures, in the order of kRideDetailFigures.
    Ascent,
    Descent,
    AverageHeartRate,
    MaxHeartRate,
    AverageCadence,
    AveragePower,
    MaxPower,
    Calories,
    Temperature,
    ElapsedTime,
    Effort,
    Feeling,
    Memo,
};
inline constexpr int kRideSheetFieldCount = static_cast<int>(RideSheetField::Memo) + 1;
inline constexpr int kFirstDetailField = static_cast<int>(RideSheetField::Ascent);
inline constexpr int kDetailFieldCount =
    static_cast<int>(RideSheetField::ElapsedTime) - kFirstDetailField + 1;

// The field's name as the rider reads it, without a unit.
QString RideSheetFieldName(RideSheetField field);
// The unit its numbers are in, as the heading shows it in brackets ("km",
// "h:mm:ss", "bpm"); empty for text and plain counts. Distances and speeds
// in the unit in force.
QString RideSheetFieldUnit(RideSheetField field);
// "Distance (km)": the heading of the export.
QString RideSheetHeading(RideSheetField field);
// Headings the import takes for the field besides its own: its English name
// and the names other programs' lists use ("Start Time", "Moving Time",
// "Gear", "Notes").
QStringList RideSheetHeadingCandidates(RideSheetField field);

// The file the export writes of the rides given, in their order; the further
// figures read from the store.
QByteArray RideSpreadsheetReport(const RecordReportInput<RideRecord>& input);
