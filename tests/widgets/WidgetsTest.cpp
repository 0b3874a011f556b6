// The shared page widgets.

#include "widgets/ImageButton.h"

#include <gtest/gtest.h>

namespace {

TEST(ImageButton, DrawsItsCaptionWithoutAcceleratorMarks) {
    EXPECT_EQ(ImageButton::DrawnCaption(QStringLiteral("Save(&S)")), QStringLiteral("Save(S)"));
    EXPECT_EQ(ImageButton::DrawnCaption(QStringLiteral("&New && more")), QStringLiteral("New  more"));
    ImageButton button(QStringLiteral("&Export"));
    EXPECT_GE(button.sizeHint().width(), 104);
    EXPECT_EQ(button.sizeHint().height(), 34);
}

}  // namespace
