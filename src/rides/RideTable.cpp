#include "rides/RideTable.h"

#include "language/CountedText.h"
#include "language/Language.h"
#include "units/HeightUnit.h"
#include "units/SafeFormat.h"
#include "units/Units.h"

#include <algorithm>
#include <array>
#include <cmath>
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

// A further column: its heading, the name the preferences know it by, the
// unit its heading names and the decimals of its cells.
struct FurtherColumn {
    std::optional<double> RideDetail::*figure;  // none: a level of the ride itself
    const char* key;
    const char* choiceName;
    QString (*unit)();
    int decimals;
};

QString BeatsUnit() {
    return GetLanguageString("RideDetail", "BPM");
}
QString TurnsUnit() {
    return GetLanguageString("RideDetail", "RPM");
}
QString WattsUnit() {
    return QStringLiteral("W");
}
QString CaloriesUnit() {
    return QStringLiteral("kcal");
}
QString CelsiusUnit() {
    return QStringLiteral("\u00b0C");
}

const std::array<FurtherColumn, kRideFurtherColumnCount> kFurtherColumns = {{
    {&RideDetail::Ascent, "ASCN", "Ascent", &GetHeightUnitWord, 0},
    {&RideDetail::Descent, "DSCN", "Descent", &GetHeightUnitWord, 0},
    {&RideDetail::AverageHeartRate, "HRAV", "AverageHeartRate", &BeatsUnit, 0},
    {&RideDetail::MaxHeartRate, "HRMX", "MaxHeartRate", &BeatsUnit, 0},
    {&RideDetail::AverageCadence, "CADN", "AverageCadence", &TurnsUnit, 0},
    {&RideDetail::AveragePower, "PWAV", "AveragePower", &WattsUnit, 0},
    {&RideDetail::MaxPower, "PWMX", "MaxPower", &WattsUnit, 0},
    {&RideDetail::Calories, "CALS", "Calories", &CaloriesUnit, 0},
    {&RideDetail::AverageTemperature, "TEMP", "AverageTemperature", &CelsiusUnit, 1},
    {&RideDetail::ElapsedSeconds, "ELAP", "ElapsedTime", nullptr, 0},
    {nullptr, "EFRT", "Effort", nullptr, 0},
    {nullptr, "FEEL", "Feeling", nullptr, 0},
}};

const FurtherColumn* FurtherColumnOf(int column) {
    return column >= kRideColumnCount && column < kRideListColumnCount
               ? &kFurtherColumns[static_cast<size_t>(column - kRideColumnCount)]
               : nullptr;
}

// A level another program wrote outside 1 to 5 counts as not set.
std::optional<double> Level(int32_t level) {
    return level >= 1 && level <= 5 ? std::optional<double>(level) : std::nullopt;
}

QString FurtherCellText(const RideRecord& ride, int column, const RideDetailIndex& details) {
    const std::optional<double> figure = RideFurtherFigure(ride, column, details);
    if (!figure) {
        return {};
    }
    switch (column) {
        case kRideAscentColumn:
        case kRideDescentColumn:
            return QString::number(FromMetres(*figure), 'f', 0);
        case kRideElapsedColumn: {
            const int64_t seconds = std::llround(*figure);
            return FormatRidingTime(static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                                    static_cast<int>(seconds % 60));
        }
        default:
            return QString::number(*figure, 'f', FurtherColumnOf(column)->decimals);
    }
}

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
    return RideCellWords{
        RecordCellWords::Current(bicycles), GetDistanceUnitWord(), GetSpeedUnitWord(), {}, false, {}};
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
            return FurtherCellText(ride, column, words.details);
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

std::vector<RecordColumn<RideRecord>> RideListColumns(const RideCellWords* words) {
    std::vector<RecordColumn<RideRecord>> columns = RideTableColumns(words);
    for (int column = kRideColumnCount; column < kRideListColumnCount; ++column) {
        const FurtherColumn& further = *FurtherColumnOf(column);
        RecordColumn<RideRecord> entry;
        entry.info.heading = LanguageKey{"RideDetail", further.key};
        entry.info.width = 70;
        entry.info.alignment = Qt::AlignLeft | Qt::AlignVCenter;
        entry.info.sortable = true;
        entry.info.choiceName = further.choiceName;
        entry.info.headingUnit = further.unit;
        entry.cellText = [column, words](const RideRecord& ride) {
            return RideCellText(ride, column, *words);
        };
        entry.sortKey = [column, words](const RideRecord& ride) {
            const std::optional<double> figure = RideFurtherFigure(ride, column, words->details);
            return figure ? *figure : -std::numeric_limits<double>::infinity();
        };
        columns.push_back(std::move(entry));
    }
    return columns;
}

std::optional<double> RideFurtherFigure(const RideRecord& ride, int column, const RideDetailIndex& details) {
    switch (column) {
        case kRideEffortColumn:
            return Level(ride.DifficultyLevel);
        case kRideFeelingColumn:
            return Level(ride.FeelingLevel);
        default:
            break;
    }
    const FurtherColumn* further = FurtherColumnOf(column);
    const RideDetail* detail = further ? details.Find(ride.RideRecordNumber) : nullptr;
    return detail ? detail->*further->figure : std::nullopt;
}

void RideDetailIndex::Take(std::vector<RideDetail> rows) {
    m_rows = std::move(rows);
    if (!std::is_sorted(m_rows.begin(), m_rows.end(), [](const RideDetail& a, const RideDetail& b) {
            return a.RideRecordNumber < b.RideRecordNumber;
        })) {
        std::sort(m_rows.begin(), m_rows.end(), [](const RideDetail& a, const RideDetail& b) {
            return a.RideRecordNumber < b.RideRecordNumber;
        });
    }
}

const RideDetail* RideDetailIndex::Find(int32_t number) const {
    const auto found =
        std::lower_bound(m_rows.begin(), m_rows.end(), number,
                         [](const RideDetail& row, int32_t wanted) { return row.RideRecordNumber < wanted; });
    return found != m_rows.end() && found->RideRecordNumber == number ? &*found : nullptr;
}

bool AnyRideFigureShown(const std::function<bool(int)>& columnShown) {
    for (int column = kRideAscentColumn; column <= kRideElapsedColumn; ++column) {
        if (columnShown(column)) {
            return true;
        }
    }
    return false;
}

bool ReadListedRideDetails(const char* condition, RideCellWords* words, bool withFigures) {
    words->details.Take({});
    words->detailsRead = false;
    words->listedAscent.reset();
    if (!withFigures) {
        // A sum is all the status line needs, far quicker than every row.
        double metres = 0.0;
        int counted = 0;
        if (DB_SumRideAscent(condition, &metres, &counted) != store::kOk) {
            return false;
        }
        if (counted > 0) {
            words->listedAscent = metres;
        }
        return true;
    }
    std::vector<RideDetail> rows;
    if (DB_GetRideDetailsOf(condition, &rows) != store::kOk) {
        return false;
    }
    for (const RideDetail& row : rows) {
        if (row.Ascent) {
            words->listedAscent = words->listedAscent.value_or(0.0) + *row.Ascent;
        }
    }
    words->details.Take(std::move(rows));
    words->detailsRead = true;
    return true;
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

QString RideStatusLineText(const RideTotals& totals, std::optional<double> ascentMetres) {
    QString text = RideStatusText(totals);
    if (ascentMetres) {
        text += SafeFormat(GetLanguageString("RideDetail", "TASC"),
                           {ClampToInt(std::llround(FromMetres(*ascentMetres))), GetHeightUnitWord()});
    }
    return text;
}
