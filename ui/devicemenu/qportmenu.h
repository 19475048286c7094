#pragma once
// A menu of the devices a window may use: it lists the port manager's devices
// of the roles in its masks, shows which one is open, opens and closes them
// through the manager, and hands the window a wrapper that always stands for
// the menu's current device. Two menus can be linked so that one mirrors the
// other.

#include "connectioninfo.h"
#include "genmeasurepntwrapper.h"

#include <QList>
#include <QMenu>
#include <QPointer>

class QMenuBar;

class GenDevice;
class GenMeasure;
class PortManager;
class QDeviceAction;
class QRescan;

class QPortMenu : public QMenu {
    Q_OBJECT
public:
    explicit QPortMenu(QWidget *parent = nullptr);
    explicit QPortMenu(const QString &title, QWidget *parent = nullptr);
    ~QPortMenu() override;

    // This menu mirrors other: same masks and device, and a connection other
    // starts shows here too.
    void linkTo(QPortMenu *other);
    // A tool window's "Connect Colorimeter" menu: colorimeters only, put on
    // bar before `before` (at the end when null).
    static QPortMenu *addColorimeterMenu(QMenuBar *bar, QAction *before = nullptr);
    // DeviceRole bits of the devices the user may pick / that are listed greyed.
    void setEnabledMask(int mask);
    void setDisabledMask(int mask);
    int enabledMask() const { return m_enabledMask; }
    int disabledMask() const { return m_disabledMask; }

    // Stands for the current device, whichever it is; windows keep this.
    GenMeasurePntWrapper *device() { return &m_wrapper; }
    GenMeasure *currentDevice() const { return m_device; }
    bool isConnecting() const { return m_connecting; }
    const ConnectionInfo &pending() const { return m_pending; }

    QRescan *rescanAction() const { return m_rescan; }
    QAction *closeAction() const { return m_closeAction; }
    QList<QDeviceAction *> deviceActions() const;

signals:
    void startingConnection(const ConnectionInfo &info);
    // The menu's device is now this one (null: none).
    void deviceChanged(GenMeasure *device);

public slots:
    void setConnectedTo(GenMeasure *device, bool emitSignal = true);
    void closePort();
    // Closes the device and rescans.
    void portClosed();
    // A scan began: only the rescan and close entries are offered.
    void findingMorePorts();

private slots:
    void PortManagerConnected(GenDevice *device);
    void failureToConnect(const ConnectionInfo &info);
    void connectPort(const ConnectionInfo &device);
    void updateConnecting(const ConnectionInfo &info);
    // Rebuilds the menu from the manager's list.
    void foundPorts();
    void deviceDestroyed(QObject *object);
    // The menu this one mirrors changed its device: take the same one.
    void followLinked(GenMeasure *device);

private:
    void setUp();
    // Takes every action out; actions are deleted later, since this often
    // runs inside one of them.
    void clearActions();
    void addCloseAction();
    void blockActions(bool block);
    QDeviceAction *actionFor(const ConnectionInfo &info) const;
    void listenToManager(QPortMenu *menu);
    void stopListeningToManager();
    // The device's closed() closes this menu's port; a device deleted behind
    // the menu's back is forgotten.
    void watchDevice(GenMeasure *d);
    void startConnecting(const ConnectionInfo &info);
    // Sets the device; says so when it is another one.
    void setDevice(GenMeasure *device);
    // Leaves the connecting state: clicks count again, no spinner.
    void stopConnecting();

    PortManager *m_manager = nullptr;
    GenMeasure *m_device = nullptr;
    int m_enabledMask = 0;
    int m_disabledMask = 0;
    bool m_connecting = false;
    GenMeasurePntWrapper m_wrapper;
    QRescan *m_rescan = nullptr; // survives rebuilds
    ConnectionInfo m_pending;
    QPointer<QPortMenu> m_linked; // windows may close in any order
    QAction *m_closeAction = nullptr;
};
