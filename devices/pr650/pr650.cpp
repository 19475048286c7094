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
    ask(pr650::remoteMode); // answered before remote mode is on
    if (!pr650::isOk(ask(pr650::remoteMode)))
        return;
    // The serial number identifies the instrument; "D111" names the model
    // only on some of them, and only then is its answer taken.
    const QString serial = pr650::serialNumber(ask(pr650::readSerialNumber));
    if (serial.isEmpty())
        return;
    const QString model = pr650::model(ask(pr650::readModel));
    m_serialNumber = serial;
    m_model = model.isEmpty() ? QString::fromLatin1(pr650::modelWithoutName) : model;
    m_manufacturer = QStringLiteral("Photo Research");
}

QString PR650::ask(const pr650::Command &c) {
    const QChromaSerialPort::Line reply = m_port->sendLine(c);
    return reply.complete() ? reply.text : QString();
}

Measurement PR650::measure(int) {
    m_problem.clear();
    Measurement m;
    const QChromaSerialPort::Line reply = m_port->sendLine(pr650::measureXYZ);
    double xyz[3];
    if (!reply.complete()) {
        m.errorCode |= 0x2;
        m_problem = QStringLiteral("The PR-650 did not answer \"M2\" within %1 s.")
                        .arg(pr650::measureXYZ.timeoutMs / 1000);
        return m;
    }
    switch (pr650::parseXYZ(reply.text, xyz)) {
    case pr650::Reading::Unusable:
        m.errorCode |= 0x8;
        m_problem = QStringLiteral("The PR-650's reply to \"M2\" could not be used (\"%1\").")
                        .arg(reply.text.left(32));
        break;
    case pr650::Reading::LowLight:
        // The instrument's own reading, kept, with the remark it made.
        m = reading(xyz[0], xyz[1], xyz[2], GamutSpec::standardSpec(2, 100.0));
        m.errorCode |= ErrorBits::LowLight;
        m_problem = QStringLiteral("The PR-650 measured in low light (quality code 18): the "
                                   "reading is less accurate.");
        break;
    case pr650::Reading::Usable:
        m = reading(xyz[0], xyz[1], xyz[2], GamutSpec::standardSpec(2, 100.0));
        break;
    }
    return m;
}

GenDevice *PR650Factory::create(const QString &port) {
    return createOpened<PR650>(this, port);
}

bool PR650Factory::probe(const QString &port, ConnectionInfo *info) {
    return probeByOpening<PR650>(port, info, true);
}
