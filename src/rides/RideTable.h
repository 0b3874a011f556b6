#pragma once
// The ride list as the page shows it and its reports copy it: the seven
// columns with their cells and sort keys, and the totals of the listed rides
// for the status line. Plain functions of plain inputs, usable without a window.

#include "store/store.h"
#include "units/RecordCells.h"
#include "units/RideFigures.h"
#include "widgets/RecordTableModel.h"

#include <QString>
#include <array>
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

// The further figures of the listed rides, found by ride number. A row of
// the store counts for a ride only while it keeps the ride's date.
class RideDetailIndex {
public:
    static constexpr size_t kFigureCount = std::size(kRideDetailFigures);

    // The rides whose figures are wanted, none of them with figures yet.
    void List(const std::vector<RideRecord>& rides);
    // A row of the store, kept when its ride is listed with the row's date:
    // figures[i] is kRideDetailFigures[i], there when bit i of known is set.
    void Take(int32_t number, int32_t date, const double* figures, unsigned known);
    // Figure i (of kRideDetailFigures) of the ride, or none.
    std::optional<double> Figure(int32_t number, size_t figure) const;
    // Figure i summed over the listed rides, in number order; none when none has it.
    std::optional<double> Sum(size_t figure) const;
    // How many rides are listed, and the first and last of their numbers.
    size_t Count() const { return m_entries.size(); }
    int32_t First() const { return m_entries.empty() ? 0 : m_entries.front().number; }
    int32_t Last() const { return m_entries.empty() ? -1 : m_entries.back().number; }

private:
    struct Entry {
        int32_t number;
        int32_t date;
        unsigned known;
        std::array<double, kFigureCount> figures;
    };
    const Entry* Find(int32_t number) const;

    std::vector<Entry> m_entries;  // by ride number
    size_t m_next = 0;             // where Take looks first
};

// The words every list's cells are made of, and the unit words of the
// distance and speed cells.
struct RideCellWords : RecordCellWords {
    QString distanceUnit;
    QString speedUnit;
    // The listed rides' further figures, read with them (ReadListedRideDetails)
    // while a column shows them, and the height they climbed.
    RideDetailIndex details;
    unsigned figuresRead = 0;            // bit i: figure i of kRideDetailFigures is in details
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

// The figures kept beside the ride that the columns shown show: bit i for
// figure i of kRideDetailFigures.
unsigned ShownRideFigures(const std::function<bool(int)>& columnShown);
// Reads what the listed rides (those the store condition takes in) keep
// beside them into the words: the figures wanted (ShownRideFigures) and the
// ascent with them, or without any only the height they climbed. False (and
// nothing kept) when the store refused.
bool ReadListedRideDetails(const char* condition, const std::vector<RideRecord>& rides, RideCellWords* words,
                           unsigned wanted);

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
