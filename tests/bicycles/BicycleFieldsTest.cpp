// The forgiving number reading of the editor's fields and the frame rule.

#include "bicycles/BicycleFields.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(BicycleFields, NumbersAreReadFromTheStartOfTheText) {
    struct Case {
        const char* text;
        double decimal;
        int integer;
    };
    const Case cases[] = {
        {"", 0.0, 0},
        {"abc", 0.0, 0},
        {"12.5", 12.5, 12},
        {"  7.25kg", 7.25, 7},
        {"-3.5", -3.5, -3},
        {"+4", 4.0, 4},
        {".5", 0.5, 0},
        {"1e3", 1000.0, 1},
        {"3,5", 3.0, 3},
        {"12.", 12.0, 12},
        {"- 4", 0.0, 0},
        {"0027", 27.0, 27},
        {"99999999999", 99999999999.0, std::numeric_limits<int>::max()},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(DecimalOfText(QString::fromLatin1(c.text)), c.decimal) << c.text;
        EXPECT_EQ(IntegerOfText(QString::fromLatin1(c.text)), c.integer) << c.text;
    }
}

TEST(BicycleFields, FramesBelowTenAreListPositionsAndOthersInchFigures) {
    struct Case {
        int frame;
        int position;
        const char* inches;
    };
    for (const Case& c : {Case{0, 0, ""}, Case{9, 9, ""}, Case{10, kOtherFramePosition, "10"},
                          Case{27, kOtherFramePosition, "27"}, Case{-2, kOtherFramePosition, "-2"}}) {
        const FrameChoice choice = FrameChoiceFor(c.frame);
        EXPECT_EQ(choice.position, c.position) << c.frame;
        EXPECT_EQ(choice.inches, QString::fromLatin1(c.inches)) << c.frame;
    }
    EXPECT_EQ(FrameFromChoice(4, QStringLiteral("31")), 4);
    EXPECT_EQ(FrameFromChoice(kOtherFramePosition, QStringLiteral("31")), 31);
    EXPECT_EQ(FrameFromChoice(kOtherFramePosition, QStringLiteral("")), 0);
    EXPECT_EQ(FrameFromChoice(-1, QStringLiteral("31")), kDefaultFramePosition);
    EXPECT_EQ(FrameFromChoice(11, QStringLiteral("31")), kDefaultFramePosition);
}

}  // namespace
