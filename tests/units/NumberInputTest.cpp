// Numbers typed into fields: read as the rider's language writes them, then
// with a decimal point, then with a decimal comma; whole texts only.

#include "language/Language.h"
#include "support/ProgramDirectory.h"
#include "units/NumberInput.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

constexpr double kRefused = -1;  // no field takes a negative number, so this marks a refusal

double Read(const QString& text, NumberKind kind, const QString& unitWord = QString()) {
    return ReadNumber(text, kind, unitWord).value_or(kRefused);
}

class NumberInputTest : public ProgramDirectoryTest {
protected:
    void Load(int number) {
        FreeLanguageTable();
        ASSERT_EQ(LoadLanguageFile(
                      SourcePath(QStringLiteral("languages/vmq_%1.ini").arg(number, 2, 10, QChar(u'0')))),
                  0);
    }
};

// The same typed texts in a decimal field beside "km" and a whole-number
// field, in a language that writes a decimal comma and two that write a point.
TEST_F(NumberInputTest, TypedTextsInEachKindOfFieldAndLanguage) {
    struct Case {
        const char16_t* typed;
        double decimalGerman, decimalEnglish, decimalJapanese;
        double wholeGerman, wholeEnglish, wholeJapanese;
    };
    const Case cases[] = {
        {u"12,5", 12.5, 12.5, 12.5, kRefused, kRefused, kRefused},
        {u"0,75", 0.75, 0.75, 0.75, kRefused, kRefused, kRefused},
        {u"1.299", 1299, 1.299, 1.299, 1299, kRefused, kRefused},
        {u"1.234,5", 1234.5, kRefused, kRefused, kRefused, kRefused, kRefused},
        {u"12.5", 12.5, 12.5, 12.5, kRefused, kRefused, kRefused},
        {u"-3", kRefused, kRefused, kRefused, kRefused, kRefused, kRefused},
        {u"27,5", 27.5, 27.5, 27.5, kRefused, kRefused, kRefused},
        {u"12 km", 12, 12, 12, kRefused, kRefused, kRefused},
        {u"abc", kRefused, kRefused, kRefused, kRefused, kRefused, kRefused},
        {u"1,299", 1.299, 1299, 1299, kRefused, 1299, 1299},
        {u"", 0, 0, 0, 0, 0, 0},
    };
    const struct {
        int file;
        double Case::*decimal;
        double Case::*whole;
    } languages[] = {{1, &Case::decimalGerman, &Case::wholeGerman},
                     {0, &Case::decimalEnglish, &Case::wholeEnglish},
                     {14, &Case::decimalJapanese, &Case::wholeJapanese}};
    for (const auto& language : languages) {
        Load(language.file);
        const QString km = GetLanguageString("Strings", "KMSS");
        for (const Case& c : cases) {
            const QString typed = QString::fromUtf16(c.typed);
            EXPECT_DOUBLE_EQ(Read(typed, NumberKind::Decimal, km), c.*language.decimal)
                << typed.toStdString() << " in file " << language.file;
            EXPECT_DOUBLE_EQ(Read(typed, NumberKind::Whole), c.*language.whole)
                << typed.toStdString() << " in file " << language.file;
        }
    }
}

TEST_F(NumberInputTest, OnlyAWholeNumberIsTaken) {
    Load(1);
    // In a field beside "km".
    for (const char16_t* typed : {u"1.2.3", u"12,5,1", u"12 km/h", u"12abc", u"1.23,4", u"12,", u",", u"+4",
                                  u"1 2", u"12 km 3", u"km", u"1e3", u"0x10", u"inf", u"\u0663"}) {
        const QString text = QString::fromUtf16(typed);
        EXPECT_FALSE(ReadNumber(text, NumberKind::Decimal, QStringLiteral("km")).has_value())
            << text.toStdString();
    }
    const QString kmh = QStringLiteral("km/h");
    // The unit word beside the field, in any case, with or without a blank.
    EXPECT_EQ(ReadNumber(QStringLiteral("40,5 km/h"), NumberKind::Decimal, kmh), 40.5);
    EXPECT_EQ(ReadNumber(QStringLiteral(" 40KM/H "), NumberKind::Decimal, kmh), 40.0);
    EXPECT_EQ(ReadNumber(QStringLiteral(",5"), NumberKind::Decimal), 0.5);
    EXPECT_EQ(ReadNumber(QStringLiteral("   "), NumberKind::Decimal), 0.0);
}

TEST_F(NumberInputTest, EachLanguageGroupsDigitsItsOwnWay) {
    const struct {
        int file;
        const char16_t* typed;
        double value;
    } cases[] = {
        {2, u"1\u202f234,5", 1234.5},             // French: narrow no-break space
        {2, u"1\u00a0234,5", 1234.5},             // or a no-break space
        {9, u"12 345,25", 12345.25},              // Swedish: a space
        {13, u"1\u00a0299", 1299},                // Russian
        {8, u"2 000,5", 2000.5},                  // Czech
        {7, u"1 000 000", 1000000},               // Polish
        {5, u"1.234,5", 1234.5},                  // Dutch
        {15, u"1,234.5", 1234.5},                 // Simplified Chinese
        {14, u"\uff11\uff12\uff0e\uff15", 12.5},  // full-width, as an input method types it
        {2, u"1.299", 1.299},                     // French does not group with a point
        {0, u"0,123", 0.123},                     // nobody groups a number that starts with 0
        {0, u"1,23", 1.23},                       // a group has three digits
    };
    for (const auto& c : cases) {
        Load(c.file);
        const QString typed = QString::fromUtf16(c.typed);
        EXPECT_EQ(ReadNumber(typed, NumberKind::Decimal), c.value) << typed.toStdString() << " in " << c.file;
    }
    Load(9);
    EXPECT_FALSE(ReadNumber(QStringLiteral("12 34,5"), NumberKind::Decimal).has_value());
    // Every shipped language is known by the name its file gives itself.
    for (int file = 1; file < 16; ++file) {
        Load(file);
        EXPECT_FALSE(CurrentNumberConventions().groupSeparators.isEmpty()) << file;
    }
    EXPECT_EQ(NumberConventionsOf(QStringLiteral("Klingon")).decimalMark, u'.');
}

TEST_F(NumberInputTest, WholeNumbersStayWithinAnInt) {
    Load(0);
    EXPECT_EQ(ReadWholeNumber(QStringLiteral("2147483647")), 2147483647);
    EXPECT_FALSE(ReadWholeNumber(QStringLiteral("2147483648")).has_value());
    EXPECT_EQ(ReadWholeNumber(QStringLiteral("26 inch"), QStringLiteral("inch")), 26);
    EXPECT_EQ(ReadDecimal(QStringLiteral("1") + QString(400, u'0')), std::nullopt);
}

TEST_F(NumberInputTest, TheRefusalNamesTheFieldInTheRidersLanguage) {
    Load(1);
    const QString refusal = NumberRefusal(QStringLiteral("Strecke"), NumberKind::Decimal);
    EXPECT_TRUE(refusal.contains(QStringLiteral("„Strecke“"))) << refusal.toStdString();
    EXPECT_NE(refusal, NumberRefusal(QStringLiteral("Strecke"), NumberKind::Whole));
}

}  // namespace
