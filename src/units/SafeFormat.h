#pragma once
// Formatting with texts that come from language files. A translation may carry
// a wrong or missing conversion, so such texts are never handed to printf.
// SafeFormat accepts only %d, %0Nd, %s, %.Nf (and %f) and %%; each conversion is
// checked against its argument's type. A conversion that does not match its
// argument, has no argument left, or is not one of these is written out as
// the text it was, never read past the arguments, never crashes.
//
// Types are strict: %d and %0Nd take only an int, %f and %.Nf (N a single digit) only
// a double, %s only a QString. A known conversion uses up its argument even
// when the type does not match, so one wrong conversion in a translation does
// not shift the arguments of the ones after it; an unknown conversion (%x, %n,
// %5s, %ls, %.10f, ...) takes none. Numbers are written as printf writes them
// in the C locale.

#include <QString>
#include <initializer_list>
#include <variant>

using FormatArg = std::variant<int, double, QString>;

QString SafeFormat(const QString& format, std::initializer_list<FormatArg> args);

// value with the given number of decimals exactly as printf's "%.Nf" writes it
// in the C locale, whatever locale the process runs in.
QString FormatFixed(double value, int decimals);
