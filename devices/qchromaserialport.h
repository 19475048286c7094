#pragma once
// Command and reply over one serial port for the reference instruments: a
// command is ASCII text ended by one carriage return, a reply is collected
// until it reaches a minimum length within a time limit. Wakes as soon as
// bytes arrive, so the instrument's own pace, not polling, sets the time.

#include "serialcommand.h"
#include "seriallink.h"

#include <QObject>
#include <QString>

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

    // Discards stale input and sends command + CR (nothing is sent for an
    // empty command: that only waits for a reply the instrument sends
    // unasked). Then, for minLength > 0, collects the reply: it is complete
    // once it holds minLength characters and has ended its line ("\n") or
    // gone quiet for a moment. Bytes after that line end are the start of
    // the next unasked reply and are kept for the next wait. A reply that
    // stays shorter than minLength within timeoutSeconds, or a port that
    // went away, gives an empty string.
    QString sendCommand(const QString &command, int minLength, int timeoutSeconds);
    QString sendCommand(const SerialCommand &c) {
        return sendCommand(QString::fromLatin1(c.text), c.minLength, c.timeoutSeconds);
    }

private:
    std::unique_ptr<SerialLink> m_link;
    QString m_name;
    std::string m_pending; // arrived after the last reply's line end
};
