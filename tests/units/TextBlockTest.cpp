// The stored form of names, notes and memo texts.

#include "units/TextBlock.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(TextBlockTest, LayoutIsUtf16LittleEndianWithTwoZeroCharacters) {
    EXPECT_EQ(ToTextBlock(QString()), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(ToTextBlock(QStringLiteral("Ab")), (Bytes{'A', 0, 'b', 0, 0, 0, 0, 0}));
    // A character beyond the first plane is a surrogate pair: two characters.
    EXPECT_EQ(ToTextBlock(QStringLiteral("\U0001F6B2")), (Bytes{0x3D, 0xD8, 0xB2, 0xDE, 0, 0, 0, 0}));
    EXPECT_EQ(ToTextBlock(QStringLiteral("\u20AC")), (Bytes{0xAC, 0x20, 0, 0, 0, 0}));
}

TEST(TextBlockTest, RoundTrip) {
    for (const QString& text :
         {QString(), QStringLiteral("Fahrräder"), QStringLiteral("\U0001F6B2 \u20AC 12"),
          QStringLiteral("line one\r\nline two\ttab"), QString(5000, u'x')}) {
        const Bytes block = ToTextBlock(text);
        EXPECT_EQ(block.size(), static_cast<size_t>(text.size()) * 2 + 4);
        EXPECT_EQ(FromTextBlock(block), text);
    }
}

TEST(TextBlockTest, ReadingToleratesDamagedBlocks) {
    EXPECT_EQ(FromTextBlock({}), QString());
    EXPECT_EQ(FromTextBlock({'A'}), QString());
    // No terminator: everything there is the text.
    EXPECT_EQ(FromTextBlock({'A', 0, 'b', 0}), "Ab");
    // An odd trailing byte is not half a character.
    EXPECT_EQ(FromTextBlock({'A', 0, 'b'}), "A");
    // The text ends at the first zero character, whatever follows.
    EXPECT_EQ(FromTextBlock({'A', 0, 0, 0, 'b', 0, 0, 0}), "A");
    // A zero byte that is half of a character is not an end.
    EXPECT_EQ(FromTextBlock({0x00, 0x01, 0, 0}), QString(QChar(0x0100)));
}

}  // namespace
