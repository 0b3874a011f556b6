// The frame rule of the bicycle editor.

#include "bicycles/BicycleFields.h"

#include <gtest/gtest.h>

namespace {

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
    EXPECT_EQ(FrameFromChoice(4, 31), 4);
    EXPECT_EQ(FrameFromChoice(kOtherFramePosition, 31), 31);
    EXPECT_EQ(FrameFromChoice(-1, 31), kDefaultFramePosition);
    EXPECT_EQ(FrameFromChoice(11, 31), kDefaultFramePosition);
}

}  // namespace
