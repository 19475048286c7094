#pragma once
// What a port menu lists below its fixed entries: the manual meter's section
// when the menu takes manual devices, then the devices by ascending type 0 to
// 5, each type followed by a separator. A device the menu may pick is
// selectable unless another menu holds it open; a device of a greyed role is
// listed disabled. Kept apart from the widget so the rules can be checked
// with plain lists.

#include "connectioninfo.h"

#include <QList>

struct PortMenuItem {
    bool separator = false;
    ConnectionInfo info;
    bool enabled = true;
    bool checked = false;
};

QList<PortMenuItem> portMenuLayout(const QList<ConnectionInfo> &entries, int enabledMask,
                                   int disabledMask, GenDevice *current);
