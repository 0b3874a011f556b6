#pragma once
// The figure filters of the list pages (a ride's distance and riding time, an
// entry's cost): the store's condition for a figure between two bounds, and
// the reading of a riding time typed as a bound.

#include <QString>
#include <optional>
#include <string>

// " and (expression>=least) and (expression<=most)" for the bounds given; empty
// when there is none. The numbers are written with a decimal point whatever
// the locale, to as many digits as a double holds.
std::string FigureRangeCondition(const char* expression, std::optional<double> least,
                                 std::optional<double> most);

// A riding time in seconds: "1:30" (hours and minutes), "1:30:15" (and seconds)
// or a number of hours as the rider's language writes it ("1,5" in German).
// Nothing when the text is none of these.
std::optional<int> ReadDuration(const QString& text);
