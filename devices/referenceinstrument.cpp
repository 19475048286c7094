#include "referenceinstrument.h"

#include "seriallink.h"

namespace {
constexpr int dataBits = 8;
constexpr int lineTimeoutValue = 10000;
constexpr quint32 unusable = 0x8; // a reply that could not be used
} // namespace

ReferenceInstrument::ReferenceInstrument(std::unique_ptr<SerialLink> link, QObject *parent)
    : GenMeasure(parent),
      m_port(link ? new QChromaSerialPort(std::move(link), this) : new QChromaSerialPort(this)) {}

ReferenceInstrument::~ReferenceInstrument() = default;

QString ReferenceInstrument::portName() {
    return m_port->portName();
}

bool ReferenceInstrument::isConnected() {
    const bool alive = m_port->isOpen();
    if (!alive && m_open.exchange(false))
        emit closed();
    return alive;
}

void ReferenceInstrument::close() {
    m_port->close();
    m_serialNumber.clear();
    m_model.clear();
    m_manufacturer.clear();
    forget();
    if (m_open.exchange(false))
        emit closed();
}

bool ReferenceInstrument::openLine(const QString &port, int baud, char parity) {
    if (!m_port->openPort(port))
        return false;
    if (!m_port->configure(baud, dataBits, parity, lineTimeoutValue) || !m_port->isOpen()) {
        m_port->close();
        return false;
    }
    return true;
}

Measurement ReferenceInstrument::reading(double X, double Y, double Z, const GamutSpec &spec) {
    if (Readings::plausible(X, Y, Z))
        return Measurement::fromXYZ(X, Y, Z, spec);
    Measurement refused;
    refused.errorCode = unusable | ErrorBits::BadReply;
    return refused;
}

bool ReferenceInstrument::finishOpen(bool identified) {
    if (!identified) {
        close();
        return false;
    }
    m_open = true;
    emit connected();
    return true;
}
