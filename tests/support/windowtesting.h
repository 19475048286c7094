#pragma once
// Shared by the main-window tests: a port manager that sees no host serial
// ports, event-loop waits, and typed access to the window's named widgets.

#include "portmanager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

// Runs the event loop until pred holds or ms pass; returns pred().
inline bool waitFor(const std::function<bool()> &pred, int ms = 10000) {
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return pred();
}

// No real serial port is ever probed by a window test.
inline void isolatePortManager() {
    PortManager::setPortEnumerator([] { return QList<SerialPortEntry>(); });
}

template <typename T> T *child(QObject *window, const char *name) {
    T *c = window->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}
