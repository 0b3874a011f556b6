#include "bicycles/ThumbnailConverter.h"

#include "language/Language.h"

#include <QApplication>
#include <QCloseEvent>
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
// directory"); the number the user is shown is the errno behind that text.
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

// Restores the cursor however the wait ends.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::BusyCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

ConverterWaitDlg::ConverterWaitDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ConverterWaitDlg"));
    setWindowTitle(GetLanguageString("BicycleAttrDlg", "PICT"));
    setWindowModality(Qt::ApplicationModal);
    auto* text = new QLabel(GetLanguageString("BicycleAttrDlg", "CONV"), this);
    text->setObjectName(QStringLiteral("text"));
    // A bar that only moves: how long a converter takes cannot be known.
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
    layout->addWidget(text);
    layout->addWidget(busy);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

ConverterRun RunConverter(QWidget* window, const ConverterCommand& command) {
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());

    BusyCursor busy;
    InputBlocker blocker(nullptr);
    process.start();
    if (!process.waitForStarted(-1)) {
        return {ConverterEnd::NotStarted, SystemErrorOf(process)};
    }

    QEventLoop loop;
    bool cancelled = false;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);

    // The window is made at once but shown only when the wait goes on.
    QPointer<ConverterWaitDlg> wait = new ConverterWaitDlg(window);
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
    showLater.start(ConverterWaitDlg::kShowDelayMs);

    if (process.state() != QProcess::NotRunning) {
        loop.exec();
    }
    showLater.stop();
    delete wait.data();

    if (cancelled) {
        // Whatever the converter has written by now is not wanted.
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(-1);
        }
        return {ConverterEnd::Cancelled, 0};
    }
    return {ConverterEnd::Finished, 0};
}
