#pragma once
// Running the thumbnail converter. The editor waits for it with no time
// limit, as a picture can take long to convert, but never freezes: while the
// converter runs the window keeps painting, shows a busy cursor and takes no
// input, and after a moment a small window offers Cancel, which stops a
// converter that never ends.

#include "bicycles/BicyclePicture.h"

#include <QDialog>

class QLabel;
class QPushButton;

enum class ConverterEnd {
    Finished,    // the converter ran and ended (successfully or not)
    NotStarted,  // it could not be started; systemError says why
    Cancelled,   // the user stopped it; it has been ended
};

struct ConverterRun {
    ConverterEnd end = ConverterEnd::Finished;
    int systemError = 0;  // errno of a failed start
};

// Runs the command and waits for it to end or for the user to cancel.
// window is the one whose input is held back meanwhile (the editor).
ConverterRun RunConverter(QWidget* window, const ConverterCommand& command);

// The window that offers Cancel while the converter runs.
class ConverterWaitDlg : public QDialog {
    Q_OBJECT
public:
    explicit ConverterWaitDlg(QWidget* parent);

    // How long the wait goes on before the window appears: a quick
    // conversion should not flash a window.
    static constexpr int kShowDelayMs = 400;
};
