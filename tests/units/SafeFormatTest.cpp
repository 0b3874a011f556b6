// The formatter that language texts with conversions go through: a
// translation with a wrong, missing or foreign conversion must come out as
// readable text, never crash and never read past the arguments.

#include "units/SafeFormat.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

// Rows hold their arguments in a vector: an initializer_list member of a
// static table does not reliably keep its elements alive.
struct Case {
    const char* format;
    std::vector<FormatArg> args;
    const char* expected;
};

QString FormatWith(const QString& format, const std::vector<FormatArg>& a) {
    switch (a.size()) {
        case 0:
            return SafeFormat(format, {});
        case 1:
            return SafeFormat(format, {a[0]});
        case 2:
            return SafeFormat(format, {a[0], a[1]});
        default:
            return SafeFormat(format, {a[0], a[1], a[2]});
    }
}

const QString kRoad = QStringLiteral("Road");

TEST(SafeFormatTest, Table) {
    // Each row runs the same way; the groups say what they prove.
    const Case cases[] = {
        // Conversions that match their arguments.
        {"%d rides", {5}, "5 rides"},
        {"%s: %d", {kRoad, -3}, "Road: -3"},
        {"%.2f km", {2.005}, "2.00 km"},
        {"%.1f", {0.25}, "0.2"},
        {"%.3f", {1.0005}, "1.000"},
        {"%.3f", {2.0 / 3.0}, "0.667"},
        {"%.0f|%.9f", {2.5, 1.0 / 3.0}, "2|0.333333333"},
        {"%f", {1.5}, "1.500000"},
        // Zero-padded integers, for clock times.
        {"%d:%02d:%02d", {1, 5, 10}, "1:05:10"},
        {"%d:%02d:%02d", {27, 11, 9}, "27:11:09"},
        {"%03d|%02d|%01d", {-5, 123, 0}, "-05|123|0"},
        {"%02d", {2.5}, "%02d"},
        {"%2d %d", {1}, "%2d 1"},
        {"\U0001F6B2 %s", {kRoad}, "\U0001F6B2 Road"},
        // Percent signs.
        {"100%% done", {}, "100% done"},
        {"%d%%", {50}, "50%"},
        {"50%", {}, "50%"},
        {"50%", {1}, "50%"},
        {"%", {}, "%"},
        {"%-", {kRoad}, "%-"},
        // Type mismatches stay as written and use up their argument.
        {"%d", {kRoad}, "%d"},
        {"%d", {2.5}, "%d"},
        {"%s", {3}, "%s"},
        {"%.2f", {3}, "%.2f"},
        {"%f", {kRoad}, "%f"},
        {"%d/%s", {kRoad, kRoad}, "%d/Road"},
        // Conversions without an argument left stay as written.
        {"%d of %d", {1}, "1 of %d"},
        {"%s %.2f", {}, "%s %.2f"},
        // Unknown conversions stay as written and take no argument.
        {"%x %d", {7}, "%x 7"},
        {"%n%d", {1}, "%n1"},
        {"%5s|%s", {kRoad}, "%5s|Road"},
        {"%ls %s", {kRoad}, "%ls Road"},
        {"%lld %d", {4}, "%lld 4"},
        {"%.10f %.2f", {1.0}, "%.10f 1.00"},
        {"%*d", {3}, "%*d"},
        {"%5%d", {4}, "%5%d"},
        {"100% sure", {kRoad}, "100% sure"},
        // Extra arguments are ignored.
        {"%d", {1, 2}, "1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatWith(QString::fromUtf8(c.format), c.args), QString::fromUtf8(c.expected)) << c.format;
    }
}

TEST(SafeFormatTest, FixedNumbersMatchPrintf) {
    for (double value : {0.0, -0.004, 0.125, 2.675, 1e15 + 0.3, -123.456789}) {
        for (int decimals : {0, 1, 2, 3, 9}) {
            char expected[128];
            std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
            EXPECT_EQ(FormatFixed(value, decimals), QString::fromLatin1(expected)) << expected;
        }
    }
}

TEST(SafeFormatTest, NeverCrashesOnArbitraryFormats) {
    // Formats made of conversion fragments in every order, against a fixed
    // set of arguments. Whatever comes out, no argument is read that was not
    // passed, and text without a "%" passes through unchanged.
    const char alphabet[] = "%%%dsf.29xln*-# a";
    std::mt19937 random(20240115);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof alphabet) - 2);
    std::uniform_int_distribution<int> length(0, 12);
    for (int round = 0; round < 20000; ++round) {
        QString format;
        for (int i = length(random); i > 0; --i) {
            format += QLatin1Char(alphabet[pick(random)]);
        }
        const QString out = SafeFormat(format, {1, 2.5, kRoad});
        if (!format.contains(u'%')) {
            EXPECT_EQ(out, format);
        }
    }
}

}  // namespace
