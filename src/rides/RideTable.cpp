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
    int figure;  // in kRideDetailFigures; -1: a level of the ride itself
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
    {0, "ASCN", "Ascent", &GetHeightUnitWord, 0},
    {1, "DSCN", "Descent", &GetHeightUnitWord, 0},
    {2, "HRAV", "AverageHeartRate", &BeatsUnit, 0},
    {3, "HRMX", "MaxHeartRate", &BeatsUnit, 0},
    {4, "CADN", "AverageCadence", &TurnsUnit, 0},
    {5, "PWAV", "AveragePower", &WattsUnit, 0},
    {6, "PWMX", "MaxPower", &WattsUnit, 0},
    {7, "CALS", "Calories", &CaloriesUnit, 0},
    {8, "TEMP", "AverageTemperature", &CelsiusUnit, 1},
    {9, "ELAP", "ElapsedTime", nullptr, 0},
    {-1, "EFRT", "Effort", nullptr, 0},
    {-1, "FEEL", "Feeling", nullptr, 0},
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
    return further && further->figure >= 0
               ? details.Figure(ride.RideRecordNumber, static_cast<size_t>(further->figure))
               : std::nullopt;
}

void RideDetailIndex::List(const std::vector<RideRecord>& rides) {
    m_entries.clear();
    m_next = 0;
    m_entries.reserve(rides.size());
    for (const RideRecord& ride : rides) {
        m_entries.push_back({ride.RideRecordNumber, ride.Date, 0, {}});
    }
    const auto byNumber = [](const Entry& a, const Entry& b) { return a.number < b.number; };
    // The list comes newest first, which is mostly the numbers backwards.
    if (std::is_sorted(m_entries.rbegin(), m_entries.rend(), byNumber)) {
        std::reverse(m_entries.begin(), m_entries.end());
    } else {
        std::sort(m_entries.begin(), m_entries.end(), byNumber);
    }
}

const RideDetailIndex::Entry* RideDetailIndex::Find(int32_t number) const {
    const auto found =
        std::lower_bound(m_entries.begin(), m_entries.end(), number,
                         [](const Entry& entry, int32_t wanted) { return entry.number < wanted; });
    return found != m_entries.end() && found->number == number ? &*found : nullptr;
}

void RideDetailIndex::Take(int32_t number, int32_t date, const double* figures, unsigned known) {
    // The rows come in number order, as the entries stand: each is looked
    // for from where the one before it was, and only a row out of order
    // is searched for.
    if (m_next > 0 && m_entries[m_next - 1].number >= number) {
        m_next = static_cast<size_t>(
            std::lower_bound(m_entries.begin(), m_entries.end(), number,
                             [](const Entry& entry, int32_t wanted) { return entry.number < wanted; }) -
            m_entries.begin());
    }
    while (m_next < m_entries.size() && m_entries[m_next].number < number) {
        ++m_next;
    }
    Entry* entry =
        m_next < m_entries.size() && m_entries[m_next].number == number ? &m_entries[m_next] : nullptr;
    if (!entry || entry->date != date) {
        return;
    }
    entry->known = known;
    std::copy(figures, figures + kFigureCount, entry->figures.begin());
}

std::optional<double> RideDetailIndex::Sum(size_t figure) const {
    std::optional<double> sum;
    for (const Entry& entry : m_entries) {
        if (figure < kFigureCount && (entry.known >> figure & 1u)) {
            sum = sum.value_or(0.0) + entry.figures[figure];
        }
    }
    return sum;
}

std::optional<double> RideDetailIndex::Figure(int32_t number, size_t figure) const {
    const Entry* entry = figure < kFigureCount ? Find(number) : nullptr;
    return entry && (entry->known >> figure & 1u) ? std::optional<double>(entry->figures[figure])
                                                  : std::nullopt;
}

unsigned ShownRideFigures(const std::function<bool(int)>& columnShown) {
    unsigned shown = 0;
    for (int column = kRideColumnCount; column < kRideListColumnCount; ++column) {
        const int figure = FurtherColumnOf(column)->figure;
        if (figure >= 0 && columnShown(column)) {
            shown |= 1u << figure;
        }
    }
    return shown;
}

bool ReadListedRideDetails(const char* condition, const std::vector<RideRecord>& rides, RideCellWords* words,
                           unsigned wanted) {
    words->details.List({});
    words->figuresRead = 0;
    words->listedAscent.reset();
    if (wanted == 0) {
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
    // The status line's climb comes with the figures.
    wanted |= 1u;
    RideDetailIndex details;
    details.List(rides);
    const int64_t span = static_cast<int64_t>(details.Last()) - details.First() + 1;
    if (details.Count() == 0) {
        // Nothing listed, nothing to read.
    } else if (span <= 2 * static_cast<int64_t>(details.Count()) + 1000) {
        // Most rides of the stretch are listed: one pass over its rows, those
        // of rides not listed (or kept with another date) left aside.
        if (DB_ReadRideFigures(details.First(), details.Last(), wanted,
                               [&](int32_t number, int32_t date, const double* figures, unsigned known) {
                                   details.Take(number, date, figures, known);
                               }) != store::kOk) {
            return false;
        }
    } else {
        // A few rides spread over many (a search, one bicycle of many): the
        // rows of the condition's rides alone, every figure of them.
        std::vector<RideDetail> rows;
        if (DB_GetRideDetailsOf(condition, &rows) != store::kOk) {
            return false;
        }
        wanted = (1u << RideDetailIndex::kFigureCount) - 1;
        for (const RideDetail& row : rows) {
            double figures[RideDetailIndex::kFigureCount] = {};
            unsigned known = 0;
            for (size_t i = 0; i < RideDetailIndex::kFigureCount; ++i) {
                if (const std::optional<double> figure = row.*kRideDetailFigures[i]) {
                    figures[i] = *figure;
                    known |= 1u << i;
                }
            }
            details.Take(row.RideRecordNumber, row.Date, figures, known);
        }
    }
    words->listedAscent = details.Sum(0);
    words->details = std::move(details);
    words->figuresRead = wanted;
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
