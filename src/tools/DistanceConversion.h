#pragma once
// The kilometre/mile converter's arithmetic. It always uses the program's one
// factor of 1.609 km to the mile, whatever unit the rider has chosen for the
// log itself.

#include <QString>

enum class ConversionDirection { KilometresToMiles, MilesToKilometres };

double ConvertDistance(double value, ConversionDirection direction);

// The converted value with two decimals: 100 km -> "62.15".
QString ConvertDistanceText(double value, ConversionDirection direction);
