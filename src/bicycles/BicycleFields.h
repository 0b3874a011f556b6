#pragma once
// How the bicycle editor reads and shows its fields, apart from the widgets:
// the forgiving number reading of its text fields and the frame rule that
// maps the frame list and the inch field onto one stored number.

#include <QString>

// The number a text begins with, the way the C library's atof reads it:
// leading blanks, a sign, digits with one decimal point and an exponent.
// Anything that does not start like a number gives 0; what follows the
// number is ignored ("12.5 kg" gives 12.5).
double DecimalOfText(const QString& text);

// The whole number a text begins with (blanks and a sign allowed), 0 when
// there is none; clamped to the 32-bit range.
int IntegerOfText(const QString& text);

// The frame list: positions 0 to 9 are the sizes of the list, position 10
// means "another size", typed in inches into the field beside the list.
inline constexpr int kFrameSizes = 11;
inline constexpr int kOtherFramePosition = 10;
// What a new bicycle starts with: 26 inch.
inline constexpr int kDefaultFramePosition = 1;

struct FrameChoice {
    int position = kDefaultFramePosition;
    QString inches;  // the inch field's text; empty unless position is kOtherFramePosition
};

// Frame values 0 to 9 name a list position; any other value is an inch figure.
FrameChoice FrameChoiceFor(int frame);
// The stored value for a list position and the inch field's text: the position
// itself for 0 to 9, the inch figure for "another size", 1 for no choice.
int FrameFromChoice(int position, const QString& inchText);
