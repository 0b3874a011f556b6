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

TEST(DistanceConversion, UsesTheProgramsFactorBothWays) {
    const struct {
        const char* input;
        ConversionDirection direction;
        const char* expected;
    } cases[] = {
        {"100", ConversionDirection::KilometresToMiles, "62.15"},
        {"100", ConversionDirection::MilesToKilometres, "160.90"},
        {"12abc", ConversionDirection::MilesToKilometres, "19.31"},
        {"3,5", ConversionDirection::KilometresToMiles, "1.86"},
        {"", ConversionDirection::KilometresToMiles, "0.00"},
        {"", ConversionDirection::MilesToKilometres, "0.00"},
        {"-16.09", ConversionDirection::KilometresToMiles, "-10.00"},
        {"999999999", ConversionDirection::MilesToKilometres, "1608999998.39"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConvertDistanceText(QString::fromLatin1(c.input), c.direction),
                  QString::fromLatin1(c.expected))
            << c.input;
    }
}

TEST(DistanceConversion, DoesNotFollowTheConfiguredUnit) {
    ProgramDirectory programDirectory;  // puts the unit back afterwards
    SetDistanceUnit(1);
    EXPECT_EQ(ConvertDistanceText(QStringLiteral("100"), ConversionDirection::KilometresToMiles),
              QStringLiteral("62.15"));
    EXPECT_EQ(ConvertDistanceText(QStringLiteral("100"), ConversionDirection::MilesToKilometres),
              QStringLiteral("160.90"));
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

GearInputTexts RoadTemplate() {
    GearInputTexts inputs{QStringLiteral("27.5"), QStringLiteral("53"), QStringLiteral("90"), {}};
    const int teeth[] = {23, 21, 19, 17, 16, 15, 14, 13, 12, 11};
    for (int row = 0; row < kGearRowCount; ++row) {
        inputs.freeWheels[row] = QString::number(teeth[row]);
    }
    return inputs;
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

TEST_F(EnglishTextsTest, GearTableReadsTheLeadingNumbersOfItsFields) {
    GearInputTexts inputs = RoadTemplate();
    inputs.inches = QStringLiteral("27.5 inch");
    inputs.chainWheel = QStringLiteral("53T");
    inputs.cadence = QStringLiteral("75 rpm");
    inputs.freeWheels[1] = QStringLiteral("abc");
    inputs.freeWheels[2] = QStringLiteral("0");
    inputs.freeWheels[3] = QString();
    const auto results = CalculateGearTable(inputs);
    EXPECT_EQ(results[0].speed, QStringLiteral("22.74km/h"));
    for (int row : {1, 2, 3}) {
        EXPECT_TRUE(results[row].gearRatio.isEmpty() && results[row].speedRatio.isEmpty() &&
                    results[row].speed.isEmpty())
            << "row " << row + 1;
    }
    EXPECT_EQ(results[4].gearRatio, QStringLiteral("3.31"));

    inputs.inches = QStringLiteral("twenty");
    EXPECT_EQ(CalculateGearTable(inputs)[0].speedRatio, QStringLiteral("0.00"));
    EXPECT_EQ(CalculateGearTable(inputs)[0].speed, QStringLiteral("0.00km/h"));
}

}  // namespace
