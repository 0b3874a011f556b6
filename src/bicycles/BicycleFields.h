#pragma once
// The frame rule of the bicycle editor, apart from its widgets: how the frame
// list and the inch field map onto one stored number.

#include <QString>

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
// The stored value for a list position and the inch field's number: the
// position itself for 0 to 9, the inch figure for "another size", 1 for no choice.
int FrameFromChoice(int position, int inches);
