#include "bicycles/BicycleFields.h"

#include "units/NumberInput.h"

FrameChoice FrameChoiceFor(int frame) {
    if (frame >= 0 && frame < kOtherFramePosition) {
        return {frame, QString()};
    }
    return {kOtherFramePosition, QString::number(frame)};
}

int FrameFromChoice(int position, const QString& inchText) {
    if (position >= 0 && position < kOtherFramePosition) {
        return position;
    }
    if (position == kOtherFramePosition) {
        return ParseInteger(inchText);
    }
    return kDefaultFramePosition;
}
