#include "platform/ExternalProgram.h"

#include "language/Language.h"
#include "platform/BusyCursor.h"

#include <QApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cerrno>
#include <cstring>

namespace {

// QProcess reports a failed start as text ("execve: No such file or
// directory"); the number the rider is shown is the errno behind that text.
int SystemErrorOf(const QProcess& process) {
    const QString text = process.errorString();
    for (int code = 1; code < 200; ++code) {
        const QString message = QString::fromLocal8Bit(std::strerror(code));
        if (!message.isEmpty() && text.endsWith(message)) {
            return code;
        }
    }
    return ENOENT;
}

void Prepare(QProcess& process, const ExternalProgram& program) {
    process.setProgram(program.program);
    process.setArguments(program.arguments);
    process.setStandardInputFile(program.inputFile.isEmpty() ? QProcess::nullDevice() : program.inputFile);
    if (!program.keepOutput) {
        process.setStandardOutputFile(QProcess::nullDevice());
    }
    process.setStandardErrorFile(QProcess::nullDevice());
}

ProgramRun Ended(QProcess& process, const ExternalProgram& program) {
    ProgramRun run;
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    if (program.keepOutput) {
        run.output = process.readAllStandardOutput();
    }
    return run;
}

void Stop(QProcess& process) {
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(-1);
    }
}

// Holds back every input event meant for any window other than the allowed
// one while it lives: clicks, keys, the wheel, shortcuts and close requests.
// Painting and timers go on as usual.
class InputBlocker : public QObject {
public:
    explicit InputBlocker(QWidget* allowed) : m_allowed(allowed) { qApp->installEventFilter(this); }
    ~InputBlocker() override { qApp->removeEventFilter(this); }

    void Allow(QWidget* allowed) { m_allowed = allowed; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!IsInput(event->type())) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget) {
            return false;  // the window system's own objects pass it on to a widget, caught there
        }
        if (m_allowed && (widget == m_allowed || m_allowed->isAncestorOf(widget))) {
            return false;
        }
        event->ignore();  // a close request that is ignored leaves the window open
        return true;
    }

private:
    static bool IsInput(QEvent::Type type) {
        switch (type) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::ContextMenu:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
            case QEvent::TabletPress:
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop:
            case QEvent::Close:
                return true;
            default:
                return false;
        }
    }

    QPointer<QWidget> m_allowed;
};

}  // namespace

ProgramRun RunProgram(const ExternalProgram& program, int timeoutMs) {
    QProcess process;
    Prepare(process, program);
    const BusyCursor busy;
    process.start();
    if (!process.waitForStarted(-1)) {
        return {ProgramEnd::NotStarted, -1, false, SystemErrorOf(process), {}};
    }
    if (!process.waitForFinished(timeoutMs)) {
        Stop(process);
        return {ProgramEnd::TimedOut, -1, false, 0, {}};
    }
    return Ended(process, program);
}

ProgramWaitDlg::ProgramWaitDlg(QWidget* parent, const QString& title, const QString& text) : QDialog(parent) {
    setObjectName(QStringLiteral("ProgramWaitDlg"));
    setWindowTitle(title);
    setWindowModality(Qt::ApplicationModal);
    auto* label = new QLabel(text, this);
    label->setObjectName(QStringLiteral("text"));
    label->setTextFormat(Qt::PlainText);
    // A bar that only moves: how long a program takes cannot be known.
    auto* busy = new QProgressBar(this);
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    busy->setMinimumWidth(280);
    auto* cancel =
        new QPushButton(GetLanguageStringWithAccelerator("Strings", "CANC", QStringLiteral("C")), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setDefault(true);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 16, 18, 12);
    layout->setSpacing(12);
    layout->addWidget(label);
    layout->addWidget(busy);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

ProgramRun RunProgramCancellable(QWidget* parent, const ExternalProgram& program, const QString& title,
                                 const QString& text) {
    QProcess process;
    Prepare(process, program);

    const BusyCursor busy(Qt::BusyCursor);
    InputBlocker blocker(nullptr);
    process.start();
    if (!process.waitForStarted(-1)) {
        return {ProgramEnd::NotStarted, -1, false, SystemErrorOf(process), {}};
    }

    QEventLoop loop;
    bool cancelled = false;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);

    // The window is made at once but shown only when the wait goes on.
    QPointer<ProgramWaitDlg> wait = new ProgramWaitDlg(parent, title, text);
    blocker.Allow(wait);
    QObject::connect(wait, &QDialog::rejected, &loop, [&] {
        cancelled = true;
        loop.quit();
    });
    QTimer showLater;
    showLater.setSingleShot(true);
    QObject::connect(&showLater, &QTimer::timeout, wait, [wait] {
        wait->show();
        wait->raise();
        wait->activateWindow();
    });
    showLater.start(ProgramWaitDlg::kShowDelayMs);

    if (process.state() != QProcess::NotRunning) {
        loop.exec();
    }
    showLater.stop();
    delete wait.data();

    if (cancelled) {
        // Whatever the program has made by now is not wanted.
        Stop(process);
        return {ProgramEnd::Cancelled, -1, false, 0, {}};
    }
    return Ended(process, program);
}
