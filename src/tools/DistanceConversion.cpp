#include "tools/DistanceConversion.h"

#include "units/SafeFormat.h"
#include "units/Units.h"

double ConvertDistance(double value, ConversionDirection direction) {
    return direction == ConversionDirection::KilometresToMiles ? value / kKilometresPerMile
                                                               : value * kKilometresPerMile;
}

QString ConvertDistanceText(double value, ConversionDirection direction) {
    return FormatFixed(ConvertDistance(value, direction), 2);
}
