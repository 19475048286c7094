#pragma once
// Measuring devices without hardware: FakeMeter answers a few operations
// with values of its own (so a forwarded call is told from a neutral one) and
// records what it was asked to do; RolesFactory finds nothing and only has
// roles and a type.

#include "genfactory.h"
#include "genmeasure.h"

class FakeMeter : public GenMeasure {
    Q_OBJECT
public:
    QString port = "/dev/fake0";
    bool open_ = true;
    QStringList calls; // actions, in order

    FakeMeter() {
        m_model = "FM-1";
        m_serialNumber = "FM1-0042";
        m_manufacturer = "Fake Works";
    }
    QString portName() override { return port; }
    DeviceType deviceType() override { return CS2000Device; }
    bool isConnected() override { return open_; }
    void close() override {
        calls << "close";
        if (open_) {
            open_ = false;
            emit closed();
        }
    }
    bool open(const QString &p) override {
        calls << "open " + p;
        return true;
    }
    void updateInfo() override {}
    void setRange(int r) override { calls << QString("range %1").arg(r); }
    void startMeasuring() override { calls << "start"; }
    Measurement measure(int n) override {
        Measurement m = Measurement::fromxyY(0.3127, 0.329, 100);
        m.avgCount = n;
        return m;
    }
};

class RolesFactory : public GenFactory {
    Q_OBJECT
public:
    RolesFactory(int roles, DeviceType type) : roles_(roles), type_(type) {}
    GenDevice *create(const QString &) override { return nullptr; }
    DeviceType deviceType() override { return type_; }
    int connectionKind() override { return SerialConnection; }
    QString name() override { return "Roles"; }
    int roles() override { return roles_; }
    bool probe(const QString &, ConnectionInfo *) override { return false; }

private:
    int roles_;
    DeviceType type_;
};
