#pragma once
// The maker's colorimeter as a measuring device: every operation is one call
// into the colorimeter library, and the library's records and state changes
// are relayed as this device's signals.

#include "genmeasure.h"

#include <QList>
#include <QVector>

class QTClmtr;

class TorvaChroma : public GenMeasure {
    Q_OBJECT
public:
    explicit TorvaChroma(QObject *parent = nullptr);
    ~TorvaChroma() override;

    QString manufacturer() override;
    QString model() override;
    QString serialNumber() override;
    QString portName() override;
    DeviceType deviceType() override;
    // A port found gone is closed and announced by closed(), once.
    bool isConnected() override;
    void close() override;
    bool open(const QString &port) override;
    void updateInfo() override;

    void setAimingLight(bool on) override;
    int range() override;
    void setRange(int range) override;
    bool isMeasuring() override;
    bool setMaxAverage(int count) override;
    int maxAverage() override;
    void setSpeed(int speed) override;
    void startMeasuring() override;
    void stopMeasuring() override;
    Measurement measure(int averages) override;
    QStringList calFileList() override;
    GamutSpec gamutSpec() override;
    void setGamutSpec(const GamutSpec &spec) override;
    bool isFlickering() override;
    int startFlicker(bool restart) override;
    void stopFlicker() override;
    bool setFlickerOptionA(bool on) override;
    bool setFlickerOptionB(bool on) override;
    int setFlickerSamples(int n) override;
    int flickerSamples() override;
    int setNormalized(int on) override;
    int setJeita(int on) override;
    bool setJeitaDiscountDb(bool on) override;
    bool setJeitaDiscountPercent(bool on) override;
    int normalized() override;
    int jeita() override;
    bool jeitaDiscountDb() override;
    bool jeitaDiscountPercent() override;
    int calFileIndex() override;
    QString calFileName() override;
    void setCalFile(int index) override;
    int saveCalFile(int index, const QString &name, const double *reference,
                    const double *measured) override;
    // The profile-saving window's variant: index 0 with factoryRecord set and
    // three reference vectors asks for a factory calibration record, which
    // is not supported and reports failure (1); anything else saves a profile.
    int saveCalFile(int index, const QString &name, const double *reference, const double *measured,
                    const QList<QVector<double>> &referenceVectors, bool factoryRecord);
    int deleteCalFile(int index) override;
    matrix colorMatrix() override;
    matrix rgbMatrix() override;
    BlackMatrix ramBlackMatrix() override;
    BlackMatrix romBlackMatrix() override;
    BlackMatrix thermalCorrection() override;
    BlackMatrix calibrateBlack() override;

    QTClmtr *clmtr() const { return m_clmtr; }

private slots:
    // A record that reports the port lost: find out and announce it.
    void checkMeasurement(const Measurement &m);
    void checkFlicker(const Flicker &f);

private:
    QTClmtr *m_clmtr;
};
