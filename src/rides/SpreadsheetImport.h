#pragma once
// Rides from a spreadsheet: a CSV file of the export for spreadsheets, or a
// log kept by hand with date, distance, time, bicycle and note columns in any
// order. The columns are guessed from their headings and may be changed by
// the rider, as may the order of day, month and year, the decimal mark and
// the unit of the distances; then every row is read into a ride or into the
// reason it cannot be one, with its line in the file. Rides already in the
// log are skipped, bicycle names the log does not know become new bicycles or
// are given to existing ones. Plain functions over the store; the dialog adds
// the choices and the progress.

#include "rides/RideImport.h"
#include "rides/RideSheet.h"
#include "store/store.h"
#include "units/CsvReader.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

enum class DateOrder { DayMonthYear, MonthDayYear, YearFirst };

// What each field is read from and how.
struct SheetMapping {
    std::array<int, kRideSheetFieldCount> columns;  // the column of each field, or -1
    DateOrder dateOrder = DateOrder::YearFirst;
    QChar decimalMark = u'.';
    bool miles = false;  // distances and speeds in miles and mph

    SheetMapping() { columns.fill(-1); }
    int& Column(RideSheetField field) { return columns[static_cast<size_t>(field)]; }
    int Column(RideSheetField field) const { return columns[static_cast<size_t>(field)]; }
};

// The mapping the headings and the first rows suggest: each field in the
// column whose heading names it (see RideSheetHeadingCandidates), the date
// order the dates show (a first number above 12 is a day, a second one above
// 12 makes the month first, a four-digit first number the year), the decimal
// mark that goes with the separator, the distance unit of the heading ("km",
// "miles") or else the one in force.
SheetMapping GuessSheetMapping(const CsvTable& table);

// The moment a date cell names in the order given: "2025-05-04T10:00:00+02:00"
// (any order; with an offset it is exact, without it the local time),
// "4.5.2025 10:00", "05/04/2025 7:15 PM", "2025/5/4"; a two-digit year is
// this century's up to 69. Nothing when the text names no date.
std::optional<int64_t> ReadSheetDate(const QString& text, DateOrder order);
// A length of time: "h:mm:ss" or "h:mm", or a plain number in the unit the
// heading names in brackets ("s", "min", "h"; minutes when it names none).
std::optional<int64_t> ReadSheetDuration(const QString& text, const QString& heading, QChar decimalMark);
// A plain number written with the decimal mark (a point is taken too, and
// groups of thousands); a unit word after it is allowed. Nothing when the
// text is not one.
std::optional<double> ReadSheetNumber(const QString& text, QChar decimalMark, bool allowSign = false);

// One row of the file, read.
struct SheetRow {
    int line = 0;         // in the file, from 1
    QString error;        // why the row cannot be a ride; empty when it can
    RideRecord ride;      // without bicycle and number
    RideDetail detail;    // the further figures
    QString bicycleName;  // as the file has it, trimmed; empty when it names none
    QString memo;         // plain text, lines ending in CR LF
    bool IsRide() const { return error.isEmpty(); }
};
std::vector<SheetRow> ReadSheetRows(const CsvTable& table, const SheetMapping& mapping);

// The bicycle names of the rows in the order they first appear, and the
// bicycle each is given: an existing one of the same name (case aside), or
// a new one (number 0) until the rider says otherwise.
struct SheetBicycle {
    QString name;
    int32_t number = 0;  // 0: a new bicycle of this name
};
std::vector<SheetBicycle> GuessSheetBicycles(const std::vector<SheetRow>& rows, const BicycleList& bicycles);

// Rides within a minute of each other on the same bicycle, whose distances
// differ by no more than 1.5 %, are the same ride.
bool IsSameSheetRide(int64_t start, double km, int64_t otherStart, double otherKm);

// Stores the rides of the rows: each row's bicycle by its name (new bicycles
// made when the first of their rides is stored), rows without a name on
// defaultBicycle; rides already in the log skipped. Rows that cannot be read
// are reported with their lines; step is called before each row (path empty).
ImportSummary ImportSheetRows(const std::vector<SheetRow>& rows, const std::vector<SheetBicycle>& bicycles,
                              int32_t defaultBicycle, const ImportStep& step = {});
