#include "connectioninfo.h"

#include "gendevice.h"

ConnectionInfo::ConnectionInfo(GenDevice *device) {
    if (!device)
        return;
    model = device->model();
    serialNumber = device->serialNumber();
    type = device->deviceType();
    connected = device->isConnected();
    port = device->portName();
    factory = device->factory;
}

bool ConnectionInfo::matches(GenDevice *device) const {
    if (!device)
        return false;
    return port == device->portName() && serialNumber == device->serialNumber() &&
           model == device->model();
}
