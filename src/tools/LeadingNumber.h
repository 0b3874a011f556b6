#pragma once
// The tools read their fields the way the C library reads a number at the
// start of a text: blanks first are skipped, a sign is allowed, and reading
// stops at the first character that cannot continue the number, so "12abc"
// is 12, "3,5" is 3 and a text without a leading number is 0. Only the ASCII
// digits count, and a decimal number takes a point, never a comma, whatever
// the user's locale says.

#include <QString>

// The whole number a text starts with; 0 when there is none. A number too
// large for an int gives the largest int of its sign instead of wrapping.
int LeadingInteger(const QString& text);

// The decimal number (digits with an optional point) a text starts with; 0
// when there is none. No exponent is read: "2e3" is 2. A number beyond the
// range of a double gives an infinity of its sign.
double LeadingDecimal(const QString& text);
