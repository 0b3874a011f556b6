#include "tools/DistanceConversion.h"

#include "units/NumberInput.h"
#include "units/SafeFormat.h"
#include "units/Units.h"

namespace {
// No input field holds more; anything beyond is not part of the number anyway.
constexpr qsizetype kMaxInputCharacters = 15;
}  // namespace

double ConvertDistance(double value, ConversionDirection direction) {
    return direction == ConversionDirection::KilometresToMiles ? value / kKilometresPerMile
                                                               : value * kKilometresPerMile;
}

QString ConvertDistanceText(const QString& input, ConversionDirection direction) {
    const double value = ParseDecimal(input.left(kMaxInputCharacters));
    return FormatFixed(ConvertDistance(value, direction), 2);
}
