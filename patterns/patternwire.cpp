#include "patternwire.h"

#include <QBuffer>
#include <QList>

namespace patternwire {

namespace {

bool printable(const QByteArray &bytes) {
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f)
            return false;
    }
    return true;
}

bool parseDimension(const QByteArray &field, int *out) {
    if (field.isEmpty() || field.size() > 5)
        return false;
    int v = 0;
    for (char c : field) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v > maxDimension)
        return false;
    *out = v;
    return true;
}

QByteArray joined(const char *name, std::initializer_list<int> values) {
    QByteArray out(name);
    for (int v : values)
        out += ',' + QByteArray::number(v);
    return out;
}

} // namespace

quint16 port() {
    bool ok = false;
    const uint p = qEnvironmentVariable("TINTWELL_PATTERN_PORT").toUInt(&ok);
    return ok && p > 0 && p <= 65535 ? static_cast<quint16>(p) : defaultPort;
}

QHostAddress discoveryAddress() {
    const QHostAddress a(qEnvironmentVariable("TINTWELL_DISCOVERY_ADDRESS"));
    if (a.protocol() == QAbstractSocket::IPv4Protocol)
        return a;
    return QHostAddress(QHostAddress::Broadcast);
}

bool parseInfo(const QByteArray &line, Info *info) {
    if (line.size() > maxInfoLength || !printable(line))
        return false;
    const QList<QByteArray> parts = line.split(',');
    if (parts.size() != 5)
        return false;
    Info parsed;
    if (!parseDimension(parts.at(3), &parsed.width) || !parseDimension(parts.at(4), &parsed.height))
        return false;
    parsed.model = QString::fromLatin1(parts.at(0));
    parsed.serialNumber = QString::fromLatin1(parts.at(1));
    parsed.manufacturer = QString::fromLatin1(parts.at(2));
    if (info)
        *info = parsed;
    return true;
}

bool parseDiscoveryAnswer(const QByteArray &datagram, Info *info) {
    Info parsed;
    if (!parseInfo(datagram, &parsed) || parsed.model != QLatin1String(identity))
        return false;
    if (info)
        *info = parsed;
    return true;
}

QByteArray setPatternCommand(int pattern) {
    return joined("setPattern", {pattern});
}

QByteArray setColorCommand(const QColor &color) {
    return joined("setColor", {color.red(), color.green(), color.blue()});
}

QByteArray setColorCommand(int red, int green, int blue) {
    return joined("setColor", {red, green, blue});
}

QByteArray setMaxColorCommand(int max) {
    return joined("setMaxColor", {max});
}

QByteArray setBoxSizeCommand(const QRect &box) {
    return joined("setBoxSize", {box.x(), box.y(), box.width(), box.height()});
}

QByteArray setCheckerBoardCommand(int columns, int rows) {
    return joined("setCheckerBoardPattern", {columns, rows});
}

QByteArray sendImageCommand(const QByteArray &png) {
    return QByteArray("sendImg,") + png.toHex();
}

QByteArray sendImageCommand(const QImage &image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return sendImageCommand(png);
}

bool ReplyStream::feed(const QByteArray &bytes) {
    if (m_taken > 0) {
        m_buffer.remove(0, m_taken);
        m_taken = 0;
    }
    m_buffer += bytes;
    // Only the unterminated tail is limited: complete replies are taken out
    // as they arrive, so a long train of short ones is no flood.
    const int end = m_buffer.lastIndexOf(terminator);
    const int tail = end < 0 ? m_buffer.size() : m_buffer.size() - end - 2;
    if (tail > maxReplyLength || m_buffer.size() > 4 * maxReplyLength) {
        clear();
        return false;
    }
    return true;
}

bool ReplyStream::next(QString *reply) {
    const int end = m_buffer.indexOf(terminator, m_taken);
    if (end < 0)
        return false;
    *reply = QString::fromLatin1(m_buffer.mid(m_taken, end - m_taken));
    m_taken = end + 2;
    return true;
}

void ReplyStream::clear() {
    m_buffer.clear();
    m_taken = 0;
}

} // namespace patternwire
