#pragma once
// The PR-650 spectroradiometer as a reference instrument: remote mode,
// identity and single blocking XYZ measurements. The wire format lives in
// pr650protocol.h.

#include "genfactory.h"
#include "pr650protocol.h"
#include "referenceinstrument.h"

class PR650 : public ReferenceInstrument {
    Q_OBJECT
public:
    // link null: a real serial port (tests hand in a scripted one).
    explicit PR650(std::unique_ptr<SerialLink> link = nullptr, QObject *parent = nullptr);
    ~PR650() override;

    DeviceType deviceType() override { return PR650Device; }
    bool open(const QString &port) override;
    // Pulses the line into remote mode, then asks for serial number and model.
    void updateInfo() override;
    // Blocks for the measuring time (up to 30 s); the argument is ignored.
    // The record is computed against the built-in standard 2, white Y 100.
    // A low-light reading is kept, with ErrorBits::LowLight.
    Measurement measure(int averages) override;
    QString lastProblem() override { return m_problem; }

private:
    // The reply text of a command, empty when no complete reply came.
    QString ask(const pr650::Command &c);

    QString m_problem;
};

class PR650Factory : public GenFactory {
    Q_OBJECT
public:
    GenDevice *create(const QString &port) override;
    DeviceType deviceType() override { return PR650Device; }
    int connectionKind() override { return SerialConnection; }
    QString name() override { return QString::fromLatin1(DeviceNames::pr650); }
    int roles() override { return RoleReference; }
    bool probe(const QString &port, ConnectionInfo *info) override;
};
