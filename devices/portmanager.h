#pragma once
// Finds every device the application can use, keeps the list of what it
// found, opens devices on request (on a pool thread, so the interface keeps
// running while a slow instrument answers) and closes them. One per process.
// It owns every device it opened.

#include "connectioninfo.h"
#include "portlisting.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

class GenDevice;

// Which optional kinds a scan offers ("checkCS2000", "checkPR650", "checkBM7",
// "checkTorvaPatternGenerator"): read once on the GUI thread when the scan
// starts and handed to its tasks as a value.
struct ScanSettings {
    bool cs2000 = false, pr650 = false, bm7 = false, patternGenerator = false;
    static ScanSettings fromSettings();
    // The serial kinds to probe, in probing order; the colorimeter always.
    QStringList serialKinds() const;
};

class PortManager : public QObject {
    Q_OBJECT
public:
    // Created on the first call, which also starts the first scan.
    static PortManager *instance();

    using PortEnumerator = std::function<QList<SerialPortEntry>()>;
    // Replaces the serial-port enumeration, so tests see only the ports they
    // made (the extra ports still apply); an empty function restores it.
    static void setPortEnumerator(PortEnumerator enumerator);

    bool isScanning() const { return m_scanning; }
    // Opens the device of an entry; the result arrives as connected() or
    // failureToConnect() with this entry.
    void connectDevice(const ConnectionInfo &info, bool inThread);
    // Closes and deletes an open device; its entry is dropped when remove is
    // set, else marked not connected.
    void closeDevice(GenDevice *device, bool remove);
    bool isAvailable(const ConnectionInfo &info) const;
    // Reconciles the open devices with the entries: an open device on a port
    // listed busy takes that entry's place; an open device no longer found is
    // closed (screens and the manual meter excepted). Then menus rebuild.
    void updateDeviceList();

    // Everything the last scan found, plus busy ports, plus devices opened since.
    const QList<ConnectionInfo> &connections() const { return m_connections; }
    // Roughly ordered by device type.
    const QList<GenDevice *> &openDevices() const { return m_openDevices; }
    // The ports of the latest scan this account may not open, each with the
    // advice naming the group that may (see portaccess.h).
    const QStringList &accessProblems() const { return m_accessProblems; }

    // The scan proper (pool thread): serial ports, network and screens at
    // once, then the manual devices.
    static QList<ConnectionInfo> scanDevices(const QStringList &ports, int screenCount,
                                             const ScanSettings &settings);
    // Tries each enabled serial factory on the port; type NoDevice when none
    // answered.
    static ConnectionInfo probePort(const QString &port, const QStringList &kinds);
    // The serial kinds a scan would probe now, read on the calling thread.
    static QStringList enabledSerialKinds() { return ScanSettings::fromSettings().serialKinds(); }

signals:
    void updateMenus();
    void readyToConnect();
    void gettingPorts();
    void connected(GenDevice *device);
    void failureToConnect(const ConnectionInfo &info);

public slots:
    // Starts a scan unless one is running.
    void findPorts();

private slots:
    void finishedScanningDevices();

private:
    PortManager();
    void finishedConnectionInThread(QFutureWatcher<GenDevice *> *watcher,
                                    const ConnectionInfo &requested);
    void deviceConnected(GenDevice *device, const ConnectionInfo &requested);

    QList<ConnectionInfo> m_connections;
    QList<GenDevice *> m_openDevices;
    QStringList m_accessProblems;
    QFutureWatcher<QList<ConnectionInfo>> m_scanWatcher;
    QFuture<QList<ConnectionInfo>> m_scanFuture;
    // The latest threaded connection; each one has its own watcher, so a
    // second click while the first still connects loses neither device.
    QFuture<GenDevice *> m_connectFuture;
    bool m_scanning = false;
    int m_updating = 0; // updateDeviceList() depth: closing inside it does not recurse
};
