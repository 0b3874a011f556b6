#pragma once
// Shows the busy cursor for as long as it lives: opening or saving a memo of
// tens of megabytes takes a while, and the rider should see that the program
// is at work rather than hung. Nested ones stack.

#include <QApplication>

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
