#pragma once
// The manual meter: any instrument the application cannot drive serves as a
// reference by having the operator type in its x, y and Y whenever a
// measurement is asked for. The question is asked on the GUI thread while
// the measuring thread waits.

#include "genfactory.h"
#include "genmeasure.h"

class Manual : public GenMeasure {
    Q_OBJECT
public:
    explicit Manual(QObject *parent = nullptr) : GenMeasure(parent) {}
    ~Manual() override;

    QString portName() override { return QStringLiteral("Manual_Entry"); }
    DeviceType deviceType() override { return ManualDevice; }
    bool isConnected() override { return true; }
    // Emits closed() when it was open.
    void close() override;
    bool open(const QString &port) override;
    void updateInfo() override;
    // Shows the entry dialog on the GUI thread and waits for the operator.
    // A cancelled entry (Cancel confirmed, Escape, or the window closed)
    // returns errorCode 8. The argument is ignored.
    Measurement measure(int averages) override;

signals:
    void callMeasurement(Measurement &m);

private:
    bool m_open = false;
};

class ManualFactory : public GenFactory {
    Q_OBJECT
public:
    GenDevice *create(const QString &port) override;
    DeviceType deviceType() override { return ManualDevice; }
    int connectionKind() override { return NoConnection; }
    QString name() override { return QString::fromLatin1(DeviceNames::manual); }
    int roles() override { return RoleManual; }
    // Always there.
    bool probe(const QString &port, ConnectionInfo *info) override;
};

// Hands the manual meter's factory to the factory list; call at start-up,
// before the list is first used.
void registerManualMeter();
