#pragma once
// The CS-2000 spectroradiometer as a reference and spectral instrument:
// identity, the sync setting, user-calibration channels, single blocking
// XYZ measurements and the spectrum. A measurement takes a pre-measurement
// and then the measuring time the instrument announces (up to four
// minutes in low light); it can be cancelled from another thread. The wire
// format lives in cs2000protocol.h.

#include "cs2000protocol.h"
#include "genfactory.h"
#include "referenceinstrument.h"

#include <atomic>
#include <optional>

class CS2000 : public ReferenceInstrument {
    Q_OBJECT
public:
    // link null: a real serial port (tests hand in a scripted one).
    explicit CS2000(std::unique_ptr<SerialLink> link = nullptr, QObject *parent = nullptr);
    ~CS2000() override;

    DeviceType deviceType() override { return CS2000Device; }
    bool open(const QString &port) override;
    void updateInfo() override;
    // Blocks for the measuring time; the argument is ignored. A failure is
    // the default record with 0x8 (and 0x1 when the port went away), and
    // lastProblem() says what happened.
    Measurement measure(int averages) override;
    // Blocks likewise; 781 values, zeros when the measurement failed.
    QList<double> spectrum() override;
    quint32 spectrumErrorCode() override { return m_spectrumError; }
    QString lastProblem() override { return m_problem; }
    void cancelMeasurement() override { m_cancel = true; }
    // "0: Factory Cal File" to "10: <name>" once the channels were read.
    QStringList calFileList() override;
    int calFileIndex() override { return m_calChannel; }
    QString calFileName() override { return m_calName; }
    void setCalFile(int index) override;

    int ndFilter() const { return m_ndFilter; }
    int lens() const { return m_lens; }
    int statusValue() const { return m_stsrValue; }

    // The sync mode a connection asks for, from the settings "cs2000SyncMode"
    // (-1 leaves the instrument's own; 0 none, 1 internal, 2 external;
    // default 1) and "cs2000SyncHz" (internal sync, 20 to 200; default 60).
    static std::optional<cs2000::Sync> syncFromSettings();

protected:
    void forget() override;

private:
    // The reply text of a command, empty when no complete reply came.
    QString ask(const cs2000::Command &c);
    QString ask(const QString &command, int timeoutMs);
    // Sets the sync mode unless the instrument already holds it.
    bool applySync();
    // "MEAS,1", then the end-of-measurement reply: 0, or errorCode bits.
    quint32 runMeasurement();
    // "MEAS,0" for a measurement that may still be running.
    void stopMeasurement();
    // Keeps the first problem of an operation; returns its errorCode bits.
    quint32 fail(const QString &problem, quint32 bits = 0x8);
    // Why a reply to command did not serve, as a problem.
    quint32 failReply(const QChromaSerialPort::Line &reply, const QString &command);
    QString channelName(int channel) const;

    int m_ndFilter = 3;
    int m_lens = 2;
    int m_calChannel = 0;
    QString m_calName;
    QStringList m_calNames; // index 0 is the factory calibration
    int m_stsrValue = 3;
    quint32 m_spectrumError = 0;
    QString m_problem;
    std::atomic<bool> m_cancel{false};
};

class CS2000Factory : public GenFactory {
    Q_OBJECT
public:
    GenDevice *create(const QString &port) override;
    DeviceType deviceType() override { return CS2000Device; }
    int connectionKind() override { return SerialConnection; }
    QString name() override { return QString::fromLatin1(DeviceNames::cs2000); }
    int roles() override { return RoleReference | RoleSpectral; }
    bool probe(const QString &port, ConnectionInfo *info) override;
};
