#include "widgets/RangePresets.h"

#include "widgets/DayPickers.h"

#include <QStringList>
#include <array>

namespace {

struct PresetInfo {
    RangePreset preset;
    const char* keptName;
    LanguageKey name;
};

constexpr std::array<PresetInfo, kRangePresetCount> kPresets{{
    {RangePreset::AllTime, "all", LanguageKey{"Search", "ALLT"}},
    {RangePreset::ThisYear, "thisyear", LanguageKey{"Search", "THYR"}},
    {RangePreset::LastYear, "lastyear", LanguageKey{"Search", "LSYR"}},
    {RangePreset::Last30Days, "last30days", LanguageKey{"Search", "L30D"}},
    {RangePreset::Last12Months, "last12months", LanguageKey{"Search", "L12M"}},
    {RangePreset::Custom, "custom", LanguageKey{"Search", "CUST"}},
}};

const PresetInfo& InfoOf(RangePreset preset) {
    return kPresets[static_cast<size_t>(preset)];
}

const QString kDayFormat = QStringLiteral("yyyy-MM-dd");

bool Pickable(const QDate& day) {
    return day.isValid() && day >= FirstPickableDay() && day <= LastPickableDay();
}

}  // namespace

std::optional<PickedRange> PresetDays(RangePreset preset, const QDate& today) {
    switch (preset) {
        case RangePreset::AllTime:
            return PickedRange{FirstPickableDay(), LastPickableDay()};
        case RangePreset::ThisYear:
            return PickedRange{QDate(today.year(), 1, 1), today};
        case RangePreset::LastYear:
            return PickedRange{QDate(today.year() - 1, 1, 1), QDate(today.year() - 1, 12, 31)};
        case RangePreset::Last30Days:
            return PickedRange{today.addDays(-30), today};
        case RangePreset::Last12Months:
            return PickedRange{today.addYears(-1), today};
        case RangePreset::Custom:
            break;
    }
    return std::nullopt;
}

LanguageKey RangePresetName(RangePreset preset) {
    return InfoOf(preset).name;
}

QString RangeChoiceText(RangePreset preset, const PickedRange& days) {
    QString text = QString::fromLatin1(InfoOf(preset).keptName);
    if (preset == RangePreset::Custom) {
        text += u' ' + days.from.toString(kDayFormat) + u' ' + days.to.toString(kDayFormat);
    }
    return text;
}

std::optional<RangeChoice> ReadRangeChoice(const QString& text) {
    const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        return std::nullopt;
    }
    for (const PresetInfo& info : kPresets) {
        if (words.front() != QLatin1String(info.keptName)) {
            continue;
        }
        if (info.preset != RangePreset::Custom) {
            return words.size() == 1 ? std::optional(RangeChoice{info.preset, {}}) : std::nullopt;
        }
        if (words.size() != 3) {
            return std::nullopt;
        }
        const QDate from = QDate::fromString(words[1], kDayFormat);
        const QDate to = QDate::fromString(words[2], kDayFormat);
        if (!Pickable(from) || !Pickable(to)) {
            return std::nullopt;
        }
        return RangeChoice{RangePreset::Custom, {from, to}};
    }
    return std::nullopt;
}
