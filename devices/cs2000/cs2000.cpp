#include "cs2000.h"

#include "seriallink.h"

#include <QSettings>

#include <cmath>

namespace {
constexpr char parity = 'n';

// Measurement error bits (the record's errorCode table).
constexpr quint32 portLost = 0x1;
constexpr quint32 noAnswer = 0x2;
constexpr quint32 unusable = 0x8;

using Line = QChromaSerialPort::Line;

QString quoted(const QString &command) {
    return QLatin1Char('"') + command + QLatin1Char('"');
}

// "RMTS,1". While measuring the instrument refuses every command but the
// cancel with "ER00": a measurement another program left running (up to
// four minutes) is cancelled, and remote mode asked for again.
bool enterRemoteMode(QChromaSerialPort &port, int silenceMs = cs2000::remoteOn.timeoutMs) {
    QChromaSerialPort::Line reply =
        port.sendLine(QString::fromLatin1(cs2000::remoteOn.text), silenceMs);
    if (reply.complete() && cs2000::errorCode(reply.text) == 0) {
        port.sendLine(cs2000::cancelMeasurement);
        reply = port.sendLine(cs2000::remoteOn);
    }
    return reply.complete() && cs2000::isOk(reply.text);
}
} // namespace

CS2000::CS2000(std::unique_ptr<SerialLink> link, QObject *parent)
    : ReferenceInstrument(std::move(link), parent) {}

CS2000::~CS2000() = default;

bool CS2000::open(const QString &port) {
    if (!openLine(port, cs2000::baud, parity))
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

QString CS2000::ask(const cs2000::Command &c) {
    return ask(QString::fromLatin1(c.text), c.timeoutMs);
}

QString CS2000::ask(const QString &command, int timeoutMs) {
    const Line reply = m_port->sendLine(command, timeoutMs);
    return reply.complete() ? reply.text : QString();
}

std::optional<cs2000::Sync> CS2000::syncFromSettings() {
    QSettings settings;
    const int mode = settings.value("cs2000SyncMode", 1).toInt();
    if (mode == -1)
        return std::nullopt;
    cs2000::Sync sync;
    sync.mode = mode;
    sync.centiHz =
        static_cast<int>(std::lround(settings.value("cs2000SyncHz", 60.0).toDouble() * 100));
    if (!sync.valid())
        return cs2000::Sync(); // a damaged setting: internal sync at 60 Hz
    return sync;
}

bool CS2000::applySync() {
    const std::optional<cs2000::Sync> wanted = syncFromSettings();
    if (!wanted)
        return true;
    // The setting is written into the instrument's memory, which takes a
    // limited number of writes: only when it differs.
    cs2000::Sync held;
    if (cs2000::parseSync(ask(cs2000::readSync), &held) && held == *wanted)
        return true;
    return cs2000::isOk(ask(cs2000::syncCommand(*wanted), cs2000::settingTimeoutMs));
}

void CS2000::updateInfo() {
    using namespace cs2000;
    if (!enterRemoteMode(*m_port) || !applySync())
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
        const QString reply = ask(r.command);
        intField(reply, 1, r.field);
        if (!isOk(reply))
            return;
    }

    m_calNames = QStringList(QString::fromLatin1(factoryChannelName));
    for (int channel = 1; channel <= userChannels; ++channel) {
        const QString reply = ask(channelNameCommand(channel), channelNameTimeoutMs);
        if (isOk(reply))
            m_calNames.append(fields(reply).value(1));
        else if (isBlankChannel(reply))
            m_calNames.append(QString::fromLatin1(blankChannelName));
        else
            return;
    }
    m_calName = channelName(m_calChannel);

    Identity id;
    if (parseIdentity(ask(identify), &id)) {
        m_serialNumber = id.serialNumber;
        m_model = id.model;
        m_manufacturer = QStringLiteral("Konica Minolta");
    }
}

QString CS2000::channelName(int channel) const {
    // Channels not read (closed, or reading stopped early) have no name.
    return m_calNames.value(channel);
}

quint32 CS2000::fail(const QString &problem, quint32 bits) {
    if (m_problem.isEmpty())
        m_problem = problem;
    return bits | unusable | (m_port->isOpen() ? 0u : portLost);
}

quint32 CS2000::failReply(const Line &reply, const QString &command) {
    switch (reply.outcome) {
    case Line::PortLost:
        return fail(QStringLiteral("The CS-2000's port closed (was it unplugged?)."), portLost);
    case Line::NoReply:
    case Line::Cancelled:
        return fail(QStringLiteral("The CS-2000 did not answer %1.").arg(quoted(command)),
                    noAnswer);
    case Line::Complete:
        break;
    }
    const int code = cs2000::errorCode(reply.text);
    if (code >= 0)
        return fail(QStringLiteral("The CS-2000 reports ER%1: %2.")
                        .arg(code, 2, 10, QLatin1Char('0'))
                        .arg(cs2000::errorMeaning(code)));
    return fail(
        QStringLiteral("The CS-2000's reply to %1 could not be used.").arg(quoted(command)));
}

void CS2000::stopMeasurement() {
    // Answered at once; a measurement that ended meanwhile is answered "ER17".
    m_port->sendLine(cs2000::cancelMeasurement);
}

quint32 CS2000::runMeasurement() {
    using namespace cs2000;
    m_cancel = false;
    const QString command = QString::fromLatin1(startMeasurement.text);
    // The instrument takes no command during its pre-measurement, so a
    // cancel can only be sent once it has answered.
    const Line started = m_port->sendLine(startMeasurement);
    if (!started.complete() || !isOk(started.text))
        return failReply(started, command);
    int seconds = 0;
    if (!parseMeasuringTime(started.text, &seconds)) {
        stopMeasurement();
        return fail(QStringLiteral("The CS-2000 announced a measuring time that could not be "
                                   "read (\"%1\").")
                        .arg(started.text.left(32)));
    }
    emit measuringTime(seconds * 1000);
    const Line done =
        m_port->awaitLine(seconds * 1000 + endGraceMs, [this] { return m_cancel.load(); });
    switch (done.outcome) {
    case Line::Cancelled:
        stopMeasurement();
        return fail(QStringLiteral("The measurement was cancelled."));
    case Line::NoReply:
        stopMeasurement();
        return fail(QStringLiteral("The CS-2000 did not end its measurement within %1 s of the "
                                   "%2 s it announced.")
                        .arg(endGraceMs / 1000)
                        .arg(seconds),
                    noAnswer);
    case Line::PortLost:
    case Line::Complete:
        break;
    }
    if (!done.complete() || !isOk(done.text))
        return failReply(done, command);
    return 0;
}

Measurement CS2000::measure(int) {
    m_problem.clear();
    quint32 why = runMeasurement();
    if (!why) {
        const Line reply = m_port->sendLine(cs2000::readXYZ);
        double xyz[3];
        switch (cs2000::parseXYZ(reply.complete() ? reply.text : QString(), xyz)) {
        case cs2000::Reading::Usable:
            return reading(xyz[0], xyz[1], xyz[2], m_gamutSpec);
        case cs2000::Reading::CalculationError:
            why = fail(QStringLiteral("The CS-2000 could not calculate X, Y, Z for this light "
                                      "(it sent its calculation-error value)."));
            break;
        case cs2000::Reading::Unusable:
            why = failReply(reply, QString::fromLatin1(cs2000::readXYZ.text));
            break;
        }
    }
    // Any failure is 0x8, so the operator may try again; 0x1 only when the
    // port is gone.
    Measurement failed;
    failed.errorCode = unusable | (why & portLost);
    return failed;
}

QList<double> CS2000::spectrum() {
    using namespace cs2000;
    m_problem.clear();
    QList<double> values;
    values.reserve(spectrumSize);
    for (int i = 0; i < spectrumSize; ++i)
        values.append(0.0);
    m_spectrumError = runMeasurement();
    if (m_spectrumError)
        return values;
    int calculationErrors = 0;
    for (const SpectralBlock &block : spectralBlocks) {
        const QString command = QString::fromLatin1(block.command);
        const Line reply = m_port->sendLine(command, spectralTimeoutMs);
        const BlockResult r =
            storeSpectralBlock(reply.complete() ? reply.text : QString(), block, values);
        calculationErrors += r.calculationErrors;
        if (!reply.complete()) {
            m_spectrumError |= failReply(reply, command);
            break; // the instrument is gone or silent: the other blocks would be too
        }
        if (r.stored + r.calculationErrors < block.count) {
            m_spectrumError |= isOk(reply.text)
                                   ? fail(QStringLiteral("The CS-2000 sent fewer values than "
                                                         "wavelengths for %1.")
                                              .arg(quoted(command)))
                                   : failReply(reply, command);
        }
    }
    if (calculationErrors)
        m_spectrumError |= fail(QStringLiteral("The CS-2000 could not calculate the spectral "
                                               "radiance at %1 wavelengths (it sent its "
                                               "calculation-error value).")
                                    .arg(calculationErrors));
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
    if (!isOk(ask(selectChannelCommand(index), settingTimeoutMs)))
        return;
    const QString reply = ask(readChannel);
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
    if (!line.openPort(port) || !line.configure(cs2000::baud, 8, parity, 10000) || !line.isOpen())
        return false;
    if (!enterRemoteMode(line, cs2000::probeSilenceMs))
        return false;
    const QChromaSerialPort::Line id = line.sendLine(cs2000::identify);
    cs2000::Identity identity;
    if (!id.complete() || !cs2000::parseIdentity(id.text, &identity))
        return false;
    if (info) {
        info->serialNumber = identity.serialNumber;
        info->model = identity.model;
        info->type = CS2000Device;
    }
    return true;
}
