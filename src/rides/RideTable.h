#pragma once
// The ride list as the page shows it and its reports copy it: the seven
// columns with their cells and sort keys, and the totals of the listed rides
// for the status line. Plain functions of plain inputs, usable without a window.

#include "store/store.h"
#include "units/LocalCalendar.h"
#include "units/RideFigures.h"
#include "widgets/RecordTableModel.h"

#include <QString>
#include <array>
#include <unordered_map>
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

// Heading, width and alignment of a column.
const TableColumnInfo& RideColumnInfo(int column);

// The words and names the cells are made of, looked up once for a whole list
// rather than once per cell: weekdays, unit words and the bicycles' names.
struct RideCellWords {
    LocalCalendar calendar;
    std::array<QString, 7> weekdays;
    QString distanceUnit;
    QString speedUnit;
    // The first bicycle of each number, as the store's search finds it.
    std::unordered_map<int32_t, QString> bicycleNames;

    // From the language table, the unit in force and the given bicycles.
    static RideCellWords Current(const BicycleList& bicycles);
    // The name of the bicycle with that number, empty when there is none.
    QString BicycleName(int32_t number) const;
};

QString RideCellText(const RideRecord& ride, int column, const RideCellWords& words);
// The key a click on the column's heading sorts by; the memo column has none.
double RideSortKey(const RideRecord& ride, int column);
bool IsRideColumnSortable(int column);
// The memo cell: its first 32 characters, followed by "..." when there are more;
// line breaks shown as blanks.
QString RideMemoCell(const ByteBlock& memo);

// The model's column table; the cells read words through the pointer, which
// must outlive the model.
std::vector<RecordColumn<RideRecord>> RideTableColumns(const RideCellWords* words);

// Totals of the listed rides for the status line.
struct RideTotals {
    int count = 0;
    double distanceKm = 0.0;
    RidingTimeSum time;  // normalised
    double maxSpeedKm = 0.0;
};
RideTotals SumRides(const std::vector<RideRecord>& rides);

// RideDlg/STAT filled with the totals in the unit in force, at most 255 characters.
QString RideStatusText(const RideTotals& totals);
