#include "torvafactory.h"

#include "tclmtr.h"
#include "torvachroma.h"

#include <QFile>

GenDevice *TorvaFactory::create(const QString &port) {
    auto *device = new TorvaChroma;
    device->factory = this;
    device->open(port);
    return device;
}

bool TorvaFactory::probe(const QString &port, ConnectionInfo *info) {
    const TClmtr::ProbeResult found = TClmtr::probe(QFile::encodeName(port).toStdString());
    if (!found.found)
        return false;
    if (info) {
        info->model = QString::fromStdString(found.model);
        info->serialNumber = QString::fromStdString(found.serialNumber);
        info->type = TorvaDevice;
    }
    return true;
}
