#include "cs2000.h"

#include "cs2000protocol.h"
#include "seriallink.h"

#include <cmath>

namespace {
constexpr int baud = 9600;
constexpr char parity = 'n';

// Measurement error bits (the record's errorCode table).
constexpr quint32 portLost = 0x1;
constexpr quint32 noAnswer = 0x2;
constexpr quint32 unusable = 0x8;

} // namespace

CS2000::CS2000(std::unique_ptr<SerialLink> link, QObject *parent)
    : ReferenceInstrument(std::move(link), parent) {}

CS2000::~CS2000() = default;

bool CS2000::open(const QString &port) {
    if (!openLine(port, baud, parity))
        return false;
    updateInfo();
    return finishOpen(m_model.left(2) == QLatin1String("CS"));
}

void CS2000::forget() {
    m_calName.clear();
    m_calNames.clear();
    m_ndFilter = 3;
    m_lens = 2;
    m_calChannel = 0;
    m_stsrValue = 3;
}

void CS2000::updateInfo() {
    using namespace cs2000;
    if (!isOk(m_port->sendCommand(remoteOn)) || !isOk(m_port->sendCommand(measuringMode)))
        return;
    // Each value is taken before its status is looked at.
    const struct {
        const Command &command;
        int *field;
    } reads[] = {{readNdFilter, &m_ndFilter},
                 {readLens, &m_lens},
                 {readChannel, &m_calChannel},
                 {readStatus, &m_stsrValue}};
    for (const auto &r : reads) {
        const QString reply = m_port->sendCommand(r.command);
        intField(reply, 1, r.field);
        if (!isOk(reply))
            return;
    }

    m_calNames = QStringList(QString::fromLatin1(factoryChannelName));
    for (int channel = 1; channel <= userChannels; ++channel) {
        const QString reply = m_port->sendCommand(channelNameCommand(channel), channelNameMinLength,
                                                  channelNameTimeoutSeconds);
        if (isOk(reply))
            m_calNames.append(fields(reply).value(1));
        else if (isBlankChannel(reply))
            m_calNames.append(QString::fromLatin1(blankChannelName));
        else
            return;
    }
    m_calName = channelName(m_calChannel);

    Identity id;
    if (parseIdentity(m_port->sendCommand(identify), &id)) {
        m_serialNumber = id.serialNumber;
        m_model = id.model;
        m_manufacturer = QStringLiteral("Konica Minolta");
    }
}

QString CS2000::channelName(int channel) const {
    // Channels not read (closed, or reading stopped early) have no name.
    return m_calNames.value(channel);
}

quint32 CS2000::runMeasurement() {
    using namespace cs2000;
    const QString started = m_port->sendCommand(startMeasurement);
    if (!isOk(started))
        return started.isEmpty() ? noAnswer : unusable;
    // An unreadable measuring time still leaves the grace time to wait.
    const double announced = fields(started).value(1).toDouble();
    const int seconds = announced > 0 ? static_cast<int>(std::ceil(qMin(announced, 3600.0))) : 0;
    const QString done = m_port->sendCommand(QString(), endOfMeasurementLength,
                                             seconds + endOfMeasurementGraceSeconds);
    if (!isOk(done))
        return done.isEmpty() ? noAnswer : unusable;
    return 0;
}

Measurement CS2000::measure(int) {
    // A failed measurement is the default record with 0x8, plus 0x2 when the
    // instrument did not answer and 0x1 when its port went away.
    Measurement failed;
    failed.errorCode = unusable;
    quint32 why = runMeasurement();
    double xyz[3];
    if (!why) {
        const QString reply = m_port->sendCommand(cs2000::readXYZ);
        if (cs2000::parseXYZ(reply, xyz))
            return reading(xyz[0], xyz[1], xyz[2], m_gamutSpec);
        why = reply.isEmpty() ? noAnswer : unusable;
    }
    failed.errorCode |= why | (m_port->isOpen() ? 0u : portLost);
    return failed;
}

QList<double> CS2000::spectrum() {
    using namespace cs2000;
    QList<double> values;
    values.reserve(spectrumSize);
    for (int i = 0; i < spectrumSize; ++i)
        values.append(0.0);
    m_spectrumError = runMeasurement();
    if (m_spectrumError)
        return values;
    for (const SpectralBlock &block : spectralBlocks) {
        const QString reply = m_port->sendCommand(QString::fromLatin1(block.command),
                                                  block.minLength, block.timeoutSeconds);
        if (storeSpectralBlock(reply, block, values) < block.count)
            m_spectrumError |= reply.isEmpty() ? noAnswer : unusable;
    }
    return values;
}

QStringList CS2000::calFileList() {
    QStringList out;
    for (int channel = 0; channel <= cs2000::userChannels; ++channel)
        out.append(QStringLiteral("%1: %2").arg(channel).arg(channelName(channel)));
    return out;
}

void CS2000::setCalFile(int index) {
    using namespace cs2000;
    if (index < 0 || index > userChannels)
        return; // the command carries two digits only
    if (!isOk(m_port->sendCommand(selectChannelCommand(index), selectMinLength,
                                  selectTimeoutSeconds)))
        return;
    const QString reply = m_port->sendCommand(readChannelAfterSelect);
    int channel = m_calChannel;
    if (!isOk(reply) || !intField(reply, 1, &channel))
        return;
    const int old = m_calChannel;
    m_calChannel = channel;
    if (channel != old) {
        m_calName = channelName(channel);
        emit calfileChanged();
    }
}

GenDevice *CS2000Factory::create(const QString &port) {
    return createOpened<CS2000>(this, port);
}

bool CS2000Factory::probe(const QString &port, ConnectionInfo *info) {
    QChromaSerialPort line;
    if (!line.openPort(port) || !line.configure(baud, 8, parity, 10000) || !line.isOpen())
        return false;
    if (!cs2000::isOk(line.sendCommand(cs2000::remoteOn)))
        return false;
    cs2000::Identity id;
    if (!cs2000::parseIdentity(line.sendCommand(cs2000::identify), &id))
        return false;
    if (info) {
        info->serialNumber = id.serialNumber;
        info->model = id.model;
        info->type = CS2000Device;
    }
    return true;
}
