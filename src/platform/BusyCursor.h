#pragma once
// Shows a busy cursor for as long as it lives, so the rider sees that the
// program is at work rather than hung: the wait cursor while nothing can be
// done meanwhile (opening or saving a memo of tens of megabytes), the busy
// cursor while the window still paints and offers Cancel (a converter that
// runs). Nested ones stack. Without a screen (no GUI application), or on a
// thread other than the windows' own (where nothing waits that the rider
// sees), it does nothing.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QThread>

class BusyCursor {
public:
    explicit BusyCursor(Qt::CursorShape shape = Qt::WaitCursor)
        : m_shown(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr &&
                  QThread::currentThread() == QCoreApplication::instance()->thread()) {
        if (m_shown) {
            QGuiApplication::setOverrideCursor(shape);
        }
    }
    ~BusyCursor() {
        if (m_shown) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool m_shown;
};
