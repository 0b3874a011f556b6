// The cells the ride and maintenance lists share: the date with its weekday
// in the local calendar, bicycle names by number, and the head of the memo.

#include "language/Language.h"
#include "support/ProgramDirectory.h"
#include "support/Scoped.h"
#include "units/RecordCells.h"
#include "units/TextBlock.h"
#include "units/Units.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(RecordCells, MemoIsWholeUpTo30CharactersAndCutAfter32OnOneLine) {
    const QString thirtyTwo = QStringLiteral("0123456789abcdef0123456789ABCDEF");
    const QString thirtyOne = thirtyTwo.left(31);
    struct Case {
        QString memo;
        QString shown;
    };
    const Case cases[] = {
        {QString(), QString()},
        {QStringLiteral("Thirty characters of memo text"), QStringLiteral("Thirty characters of memo text")},
        // The stored block counts two characters more than the text.
        {thirtyOne, thirtyOne + QStringLiteral("...")},
        {thirtyTwo, thirtyTwo + QStringLiteral("...")},
        {thirtyTwo + u'!', thirtyTwo + QStringLiteral("...")},
        {QStringLiteral("Forty characters of memo text, just so.."),
         QStringLiteral("Forty characters of memo text, j...")},
        {QStringLiteral("Chain\r\nPads"), QStringLiteral("Chain  Pads")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MemoCellText(c.memo.isEmpty() ? ByteBlock() : ToTextBlock(c.memo)), c.shown)
            << c.memo.toStdString();
    }
    // A block without its terminating zeros, as a damaged row may hold, still reads.
    ByteBlock bare = ToTextBlock(QStringLiteral("abc"));
    bare.resize(bare.size() - 4);
    EXPECT_EQ(MemoCellText(bare), QStringLiteral("abc"));
}

TEST(RecordCells, ZeroPaddedNumbersAsPrintfWritesThem) {
    struct Case {
        int value;
        int digits;
    };
    for (const Case& c : {Case{2025, 4}, Case{999, 4}, Case{7, 2}, Case{0, 2}, Case{12345, 2}, Case{-5, 4},
                          Case{-12345, 3}, Case{std::numeric_limits<int>::min(), 4}, Case{42, 1}}) {
        QString out = QStringLiteral(">");
        AppendZeroPadded(out, c.value, c.digits);
        EXPECT_EQ(out, u'>' + QString::asprintf("%0*d", c.digits, c.value)) << c.value << " " << c.digits;
    }
}

TEST(RecordCells, DateWithWeekdayAndBicycleNames) {
    ProgramDirectory directory;
    ASSERT_EQ(LoadLanguageFile(SourcePath(QStringLiteral("languages/vmq_00.ini"))), 0);
    ScopedTimeZone zone("America/New_York");
    BicycleList bicycles(3);
    bicycles[0].BicycleNumber = 4;
    bicycles[0].BicycleName = ToTextBlock(QStringLiteral("Trek 520"));
    bicycles[1].BicycleNumber = 7;
    bicycles[1].BicycleName = ToTextBlock(QStringLiteral("Fuji <Track>"));
    bicycles[2].BicycleNumber = 4;  // the store's search finds the first of a number
    bicycles[2].BicycleName = ToTextBlock(QStringLiteral("shadowed"));
    const RecordCellWords words = RecordCellWords::Current(bicycles);

    EXPECT_EQ(words.BicycleName(4), QStringLiteral("Trek 520"));
    EXPECT_EQ(words.BicycleName(7), QStringLiteral("Fuji <Track>"));
    EXPECT_EQ(words.BicycleName(5), QString());
    // 2025-01-01 03:00 UTC is still New Year's Eve in New York.
    EXPECT_EQ(words.DateCell(1735700400), QStringLiteral("2024/12/31(Tuesday)"));
    EXPECT_EQ(words.DateCell(FromLocalDateTime(2008, 5, 1, 0, 0, 0)), QStringLiteral("2008/05/01(Thursday)"));
}

}  // namespace
