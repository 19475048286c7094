#pragma once
// Command and reply over one serial port for the reference instruments: a
// command is ASCII text ended by one carriage return. Replies are framed in
// one of two ways: by their line end (the CS-2000 and the PR-650 end every
// reply with one), or, for an instrument whose replies are fixed in length,
// by a minimum length within a time limit. Wakes as soon as bytes arrive,
// so the instrument's own pace, not polling, sets the time.

#include "serialcommand.h"
#include "seriallink.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QChromaSerialPort : public QObject {
    Q_OBJECT
public:
    explicit QChromaSerialPort(QObject *parent = nullptr);
    // Tests hand in a scripted link; the port owns it.
    QChromaSerialPort(std::unique_ptr<SerialLink> link, QObject *parent = nullptr);
    ~QChromaSerialPort() override;

    // Stores the name and opens it; true when the port is open.
    bool openPort(const QString &port);
    QString portName() const { return m_name; }
    // parity 'n' none, anything else odd; timeoutValue as the transport takes it.
    bool configure(int baud, int dataBits, char parity, int timeoutValue);
    bool isOpen();
    void close();
    bool setDtr(int mode);
    bool setRts(int mode);

    // One reply framed by its line end.
    struct Line {
        enum Outcome {
            Complete,  // a line end arrived; text holds the reply without it
            NoReply,   // no line end within the time (text: whatever did arrive)
            PortLost,  // the port went away
            Cancelled, // the caller stopped waiting; the reply may still come
        };
        Outcome outcome = NoReply;
        QString text;
        bool complete() const { return outcome == Complete; }
    };
    // Asked every few tens of milliseconds while a reply is awaited.
    using CancelCheck = std::function<bool()>;

    // Discards stale input, sends command + CR, and waits for the reply line.
    Line sendLine(const QString &command, int timeoutMs, const CancelCheck &cancelled = {});
    Line sendLine(const SerialCommand &c, const CancelCheck &cancelled = {}) {
        return sendLine(QString::fromLatin1(c.text), c.timeoutMs, cancelled);
    }
    // Waits, without sending, for a reply line the instrument sends unasked
    // (or for the rest of one a cancelled wait left). A reply ends at a
    // carriage return or a line feed; an empty line (the LF after a CR) is
    // skipped, and bytes after the line end are kept for the next wait.
    Line awaitLine(int timeoutMs, const CancelCheck &cancelled = {});

    // Fixed-length framing: discards stale input and sends command + CR
    // (nothing is sent for an empty command). Then, for minLength > 0,
    // collects the reply: it is complete once it holds minLength characters
    // and has ended its line ("\n") or gone quiet for a moment. Bytes after
    // that line end are kept for the next wait. A reply that stays shorter
    // than minLength within timeoutSeconds, or a port that went away, gives
    // an empty string.
    QString sendCommand(const QString &command, int minLength, int timeoutSeconds);

private:
    void writeCommand(const QString &command);

    std::unique_ptr<SerialLink> m_link;
    QString m_name;
    std::string m_pending; // arrived after the last reply's line end
};
