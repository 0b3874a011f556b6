// Numbers typed into fields: the number a text starts with, read as the C
// library reads it.

#include "units/NumberInput.h"

#include <gtest/gtest.h>
#include <climits>
#include <cmath>
#include <limits>

namespace {

TEST(NumberInput, DecimalsAreTheLeadingNumber) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"12.5", 12.5}, {" 12.5 km", 12.5}, {"12,5", 12.0},     {"-3.25", -3.25}, {"+4", 4.0},
        {"10", 10.0},   {"", 0.0},          {"abc", 0.0},       {".5", 0.5},      {"1.2.3", 1.2},
        {"7e3", 7.0},   {"-", 0.0},         {"0000000012", 12}, {"5,", 5.0},      {"1,5,0", 1.0},
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

TEST(NumberInput, IntegersAreReadUpToTheFirstOtherCharacter) {
    const struct {
        const char16_t* text;
        int expected;
    } cases[] = {
        {u"", 0},
        {u"abc", 0},
        {u"12abc", 12},
        {u"3,5", 3},
        {u"1.9", 1},
        {u"  \t42", 42},
        {u"+7", 7},
        {u"-3", -3},
        {u"- 3", 0},
        {u"2147483647", INT_MAX},
        {u"-2147483648", INT_MIN},
        // Beyond the range: the nearest int of the sign, never a wrapped value.
        {u"2147483648", INT_MAX},
        {u"-2147483649", INT_MIN},
        {u"99999999999999999999999", INT_MAX},
        // Digits of other scripts are no numbers to the program.
        {u"\u0663\u0664", 0},
        {u"\uff11\uff12", 0},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(ParseInteger(text), c.expected) << text.toStdString();
    }
}

TEST(NumberInput, DecimalsTakeAPointAndNoComma) {
    const struct {
        const char16_t* text;
        double expected;
    } cases[] = {
        {u"", 0.0},     {u"inch", 0.0},   {u"27.5", 27.5},    {u".5", 0.5},    {u"5.", 5.0},
        {u"3,5", 3.0},  {u"12abc", 12.0}, {u" -1.25", -1.25}, {u"+.", 0.0},    {u"2e3", 2.0},
        {u"0x10", 0.0}, {u"inf", 0.0},    {u"nan", 0.0},      {u"1.2.3", 1.2},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_DOUBLE_EQ(ParseDecimal(text), c.expected) << text.toStdString();
    }
    // Digits beyond what a double holds: too large is infinite, too small is 0.
    EXPECT_EQ(ParseDecimal(QStringLiteral("1") + QString(400, u'0')), HUGE_VAL);
    EXPECT_EQ(ParseDecimal(QStringLiteral("-1") + QString(400, u'0')), -HUGE_VAL);
    EXPECT_EQ(ParseDecimal(QStringLiteral("0.") + QString(400, u'0') + u'1'), 0.0);
}

}  // namespace
