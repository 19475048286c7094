#include "torvapatternfactory.h"

#include "patternwire.h"
#include "torvapattern.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QThread>
#include <QUdpSocket>

namespace {
constexpr int passes = 2;
constexpr int passMs = 2000;
constexpr int readWaitMs = 200;
constexpr int pauseAfterBroadcastMs = 50;
// Anything longer cannot be an information line: read that much and drop it.
constexpr qint64 maxDatagram = patternwire::maxInfoLength + 1;

// The sender as dotted IPv4 text, also when the stack reports it mapped.
QString senderText(const QHostAddress &address) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}
} // namespace

GenDevice *TorvaPatternFactory::create(const QString &host) {
    auto *device = new TorvaPattern;
    device->factory = this;
    device->open(host);
    return device;
}

bool TorvaPatternFactory::probe(const QString &, ConnectionInfo *info) {
    ConnectionInfo found;
    if (info)
        found = *info;
    const quint16 port = patternwire::port();
    {
        QUdpSocket socket;
        // IPv4 only: answers then carry plain IPv4 sender addresses.
        socket.bind(QHostAddress(QHostAddress::AnyIPv4), port,
                    QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
        socket.writeDatagram(QByteArray(patternwire::discoveryRequest),
                             patternwire::discoveryAddress(), port);
        QThread::msleep(pauseAfterBroadcastMs);
        for (int pass = 0; pass < passes; ++pass) {
            QElapsedTimer timer;
            timer.start();
            while (timer.elapsed() < passMs &&
                   (socket.hasPendingDatagrams() || socket.waitForReadyRead(readWaitMs))) {
                if (!socket.hasPendingDatagrams())
                    continue;
                const QNetworkDatagram d = socket.receiveDatagram(maxDatagram);
                patternwire::Info answer;
                if (!patternwire::parseDiscoveryAnswer(d.data(), &answer))
                    continue;
                found.port = senderText(d.senderAddress());
                found.model = answer.model;
                found.serialNumber = answer.serialNumber;
            }
        }
    }
    if (found.model != QLatin1String(patternwire::identity))
        return false;
    found.type = PatternGenerator;
    if (info)
        *info = found;
    return true;
}
