#include "qchromaserialport.h"

#include "serialport.h"

#include <QFile>

#include <algorithm>
#include <chrono>

namespace {
using Clock = std::chrono::steady_clock;

// A reply that reached its minimum length but has not ended its line is
// taken as complete after this much silence (an instrument without a line
// end, or one whose line end was lost).
constexpr auto quietGap = std::chrono::milliseconds(25);
// How often a waiting reply asks whether it is still wanted.
constexpr int cancelPollMs = 25;
// Far longer than any reply of these instruments (a spectral block is about
// 1 kB): a line that grows past it without ending is not a reply.
constexpr std::size_t longestLine = 16384;

int msUntil(Clock::time_point t) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(t - Clock::now());
    return static_cast<int>(std::max<long long>(0, left.count()));
}
} // namespace

QChromaSerialPort::QChromaSerialPort(QObject *parent)
    : QChromaSerialPort(std::make_unique<serialPort>(), parent) {}

QChromaSerialPort::QChromaSerialPort(std::unique_ptr<SerialLink> link, QObject *parent)
    : QObject(parent), m_link(std::move(link)) {}

QChromaSerialPort::~QChromaSerialPort() = default;

bool QChromaSerialPort::openPort(const QString &port) {
    m_name = port;
    m_link->setPortName(QFile::encodeName(port).toStdString());
    return m_link->open() && m_link->isOpen();
}

bool QChromaSerialPort::configure(int baud, int dataBits, char parity, int timeoutValue) {
    return m_link->configure(baud, dataBits, parity, timeoutValue);
}

bool QChromaSerialPort::isOpen() {
    return m_link->isOpen();
}

void QChromaSerialPort::close() {
    m_link->close();
}

bool QChromaSerialPort::setDtr(int mode) {
    return m_link->setDtr(mode);
}

bool QChromaSerialPort::setRts(int mode) {
    return m_link->setRts(mode);
}

void QChromaSerialPort::writeCommand(const QString &command) {
    m_pending.clear();
    m_link->readAvailable(); // whatever an earlier exchange left behind
    const QByteArray bytes = command.toLatin1() + '\r';
    m_link->write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QChromaSerialPort::Line QChromaSerialPort::sendLine(const QString &command, int timeoutMs,
                                                    const CancelCheck &cancelled) {
    if (!m_link->isOpen())
        return {Line::PortLost, QString()};
    writeCommand(command);
    return awaitLine(timeoutMs, cancelled);
}

QChromaSerialPort::Line QChromaSerialPort::awaitLine(int timeoutMs, const CancelCheck &cancelled) {
    if (!m_link->isOpen())
        return {Line::PortLost, QString()};
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string buffer = m_pending + m_link->readAvailable();
    m_pending.clear();
    auto text = [](const std::string &bytes) {
        return QString::fromLatin1(bytes.data(), static_cast<int>(bytes.size()));
    };
    for (;;) {
        const std::size_t start = buffer.find_first_not_of("\r\n");
        buffer.erase(0, start == std::string::npos ? buffer.size() : start);
        const std::size_t end = buffer.find_first_of("\r\n");
        if (end != std::string::npos) {
            m_pending = buffer.substr(end + 1);
            buffer.resize(end);
            return {Line::Complete, text(buffer)};
        }
        if (!m_link->isOpen())
            return {Line::PortLost, text(buffer)};
        if (buffer.size() > longestLine)
            return {Line::NoReply, text(buffer.substr(0, 64))};
        if (cancelled && cancelled()) {
            m_pending = buffer; // the rest of this reply may still come
            return {Line::Cancelled, text(buffer)};
        }
        const int left = msUntil(deadline);
        if (left <= 0)
            return {Line::NoReply, text(buffer)};
        m_link->waitReadable(cancelled ? std::min(left, cancelPollMs) : left);
        buffer += m_link->readAvailable();
    }
}

QString QChromaSerialPort::sendCommand(const QString &command, int minLength, int timeoutSeconds) {
    if (!m_link->isOpen())
        return QString();
    if (!command.isEmpty())
        writeCommand(command);
    if (minLength <= 0)
        return QString();

    const std::size_t wanted = static_cast<std::size_t>(minLength);
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
    std::string reply = m_pending + m_link->readAvailable();
    m_pending.clear();
    Clock::time_point lastArrival = Clock::now();
    for (;;) {
        if (!m_link->isOpen())
            return QString(); // whatever arrived is discarded
        const bool longEnough = reply.size() >= wanted;
        const std::size_t lineEnd = longEnough ? reply.find('\n', wanted - 1) : std::string::npos;
        if (lineEnd != std::string::npos) {
            m_pending = reply.substr(lineEnd + 1);
            reply.resize(lineEnd + 1);
            break;
        }
        const Clock::time_point now = Clock::now();
        if (now >= deadline || (longEnough && now >= lastArrival + quietGap))
            break;
        const Clock::time_point until =
            longEnough ? std::min(deadline, lastArrival + quietGap) : deadline;
        m_link->waitReadable(msUntil(until));
        const std::string more = m_link->readAvailable();
        if (!more.empty()) {
            reply += more;
            lastArrival = Clock::now();
        }
    }
    if (reply.size() < wanted)
        return QString(); // a short reply counts as no reply
    return QString::fromLatin1(reply.data(), static_cast<int>(reply.size()));
}
