#include "units/HeightUnit.h"

#include "units/Units.h"

namespace {

bool InFeet() {
    return GetDistanceUnit() == 1;
}

}  // namespace

QString GetHeightUnitWord() {
    return InFeet() ? QStringLiteral("ft") : QStringLiteral("m");
}

double FromMetres(double metres) {
    return InFeet() ? metres / kMetresPerFoot : metres;
}

double ToMetres(double value) {
    return InFeet() ? value * kMetresPerFoot : value;
}
