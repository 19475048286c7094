#pragma once
// Codes shared by every device, factory, menu and the port manager: the kind
// of device found on a port, the roles a menu filters by, how a factory
// reaches its devices, and the factories' display names.

#include <QMetaType>
#include <QtGlobal>

// Stored as a 32-bit integer; the numeric order is the order menus list
// devices in (0 to 5). Values 4 and 6 are never produced.
enum DeviceType : qint32 {
    TorvaDevice = 0,
    BM7Device = 1,
    CS2000Device = 2,
    PR650Device = 3,
    PatternGenerator = 5,
    BusyPort = 7, // a port held by another program; nothing was probed
    NoDevice = 8, // nothing identified
    ManualDevice = 9
};
Q_DECLARE_METATYPE(DeviceType)

// Bits of GenFactory::roles(); a menu lists a device when its masks and the
// factory's roles share a bit.
enum DeviceRole {
    RoleColorimeter = 1,
    RoleReference = 2,
    RoleSpectral = 4,
    RolePattern = 8,
    RoleManual = 32
};

// GenFactory::connectionKind().
enum ConnectionKind {
    SerialConnection = 0,  // probed on serial ports
    NetworkConnection = 1, // found on the network
    NoConnection = 4       // always available
};

// Device-kind names (GenFactory::name()). Scans and menus find factories by
// these, so each is written once.
namespace DeviceNames {
constexpr const char *torva = "Torva Devices";
constexpr const char *cs2000 = "CS-2000";
constexpr const char *pr650 = "PR-650";
constexpr const char *bm7 = "BM7"; // the device itself reports "BM-7"
constexpr const char *manual = "Manual";
constexpr const char *pcPattern = "PC Pattern Generator";
constexpr const char *torvaPattern = "Torva Pattern Generator";
constexpr const char *manualPattern = "Manual Pattern Generator";
} // namespace DeviceNames

// Registers every record that crosses threads in queued signals and futures:
// Measurement, Flicker, DeviceType, ConnectionInfo, its list and the map of
// lists by type. Safe to call more than once; call it at start-up.
void registerDeviceMetaTypes();
