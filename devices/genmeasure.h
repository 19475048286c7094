#pragma once
// A device that measures light. Every operation has a default here, which is
// what a device that does not support it gets: a setter does nothing, a
// getter reports the neutral value, an action reports failure.

#include "blackmatrix.h"
#include "flicker.h"
#include "gamutspec.h"
#include "gendevice.h"
#include "matrix.h"
#include "measurement.h"
#include "metatypes.h" // Measurement as a meta-type

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

Q_DECLARE_METATYPE(Flicker)

class GenMeasure : public GenDevice {
    Q_OBJECT
public:
    explicit GenMeasure(QObject *parent = nullptr) : GenDevice(parent) {}
    ~GenMeasure() override;

    virtual void setAimingLight(bool on);
    // -1 automatic, 0 automatic range locked, 1 to 6 fixed.
    virtual int range();
    virtual void setRange(int range);
    virtual bool isMeasuring();
    // Readings averaged into one measurement.
    virtual bool setMaxAverage(int count);
    virtual int maxAverage();
    virtual void setSpeed(int speed);
    // Continuous measuring: every result is emitted as measured().
    virtual void startMeasuring();
    virtual void stopMeasuring();
    // One blocking measurement; averages below 1 mean maxAverage().
    virtual Measurement measure(int averages);
    // Profiles held in the instrument, by index.
    virtual QStringList calFileList();
    virtual GamutSpec gamutSpec();
    virtual void setGamutSpec(const GamutSpec &spec);

    virtual bool isFlickering();
    // 0 on success.
    virtual int startFlicker(bool restart);
    virtual void stopFlicker();
    virtual bool setFlickerOptionA(bool on); // bin merging
    virtual bool setFlickerOptionB(bool on); // raised-cosine window
    // 0 on success.
    virtual int setFlickerSamples(int n);
    virtual int flickerSamples();
    virtual int setNormalized(int on); // 1 normalized, 0 contrast method
    virtual int setJeita(int on);      // 1 JEITA, 0 VESA
    virtual bool setJeitaDiscountDb(bool on);
    virtual bool setJeitaDiscountPercent(bool on);
    virtual int normalized();
    virtual int jeita();
    virtual bool jeitaDiscountDb();
    virtual bool jeitaDiscountPercent();

    virtual int calFileIndex();
    virtual QString calFileName();
    // Emits calfileChanged() when the selection changed.
    virtual void setCalFile(int index);
    // reference and measured: X, Y, Z of white, red, green, blue (12 values
    // each). 0 on success.
    virtual int saveCalFile(int index, const QString &name, const double *reference,
                            const double *measured);
    virtual int deleteCalFile(int index);
    virtual matrix colorMatrix();
    virtual matrix rgbMatrix();
    // Black-level values of the six ranges: working memory, permanent
    // memory, thermal correction, and a new calibration (long; run it on a
    // worker thread).
    virtual BlackMatrix ramBlackMatrix();
    virtual BlackMatrix romBlackMatrix();
    virtual BlackMatrix thermalCorrection();
    virtual BlackMatrix calibrateBlack();
    // 781 values, 0 to 780 nm.
    virtual QList<double> spectrum();
    // errorCode bits of the last spectrum(): 0 when every wavelength came
    // from the instrument, 0x2 when it did not answer, 0x8 when a reply held
    // fewer values than wavelengths (those stay 0). 0x2000000 here: no spectra.
    virtual quint32 spectrumErrorCode();
    // What the instrument said about the last measure() or spectrum(), in
    // words for the operator (the error it reported, a time-out, low light);
    // empty when there is nothing to add. Read on the thread that measured.
    virtual QString lastProblem();
    // Asks a measure() or spectrum() running on another thread to stop as
    // soon as the instrument allows; callable from any thread. Devices that
    // cannot be interrupted ignore it.
    virtual void cancelMeasurement();

signals:
    void measured(const Measurement &m);
    void flickered(const Flicker &f);
    void calfileChanged();
    // The instrument announced how long the measurement under way will
    // still take (ms). Emitted on the measuring thread.
    void measuringTime(int ms);

protected:
    GamutSpec m_gamutSpec = GamutSpec::standardSpec(2, 100.0);
};
