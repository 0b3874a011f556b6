#pragma once
// Failures show texts as texts: GoogleTest prints a QString through this
// rather than as a dump of its bytes.

#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
