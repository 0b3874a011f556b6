#pragma once
// Heights (a ride's ascent and descent, a profile's elevation) follow the
// distance unit: metres beside kilometres, feet beside miles. They are
// always stored in metres.

#include <QString>

inline constexpr double kMetresPerFoot = 0.3048;

// "ft" while miles are shown, else "m".
QString GetHeightUnitWord();
double FromMetres(double metres);  // metres -> the height unit shown
double ToMetres(double value);     // the height unit shown -> metres
