// The formatter that language texts with conversions go through: a
// translation with a wrong, missing or foreign conversion must come out as
// readable text, never crash and never read past the arguments.

#include "units/SafeFormat.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
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

// printf in the C locale for the rest of a scope, whatever the process runs in.
class CLocale {
public:
    CLocale() : m_c(newlocale(LC_ALL_MASK, "C", nullptr)), m_previous(uselocale(m_c)) {}
    ~CLocale() {
        uselocale(m_previous);
        freelocale(m_c);
    }
    CLocale(const CLocale&) = delete;
    CLocale& operator=(const CLocale&) = delete;

private:
    locale_t m_c;
    locale_t m_previous;
};

TEST(SafeFormatTest, WritesWhatPrintfWritesForEveryFormatItKnows) {
    // Formats and arguments drawn at random from what translations use,
    // extremes included: for every known conversion with an argument of its
    // type, the text is exactly printf's.
    const CLocale c;
    const int ints[] = {0, -1, 7, 1000000, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
    const double doubles[] = {0.0,
                              -0.0,
                              0.005,
                              2.5,
                              -3.25,
                              1e-300,
                              1e15,
                              123456789.987654321,
                              1e308,
                              -1e308,
                              0.125,
                              2.675,
                              1.0 / 3.0,
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity()};
    const char* const texts[] = {"", "Road", "50%", "%d", "\xC3\xA9t\xC3\xA9", "a\tb"};
    const char* const literals[] = {"", " km", "Total: ", "\xF0\x9F\x9A\xB2 ", "/", "(x)"};
    std::mt19937 random(20060606);
    std::uniform_int_distribution<int> kind(0, 4);
    std::uniform_int_distribution<int> digits(0, 9);
    for (int round = 0; round < 4000; ++round) {
        QString format;
        QString expected;
        std::vector<FormatArg> args;
        char buffer[512];
        const int pieces = static_cast<int>(random() % 4);
        for (int p = 0; p < pieces; ++p) {
            const char* literal = literals[random() % std::size(literals)];
            format += QString::fromUtf8(literal);
            expected += QString::fromUtf8(literal);
            switch (args.size() < 3 ? kind(random) : 4) {
                case 0: {
                    const int value = ints[random() % std::size(ints)];
                    std::snprintf(buffer, sizeof buffer, "%d", value);
                    format += QLatin1String("%d");
                    args.emplace_back(value);
                    break;
                }
                case 1: {
                    const char* text = texts[random() % std::size(texts)];
                    format += QLatin1String("%s");
                    std::snprintf(buffer, sizeof buffer, "%s", text);
                    args.emplace_back(QString::fromUtf8(text));
                    break;
                }
                case 2: {
                    const double value = doubles[random() % std::size(doubles)];
                    const int decimals = digits(random);
                    const std::string spec = "%." + std::to_string(decimals) + "f";
                    std::snprintf(buffer, sizeof buffer, spec.c_str(), value);
                    format += QString::fromStdString(spec);
                    args.emplace_back(value);
                    break;
                }
                case 3: {
                    const double value = doubles[random() % std::size(doubles)];
                    std::snprintf(buffer, sizeof buffer, "%f", value);
                    format += QLatin1String("%f");
                    args.emplace_back(value);
                    break;
                }
                default:
                    std::snprintf(buffer, sizeof buffer, "%%");
                    format += QLatin1String("%%");
                    break;
            }
            expected += QString::fromUtf8(buffer);
        }
        ASSERT_EQ(FormatWith(format, args), expected) << round << ": " << format.toStdString();
    }
}

TEST(SafeFormatTest, ArgumentsOfAnyTypeNeverBreakAnyFormat) {
    // Random formats, random arguments of random types: no crash, no
    // argument read twice or left unread past its conversion, and the same
    // format with the same arguments always gives the same text.
    const QString longText(10000, QLatin1Char('w'));
    const FormatArg pool[] = {0,
                              -7,
                              std::numeric_limits<int>::min(),
                              2.5,
                              std::nan(""),
                              1e308,
                              -0.0,
                              longText,
                              QString(),
                              QStringLiteral("%s%d%n"),
                              QStringLiteral("\U0001F6B2")};
    const char alphabet[] = "%%%%dsf.0123456789lhnxXpcu*-+# \xE9";
    std::mt19937 random(20130417);
    std::uniform_int_distribution<int> length(0, 24);
    for (int round = 0; round < 4000; ++round) {
        QString format;
        for (int i = length(random); i > 0; --i) {
            format += QLatin1Char(alphabet[random() % (sizeof alphabet - 1)]);
        }
        std::vector<FormatArg> args;
        for (int i = static_cast<int>(random() % 4); i > 0; --i) {
            args.push_back(pool[random() % std::size(pool)]);
        }
        const QString out = FormatWith(format, args);
        ASSERT_EQ(out, FormatWith(format, args)) << round;
        if (!format.contains(u'%')) {
            ASSERT_EQ(out, format) << round;
        }
        // Nothing comes from nowhere: the text is no longer than the format
        // with every argument written in full.
        qsizetype room = format.size();
        for (const FormatArg& arg : args) {
            room += std::holds_alternative<QString>(arg) ? std::get<QString>(arg).size() : 330;
        }
        ASSERT_LE(out.size(), room) << round;
    }
}

}  // namespace
