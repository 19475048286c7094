#include "qdeviceaction.h"

QString deviceLabel(const ConnectionInfo &info) {
    const int padding = 8 - info.model.length() % 8;
    return info.model + QString(padding, QLatin1Char(' ')) + info.serialNumber;
}

QDeviceAction::QDeviceAction(const ConnectionInfo &info, QObject *parent)
    : QLoadingAction(deviceLabel(info), parent), m_info(info) {
    setCheckable(true);
    connect(this, &QAction::triggered, this, &QDeviceAction::trigger);
}

void QDeviceAction::trigger() {
    emit Connected(m_info);
}
