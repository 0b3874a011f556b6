#pragma once
// The ranges of days the list pages offer beside their start and end pickers
// (all time, this year, last year, the last 30 days, the last 12 months) and
// how the page's choice is kept among the preferences.

#include "language/Language.h"

#include <QDate>
#include <QString>
#include <optional>

// In the order the chooser lists them; Custom is whatever was picked by hand.
enum class RangePreset { AllTime, ThisYear, LastYear, Last30Days, Last12Months, Custom };
inline constexpr int kRangePresetCount = 6;

struct PickedRange {
    QDate from;
    QDate to;
};

// The days a preset stands for when today is the given day; nothing for Custom.
// The ranges that end today end on today, the last 12 months start on the same
// day a year ago (February 28 for a February 29) and the last 30 days 30 days ago.
std::optional<PickedRange> PresetDays(RangePreset preset, const QDate& today);

// The preset's name in the chooser.
LanguageKey RangePresetName(RangePreset preset);

// A page's choice as it is kept: the preset's name, and for a custom range its
// two days ("custom 2024-03-01 2024-05-31").
QString RangeChoiceText(RangePreset preset, const PickedRange& days);
struct RangeChoice {
    RangePreset preset = RangePreset::ThisYear;
    PickedRange days;  // for Custom only
};
// The choice kept in text; nothing when the text is none this program wrote.
std::optional<RangeChoice> ReadRangeChoice(const QString& text);
