#include "portmenulayout.h"

#include "genfactory.h"

namespace {
PortMenuItem separator() {
    PortMenuItem s;
    s.separator = true;
    return s;
}
} // namespace

QList<PortMenuItem> portMenuLayout(const QList<ConnectionInfo> &entries, int enabledMask,
                                   int disabledMask, GenDevice *current) {
    QList<PortMenuItem> items;
    if (enabledMask & RoleManual) {
        for (const ConnectionInfo &e : entries) {
            if (e.type != ManualDevice)
                continue;
            PortMenuItem item;
            item.info = e;
            item.checked = e.connected;
            if (e.connected && current && e.matches(current))
                item.enabled = false;
            items.append(item);
        }
        items.append(separator());
    }
    for (int t = TorvaDevice; t <= PatternGenerator; ++t) {
        bool added = false;
        for (const ConnectionInfo &e : entries) {
            if (e.type != t)
                continue;
            const int roles = e.factory ? e.factory->roles() : 0;
            PortMenuItem item;
            item.info = e;
            if (enabledMask & roles) {
                // Open in another menu: visible, not selectable. The menu's
                // own device stays selectable.
                item.checked = e.connected;
                item.enabled = !e.connected || (current && e.matches(current));
            } else if (disabledMask & roles) {
                item.enabled = false;
                item.checked = e.connected;
            } else {
                continue;
            }
            items.append(item);
            added = true;
        }
        if (added)
            items.append(separator());
    }
    return items;
}
