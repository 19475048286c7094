#pragma once
// The network pattern generator: identified and driven over one TCP
// connection with short text commands, each answered by a "::"-terminated
// line. Commands are synchronous and each waits at most about 1.1 s.

#include "genpattern.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QString>

class QTcpSocket;

class TorvaPattern : public GenPattern {
    Q_OBJECT
public:
    explicit TorvaPattern(QObject *parent = nullptr);
    ~TorvaPattern() override;

    QString portName() override { return m_host; }
    DeviceType deviceType() override { return PatternGenerator; }
    bool isConnected() override;
    void close() override;
    // Connects to host on the command port and checks the identity.
    bool open(const QString &host) override;
    void updateInfo() override;

    void setPattern(int pattern) override;
    void setColor(const QColor &color) override;
    void setMaxColor(int max) override;
    void sendImage(const QImage &image) override;
    void setBoxSize(const QRect &box) override;
    void setCheckerBoardPattern(int columns, int rows) override;
    void showProgress(int, int, int, const QList<QColor> &) override {}

    // One exchange: writes the command and returns the reply without its
    // terminator (incomplete when the reply did not finish in time).
    QString command(const QByteArray &text);

private slots:
    void socketChanged(QAbstractSocket::SocketState state);

private:
    void forget(); // identity and size of a peer that is not a generator

    QString m_host;
    QTcpSocket *m_socket;
    bool m_announcedClose = false;
};
