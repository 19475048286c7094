#include "portmanager.h"

#include "portmemory.h"

#include "factories.h"
#include "gendevice.h"
#include "genfactory.h"
#include "portaccess.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>
#include <QThreadPool>
#include <QtConcurrent>

namespace {

PortManager::PortEnumerator &enumeratorSlot() {
    static PortManager::PortEnumerator e;
    return e;
}

QList<SerialPortEntry> enumeratePorts() {
    const PortManager::PortEnumerator &e = enumeratorSlot();
    return e ? e() : enumerateSerialPorts();
}

// Scans and probes wait on ports, they do not compute, while the global pool
// is sized for computing. A task that blocks on other tasks gives its slot
// back for the wait, and every probe started gets a slot of its own, so all
// ports are probed at once and a scan lasts as long as its slowest probe.
template <typename T> T waitFor(QFuture<T> future) {
    QThreadPool *pool = QThreadPool::globalInstance();
    pool->releaseThread();
    future.waitForFinished();
    pool->reserveThread();
    return future.result();
}

QList<ConnectionInfo> serialScan(const QStringList &ports, const QStringList &kinds) {
    QThreadPool *pool = QThreadPool::globalInstance();
    QList<QFuture<ConnectionInfo>> probes;
    for (const QString &port : ports) {
        pool->releaseThread();
        probes.append(QtConcurrent::run(pool, &PortManager::probePort, port, kinds));
    }
    QList<ConnectionInfo> out;
    for (const QFuture<ConnectionInfo> &probe : probes)
        out.append(waitFor(probe));
    for (int i = 0; i < probes.size(); ++i)
        pool->reserveThread();
    return out;
}

bool nameIs(GenFactory *f, const char *name) {
    return f->name() == QLatin1String(name);
}

ConnectionInfo probeNetwork(GenFactory *factory) {
    ConnectionInfo entry;
    if (factory->probe(QString(""), &entry))
        entry.factory = factory;
    return entry;
}

QList<ConnectionInfo> networkScan(bool enabled) {
    if (!enabled)
        return {};
    QList<QFuture<ConnectionInfo>> searches;
    for (GenFactory *f : factories()) {
        if (nameIs(f, DeviceNames::torvaPattern))
            searches.append(QtConcurrent::run(QThreadPool::globalInstance(), &probeNetwork, f));
    }
    QList<ConnectionInfo> out;
    for (const QFuture<ConnectionInfo> &s : searches)
        out.append(waitFor(s));
    return out;
}

QList<ConnectionInfo> screenScan(int screenCount) {
    QList<ConnectionInfo> out;
    for (GenFactory *f : factories()) {
        if (!nameIs(f, DeviceNames::pcPattern))
            continue;
        ConnectionInfo entry;
        entry.factory = f;
        for (int i = 0; i < screenCount; ++i) {
            if (f->probe(QString::number(i), &entry))
                out.append(entry);
        }
    }
    return out;
}

// The manual devices are always there; their entry is listed whatever the
// probe said.
void appendManual(QList<ConnectionInfo> &out, const char *name) {
    GenFactory *f = findFactory(name);
    if (!f)
        return; // that kind is not built in yet
    ConnectionInfo entry;
    f->probe(QString(""), &entry);
    entry.factory = f;
    out.append(entry);
}

int screenCount() {
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance())
               ? QGuiApplication::screens().size()
               : 0;
}

} // namespace

ScanSettings ScanSettings::fromSettings() {
    const QSettings settings;
    ScanSettings s;
    s.cs2000 = settings.value("checkCS2000", false).toBool();
    s.pr650 = settings.value("checkPR650", false).toBool();
    s.bm7 = settings.value("checkBM7", false).toBool();
    s.patternGenerator = settings.value("checkTorvaPatternGenerator", false).toBool();
    return s;
}

QStringList ScanSettings::serialKinds() const {
    QStringList kinds{QString::fromLatin1(DeviceNames::torva)};
    if (cs2000)
        kinds.append(QString::fromLatin1(DeviceNames::cs2000));
    if (pr650)
        kinds.append(QString::fromLatin1(DeviceNames::pr650));
    if (bm7)
        kinds.append(QString::fromLatin1(DeviceNames::bm7));
    return kinds;
}

PortManager *PortManager::instance() {
    static PortManager *manager = new PortManager; // never deleted
    return manager;
}

void PortManager::setPortEnumerator(PortEnumerator enumerator) {
    enumeratorSlot() = std::move(enumerator);
}

PortManager::PortManager() {
    registerDeviceMetaTypes();
    connect(&m_scanWatcher, &QFutureWatcherBase::finished, this,
            &PortManager::finishedScanningDevices);
    findPorts();
}

void PortManager::findPorts() {
    if (m_scanning)
        return;
    m_scanning = true;
    m_connections.clear();
    const PortSelection selection = selectPorts(enumeratePorts(), extraPorts(), &portIsHeld);
    m_connections.append(selection.busy);
    // Ports whose group the user can join come first: that advice helps most.
    m_accessProblems.clear();
    int joinable = 0;
    for (const QString &port : selection.toProbe) {
        const std::string path = QFile::encodeName(port).toStdString();
        const PortAccess access = portAccess(path);
        if (!access.denied)
            continue;
        const QString advice = QString::fromStdString(portAccessAdvice(path, access));
        if (!access.group.empty() && !access.groupIsRoot)
            m_accessProblems.insert(joinable++, advice);
        else
            m_accessProblems.append(advice);
    }
    emit gettingPorts();
    // Settings are read here, on the GUI thread: the scan's tasks get a copy.
    m_scanFuture =
        QtConcurrent::run(QThreadPool::globalInstance(), &PortManager::scanDevices,
                          selection.toProbe, screenCount(), ScanSettings::fromSettings());
    m_scanWatcher.setFuture(m_scanFuture);
}

QList<ConnectionInfo> PortManager::scanDevices(const QStringList &ports, int screenCount,
                                               const ScanSettings &settings) {
    QThreadPool *pool = QThreadPool::globalInstance();
    QFuture<QList<ConnectionInfo>> serial =
        QtConcurrent::run(pool, &serialScan, ports, settings.serialKinds());
    QFuture<QList<ConnectionInfo>> network =
        QtConcurrent::run(pool, &networkScan, settings.patternGenerator);
    QFuture<QList<ConnectionInfo>> screens = QtConcurrent::run(pool, &screenScan, screenCount);
    QList<ConnectionInfo> out = waitFor(serial);
    out.append(waitFor(network));
    out.append(waitFor(screens));
    appendManual(out, DeviceNames::manual);
    appendManual(out, DeviceNames::manualPattern);
    return out;
}

ConnectionInfo PortManager::probePort(const QString &port, const QStringList &kinds) {
    ConnectionInfo entry;
    entry.port = port;
    QList<GenFactory *> candidates;
    QStringList names;
    for (GenFactory *f : factories()) {
        if (kinds.contains(f->name()) && f->connectionKind() == SerialConnection) {
            candidates.append(f);
            names.append(f->name());
        }
    }
    for (const QString &kind : portmemory::probeOrder(port, names)) {
        GenFactory *f = candidates.at(names.indexOf(kind));
        if (f->probe(port, &entry)) {
            entry.factory = f;
            portmemory::remember(port, kind);
            break;
        }
    }
    return entry;
}

void PortManager::finishedScanningDevices() {
    m_connections.append(m_scanFuture.result());
    m_scanning = false;
    updateDeviceList();
}

void PortManager::updateDeviceList() {
    ++m_updating;
    // Copies: closing a device (or a device announcing its loss while it is
    // asked for its entry) changes the lists underneath.
    const QList<GenDevice *> open = m_openDevices;
    for (GenDevice *d : open) {
        if (m_openDevices.contains(d) && d->deviceType() == ManualDevice && d->isConnected()) {
            for (ConnectionInfo &e : m_connections) {
                if (e.type == ManualDevice)
                    e.connected = true;
            }
        }
    }
    for (GenDevice *d : open) {
        if (!m_openDevices.contains(d))
            continue;
        bool found = false;
        for (int i = 0; i < m_connections.size(); ++i) {
            const ConnectionInfo &e = m_connections.at(i);
            if (e.type == BusyPort && e.port == d->portName()) {
                // The port is busy because we hold it.
                const ConnectionInfo own(d);
                m_connections.append(own);
                m_connections.removeAt(i);
                found = true;
                break;
            }
            if (e.type == d->deviceType() && e.matches(d)) {
                found = true;
                break;
            }
        }
        const bool alwaysThere = d->factory && (nameIs(d->factory, DeviceNames::pcPattern) ||
                                                nameIs(d->factory, DeviceNames::manual));
        if (!found && !alwaysThere && m_openDevices.contains(d))
            closeDevice(d, true);
    }
    --m_updating;
    emit updateMenus();
    emit readyToConnect();
}

void PortManager::connectDevice(const ConnectionInfo &info, bool inThread) {
    if (!info.factory || !isAvailable(info)) {
        emit failureToConnect(info);
        if (!info.factory)
            return; // nothing was identified there; the entry stays as found
        for (int i = 0; i < m_connections.size(); ++i) {
            if (m_connections.at(i).isSameEntry(info)) {
                m_connections.removeAt(i);
                updateDeviceList();
                break;
            }
        }
        return;
    }
    GenFactory *factory = info.factory;
    const QString port = info.port;
    if (!inThread) {
        deviceConnected(factory->create(port), info);
        return;
    }
    QThread *mainThread = QCoreApplication::instance()->thread();
    auto *watcher = new QFutureWatcher<GenDevice *>(this);
    connect(watcher, &QFutureWatcherBase::finished, this,
            [this, watcher, info] { finishedConnectionInThread(watcher, info); });
    m_connectFuture = QtConcurrent::run(QThreadPool::globalInstance(), [factory, port, mainThread] {
        GenDevice *d = factory->create(port);
        // Handed over before the task ends, with its children (ports, sockets).
        if (d)
            d->moveToThread(mainThread);
        return d;
    });
    watcher->setFuture(m_connectFuture);
}

void PortManager::finishedConnectionInThread(QFutureWatcher<GenDevice *> *watcher,
                                             const ConnectionInfo &requested) {
    GenDevice *d = watcher->result();
    watcher->deleteLater();
    deviceConnected(d, requested);
}

void PortManager::deviceConnected(GenDevice *device, const ConnectionInfo &requested) {
    if (!device) {
        emit failureToConnect(requested);
        return;
    }
    device->setParent(this);
    const ConnectionInfo entry(device);
    if (!entry.connected) {
        // Reported as asked for: a device that failed to open may have lost
        // the identity that menus recognise their request by.
        emit failureToConnect(requested);
        delete device;
        return;
    }
    bool replaced = false;
    for (ConnectionInfo &e : m_connections) {
        if (e.isSameEntry(entry)) {
            e = entry;
            replaced = true;
            break;
        }
    }
    if (!replaced)
        m_connections.append(entry);
    m_openDevices.insert(qMin(static_cast<int>(entry.type), m_openDevices.size()), device);
    emit connected(device);
    updateDeviceList();
}

void PortManager::closeDevice(GenDevice *device, bool remove) {
    if (!device)
        return;
    int index = -1;
    for (int i = 0; i < m_connections.size() && index < 0; ++i) {
        if (m_connections.at(i).matches(device))
            index = i;
    }
    if (index < 0) {
        // A device that found its port gone has closed itself and forgotten
        // its identity; its entry is still the connected one on its port.
        const QString port = device->portName();
        const DeviceType type = device->deviceType();
        for (int i = 0; i < m_connections.size() && index < 0; ++i) {
            const ConnectionInfo &e = m_connections.at(i);
            if (e.connected && e.type == type && e.port == port)
                index = i;
        }
    }
    if (index >= 0) {
        if (remove)
            m_connections.removeAt(index);
        else
            m_connections[index].connected = false;
    }
    device->close();
    // Later, not now: this often runs inside the device's own signal.
    if (m_openDevices.removeOne(device))
        device->deleteLater();
    if (!m_updating)
        updateDeviceList();
}

bool PortManager::isAvailable(const ConnectionInfo &info) const {
    if (GenFactory *f = info.factory) {
        const int kind = f->connectionKind();
        if (kind == NoConnection || kind == NetworkConnection ||
            nameIs(f, DeviceNames::pcPattern) || nameIs(f, DeviceNames::manual))
            return true;
    }
    for (const SerialPortEntry &p : enumeratePorts()) {
        if (p.portName == info.port || p.systemLocation == info.port)
            return true;
    }
    return extraPorts().contains(info.port) && QFileInfo::exists(info.port);
}
