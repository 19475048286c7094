#include "devicetypes.h"

#include "connectioninfo.h"
#include "genmeasure.h"
#include "metatypes.h"

#include <QList>
#include <QMap>

void registerDeviceMetaTypes() {
    registerMetaTypes(); // Measurement
    qRegisterMetaType<Flicker>("Flicker");
    qRegisterMetaType<DeviceType>("DeviceType");
    qRegisterMetaType<ConnectionInfo>("ConnectionInfo");
    qRegisterMetaType<QList<ConnectionInfo>>("QList<ConnectionInfo>");
    qRegisterMetaType<QMap<DeviceType, QList<ConnectionInfo>>>(
        "QMap<DeviceType,QList<ConnectionInfo> >");
}
