#pragma once
// Numbers typed into fields, read the way the C library reads a number at the
// start of a text: blanks first are skipped, a sign is allowed, and reading
// stops at the first character that cannot continue the number, so "12abc" is
// 12, "3,5" is 3 and a text without a leading number is 0. Only the ASCII
// digits count, and a decimal number takes a point, never a comma, whatever
// the user's locale says. Every field of the program reads its number here.

#include <QString>

// The decimal number (digits with an optional point) a text starts with; 0
// when there is none. No exponent is read ("2e3" is 2) and no "inf" or "nan".
// Only a run of digits beyond the range of a double gives an infinity of its
// sign, as strtod does; no field holds that many characters.
double ParseDecimal(const QString& text);

// The whole number a text starts with; 0 when there is none. A number too
// large for an int gives the largest int of its sign instead of wrapping.
int ParseInteger(const QString& text);
