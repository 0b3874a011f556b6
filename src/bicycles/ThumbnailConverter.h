#pragma once
// Running the thumbnail converter. The editor waits for it with no time
// limit, as a picture can take long to convert, but never freezes: while the
// converter runs the window keeps painting, shows a busy cursor and takes no
// input, and after a moment a small window offers Cancel, which stops a
// converter that never ends.

#include "bicycles/BicyclePicture.h"

class QWidget;

enum class ConverterEnd {
    Finished,    // the converter ran and ended (successfully or not), or the source was no picture
    NotStarted,  // it could not be started; systemError says why
    Cancelled,   // the user stopped it; it has been ended
};

struct ConverterRun {
    ConverterEnd end = ConverterEnd::Finished;
    int systemError = 0;  // errno of a failed start
};

// Runs the command and waits for it to end or for the user to cancel, then
// writes what the converter gave back to the command's thumbnail path (a new
// file: a link in its place is not written through). A source the command
// refused is not converted and leaves no thumbnail. window is the one whose
// input is held back meanwhile (the editor).
ConverterRun RunConverter(QWidget* window, const ConverterCommand& command);
