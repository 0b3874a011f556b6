#include "units/RecordCells.h"

#include "units/TextBlock.h"
#include "units/Units.h"

#include <charconv>

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
    const LocalDateTime local = calendar.At(date);
    const QString weekday = local.weekday >= 0 && local.weekday < 7
                                ? weekdays[static_cast<size_t>(local.weekday)]
                                : GetWeekdayName(local.weekday);
    QString cell;
    cell.reserve(13 + weekday.size());
    AppendZeroPadded(cell, local.year, 4);
    cell += u'/';
    AppendZeroPadded(cell, local.month, 2);
    cell += u'/';
    AppendZeroPadded(cell, local.day, 2);
    cell += u'(';
    cell += weekday;
    cell += u')';
    return cell;
}

void AppendZeroPadded(QString& out, int value, int digits) {
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

QString MemoCellText(const ByteBlock& memo) {
    QString text = FromTextBlock(memo);
    // Measured on the stored block, terminator included (two characters more
    // than the text): a memo is whole up to 30 characters, and one of 31 or 32
    // shows all its characters followed by "...".
    const bool cut = static_cast<qsizetype>(memo.size() / 2) > kMemoCellCharacters;
    if (cut) {
        text.truncate(kMemoCellCharacters);
    }
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    return cut ? text + QStringLiteral("...") : text;
}
