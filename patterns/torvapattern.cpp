#include "torvapattern.h"

#include "patternwire.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTcpSocket>

namespace {
constexpr int connectLimitMs = 30000;
constexpr int writeWaitMs = 100;
constexpr int replyLimitMs = 1000;
constexpr int replyPollMs = 50;
} // namespace

TorvaPattern::TorvaPattern(QObject *parent) : GenPattern(parent), m_socket(new QTcpSocket(this)) {
    connect(m_socket, &QAbstractSocket::stateChanged, this, &TorvaPattern::socketChanged);
}

TorvaPattern::~TorvaPattern() {
    // No signals to a half-destroyed listener.
    m_socket->disconnect(this);
    m_socket->abort();
}

bool TorvaPattern::isConnected() {
    return m_socket->isOpen() && m_socket->state() == QAbstractSocket::ConnectedState;
}

void TorvaPattern::close() {
    m_socket->close();
}

bool TorvaPattern::open(const QString &host) {
    m_host = host;
    m_announcedClose = false;
    m_socket->connectToHost(host, patternwire::port(), QIODevice::ReadWrite,
                            QAbstractSocket::AnyIPProtocol);
    if (!m_socket->waitForConnected(connectLimitMs) || !m_socket->isOpen())
        return false;
    updateInfo();
    if (m_model != QLatin1String(patternwire::identity)) {
        forget();
        close();
        return false;
    }
    emit connected();
    return true;
}

void TorvaPattern::updateInfo() {
    patternwire::Info info;
    if (patternwire::parseInfo(command(patternwire::discoveryRequest).toLatin1(), &info)) {
        m_model = info.model;
        m_serialNumber = info.serialNumber;
        m_manufacturer = info.manufacturer;
        width = info.width;
        height = info.height;
        return;
    }
    forget();
    close();
}

void TorvaPattern::forget() {
    m_model.clear();
    m_serialNumber.clear();
    m_manufacturer.clear();
    width = 0;
    height = 0;
}

QString TorvaPattern::command(const QByteArray &text) {
    if (!isConnected())
        return QString();
    m_socket->write(text);
    m_socket->waitForBytesWritten(writeWaitMs);

    patternwire::ReplyReader reader;
    QElapsedTimer timer;
    timer.start();
    while (reader.state() == patternwire::ReplyReader::Waiting && timer.elapsed() < replyLimitMs &&
           m_socket->state() == QAbstractSocket::ConnectedState) {
        if (m_socket->bytesAvailable() > 0 || m_socket->waitForReadyRead(replyPollMs))
            reader.feed(m_socket->readAll());
    }
    if (reader.state() == patternwire::ReplyReader::Overflow) {
        // A peer that floods us is not a pattern generator we can trust.
        m_socket->abort();
    }
    return reader.text();
}

void TorvaPattern::socketChanged(QAbstractSocket::SocketState state) {
    // Announce the loss once, whether the socket passes through the closing
    // state (we or the peer closed it) or drops straight to unconnected.
    const bool gone =
        state == QAbstractSocket::ClosingState ||
        (state == QAbstractSocket::UnconnectedState && !m_announcedClose && !m_model.isEmpty());
    if (gone && !m_announcedClose) {
        m_announcedClose = true;
        emit closed();
    }
}

void TorvaPattern::setPattern(int pattern) {
    command(patternwire::setPatternCommand(pattern));
}

void TorvaPattern::setColor(const QColor &color) {
    command(patternwire::setColorCommand(color));
}

void TorvaPattern::setMaxColor(int max) {
    command(patternwire::setMaxColorCommand(max));
}

void TorvaPattern::sendImage(const QImage &image) {
    command(patternwire::sendImageCommand(image));
}

void TorvaPattern::setBoxSize(const QRect &box) {
    command(patternwire::setBoxSizeCommand(box));
}

void TorvaPattern::setCheckerBoardPattern(int columns, int rows) {
    command(patternwire::setCheckerBoardCommand(columns, rows));
}
