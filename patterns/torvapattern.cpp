#include "torvapattern.h"

#include "patternwire.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTcpSocket>

#include <utility>

namespace {
constexpr int connectLimitMs = 30000;
constexpr int writeWaitMs = 100;
constexpr int replyLimitMs = 1000;
constexpr int replyPollMs = 50;
// A generator that answers nothing is not remembered for ever.
constexpr int maxUnanswered = 256;
constexpr int maxLate = 16;

// A command as the operator reads it: an image's hex is cut short.
QString shown(const QByteArray &command) {
    constexpr int longest = 40;
    return QString::fromLatin1(command.size() <= longest ? command : command.left(longest) + "...");
}
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
    resetExchanges();
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

void TorvaPattern::resetExchanges() {
    m_replies.clear();
    m_unanswered.clear();
    m_waitingFor = 0;
    m_late.clear();
    m_problem.clear();
}

void TorvaPattern::collect() {
    if (!m_replies.feed(m_socket->readAll())) {
        // A peer that floods us is not a pattern generator we can trust.
        m_socket->abort();
        return;
    }
    QString reply;
    while (m_replies.next(&reply)) {
        if (m_unanswered.isEmpty())
            continue; // nobody asked: not a reply to anything we sent
        const Unanswered u = m_unanswered.takeFirst();
        if (u.id == m_waitingFor) {
            m_answered = true;
            m_answer = reply;
        } else {
            m_late.append({u.command, reply});
            if (m_late.size() > maxLate)
                m_late.removeFirst();
        }
    }
}

TorvaPattern::Exchange TorvaPattern::exchange(const QByteArray &text) {
    Exchange x;
    if (!isConnected()) {
        noteProblem(text, x);
        return x;
    }
    collect(); // replies that came late belong to the commands before
    m_socket->write(text);
    m_socket->waitForBytesWritten(writeWaitMs);
    m_waitingFor = ++m_lastId;
    m_answered = false;
    m_unanswered.append({m_waitingFor, text});
    if (m_unanswered.size() > maxUnanswered)
        m_unanswered.removeFirst();

    QElapsedTimer timer;
    timer.start();
    while (!m_answered && timer.elapsed() < replyLimitMs &&
           m_socket->state() == QAbstractSocket::ConnectedState) {
        if (m_socket->bytesAvailable() > 0 || m_socket->waitForReadyRead(replyPollMs))
            collect();
    }
    m_waitingFor = 0;
    if (m_answered) {
        x.reply = m_answer;
        x.outcome =
            m_answer.startsWith(QLatin1String("ERR")) ? Outcome::Refused : Outcome::Confirmed;
    } else {
        x.outcome =
            m_socket->state() == QAbstractSocket::ConnectedState ? Outcome::NoReply : Outcome::Lost;
    }
    noteProblem(text, x);
    return x;
}

void TorvaPattern::noteProblem(const QByteArray &command, const Exchange &x) {
    if (!m_problem.isEmpty() || x.outcome == Outcome::Confirmed)
        return;
    const QString c = shown(command);
    switch (x.outcome) {
    case Outcome::Refused:
        m_problem = QStringLiteral("the generator refused \"%1\" (%2)").arg(c, x.reply.left(40));
        break;
    case Outcome::NoReply:
        m_problem = QStringLiteral("the generator did not answer \"%1\" within %2 s")
                        .arg(c)
                        .arg(replyLimitMs / 1000.0);
        break;
    default:
        m_problem = QStringLiteral("the generator closed the connection on \"%1\"").arg(c);
        break;
    }
}

QList<TorvaPattern::LateReply> TorvaPattern::takeLateReplies() {
    return std::exchange(m_late, {});
}

QString TorvaPattern::takeCommandProblem() {
    return std::exchange(m_problem, QString());
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

void TorvaPattern::setCodes(int red, int green, int blue) {
    command(patternwire::setColorCommand(red, green, blue));
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
