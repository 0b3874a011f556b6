#include "rides/RideTable.h"

#include "language/Language.h"
#include "units/SafeFormat.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

constexpr int kMemoCellCharacters = 32;
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

// value as printf's "%0Nd" writes it (N = digits): zeros after the sign up
// to that width. Cells are made by the hundred thousand for reports, so
// without going through a format parser.
void AppendNumber(QString& out, int value, int digits) {
    std::array<char, 16> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    const char* begin = buffer.data();
    if (*begin == '-') {
        out += u'-';
        ++begin;
        --digits;
    }
    for (qsizetype pad = digits - (result.ptr - begin); pad > 0; --pad) {
        out += u'0';
    }
    for (const char* c = begin; c < result.ptr; ++c) {
        out += QChar::fromLatin1(*c);
    }
}

}  // namespace

const TableColumnInfo& RideColumnInfo(int column) {
    return kColumns[static_cast<size_t>(std::clamp(column, 0, kRideColumnCount - 1))];
}

RideCellWords RideCellWords::Current(const BicycleList& bicycles) {
    RideCellWords words;
    for (int day = 0; day < 7; ++day) {
        words.weekdays[static_cast<size_t>(day)] = GetWeekdayName(day);
    }
    words.distanceUnit = GetDistanceUnitWord();
    words.speedUnit = GetSpeedUnitWord();
    for (const BicycleAttribute& bicycle : bicycles) {
        words.bicycleNames.try_emplace(bicycle.BicycleNumber, FromTextBlock(bicycle.BicycleName));
    }
    return words;
}

QString RideCellWords::BicycleName(int32_t number) const {
    const auto found = bicycleNames.find(number);
    return found == bicycleNames.end() ? QString() : found->second;
}

QString RideMemoCell(const ByteBlock& memo) {
    QString text = FromTextBlock(memo);
    const bool cut = text.size() > kMemoCellCharacters;
    if (cut) {
        text.truncate(kMemoCellCharacters);
    }
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    return cut ? text + QStringLiteral("...") : text;
}

QString RideCellText(const RideRecord& ride, int column, const RideCellWords& words) {
    switch (column) {
        case kRideDateColumn: {
            // "%04d/%02d/%02d(%s)" with the weekday's name.
            const LocalDateTime local = words.calendar.At(ride.Date);
            QString cell;
            cell.reserve(24);
            AppendNumber(cell, local.year, 4);
            cell += u'/';
            AppendNumber(cell, local.month, 2);
            cell += u'/';
            AppendNumber(cell, local.day, 2);
            cell += u'(';
            cell += local.weekday >= 0 && local.weekday < 7
                        ? words.weekdays[static_cast<size_t>(local.weekday)]
                        : GetWeekdayName(local.weekday);
            cell += u')';
            return cell;
        }
        case kRideBicycleColumn:
            return words.BicycleName(ride.BicycleNumber);
        case kRideDistanceColumn:
            return NumberCell(FromKilometres(ride.Distance), words.distanceUnit);
        case kRideTimeColumn: {
            // "%d:%02d:%02d"
            QString cell;
            cell.reserve(12);
            AppendNumber(cell, ride.Hours, 1);
            cell += u':';
            AppendNumber(cell, ride.Minutes, 2);
            cell += u':';
            AppendNumber(cell, ride.Seconds, 2);
            return cell;
        }
        case kRideAverageColumn:
            return NumberCell(
                FromKilometres(AverageSpeed(ride.Distance, ride.Hours, ride.Minutes, ride.Seconds)),
                words.speedUnit);
        case kRideMaxSpeedColumn:
            return NumberCell(FromKilometres(ride.MaxSpeed), words.speedUnit);
        case kRideMemoColumn:
            return RideMemoCell(ride.Memo);
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

bool IsRideColumnSortable(int column) {
    return column >= 0 && column < kRideMemoColumn;
}

std::vector<RecordColumn<RideRecord>> RideTableColumns(const RideCellWords* words) {
    std::vector<RecordColumn<RideRecord>> columns;
    for (int column = 0; column < kRideColumnCount; ++column) {
        RecordColumn<RideRecord> entry;
        entry.info = RideColumnInfo(column);
        entry.cellText = [column, words](const RideRecord& ride) {
            return RideCellText(ride, column, *words);
        };
        if (IsRideColumnSortable(column)) {
            entry.sortKey = [column](const RideRecord& ride) { return RideSortKey(ride, column); };
        }
        columns.push_back(std::move(entry));
    }
    return columns;
}

RideTotals SumRides(const std::vector<RideRecord>& rides) {
    RideTotals totals;
    for (const RideRecord& ride : rides) {
        totals.distanceKm += ride.Distance;
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
    QString text =
        SafeFormat(GetLanguageString("RideDlg", "STAT"),
                   {totals.count, FromKilometres(totals.distanceKm), distanceUnit, ClampToInt(time.hours),
                    ClampToInt(time.minutes), ClampToInt(time.seconds),
                    FromKilometres(AverageSpeed(totals.distanceKm, time.hours, time.minutes, time.seconds)),
                    speedUnit, FromKilometres(totals.maxSpeedKm), speedUnit});
    text.truncate(kStatusTextCharacters);
    return text;
}
