#pragma once
// Numbers typed into the editors' fields. A field holds what the user typed;
// its value is the number it starts with, and 0 when it starts with none.

#include <QString>

// "12.5", " 12.5 km" -> 12.5; "abc", "" -> 0. A comma counts as the decimal
// point, so "12,5" is 12.5 and not 12.
double ParseDecimal(const QString& text);

// "42", "0042" -> 42; "", "x" -> 0. Values beyond the int range stop at its ends.
int ParseInteger(const QString& text);
