#pragma once
// The arithmetic and the tables behind the gear calculator, apart from its
// window: rim sizes, bicycle templates, the results of one sprocket and the
// text of the gear report. Riders compare these figures with other gear
// tables, so the circumference is diameter x 3.14 x 2.54 cm exactly as
// written here, not the precise value of pi or of an inch.

#include "language/Language.h"
#include "reports/ReportText.h"

#include <QString>
#include <array>
#include <optional>

inline constexpr int kGearRowCount = 10;

// One entry of the rim list and the diameter it puts into the inch field.
struct RimSize {
    LanguageKey name;
    const char* inches;  // nullptr for the last entry: the rider types the diameter
};

inline constexpr RimSize kRimSizes[] = {
    {LanguageKey{"BicycleAttrDlg", "28IN"}, "28"},    {LanguageKey{"BicycleAttrDlg", "700C"}, "27.5"},
    {LanguageKey{"BicycleAttrDlg", "26IN"}, "26"},    {LanguageKey{"BicycleAttrDlg", "24IN"}, "24"},
    {LanguageKey{"BicycleAttrDlg", "22IN"}, "22"},    {LanguageKey{"BicycleAttrDlg", "20IN"}, "20"},
    {LanguageKey{"BicycleAttrDlg", "18IN"}, "18"},    {LanguageKey{"BicycleAttrDlg", "16IN"}, "16"},
    {LanguageKey{"BicycleAttrDlg", "14IN"}, "14"},    {LanguageKey{"BicycleAttrDlg", "12IN"}, "12"},
    {LanguageKey{"BicycleAttrDlg", "OTHF"}, nullptr},
};
inline constexpr int kRimSizeCount = static_cast<int>(std::size(kRimSizes));
inline constexpr int kOtherRimSize = kRimSizeCount - 1;

// A typical drive train to start from.
struct GearTemplate {
    LanguageKey name;
    int rimSize;  // index into kRimSizes
    std::array<const char*, 3> chainWheels;
    int chainWheelCount;
    int selectedChainWheel;
    std::array<int, kGearRowCount> freeWheels;  // 0 leaves the row empty
    const char* cadence;
};

inline constexpr GearTemplate kGearTemplates[] = {
    {.name = LanguageKey{"GearCalculatorDlg", "700C"},
     .rimSize = 1,  // 700C
     .chainWheels = {"53", "39", nullptr},
     .chainWheelCount = 2,
     .selectedChainWheel = 0,
     .freeWheels = {23, 21, 19, 17, 16, 15, 14, 13, 12, 11},
     .cadence = "90"},
    {.name = LanguageKey{"GearCalculatorDlg", "26IN"},
     .rimSize = 2,  // 26 inch
     .chainWheels = {"44", "32", "22"},
     .chainWheelCount = 3,
     .selectedChainWheel = 1,
     .freeWheels = {32, 28, 24, 21, 18, 15, 13, 11, 0, 0},
     .cadence = "90"},
    {.name = LanguageKey{"GearCalculatorDlg", "20IN"},
     .rimSize = 5,  // 20 inch
     .chainWheels = {"52", nullptr, nullptr},
     .chainWheelCount = 1,
     .selectedChainWheel = 0,
     .freeWheels = {32, 28, 24, 21, 18, 15, 13, 11, 0, 0},
     .cadence = "90"},
};
inline constexpr int kGearTemplateCount = static_cast<int>(std::size(kGearTemplates));

// The figures of one sprocket. The speed is in km/h.
struct GearFigures {
    double gearRatio = 0;
    double speedRatio = 0;
    double speedKmh = 0;
};

// Nothing for a free wheel of 0 teeth or fewer. A chain wheel or cadence of 0
// simply gives 0.
std::optional<GearFigures> CalculateGear(int chainWheel, int cadence, double diameterInches, int freeWheel);

// The three result fields of one row as the rider sees them.
struct GearResultTexts {
    QString gearRatio;
    QString speedRatio;
    QString speed;  // in the configured unit, the speed word directly after the number
};

// The numbers the fields hold; an empty field is 0.
struct GearInputs {
    double inches = 0;
    int chainWheel = 0;
    int cadence = 0;
    std::array<int, kGearRowCount> freeWheels{};
};

// Results for all rows; a row without a free wheel of at least one tooth gets
// empty results.
std::array<GearResultTexts, kGearRowCount> CalculateGearTable(const GearInputs& inputs);

// One row of the table as it stands in the window.
struct GearTableRow {
    QString freeWheel;
    GearResultTexts results;
};

struct GearReportContents {
    QString inches;
    QString chainWheel;
    QString cadence;
    std::array<GearTableRow, kGearRowCount> rows;
};

// The gear report. Rows with an empty free-wheel field are left out and
// numbered past; every other row is written with its results as displayed,
// also when they are empty.
ReportText GearReport(const GearReportContents& contents);
