#include "rides/RideTable.h"

#include "language/CountedText.h"
#include "language/Language.h"
#include "units/SafeFormat.h"
#include "units/Units.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

constexpr int kStatusTextCharacters = 255;

const std::array<TableColumnInfo, kRideColumnCount> kColumns = {{
    {LanguageKey{"RideRecordDlg", "RDDT"}, 100, Qt::AlignLeft | Qt::AlignVCenter, true},
    {LanguageKey{"Strings", "BICY"}, 100, Qt::AlignLeft | Qt::AlignVCenter, true},
    {LanguageKey{"Strings", "DIST"}, 75, Qt::AlignLeft | Qt::AlignVCenter, true},
    {LanguageKey{"RideRecordDlg", "RDTM"}, 70, Qt::AlignLeft | Qt::AlignVCenter, true},
    {LanguageKey{"Strings", "AVGS"}, 85, Qt::AlignLeft | Qt::AlignVCenter, true},
    {LanguageKey{"Strings", "MAXS"}, 85, Qt::AlignLeft | Qt::AlignVCenter, true},
    {LanguageKey{"Strings", "MEMO"}, 120, Qt::AlignLeft | Qt::AlignVCenter, false},
}};

int ClampToInt(int64_t value) {
    return static_cast<int>(
        std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// "%.2f" followed directly by a word, as the number cells show it.
QString NumberCell(double value, const QString& unitWord) {
    return FormatNumber(value) + unitWord;
}

}  // namespace

RideCellWords RideCellWords::Current(const BicycleList& bicycles) {
    return RideCellWords{RecordCellWords::Current(bicycles), GetDistanceUnitWord(), GetSpeedUnitWord()};
}

QString RideCellText(const RideRecord& ride, int column, const RideCellWords& words) {
    switch (column) {
        case kRideDateColumn:
            return words.DateCell(ride.Date);
        case kRideBicycleColumn:
            return words.BicycleName(ride.BicycleNumber);
        case kRideDistanceColumn:
            return NumberCell(FromKilometres(ride.Distance), words.distanceUnit);
        case kRideTimeColumn: {
            // "%d:%02d:%02d"
            QString cell;
            cell.reserve(12);
            AppendZeroPadded(cell, ride.Hours, 1);
            cell += u':';
            AppendZeroPadded(cell, ride.Minutes, 2);
            cell += u':';
            AppendZeroPadded(cell, ride.Seconds, 2);
            return cell;
        }
        case kRideAverageColumn:
            return NumberCell(
                FromKilometres(AverageSpeed(ride.Distance, ride.Hours, ride.Minutes, ride.Seconds)),
                words.speedUnit);
        case kRideMaxSpeedColumn:
            return NumberCell(FromKilometres(ride.MaxSpeed), words.speedUnit);
        case kRideMemoColumn:
            return MemoCellText(ride.Memo);
        default:
            return {};
    }
}

double RideSortKey(const RideRecord& ride, int column) {
    switch (column) {
        case kRideDateColumn:
            return ride.Date;
        case kRideBicycleColumn:
            return ride.BicycleNumber;
        case kRideDistanceColumn:
            return ride.Distance;
        case kRideTimeColumn:
            return static_cast<double>(ride.Hours) * 3600.0 + static_cast<double>(ride.Minutes) * 60.0 +
                   static_cast<double>(ride.Seconds);
        case kRideAverageColumn:
            return AverageSpeed(ride.Distance, ride.Hours, ride.Minutes, ride.Seconds);
        case kRideMaxSpeedColumn:
            return ride.MaxSpeed;
        default:
            return 0.0;
    }
}

std::vector<RecordColumn<RideRecord>> RideTableColumns(const RideCellWords* words) {
    return MakeRecordColumns<RideRecord>(kColumns, words, &RideCellText, &RideSortKey);
}

RideTotals SumRides(const std::vector<RideRecord>& rides) {
    RideTotals totals;
    for (const RideRecord& ride : rides) {
        totals.distanceKm += ride.Distance;
        totals.timedDistanceKm += TimedDistance(ride.Distance, ride.Hours, ride.Minutes, ride.Seconds);
        totals.time.Add(ride.Hours, ride.Minutes, ride.Seconds);
        if (ride.MaxSpeed > totals.maxSpeedKm) {
            totals.maxSpeedKm = ride.MaxSpeed;
        }
        ++totals.count;
    }
    totals.time.Normalise();
    return totals;
}

QString RideStatusText(const RideTotals& totals) {
    const QString distanceUnit = GetDistanceUnitWord();
    const QString speedUnit = GetSpeedUnitWord();
    const RidingTimeSum& time = totals.time;
    QString text = SafeFormat(
        GetCountedLanguageString(LanguageKey{"RideDlg", "STAT"}, LanguageKey{"RideDlg", "STA1"},
                                 totals.count),
        {totals.count, FromKilometres(totals.distanceKm), distanceUnit, ClampToInt(time.hours),
         ClampToInt(time.minutes), ClampToInt(time.seconds),
         FromKilometres(AverageSpeed(totals.timedDistanceKm, time.hours, time.minutes, time.seconds)),
         speedUnit, FromKilometres(totals.maxSpeedKm), speedUnit});
    text.truncate(kStatusTextCharacters);
    return text;
}
