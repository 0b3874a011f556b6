#include "units/RecordCells.h"

#include "units/TextBlock.h"
#include "units/Units.h"

namespace {
constexpr qsizetype kMemoCellCharacters = 32;
}  // namespace

RecordCellWords RecordCellWords::Current(const BicycleList& bicycles) {
    RecordCellWords words;
    for (int day = 0; day < 7; ++day) {
        words.weekdays[static_cast<size_t>(day)] = GetWeekdayName(day);
    }
    for (const BicycleAttribute& bicycle : bicycles) {
        words.bicycleNames.try_emplace(bicycle.BicycleNumber, FromTextBlock(bicycle.BicycleName));
    }
    return words;
}

QString RecordCellWords::BicycleName(int32_t number) const {
    const auto found = bicycleNames.find(number);
    return found == bicycleNames.end() ? QString() : found->second;
}

QString RecordCellWords::DateCell(int64_t date) const {
    const LocalDateTime local = ToLocalDateTime(date);
    const QString weekday = local.weekday >= 0 && local.weekday < 7
                                ? weekdays[static_cast<size_t>(local.weekday)]
                                : GetWeekdayName(local.weekday);
    return QString::asprintf("%04d/%02d/%02d(", local.year, local.month, local.day) + weekday + u')';
}

QString MemoCellText(const ByteBlock& memo) {
    QString text = FromTextBlock(memo);
    const bool cut = text.size() > kMemoCellCharacters;
    if (cut) {
        text.truncate(kMemoCellCharacters);
    }
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    return cut ? text + QStringLiteral("...") : text;
}
