#include "qtclmtr.h"

#include "devicetypes.h"

QTClmtr::QTClmtr(QObject *parent) : QObject(parent) {
    registerDeviceMetaTypes(); // records cross to the GUI thread queued
}

QTClmtr::~QTClmtr() {
    // The worker calls the signals above: it must end while they still exist.
    close();
}
