#pragma once
// The BM-7 luminance colorimeter as a reference instrument. It has no
// identification command: a reading that answers identifies it. The wire
// format lives in bm7protocol.h.

#include "genfactory.h"
#include "referenceinstrument.h"

class BM7 : public ReferenceInstrument {
    Q_OBJECT
public:
    // link null: a real serial port (tests hand in a scripted one).
    explicit BM7(std::unique_ptr<SerialLink> link = nullptr, QObject *parent = nullptr);
    ~BM7() override;

    DeviceType deviceType() override { return BM7Device; }
    bool open(const QString &port) override;
    // One measurement: an answer makes the identity "BM-7", serial "unknown".
    void updateInfo() override;
    // Blocks up to 4 s; the argument is ignored.
    Measurement measure(int averages) override;
};

class BM7Factory : public GenFactory {
    Q_OBJECT
public:
    GenDevice *create(const QString &port) override;
    DeviceType deviceType() override { return BM7Device; }
    int connectionKind() override { return SerialConnection; }
    QString name() override { return QString::fromLatin1(DeviceNames::bm7); }
    int roles() override { return RoleReference; }
    bool probe(const QString &port, ConnectionInfo *info) override;
};
