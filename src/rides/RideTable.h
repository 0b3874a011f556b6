#pragma once
// The ride list as the page shows it and its reports copy it: the seven
// columns with their cells and sort keys, and the totals of the listed rides
// for the status line. Plain functions of plain inputs, usable without a window.

#include "store/store.h"
#include "units/RecordCells.h"
#include "units/RideFigures.h"
#include "widgets/RecordTableModel.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
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

// The further columns the list can show beside those seven, chosen by the
// rider: what the device recorded or the rider typed, and how hard the ride
// was and how it felt. The reports keep the seven.
enum RideFurtherColumn : int {
    kRideAscentColumn = kRideColumnCount,
    kRideDescentColumn,
    kRideAverageHeartRateColumn,
    kRideMaxHeartRateColumn,
    kRideCadenceColumn,
    kRideAveragePowerColumn,
    kRideMaxPowerColumn,
    kRideCaloriesColumn,
    kRideTemperatureColumn,
    kRideElapsedColumn,
    kRideEffortColumn,
    kRideFeelingColumn,
    kRideListColumnCount
};
inline constexpr int kRideFurtherColumnCount =
    static_cast<int>(kRideListColumnCount) - static_cast<int>(kRideColumnCount);

// The further figures of the listed rides, found by ride number.
class RideDetailIndex {
public:
    // Takes the rows over, in any order.
    void Take(std::vector<RideDetail> rows);
    // The ride's row, or none.
    const RideDetail* Find(int32_t number) const;

private:
    std::vector<RideDetail> m_rows;  // by ride number
};

// The words every list's cells are made of, and the unit words of the
// distance and speed cells.
struct RideCellWords : RecordCellWords {
    QString distanceUnit;
    QString speedUnit;
    // The listed rides' further figures, read with them (ReadListedRideDetails)
    // while a column shows them, and the height they climbed.
    RideDetailIndex details;
    bool detailsRead = false;
    std::optional<double> listedAscent;  // metres; none when no listed ride has one

    // From the language table, the unit in force and the given bicycles.
    static RideCellWords Current(const BicycleList& bicycles);
};

QString RideCellText(const RideRecord& ride, int column, const RideCellWords& words);
// The key a click on the column's heading sorts by; the memo column has none.
double RideSortKey(const RideRecord& ride, int column);

// The further column's figure as stored (metres, beats a minute, seconds,
// the level), or none when the ride has none.
std::optional<double> RideFurtherFigure(const RideRecord& ride, int column, const RideDetailIndex& details);

// The model's column table; the cells read words through the pointer, which
// must outlive the model. The reports' columns: the seven.
std::vector<RecordColumn<RideRecord>> RideTableColumns(const RideCellWords* words);
// The list's: the seven and the further ones, which sort rides without the
// figure first.
std::vector<RecordColumn<RideRecord>> RideListColumns(const RideCellWords* words);

// Whether a column that shows a figure kept beside the ride is shown.
bool AnyRideFigureShown(const std::function<bool(int)>& columnShown);
// Reads what the rides the store condition takes in keep beside them into
// the words: their figures when withFigures (a column shows them), else only
// the height they climbed. False (and nothing kept) when the store refused.
bool ReadListedRideDetails(const char* condition, RideCellWords* words, bool withFigures);

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
// The status line: the same, then the height climbed in the listed rides
// when any has an ascent.
QString RideStatusLineText(const RideTotals& totals, std::optional<double> ascentMetres);
