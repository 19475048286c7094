// What a port menu lists for its masks, over plain lists, and how it labels
// a device.
#include "fakemeter.h"
#include "portmenulayout.h"
#include "qdeviceaction.h"
#include "qtprinters.h"

#include <gtest/gtest.h>

namespace {

ConnectionInfo entry(const QString &port, DeviceType type, GenFactory *f, bool connected = false,
                     const QString &model = "M", const QString &serial = "S") {
    ConnectionInfo e;
    e.port = port;
    e.type = type;
    e.factory = f;
    e.connected = connected;
    e.model = model;
    e.serialNumber = serial;
    return e;
}

// The menu in one line: each entry's port, "*" when checked, "-" when
// disabled, "|" for a separator.
QString layout(const QList<ConnectionInfo> &entries, int enabled, int disabled,
               GenMeasure *own = nullptr) {
    QStringList out;
    for (const PortMenuItem &i : portMenuLayout(entries, enabled, disabled, own))
        out << (i.separator ? QString("|")
                            : i.info.port + (i.checked ? "*" : "") + (i.enabled ? "" : "-"));
    return out.join(' ');
}

TEST(MenuLayout, TypesInAscendingOrderByRoleWithTheOpenOnesChecked) {
    RolesFactory pattern(RolePattern, PatternGenerator),
        cs2000(RoleReference | RoleSpectral, CS2000Device),
        torva(RoleColorimeter | RoleReference, TorvaDevice), bm7(RoleReference, BM7Device),
        manual(RoleManual, ManualDevice);
    FakeMeter mine; // port /dev/fake0, FM-1, FM1-0042
    const QList<ConnectionInfo> entries = {
        entry("screen0", PatternGenerator, &pattern),
        entry("c", CS2000Device, &cs2000),
        entry("/dev/fake0", TorvaDevice, &torva, true, "FM-1", "FM1-0042"),
        entry("busy", BusyPort, nullptr, true),
        entry("none", NoDevice, nullptr),
        entry("b", BM7Device, &bm7, true),
        entry("t2", TorvaDevice, &torva),
        entry("", ManualDevice, &manual, true)};
    EXPECT_EQ(layout(entries, 0xff & ~RoleManual, 0), "/dev/fake0*- t2 | b*- | c | screen0 |");
    // The main window's menu: colorimeters to pick, reference and spectral
    // devices greyed, pattern generators not at all; its own device stays selectable.
    EXPECT_EQ(layout(entries, RoleColorimeter, RoleReference | RoleSpectral, &mine),
              "/dev/fake0* t2 | b*- | c- |");
    // The profile window's reference menu (35): the manual meter first, on its own.
    EXPECT_EQ(layout(entries, RoleColorimeter | RoleReference | RoleManual, 0),
              "* | /dev/fake0*- t2 | b*- | c |");
    EXPECT_EQ(layout(entries, 0, 0), "");
}

TEST(DeviceLabel, ModelPaddedToTheNextMultipleOfEight) {
    const char *const cases[][3] = {{"BM-7", "S1", "BM-7    S1"},
                                    {"Manual ", "Entry", "Manual  Entry"},
                                    {"CS-2000A", "7", "CS-2000A        7"}, // eight: a whole pad
                                    {"", "", "        "}};
    ConnectionInfo e;
    for (const auto &c : cases) {
        e.model = c[0];
        e.serialNumber = c[1];
        EXPECT_EQ(deviceLabel(e), c[2]);
    }
}

} // namespace
