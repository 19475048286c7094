#pragma once
// Stands for whichever device a menu currently holds: it keeps the address of
// the menu's device variable, forwards every call to the device found there at
// call time, and relays the device's signals, so a window connects once to the
// wrapper and always hears from the device the user picked last. Without a
// device every call returns a neutral value and setters do nothing.

#include "genmeasure.h"

#include <QPointer>

class GenMeasurePntWrapper : public GenMeasure {
    Q_OBJECT
public:
    explicit GenMeasurePntWrapper(QObject *parent = nullptr) : GenMeasure(parent) {}
    ~GenMeasurePntWrapper() override;

    // Taken once, while the wrapper is empty; while the current variable holds
    // a device a second request only refreshes.
    void setDeviceAddress(GenMeasure **address);
    // The device the variable holds now, or null.
    GenMeasure *device() const;
    // Called whenever the variable changes: relays the new device's signals,
    // or emits closed() when there is none.
    void refresh();

    QString manufacturer() override;
    QString model() override;
    QString serialNumber() override;
    QString portName() override;
    DeviceType deviceType() override;
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
    int deleteCalFile(int index) override;
    matrix colorMatrix() override;
    matrix rgbMatrix() override;
    BlackMatrix ramBlackMatrix() override;
    BlackMatrix romBlackMatrix() override;
    BlackMatrix thermalCorrection() override;
    BlackMatrix calibrateBlack() override;
    QList<double> spectrum() override;
    quint32 spectrumErrorCode() override;
    QString lastProblem() override;
    void cancelMeasurement() override;

private:
    void relayFrom(GenMeasure *device);

    GenMeasure **m_address = nullptr;
    // The device whose signals are relayed now; one relay per device, so a
    // repeated refresh never doubles the signals.
    QPointer<GenMeasure> m_relayed;
};
