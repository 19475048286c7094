#pragma once
// Finds the maker's colorimeters on serial ports and creates TorvaChroma
// devices.

#include "genfactory.h"

class TorvaFactory : public GenFactory {
    Q_OBJECT
public:
    explicit TorvaFactory(QObject *parent = nullptr) : GenFactory(parent) {}

    GenDevice *create(const QString &port) override;
    DeviceType deviceType() override { return TorvaDevice; }
    int connectionKind() override { return SerialConnection; }
    QString name() override { return QString::fromLatin1(DeviceNames::torva); }
    int roles() override { return RoleColorimeter | RoleReference; }
    bool probe(const QString &port, ConnectionInfo *info) override;
};
