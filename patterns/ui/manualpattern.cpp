#include "manualpattern.h"

#include "dialogs.h"

bool ManualPattern::open(const QString &) {
    m_open = true;
    updateInfo();
    return true;
}

void ManualPattern::updateInfo() {
    m_model = QStringLiteral("Manual Pattern");
    m_serialNumber = QStringLiteral("Generator");
    m_manufacturer = QStringLiteral("Manual Pattern Generator");
    width = 0;
    height = 0;
}

void ManualPattern::setColor(const QColor &color) {
    dialogs().information(
        nullptr, QStringLiteral("Manual Pattern Generator"),
        QStringLiteral("Please set the test pattern to:\nRed:\t%1\nGreen:\t%2\nBlue:\t%3")
            .arg(color.red())
            .arg(color.green())
            .arg(color.blue()),
        QMessageBox::Ok, QMessageBox::NoButton);
}

GenDevice *ManualPatternFactory::create(const QString &port) {
    auto *device = new ManualPattern;
    device->factory = this;
    device->open(port);
    return device;
}

bool ManualPatternFactory::probe(const QString &port, ConnectionInfo *info) {
    ManualPattern local;
    if (!local.open(port))
        return false;
    if (info) {
        info->port = local.portName();
        info->model = local.model();
        info->serialNumber = local.serialNumber();
        info->connected = false;
        info->type = PatternGenerator;
    }
    return true;
}
