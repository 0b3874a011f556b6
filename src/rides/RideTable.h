#pragma once
// The ride list as the page shows it and its reports copy it: the seven
// columns with their cells and sort keys, and the totals of the listed rides
// for the status line. Plain functions of plain inputs, usable without a window.

#include "store/store.h"
#include "units/RecordCells.h"
#include "units/RideFigures.h"
#include "widgets/RecordTableModel.h"

#include <QString>
#include <vector>

enum RideColumn : int {
    kRideDateColumn,
    kRideBicycleColumn,
    kRideDistanceColumn,
    kRideTimeColumn,
    kRideAverageColumn,
    kRideMaxSpeedColumn,
    kRideMemoColumn,
    kRideColumnCount
};

// The words every list's cells are made of, and the unit words of the
// distance and speed cells.
struct RideCellWords : RecordCellWords {
    QString distanceUnit;
    QString speedUnit;

    // From the language table, the unit in force and the given bicycles.
    static RideCellWords Current(const BicycleList& bicycles);
};

QString RideCellText(const RideRecord& ride, int column, const RideCellWords& words);
// The key a click on the column's heading sorts by; the memo column has none.
double RideSortKey(const RideRecord& ride, int column);

// The model's column table; the cells read words through the pointer, which
// must outlive the model.
std::vector<RecordColumn<RideRecord>> RideTableColumns(const RideCellWords* words);

// Totals of the listed rides for the status line.
struct RideTotals {
    int count = 0;
    double distanceKm = 0.0;
    double timedDistanceKm = 0.0;  // of the rides with a riding time
    RidingTimeSum time;            // normalised
    double maxSpeedKm = 0.0;
};
RideTotals SumRides(const std::vector<RideRecord>& rides);

// RideDlg/STAT filled with the totals in the unit in force, at most 255 characters.
QString RideStatusText(const RideTotals& totals);
