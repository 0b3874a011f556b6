#include "units/CsvReader.h"

#include <gtest/gtest.h>

TEST(CsvReaderTest, ReadsQuotedFieldsLineBreaksAndBothLineEnds) {
    const CsvTable table =
        ParseCsv(QStringLiteral("Name,Memo\r\n\"a, b\",\"say \"\"hi\"\"\nthere\"\n\nc,\r\n"));
    EXPECT_EQ(table.header, QStringList({QStringLiteral("Name"), QStringLiteral("Memo")}));
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0], QStringList({QStringLiteral("a, b"), QStringLiteral("say \"hi\"\nthere")}));
    EXPECT_EQ(table.rows[1], QStringList({QStringLiteral("c"), QString()}));
    // Each row knows its line, past line breaks inside quotes and empty lines.
    EXPECT_EQ(table.rowLines, std::vector<int>({2, 5}));
    EXPECT_FALSE(table.unterminatedQuote);
    EXPECT_TRUE(ParseCsv(QStringLiteral("a\n\"open")).unterminatedQuote);
}

TEST(CsvReaderTest, GuessesTheSeparatorOfTheHeaderAndDecodesByByteOrderMark) {
    EXPECT_EQ(ParseCsv(QStringLiteral("Datum;\"Strecke, km\";Zeit\n1;2,5;3")).rows[0],
              QStringList({QStringLiteral("1"), QStringLiteral("2,5"), QStringLiteral("3")}));
    EXPECT_EQ(GuessCsvSeparator(QStringLiteral("a\tb\tc,d")), QLatin1Char('\t'));
    const QString text = QStringLiteral("Fahrt,ß");
    EXPECT_EQ(DecodeCsvBytes("\xEF\xBB\xBF" + text.toUtf8()), text);
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    EXPECT_EQ(DecodeCsvBytes(utf16), text);
}

TEST(CsvReaderTest, MatchesHeadersWhateverTheirCaseSpacingOrUnit) {
    const QStringList header = {QStringLiteral("Activity ID"), QStringLiteral("Elapsed Time (s)"),
                                QStringLiteral(" max_speed [m/s] "), QStringLiteral("Distance")};
    EXPECT_EQ(FindCsvColumn(header, {QStringLiteral("elapsed time")}), 1);
    EXPECT_EQ(FindCsvColumn(header, {QStringLiteral("Max Speed")}), 2);
    EXPECT_EQ(FindCsvColumn(header, {QStringLiteral("moving time"), QStringLiteral("activity_id")}), 0);
    EXPECT_EQ(FindCsvColumn(header, {QStringLiteral("gear")}), -1);
}
