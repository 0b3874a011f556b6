#include "rides/SpreadsheetImport.h"

#include "language/Language.h"
#include "memo/MemoDocument.h"
#include "reports/ReportText.h"
#include "units/NumberInput.h"
#include "units/SafeFormat.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <QDate>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <map>

namespace {

constexpr int64_t kSameStartSeconds = 60;
constexpr double kSameDistanceShare = 0.015;
// Rides stored in one transaction, so a long file waits for the disk seldom.
constexpr int kRidesPerCommit = 200;
// Rows looked at to guess the date order.
constexpr size_t kGuessRows = 200;

QString Cell(const QStringList& row, int column) {
    return column >= 0 && column < row.size() ? row.at(column).trimmed() : QString();
}

// The unit a heading names in brackets, folded: "Distance (km)" gives "km".
QString HeadingUnit(const QString& heading) {
    static const QRegularExpression unit(QStringLiteral(R"([\(\[]([^\)\]]*)[\)\]])"));
    const QRegularExpressionMatch match = unit.match(heading);
    return match.hasMatch() ? match.captured(1).trimmed().toCaseFolded() : QString();
}

bool IsMilesUnit(const QString& unit) {
    static const QStringList miles = {QStringLiteral("mi"), QStringLiteral("mile"), QStringLiteral("miles"),
                                      QStringLiteral("mph")};
    return miles.contains(unit) || unit == GetLanguageString("Strings", "MILE").trimmed().toCaseFolded() ||
           unit == GetLanguageString("Strings", "MPHS").trimmed().toCaseFolded();
}

int TwoDigitYear(int year, qsizetype digits) {
    if (digits > 2) {
        return year;
    }
    return year < 70 ? 2000 + year : 1900 + year;
}

}  // namespace

std::optional<int64_t> ReadSheetDate(const QString& text, DateOrder order) {
    static const QRegularExpression iso(QStringLiteral(
        R"(^(\d{4})-(\d{1,2})-(\d{1,2})(?:[T ](\d{1,2}):(\d{2})(?::(\d{2})(?:[.,]\d+)?)?)?\s*(Z|[+-]\d{2}(?::?\d{2})?)?$)"));
    static const QRegularExpression general(QStringLiteral(
        R"(^(\d{1,4})[./\-](\d{1,2})[./\-](\d{1,4})\.?(?:[ ,T]+(\d{1,2})[:.](\d{2})(?:[:.](\d{2}))?\s*([AaPp]\.?[Mm]\.?)?)?$)"));
    // Velomarq's own list writes the weekday after the date: "2025/05/04(Sunday)".
    static const QRegularExpression weekday(QStringLiteral(R"(\s*\([^()]*\)$)"));
    const QString trimmed = text.trimmed().remove(weekday);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::optional<int> offsetSeconds;
    if (const QRegularExpressionMatch m = iso.match(trimmed); m.hasMatch()) {
        year = m.captured(1).toInt();
        month = m.captured(2).toInt();
        day = m.captured(3).toInt();
        hour = m.captured(4).toInt();
        minute = m.captured(5).toInt();
        second = m.captured(6).toInt();
        const QString zone = m.captured(7);
        if (zone == u"Z") {
            offsetSeconds = 0;
        } else if (!zone.isEmpty()) {
            const QString digits = zone.mid(1).remove(u':');
            const int minutes = digits.left(2).toInt() * 60 + digits.mid(2).toInt();
            offsetSeconds = (zone.front() == u'-' ? -60 : 60) * minutes;
        }
    } else if (const QRegularExpressionMatch g = general.match(trimmed); g.hasMatch()) {
        const int a = g.captured(1).toInt();
        const int b = g.captured(2).toInt();
        const int c = g.captured(3).toInt();
        const qsizetype aDigits = g.captured(1).size();
        const qsizetype cDigits = g.captured(3).size();
        if (aDigits == 3 || cDigits == 3 || (aDigits == 4 && cDigits == 4)) {
            return std::nullopt;
        }
        switch (aDigits == 4 ? DateOrder::YearFirst : order) {
            case DateOrder::DayMonthYear:
                day = a, month = b, year = TwoDigitYear(c, cDigits);
                break;
            case DateOrder::MonthDayYear:
                month = a, day = b, year = TwoDigitYear(c, cDigits);
                break;
            case DateOrder::YearFirst:
                if (cDigits == 4) {
                    return std::nullopt;
                }
                year = TwoDigitYear(a, aDigits), month = b, day = c;
                break;
        }
        hour = g.captured(4).toInt();
        minute = g.captured(5).toInt();
        second = g.captured(6).toInt();
        const QString half = g.captured(7).toCaseFolded();
        if (!half.isEmpty()) {
            if (hour < 1 || hour > 12) {
                return std::nullopt;
            }
            hour = (hour % 12) + (half.startsWith(u'p') ? 12 : 0);
        }
    } else {
        return std::nullopt;
    }
    const QDate date(year, month, day);
    if (!date.isValid() || year < 1970 || year > 2037 || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    if (offsetSeconds) {
        const int64_t days = date.toJulianDay() - QDate(1970, 1, 1).toJulianDay();
        return days * 86400 + hour * 3600 + minute * 60 + second - *offsetSeconds;
    }
    return FromLocalDateTime(year, month, day, hour, minute, second);
}

std::optional<double> ReadSheetNumber(const QString& text, QChar decimalMark, bool allowSign) {
    QString number = text.trimmed();
    bool negative = false;
    if (allowSign && (number.startsWith(u'-') || number.startsWith(u'\u2212'))) {
        negative = true;
        number = number.mid(1);
    }
    if (number.isEmpty()) {
        return std::nullopt;
    }
    // A unit written after the number ("10.00km", "52 km/h") is no part of it.
    qsizetype end = number.size();
    while (end > 0 && (number.at(end - 1).isLetter() || number.at(end - 1) == u'/' ||
                       number.at(end - 1) == u'\u00B0' || number.at(end - 1) == u'%')) {
        --end;
    }
    number = number.left(end).trimmed();
    if (number.isEmpty()) {
        return std::nullopt;
    }
    const NumberConventions conventions{decimalMark,
                                        decimalMark == u',' ? QStringLiteral(". ") : QStringLiteral(", ")};
    const std::optional<double> value = ReadNumber(number, NumberKind::Decimal, QString(), conventions);
    if (!value) {
        return std::nullopt;
    }
    return negative ? -*value : *value;
}

std::optional<int64_t> ReadSheetDuration(const QString& text, const QString& heading, QChar decimalMark) {
    static const QRegularExpression clock(QStringLiteral(R"(^(\d+):(\d{1,2})(?::(\d{1,2})(?:[.,]\d+)?)?$)"));
    const QString trimmed = text.trimmed();
    if (const QRegularExpressionMatch m = clock.match(trimmed); m.hasMatch()) {
        const int64_t minutes = m.captured(2).toInt();
        const int64_t seconds = m.captured(3).toInt();
        if (minutes > 59 || seconds > 59) {
            return std::nullopt;
        }
        return m.captured(1).toLongLong() * 3600 + minutes * 60 + seconds;
    }
    const std::optional<double> value = ReadSheetNumber(trimmed, decimalMark);
    if (!value || *value > 1e8) {
        return std::nullopt;
    }
    const QString unit = HeadingUnit(heading);
    double scale = 60.0;
    if (unit == u"s" || unit == u"sec" || unit == u"secs" || unit == u"seconds") {
        scale = 1.0;
    } else if (unit == u"h" || unit == u"hr" || unit == u"hrs" || unit == u"hours") {
        scale = 3600.0;
    }
    return static_cast<int64_t>(std::llround(*value * scale));
}

SheetMapping GuessSheetMapping(const CsvTable& table) {
    SheetMapping mapping;
    std::vector<bool> taken(static_cast<size_t>(table.header.size()), false);
    for (int field = 0; field < kRideSheetFieldCount; ++field) {
        const auto sheetField = static_cast<RideSheetField>(field);
        if (sheetField == RideSheetField::AverageSpeed) {
            continue;  // worked out from distance and time, never read
        }
        for (const QString& candidate : RideSheetHeadingCandidates(sheetField)) {
            const int column = FindCsvColumn(table.header, {candidate});
            if (column >= 0 && !taken[static_cast<size_t>(column)]) {
                mapping.columns[static_cast<size_t>(field)] = column;
                taken[static_cast<size_t>(column)] = true;
                break;
            }
        }
    }
    mapping.decimalMark = table.separator == u';' ? QChar(u',') : QChar(u'.');
    const int distance = mapping.Column(RideSheetField::Distance);
    const QString unit = distance >= 0 ? HeadingUnit(table.header.at(distance)) : QString();
    mapping.miles = unit.isEmpty() ? GetDistanceUnit() == 1 : IsMilesUnit(unit);

    // The date order: what the numbers of the first rows allow.
    static const QRegularExpression parts(QStringLiteral(R"(^\s*(\d{1,4})[./\-](\d{1,2})[./\-](\d{1,4}))"));
    const int dateColumn = mapping.Column(RideSheetField::Date);
    bool yearFirst = false, dayFirst = false, monthFirst = false;
    for (size_t i = 0; i < std::min(table.rows.size(), kGuessRows) && dateColumn >= 0; ++i) {
        const QRegularExpressionMatch m = parts.match(Cell(table.rows[i], dateColumn));
        if (!m.hasMatch()) {
            continue;
        }
        yearFirst |= m.captured(1).size() == 4;
        dayFirst |= m.captured(1).toInt() > 12 && m.captured(1).size() <= 2;
        monthFirst |= m.captured(2).toInt() > 12;
    }
    if (yearFirst) {
        mapping.dateOrder = DateOrder::YearFirst;
    } else if (dayFirst || !monthFirst) {
        // Most of the world writes the day first; English lists often the month.
        mapping.dateOrder = dayFirst || CurrentNumberConventions().decimalMark == u','
                                ? DateOrder::DayMonthYear
                                : DateOrder::MonthDayYear;
    } else {
        mapping.dateOrder = DateOrder::MonthDayYear;
    }
    return mapping;
}

namespace {

QString LineText(int line, LanguageKey key, std::initializer_list<FormatArg> args) {
    std::vector<FormatArg> all{line};
    all.insert(all.end(), args.begin(), args.end());
    const QString format = GetLanguageString(key);
    // SafeFormat takes a fixed list: the longest the texts here need.
    switch (all.size()) {
        case 1:
            return SafeFormat(format, {all[0]});
        case 2:
            return SafeFormat(format, {all[0], all[1]});
        default:
            return SafeFormat(format, {all[0], all[1], all[2]});
    }
}

QString PlainMemo(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text;
}

// Reads one field's number into *value; false (with the row's error) when the cell holds none.
bool ReadFigure(SheetRow& row, const QStringList& cells, const SheetMapping& mapping, RideSheetField field,
                std::optional<double>* value, bool allowSign = false) {
    const QString text = Cell(cells, mapping.Column(field));
    if (text.isEmpty()) {
        return true;
    }
    *value = ReadSheetNumber(text, mapping.decimalMark, allowSign);
    if (!*value) {
        row.error =
            LineText(row.line, LanguageKey{"SpreadsheetCsv", "BNUM"}, {RideSheetFieldName(field), text});
        return false;
    }
    return true;
}

bool ReadTime(SheetRow& row, const QStringList& cells, const CsvTable& table, const SheetMapping& mapping,
              RideSheetField field, std::optional<int64_t>* seconds) {
    const int column = mapping.Column(field);
    const QString text = Cell(cells, column);
    if (text.isEmpty()) {
        return true;
    }
    *seconds = ReadSheetDuration(text, table.header.value(column), mapping.decimalMark);
    if (!*seconds) {
        row.error =
            LineText(row.line, LanguageKey{"SpreadsheetCsv", "BTIM"}, {RideSheetFieldName(field), text});
        return false;
    }
    return true;
}

SheetRow ReadRow(const CsvTable& table, size_t index, const SheetMapping& mapping) {
    const QStringList& cells = table.rows[index];
    SheetRow row;
    row.line = index < table.rowLines.size() ? table.rowLines[index] : static_cast<int>(index) + 2;
    const QString dateText = Cell(cells, mapping.Column(RideSheetField::Date));
    if (dateText.isEmpty()) {
        row.error = LineText(row.line, LanguageKey{"SpreadsheetCsv", "NODT"}, {});
        return row;
    }
    const std::optional<int64_t> date = ReadSheetDate(dateText, mapping.dateOrder);
    if (!date) {
        row.error = LineText(row.line, LanguageKey{"SpreadsheetCsv", "BDAT"}, {dateText});
        return row;
    }
    row.ride.Date = static_cast<int32_t>(*date);
    const double toKm = mapping.miles ? kKilometresPerMile : 1.0;
    std::optional<double> distance, maxSpeed, effort, feeling;
    std::optional<int64_t> ridingTime, elapsed;
    if (!ReadFigure(row, cells, mapping, RideSheetField::Distance, &distance) ||
        !ReadTime(row, cells, table, mapping, RideSheetField::RidingTime, &ridingTime) ||
        !ReadFigure(row, cells, mapping, RideSheetField::MaxSpeed, &maxSpeed) ||
        !ReadTime(row, cells, table, mapping, RideSheetField::ElapsedTime, &elapsed) ||
        !ReadFigure(row, cells, mapping, RideSheetField::Effort, &effort) ||
        !ReadFigure(row, cells, mapping, RideSheetField::Feeling, &feeling)) {
        return row;
    }
    for (int i = 0; i + 1 < kDetailFieldCount; ++i) {
        const auto field = static_cast<RideSheetField>(kFirstDetailField + i);
        if (!ReadFigure(row, cells, mapping, field, &(row.detail.*kRideDetailFigures[i]),
                        field == RideSheetField::Temperature)) {
            return row;
        }
    }
    for (const auto& [level, text] :
         {std::pair{effort, RideSheetField::Effort}, std::pair{feeling, RideSheetField::Feeling}}) {
        if (level && (*level < 0 || *level > 5 || *level != std::floor(*level))) {
            row.error = LineText(row.line, LanguageKey{"SpreadsheetCsv", "BNUM"},
                                 {RideSheetFieldName(text), Cell(cells, mapping.Column(text))});
            return row;
        }
    }
    row.ride.Distance = distance.value_or(0.0) * toKm;
    row.ride.MaxSpeed = maxSpeed.value_or(0.0) * toKm;
    const int64_t seconds = std::min<int64_t>(ridingTime.value_or(0), int64_t{24} * 3600 * 365);
    row.ride.Hours = static_cast<int32_t>(seconds / 3600);
    row.ride.Minutes = static_cast<int32_t>(seconds / 60 % 60);
    row.ride.Seconds = static_cast<int32_t>(seconds % 60);
    row.ride.DifficultyLevel = static_cast<int32_t>(effort.value_or(0.0));
    row.ride.FeelingLevel = static_cast<int32_t>(feeling.value_or(0.0));
    if (elapsed) {
        row.detail.ElapsedSeconds = static_cast<double>(*elapsed);
    }
    row.bicycleName = WithoutCsvFormulaGuard(Cell(cells, mapping.Column(RideSheetField::Bicycle))).trimmed();
    const int memoColumn = mapping.Column(RideSheetField::Memo);
    if (memoColumn >= 0 && memoColumn < cells.size()) {
        row.memo = PlainMemo(WithoutCsvFormulaGuard(cells.at(memoColumn)));
    }
    row.ride.Memo = ToTextBlock(row.memo);
    return row;
}

QString StartText(int64_t start) {
    const LocalDateTime local = ToLocalDateTime(start);
    return FormatDate(start) + SafeFormat(QStringLiteral(" %02d:%02d"), {local.hour, local.minute});
}

// The rides of the log by bicycle, sorted by start.
class KnownSheetRides {
public:
    bool Load() {
        RideRecordList rides;
        if (DB_GetRideRecords(nullptr, &rides) != store::kOk) {
            return false;
        }
        for (const RideRecord& ride : rides) {
            Add(ride.BicycleNumber, ride.Date, ride.Distance);
        }
        return true;
    }
    std::optional<int64_t> Same(int32_t bicycle, int64_t start, double km) const {
        const auto found = m_rides.find(bicycle);
        if (found == m_rides.end()) {
            return std::nullopt;
        }
        const auto& rides = found->second;
        for (auto at =
                 std::lower_bound(rides.begin(), rides.end(), std::pair{start - kSameStartSeconds, -1.0});
             at != rides.end() && at->first <= start + kSameStartSeconds; ++at) {
            if (IsSameSheetRide(start, km, at->first, at->second)) {
                return at->first;
            }
        }
        return std::nullopt;
    }
    void Add(int32_t bicycle, int64_t start, double km) {
        auto& rides = m_rides[bicycle];
        const std::pair ride{start, km};
        rides.insert(std::upper_bound(rides.begin(), rides.end(), ride), ride);
    }

private:
    std::map<int32_t, std::vector<std::pair<int64_t, double>>> m_rides;
};

}  // namespace

std::vector<SheetRow> ReadSheetRows(const CsvTable& table, const SheetMapping& mapping) {
    std::vector<SheetRow> rows;
    rows.reserve(table.rows.size());
    for (size_t i = 0; i < table.rows.size(); ++i) {
        rows.push_back(ReadRow(table, i, mapping));
    }
    return rows;
}

std::vector<SheetBicycle> GuessSheetBicycles(const std::vector<SheetRow>& rows, const BicycleList& bicycles) {
    QHash<QString, int32_t> known;
    for (const BicycleAttribute& bicycle : bicycles) {
        known.insert(FromTextBlock(bicycle.BicycleName).trimmed().toCaseFolded(), bicycle.BicycleNumber);
    }
    std::vector<SheetBicycle> names;
    QHash<QString, bool> seen;
    for (const SheetRow& row : rows) {
        const QString folded = row.bicycleName.toCaseFolded();
        if (!row.IsRide() || row.bicycleName.isEmpty() || seen.contains(folded)) {
            continue;
        }
        seen.insert(folded, true);
        names.push_back({row.bicycleName, known.value(folded, 0)});
    }
    return names;
}

bool IsSameSheetRide(int64_t start, double km, int64_t otherStart, double otherKm) {
    return std::llabs(start - otherStart) <= kSameStartSeconds &&
           std::fabs(km - otherKm) <= kSameDistanceShare * std::max(km, otherKm) + 1e-9;
}

ImportSummary ImportSheetRows(const std::vector<SheetRow>& rows, const std::vector<SheetBicycle>& bicycles,
                              int32_t defaultBicycle, const ImportStep& step) {
    ImportSummary summary;
    KnownSheetRides known;
    if (!known.Load()) {
        summary.storeUnreadable = true;
        return summary;
    }
    QHash<QString, int32_t> numbers;
    for (const SheetBicycle& bicycle : bicycles) {
        numbers.insert(bicycle.name.toCaseFolded(), bicycle.number);
    }
    ImportedRideStore store;
    int pending = 0;
    std::vector<int64_t> pendingDates;
    const auto commit = [&] {
        if (store.Commit()) {
            for (const int64_t date : pendingDates) {
                summary.earliest = std::min(summary.earliest.value_or(date), date);
                summary.latest = std::max(summary.latest.value_or(date), date);
            }
        } else {
            summary.imported -= pending;
            summary.failures << WithReasonInline(GetLanguageString("SpreadsheetCsv", "STFL"),
                                                 store.LastFailure());
        }
        pending = 0;
        pendingDates.clear();
    };
    const int count = static_cast<int>(rows.size());
    for (int i = 0; i < count; ++i) {
        if (step && !step(i, count, QString())) {
            summary.cancelled = true;
            break;
        }
        const SheetRow& row = rows[static_cast<size_t>(i)];
        if (!row.IsRide()) {
            summary.failures << row.error;
            continue;
        }
        int32_t bicycle = defaultBicycle;
        if (!row.bicycleName.isEmpty()) {
            const QString folded = row.bicycleName.toCaseFolded();
            bicycle = numbers.value(folded, 0);
            if (bicycle == 0) {
                // A new bicycle of the name, made for its first ride.
                BicycleAttribute made;
                made.BicycleName = ToTextBlock(row.bicycleName);
                BicycleList list;
                if (DB_InsertBicycle(&made) != store::kOk || DB_GetBicycleList(&list) != store::kOk ||
                    list.empty()) {
                    summary.failures << WithReasonInline(
                        LineText(row.line, LanguageKey{"SpreadsheetCsv", "BICF"}, {row.bicycleName}),
                        StoreFailureReason());
                    continue;
                }
                bicycle = std::max_element(list.begin(), list.end(), [](const auto& a, const auto& b) {
                              return a.BicycleNumber < b.BicycleNumber;
                          })->BicycleNumber;
                numbers.insert(folded, bicycle);
            }
        }
        if (bicycle == 0) {
            summary.failures << LineText(row.line, LanguageKey{"SpreadsheetCsv", "NOBI"}, {});
            continue;
        }
        if (const std::optional<int64_t> same = known.Same(bicycle, row.ride.Date, row.ride.Distance)) {
            summary.duplicates << LineText(row.line, LanguageKey{"SpreadsheetCsv", "DUPL"},
                                           {StartText(*same)});
            continue;
        }
        ImportedRide ride;
        ride.ride = row.ride;
        ride.ride.BicycleNumber = bicycle;
        ride.detail = row.detail;
        ride.document = EncodePlainTextMemo(row.memo);
        if (!store.Add(ride)) {
            summary.failures << WithReasonInline(
                LineText(row.line, LanguageKey{"SpreadsheetCsv", "STLN"}, {}), store.LastFailure());
            continue;
        }
        known.Add(bicycle, row.ride.Date, row.ride.Distance);
        ++summary.imported;
        ++pending;
        pendingDates.push_back(row.ride.Date);
        if (pending >= kRidesPerCommit) {
            commit();
        }
    }
    commit();
    return summary;
}
