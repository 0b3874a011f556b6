// The gear calculator's and the converter's arithmetic, without a window.

#include "language/Language.h"
#include "support/ProgramDirectory.h"
#include "tools/DistanceConversion.h"
#include "tools/GearCalculation.h"
#include "tools/ToolsTestSupport.h"
#include "units/Units.h"

#include <gtest/gtest.h>
#include <climits>
#include <cmath>

namespace {

TEST(DistanceConversion, UsesTheProgramsFactorBothWaysWhateverTheConfiguredUnit) {
    ProgramDirectory programDirectory;  // puts the unit back afterwards
    for (const int unit : {0, 1}) {
        SetDistanceUnit(unit);
        EXPECT_EQ(ConvertDistanceText(100, ConversionDirection::KilometresToMiles), QStringLiteral("62.15"));
        EXPECT_EQ(ConvertDistanceText(100, ConversionDirection::MilesToKilometres), QStringLiteral("160.90"));
        EXPECT_EQ(ConvertDistanceText(0, ConversionDirection::MilesToKilometres), QStringLiteral("0.00"));
        EXPECT_EQ(ConvertDistanceText(999999999, ConversionDirection::MilesToKilometres),
                  QStringLiteral("1608999998.39"));
    }
}

TEST(CalculateGear, NoFiguresWithoutAFreeWheelAndZeroWithoutChainWheelOrCadence) {
    EXPECT_FALSE(CalculateGear(53, 90, 27.5, 0).has_value());
    EXPECT_FALSE(CalculateGear(53, 90, 27.5, -4).has_value());
    const auto noChain = CalculateGear(0, 90, 27.5, 23);
    ASSERT_TRUE(noChain.has_value());
    EXPECT_EQ(noChain->gearRatio, 0.0);
    EXPECT_EQ(noChain->speedKmh, 0.0);
    const auto noCadence = CalculateGear(53, 0, 27.5, 23);
    ASSERT_TRUE(noCadence.has_value());
    EXPECT_EQ(noCadence->speedKmh, 0.0);
    EXPECT_GT(noCadence->speedRatio, 0.0);
}

TEST(CalculateGear, HugeInputsDoNotOverflow) {
    // cadence x 60 x chain wheel is far beyond 32 bits here.
    const auto figures = CalculateGear(INT_MAX, INT_MAX, 999999999.0, 1);
    ASSERT_TRUE(figures.has_value());
    EXPECT_TRUE(std::isfinite(figures->speedKmh));
    EXPECT_GT(figures->speedKmh, 0.0);
}

GearInputs RoadTemplate() {
    return {27.5, 53, 90, {23, 21, 19, 17, 16, 15, 14, 13, 12, 11}};
}

TEST_F(EnglishTextsTest, GearTableShowsTwoDecimalsAndTheSpeedWord) {
    const auto results = CalculateGearTable(RoadTemplate());
    EXPECT_EQ(results[0].gearRatio, QStringLiteral("2.30"));
    EXPECT_EQ(results[0].speedRatio, QStringLiteral("63.37"));
    EXPECT_EQ(results[0].speed, QStringLiteral("27.29km/h"));
    EXPECT_EQ(results[9].gearRatio, QStringLiteral("4.82"));
    EXPECT_EQ(results[9].speedRatio, QStringLiteral("132.50"));
    EXPECT_EQ(results[9].speed, QStringLiteral("57.07km/h"));

    SetDistanceUnit(1);
    const auto inMiles = CalculateGearTable(RoadTemplate());
    EXPECT_EQ(inMiles[0].speed, QStringLiteral("16.96mph"));
    EXPECT_EQ(inMiles[0].gearRatio, QStringLiteral("2.30"));
}

TEST_F(EnglishTextsTest, RowsWithoutAFreeWheelStayEmpty) {
    GearInputs inputs = RoadTemplate();
    inputs.freeWheels[1] = 0;
    inputs.freeWheels[2] = -4;
    const auto results = CalculateGearTable(inputs);
    for (int row : {1, 2}) {
        EXPECT_TRUE(results[row].gearRatio.isEmpty() && results[row].speedRatio.isEmpty() &&
                    results[row].speed.isEmpty())
            << "row " << row + 1;
    }
    EXPECT_EQ(results[3].gearRatio, QStringLiteral("3.12"));

    inputs.inches = 0;
    EXPECT_EQ(CalculateGearTable(inputs)[0].speedRatio, QStringLiteral("0.00"));
    EXPECT_EQ(CalculateGearTable(inputs)[0].speed, QStringLiteral("0.00km/h"));
}

}  // namespace
