// Numbers typed into the editors' fields: the number a text starts with.

#include "units/NumberInput.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(NumberInput, DecimalsAreTheLeadingNumber) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"12.5", 12.5}, {" 12.5 km", 12.5}, {"12,5", 12.5},     {"-3.25", -3.25}, {"+4", 4.0},
        {"10", 10.0},   {"", 0.0},          {"abc", 0.0},       {".5", 0.5},      {"1.2.3", 1.2},
        {"7e3", 7.0},   {"-", 0.0},         {"0000000012", 12}, {"5,", 5.0},      {"1,5,0", 1.5},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(ParseDecimal(QString::fromLatin1(c.text)), c.value) << c.text;
    }
}

TEST(NumberInput, IntegersAreTheLeadingWholeNumber) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"42", 42},
        {"0042", 42},
        {"", 0},
        {"x", 0},
        {"7:30", 7},
        {"9.9", 9},
        {"-12", -12},
        {"99999999999", std::numeric_limits<int>::max()},
        {"-99999999999", std::numeric_limits<int>::min()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseInteger(QString::fromLatin1(c.text)), c.value) << c.text;
    }
}

}  // namespace
