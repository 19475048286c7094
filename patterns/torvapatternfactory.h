#pragma once
// Finds the network pattern generator by a UDP broadcast and creates
// TorvaPattern devices.

#include "genfactory.h"

class TorvaPatternFactory : public GenFactory {
    Q_OBJECT
public:
    explicit TorvaPatternFactory(QObject *parent = nullptr) : GenFactory(parent) {}

    GenDevice *create(const QString &host) override;
    DeviceType deviceType() override { return PatternGenerator; }
    int connectionKind() override { return NetworkConnection; }
    QString name() override { return QString::fromLatin1(DeviceNames::torvaPattern); }
    int roles() override { return RolePattern; }
    // Broadcasts "getInfo" and listens for about 4 s; the port argument is
    // not used. The last generator to answer is the one reported.
    bool probe(const QString &port, ConnectionInfo *info) override;
};
