#include "qportmenu.h"

#include "gendevice.h"
#include "genmeasure.h"
#include "portmanager.h"
#include "portmenulayout.h"
#include "qdeviceaction.h"
#include "qrescan.h"

#include <QMenuBar>

QPortMenu::QPortMenu(QWidget *parent) : QMenu(parent) {
    setUp();
}

QPortMenu::QPortMenu(const QString &title, QWidget *parent) : QMenu(title, parent) {
    setUp();
}

QPortMenu::~QPortMenu() = default;

QPortMenu *QPortMenu::addColorimeterMenu(QMenuBar *bar, QAction *before) {
    auto *menu = new QPortMenu(QStringLiteral("Connect Colorimeter"), bar);
    menu->setEnabledMask(RoleColorimeter);
    menu->setDisabledMask(RoleReference | RoleSpectral);
    bar->insertMenu(before, menu);
    return menu;
}

void QPortMenu::setUp() {
    m_manager = PortManager::instance();
    m_wrapper.setDeviceAddress(&m_device);
    m_rescan = new QRescan(m_manager, &PortManager::findPorts, this);
    connect(m_manager, &PortManager::updateMenus, this, &QPortMenu::foundPorts);
    connect(m_manager, &PortManager::gettingPorts, this, &QPortMenu::findingMorePorts);
    if (m_manager->isScanning())
        findingMorePorts();
}

QList<QDeviceAction *> QPortMenu::deviceActions() const {
    QList<QDeviceAction *> out;
    for (QAction *a : actions()) {
        if (auto *d = qobject_cast<QDeviceAction *>(a))
            out.append(d);
    }
    return out;
}

void QPortMenu::setEnabledMask(int mask) {
    m_enabledMask = mask;
    if (!m_manager->isScanning())
        foundPorts();
}

void QPortMenu::setDisabledMask(int mask) {
    m_disabledMask = mask;
    if (!m_manager->isScanning())
        foundPorts();
}

void QPortMenu::clearActions() {
    const QList<QAction *> old = actions();
    for (QAction *a : old) {
        removeAction(a);
        if (a != m_rescan && a->parent() == this)
            a->deleteLater();
    }
    m_closeAction = nullptr;
}

void QPortMenu::addCloseAction() {
    m_closeAction = new QAction(QStringLiteral("Close Device"), this);
    connect(m_closeAction, &QAction::triggered, this, &QPortMenu::closePort);
    addAction(m_closeAction);
}

void QPortMenu::findingMorePorts() {
    m_rescan->start();
    clearActions();
    addAction(m_rescan);
    addCloseAction();
}

void QPortMenu::foundPorts() {
    m_rescan->stop();
    clearActions();
    addAction(m_rescan);
    addCloseAction();
    m_closeAction->setCheckable(true);
    m_closeAction->setChecked(m_device == nullptr);
    addSeparator();
    const QList<PortMenuItem> items =
        portMenuLayout(m_manager->connections(), m_enabledMask, m_disabledMask, m_device);
    for (const PortMenuItem &item : items) {
        if (item.separator) {
            addSeparator();
            continue;
        }
        auto *action = new QDeviceAction(item.info, this, &QPortMenu::connectPort, this);
        action->setChecked(item.checked);
        action->setEnabled(item.enabled);
        addAction(action);
    }
    if (m_connecting) {
        // A rebuild while connecting keeps the clicks ignored and the spinner.
        blockActions(true);
        if (QDeviceAction *a = actionFor(m_pending))
            a->start();
    }
}

void QPortMenu::blockActions(bool block) {
    for (QAction *a : actions())
        a->blockSignals(block);
}

QDeviceAction *QPortMenu::actionFor(const ConnectionInfo &info) const {
    for (QDeviceAction *a : deviceActions()) {
        if (a->info().sameAction(info))
            return a;
    }
    return nullptr;
}

void QPortMenu::listenToManager(QPortMenu *menu) {
    connect(m_manager, &PortManager::connected, menu, &QPortMenu::PortManagerConnected,
            Qt::UniqueConnection);
    connect(m_manager, &PortManager::failureToConnect, menu, &QPortMenu::failureToConnect,
            Qt::UniqueConnection);
}

void QPortMenu::stopListeningToManager() {
    disconnect(m_manager, &PortManager::connected, this, &QPortMenu::PortManagerConnected);
    disconnect(m_manager, &PortManager::failureToConnect, this, &QPortMenu::failureToConnect);
}

void QPortMenu::watchDevice(GenMeasure *d) {
    connect(d, &GenDevice::closed, this, &QPortMenu::closePort, Qt::UniqueConnection);
    connect(d, &QObject::destroyed, this, &QPortMenu::deviceDestroyed, Qt::UniqueConnection);
}

void QPortMenu::startConnecting(const ConnectionInfo &info) {
    updateConnecting(info);
    emit startingConnection(info);
    m_manager->connectDevice(info, true);
}

void QPortMenu::connectPort(const ConnectionInfo &device) {
    if (!m_device) {
        startConnecting(device);
        return;
    }
    if (!device.matches(m_device) || !m_manager->isAvailable(device)) {
        closePort();
        startConnecting(device);
        return;
    }
    // The device already open here: a click only re-checks its entry.
    const QString label = deviceLabel(device);
    for (QAction *a : actions()) {
        if (a->text() == label)
            a->setChecked(true);
    }
    if (m_device->isConnected())
        return;
    startConnecting(device);
}

void QPortMenu::updateConnecting(const ConnectionInfo &info) {
    m_pending = info;
    blockActions(true);
    m_connecting = true;
    if (QDeviceAction *a = actionFor(info))
        a->start();
    listenToManager(this);
    if (m_linked) {
        if (QDeviceAction *a = m_linked->actionFor(info))
            a->start();
        listenToManager(m_linked);
    }
}

void QPortMenu::setDevice(GenMeasure *device) {
    if (device == m_device)
        return;
    m_device = device;
    m_wrapper.refresh();
    emit deviceChanged(device);
}

void QPortMenu::stopConnecting() {
    blockActions(false);
    m_connecting = false;
    stopListeningToManager();
    if (QDeviceAction *a = actionFor(m_pending))
        a->stop();
}

void QPortMenu::PortManagerConnected(GenDevice *device) {
    if (!m_pending.matches(device))
        return; // another menu asked for it
    // Cleared before the rebuild, which would otherwise restore the spinner.
    stopConnecting();
    auto *d = qobject_cast<GenMeasure *>(device);
    setDevice(d);
    foundPorts();
    if (d)
        watchDevice(d);
    if (m_linked)
        m_linked->setConnectedTo(d, false);
    emit device->connected();
    if (QDeviceAction *a = actionFor(m_pending))
        a->setChecked(true);
}

void QPortMenu::failureToConnect(const ConnectionInfo &info) {
    if (!m_pending.sameAction(info))
        return;
    stopConnecting();
    closePort();
    if (QDeviceAction *a = actionFor(m_pending))
        a->setChecked(false);
}

void QPortMenu::closePort() {
    if (!m_device)
        return;
    GenMeasure *d = m_device;
    disconnect(d, &GenDevice::closed, this, &QPortMenu::closePort);
    setDevice(nullptr);
    m_manager->closeDevice(d, false);
    if (m_linked && m_linked->m_device == d) {
        m_linked->setDevice(nullptr);
        m_linked->foundPorts();
    }
}

void QPortMenu::portClosed() {
    closePort();
    m_manager->findPorts();
}

void QPortMenu::setConnectedTo(GenMeasure *device, bool emitSignal) {
    if (m_connecting && device && m_pending.matches(device))
        stopConnecting();
    if (device == m_device)
        m_wrapper.refresh();
    setDevice(device);
    foundPorts();
    if (!device)
        return;
    watchDevice(device);
    if (emitSignal && m_linked)
        m_linked->setConnectedTo(device, false);
    emit device->connected();
}

void QPortMenu::linkTo(QPortMenu *other) {
    m_linked = other;
    setEnabledMask(other->m_enabledMask);
    setDisabledMask(other->m_disabledMask);
    // Whatever the other menu connects or loses later shows here too, not
    // only what it held when the link was made.
    connect(other, &QPortMenu::startingConnection, this, &QPortMenu::updateConnecting,
            Qt::UniqueConnection);
    connect(other, &QPortMenu::deviceChanged, this, &QPortMenu::followLinked, Qt::UniqueConnection);
    setDevice(other->m_device);
    foundPorts();
    if (m_device) {
        watchDevice(m_device);
        emit m_device->connected();
        emit m_wrapper.connected();
    } else if (other->m_connecting) {
        updateConnecting(other->m_pending);
    }
    if (m_manager->isScanning())
        findingMorePorts();
}

void QPortMenu::followLinked(GenMeasure *device) {
    if (device == m_device)
        return;
    if (!device) {
        if (m_device)
            disconnect(m_device, &GenDevice::closed, this, &QPortMenu::closePort);
        setDevice(nullptr);
        foundPorts();
        return;
    }
    if (m_connecting)
        stopConnecting();
    setConnectedTo(device, false);
}

void QPortMenu::deviceDestroyed(QObject *object) {
    if (object != m_device)
        return;
    setDevice(nullptr);
    foundPorts();
}
