#pragma once
// Shared by the main-window tests: a port manager that sees no host serial
// ports, and typed access to the window's named widgets.

#include "portmanager.h"
#include "waituntil.h"

#include <QWidget>
#include <gtest/gtest.h>

// No real serial port is ever probed by a window test.
inline void isolatePortManager() {
    PortManager::setPortEnumerator([] { return QList<SerialPortEntry>(); });
}

template <typename T> T *child(QObject *window, const char *name) {
    T *c = window->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}
