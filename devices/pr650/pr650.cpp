#include "pr650.h"

#include "pr650protocol.h"
#include "seriallink.h"

#include <QThread>

namespace {
constexpr int baud = 9600;
constexpr char parity = 'n';
constexpr int pulseMs = 50; // ms each step of the remote-mode pulse

} // namespace

PR650::PR650(std::unique_ptr<SerialLink> link, QObject *parent)
    : ReferenceInstrument(std::move(link), parent) {}

PR650::~PR650() = default;

bool PR650::open(const QString &port) {
    if (!openLine(port, baud, parity))
        return false;
    updateInfo();
    return finishOpen(m_model.left(2) == QLatin1String("PR"));
}

void PR650::updateInfo() {
    m_port->setDtr(1);
    m_port->setRts(1);
    m_port->setRts(0);
    QThread::msleep(pulseMs);
    m_port->setRts(1);
    QThread::msleep(pulseMs);
    m_port->sendCommand(pr650::remoteMode); // answered before remote mode is on
    if (!pr650::isOk(m_port->sendCommand(pr650::remoteMode)))
        return;
    m_serialNumber = pr650::text(m_port->sendCommand(pr650::readSerialNumber));
    m_model = pr650::text(m_port->sendCommand(pr650::readModel));
    m_manufacturer = QStringLiteral("Photo Research");
}

Measurement PR650::measure(int) {
    Measurement m;
    const QString reply = m_port->sendCommand(pr650::measureXYZ);
    double xyz[3];
    if (reply.isEmpty())
        m.errorCode |= 0x2;
    else if (!pr650::parseXYZ(reply, xyz))
        m.errorCode |= 0x8;
    else
        m = reading(xyz[0], xyz[1], xyz[2], GamutSpec::standardSpec(2, 100.0));
    return m;
}

GenDevice *PR650Factory::create(const QString &port) {
    return createOpened<PR650>(this, port);
}

bool PR650Factory::probe(const QString &port, ConnectionInfo *info) {
    return probeByOpening<PR650>(port, info, true);
}
