#include "bicycles/BicycleFields.h"

FrameChoice FrameChoiceFor(int frame) {
    if (frame >= 0 && frame < kOtherFramePosition) {
        return {frame, QString()};
    }
    return {kOtherFramePosition, QString::number(frame)};
}

int FrameFromChoice(int position, int inches) {
    if (position >= 0 && position < kOtherFramePosition) {
        return position;
    }
    if (position == kOtherFramePosition) {
        return inches;
    }
    return kDefaultFramePosition;
}
