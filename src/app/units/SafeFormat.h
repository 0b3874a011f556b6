#pragma once
// Formatting with texts that come from language files. A translation may carry
// a wrong or missing conversion, so such texts are never handed to printf.
// SafeFormat accepts only %d, %s, %.Nf (and %f) and %%; each conversion is
// checked against its argument's type. A conversion that does not match its
// argument, has no argument left, or is not one of these is written out as
// the text it was, never read past the arguments, never crashes.

#include <QString>
#include <initializer_list>
#include <variant>

using FormatArg = std::variant<int, double, QString>;

QString SafeFormat(const QString& format, std::initializer_list<FormatArg> args);
