#include "bm7.h"

#include "bm7protocol.h"
#include "seriallink.h"

namespace {
constexpr int baud = 12000; // twelve thousand
constexpr char parity = 'o';
const char *const bm7Model = "BM-7";
} // namespace

BM7::BM7(std::unique_ptr<SerialLink> link, QObject *parent)
    : ReferenceInstrument(std::move(link), parent) {}

BM7::~BM7() = default;

bool BM7::open(const QString &port) {
    if (!openLine(port, baud, parity))
        return false;
    updateInfo();
    return finishOpen(m_model == QLatin1String(bm7Model));
}

void BM7::updateInfo() {
    if (measure(1).errorCode & 0x2) {
        m_serialNumber.clear();
        m_model.clear();
        m_manufacturer.clear();
        return;
    }
    m_serialNumber = QStringLiteral("unknown");
    m_model = QString::fromLatin1(bm7Model);
    m_manufacturer = QStringLiteral("Topcon");
}

Measurement BM7::measure(int) {
    Measurement m;
    const QString reply = m_port->sendCommand(QString::fromLatin1(bm7::measureCommand),
                                              bm7::measureMinLength, bm7::measureTimeoutSeconds);
    double xyz[3];
    const quint32 error = bm7::parseReading(reply, xyz);
    if (error) {
        m.errorCode |= error;
        return m;
    }
    return reading(xyz[0], xyz[1], xyz[2], m_gamutSpec);
}

GenDevice *BM7Factory::create(const QString &port) {
    return createOpened<BM7>(this, port);
}

bool BM7Factory::probe(const QString &port, ConnectionInfo *info) {
    return probeByOpening<BM7>(port, info, false);
}
