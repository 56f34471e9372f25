#pragma once

#include <QGuiApplication>

// Shows the busy cursor while the board is opened: loading a real board's firmware and waiting
// for it to come back takes a few seconds, and the user should see that the program works.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
