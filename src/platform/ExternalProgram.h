#pragma once
// Running another program (ImageMagick's convert): always as a
// program and a list of arguments, never one shell line, so no name the rider
// chose is ever read as shell syntax. Standard input is the null device or a
// file, standard output is kept or written to nothing, standard error goes to
// nothing. A program that cannot be started is told apart by the system's
// error number.

#include <QByteArray>
#include <QDialog>
#include <QString>
#include <QStringList>

struct ExternalProgram {
    QString program;
    QStringList arguments;
    QString inputFile;       // read by the program on standard input; empty: the null device
    bool keepOutput = true;  // standard output kept in ProgramRun::output, else thrown away
};

enum class ProgramEnd {
    Finished,    // it ran and ended, successfully or not
    NotStarted,  // it could not be started; systemError says why
    TimedOut,    // it ran past its time and has been ended
    Cancelled,   // the rider stopped it; it has been ended
};

struct ProgramRun {
    ProgramEnd end = ProgramEnd::Finished;
    int exitCode = -1;
    bool crashed = false;
    int systemError = 0;  // errno of a failed start
    QByteArray output;    // standard output, when kept

    bool Succeeded() const { return end == ProgramEnd::Finished && !crashed && exitCode == 0; }
};

// Runs the program and waits up to timeoutMs for it, under the wait cursor:
// for programs that end quickly. One that runs longer is ended.
ProgramRun RunProgram(const ExternalProgram& program, int timeoutMs);

// Runs the program and waits with no time limit, as it can take long, but
// never freezes: while it runs the windows keep painting, show the busy
// cursor and take no input, and after a moment a small window with the given
// title and text offers Cancel, which ends a program that never ends.
ProgramRun RunProgramCancellable(QWidget* parent, const ExternalProgram& program, const QString& title,
                                 const QString& text);

// The window that offers Cancel while a program runs.
class ProgramWaitDlg : public QDialog {
    Q_OBJECT
public:
    ProgramWaitDlg(QWidget* parent, const QString& title, const QString& text);

    // How long the wait goes on before the window appears: a quick run
    // should not flash a window.
    static constexpr int kShowDelayMs = 400;
};
