#pragma once
// The CS-2000 spectroradiometer as a reference and spectral instrument:
// identity, user-calibration channels, single blocking XYZ measurements and
// the spectrum. The wire format lives in cs2000protocol.h.

#include "genfactory.h"
#include "referenceinstrument.h"

class CS2000 : public ReferenceInstrument {
    Q_OBJECT
public:
    // link null: a real serial port (tests hand in a scripted one).
    explicit CS2000(std::unique_ptr<SerialLink> link = nullptr, QObject *parent = nullptr);
    ~CS2000() override;

    DeviceType deviceType() override { return CS2000Device; }
    bool open(const QString &port) override;
    void updateInfo() override;
    // Blocks for the measuring time; the argument is ignored.
    Measurement measure(int averages) override;
    // Blocks likewise; 781 values, zeros when the measurement failed.
    QList<double> spectrum() override;
    quint32 spectrumErrorCode() override { return m_spectrumError; }
    // "0: Factory Cal File" to "10: <name>" once the channels were read.
    QStringList calFileList() override;
    int calFileIndex() override { return m_calChannel; }
    QString calFileName() override { return m_calName; }
    void setCalFile(int index) override;

    int ndFilter() const { return m_ndFilter; }
    int lens() const { return m_lens; }
    int statusValue() const { return m_stsrValue; }

protected:
    void forget() override;

private:
    // "MEAS,1", then the end-of-measurement reply: 0, or the errorCode bit
    // that says why not.
    quint32 runMeasurement();
    QString channelName(int channel) const;

    int m_ndFilter = 3;
    int m_lens = 2;
    int m_calChannel = 0;
    QString m_calName;
    QStringList m_calNames; // index 0 is the factory calibration
    int m_stsrValue = 3;
    quint32 m_spectrumError = 0;
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
