#pragma once
// The network pattern generator: identified and driven over one TCP
// connection with short text commands, each answered by a "::"-terminated
// line. Commands are synchronous and each waits at most about 1.1 s.
// Replies are matched to commands in the order they were sent, so one that
// comes late is credited to its own command, never to the next; what became
// of each command is kept for the caller to ask.

#include "genpattern.h"
#include "patternwire.h"

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
    // The generator scales code values by the largest one it is told, so it
    // shows 10-bit patches as they are.
    int codeBits() const override { return 10; }
    void setCodes(int red, int green, int blue) override;
    void sendImage(const QImage &image) override;
    void setBoxSize(const QRect &box) override;
    void setCheckerBoardPattern(int columns, int rows) override;
    void showProgress(int, int, int, const QList<QColor> &) override {}

    enum class Outcome {
        Confirmed, // answered, and not with "ERR"
        Refused,   // answered "ERR..."
        NoReply,   // no answer within the reply time (it may come later)
        Lost       // the connection closed, or was never there
    };
    struct Exchange {
        Outcome outcome = Outcome::Lost;
        QString reply; // without its terminator; empty when none came
    };
    // One exchange: writes the command and waits for the reply that answers it.
    Exchange exchange(const QByteArray &text);
    // The reply text alone.
    QString command(const QByteArray &text) { return exchange(text).reply; }

    // Replies that came after their command had stopped waiting, oldest first.
    struct LateReply {
        QByteArray command;
        QString reply;
    };
    QList<LateReply> takeLateReplies();
    QString takeCommandProblem() override;

private slots:
    void socketChanged(QAbstractSocket::SocketState state);

private:
    void forget(); // identity and size of a peer that is not a generator
    void resetExchanges();
    // Reads what has arrived and credits each reply to the oldest command
    // still unanswered.
    void collect();
    void noteProblem(const QByteArray &command, const Exchange &x);

    struct Unanswered {
        quint64 id;
        QByteArray command;
    };

    QString m_host;
    QTcpSocket *m_socket;
    bool m_announcedClose = false;
    patternwire::ReplyStream m_replies;
    QList<Unanswered> m_unanswered; // in the order sent
    quint64 m_lastId = 0;
    quint64 m_waitingFor = 0; // the command whose reply is awaited now (0: none)
    bool m_answered = false;
    QString m_answer;
    QList<LateReply> m_late;
    QString m_problem; // the first command that failed since it was last taken
};
