#pragma once
// Which serial ports a scan probes: the enumeration's ports with the busy and
// duplicate-name rules applied, and the extra ports named in
// TINTWELL_EXTRA_PORTS (pseudo-terminals are never enumerated). Plain
// functions over lists so the rules can be checked without hardware.

#include "connectioninfo.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// One port as the serial-port enumeration reports it.
struct SerialPortEntry {
    QString portName;       // "ttyUSB0"
    QString systemLocation; // "/dev/ttyUSB0"
    bool busy = false;      // the enumeration's own busy test (lock files, on Windows an open)
};

struct PortSelection {
    QStringList toProbe;        // system locations, in enumeration order
    QList<ConnectionInfo> busy; // type BusyPort entries, marked connected
};

// Busy beyond what the enumeration reports (see portIsHeld()).
using BusyTest = std::function<bool(const QString &systemLocation)>;

// A port listed under two names differing only in a three-character prefix
// is taken once; busy ports become BusyPort entries instead of being probed.
// Extra ports follow the enumerated ones: a path already listed is skipped,
// and so is one that does not exist.
PortSelection selectPorts(const QList<SerialPortEntry> &enumerated, const QStringList &extra,
                          const BusyTest &isBusy);

constexpr const char *extraPortsVariable = "TINTWELL_EXTRA_PORTS";
// Paths separated by ':' (';' on Windows); empty items are dropped.
QStringList parseExtraPorts(const QString &value);
// The extra ports named in the environment now.
QStringList extraPorts();

// The serial ports present, in the enumeration's order.
QList<SerialPortEntry> enumerateSerialPorts();

// Someone holds the port the way our serial transport does (an exclusive
// lock on the open port) or opened it exclusively. This includes the ports of
// our own open devices, so a rescan lists them as busy instead of probing
// them, and the enumeration's lock-file test misses both.
bool portIsHeld(const QString &systemLocation);
