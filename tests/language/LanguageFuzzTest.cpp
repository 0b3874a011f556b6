// Language files as damage and careless editors leave them, made at random
// with fixed seeds: the reader answers within its limits and never fails,
// and a table loaded from such a file answers every lookup.

#include "language/IniReader.h"
#include "language/Language.h"
#include "support/ProgramDirectory.h"

#include <gtest/gtest.h>
#include <random>

namespace {

const QByteArray kPieces[] = {
    "[",
    "]",
    "[Strings]",
    "[CommonInfo]",
    "[MainDlg]",
    "=",
    "MYBS",
    "Language",
    "KEY",
    ";",
    "\r\n",
    "\n",
    "\r",
    " ",
    "\t",
    "\"",
    "value",
    "Wartung",
    "\xEF\xBB\xBF",
    "\xFF\xFE",
    "\xFE\xFF",
    QByteArray(1, '\0'),
    "\xC3\xA9",
    "\xC3",
    "\xF0\x9F\x9A\xB2",
    "\x00\xD8",
    "%s",
    "%d %.2f",
    "<NULL>",
};

QByteArray RandomFile(std::mt19937& random) {
    std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> count(0, 80);
    std::uniform_int_distribution<int> chance(0, 19);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> run(1, 700);
    QByteArray bytes;
    for (int i = count(random); i > 0; --i) {
        switch (chance(random)) {
            case 0:
                bytes.append(static_cast<char>(byte(random)));
                break;
            case 1:
                bytes.append(QByteArray(run(random), 'x'));  // past every limit
                break;
            default:
                bytes.append(kPieces[piece(random)]);
                break;
        }
    }
    return bytes;
}

// What a list buffer of that many characters can hold: each name and its
// terminator, and one more terminator.
int ListChars(const QStringList& names) {
    int chars = 1;
    for (const QString& name : names) {
        chars += static_cast<int>(name.size()) + 1;
    }
    return chars;
}

TEST(LanguageFuzz, TheReaderStaysWithinItsLimitsOnAnyFile) {
    std::mt19937 random(20240301);
    for (int round = 0; round < 4000; ++round) {
        const QByteArray bytes = RandomFile(random);
        const IniFile ini = IniFile::Parse(bytes);
        const QStringList sections = ini.SectionNames(2047);
        ASSERT_LE(ListChars(sections), 2047) << round;
        for (const QString& section : sections) {
            ASSERT_FALSE(section.isEmpty()) << round;
            const QStringList keys = ini.KeyNames(section, 2047);
            ASSERT_LE(ListChars(keys), 2047) << round;
            for (const QString& key : keys) {
                const QString value = ini.Value(section, key, 511);
                ASSERT_LE(value.size(), 510) << round;
                ASSERT_FALSE(!value.isEmpty() && value.back().isHighSurrogate()) << round;
            }
        }
        ASSERT_TRUE(ini.Value(QStringLiteral("Absent"), QStringLiteral("KEY"), 511).isEmpty()) << round;
    }
}

TEST(LanguageFuzz, ALoadedTableAnswersEveryLookup) {
    ProgramDirectory directory;
    std::mt19937 random(19950823);
    int loaded = 0;
    for (int round = 0; round < 400; ++round) {
        FreeLanguageTable();
        QByteArray bytes = RandomFile(random);
        // Every other file starts like a real one, so that some load.
        if (round % 2 == 0) {
            bytes.prepend("[Strings]\r\nMYBS=Bicycles\r\n");
        }
        ASSERT_TRUE(directory.WriteFile(QStringLiteral("lang.ini"), bytes));
        const int result = LoadLanguageFile(directory.FilePath(QStringLiteral("lang.ini")));
        ASSERT_TRUE(result == 0 || result == 255) << round;
        if (result != 0) {
            continue;
        }
        ++loaded;
        const IniFile ini = IniFile::Parse(bytes);
        for (const QString& section : ini.SectionNames(2047)) {
            for (const QString& key : ini.KeyNames(section, 2047)) {
                // A loaded file has a non-empty value for every key.
                const QString value = GetLanguageString(section, key);
                ASSERT_FALSE(value.isEmpty()) << round;
                ASSERT_LE(value.size(), 510) << round;
                ASSERT_LE(GetLanguageStringWithColon(section, key).size(), 1023) << round;
            }
        }
        ASSERT_EQ(GetLanguageString(QStringLiteral("Absent"), QStringLiteral("KEY")),
                  QStringLiteral("<NULL>"));
    }
    FreeLanguageTable();
    EXPECT_GT(loaded, 20);
}

}  // namespace
