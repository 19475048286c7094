#pragma once
// A measuring device answering every operation with its own recognisable
// value, so a test can tell a forwarded call from a neutral one, and
// recording the setters it was given.

#include "genfactory.h"
#include "genmeasure.h"

class FakeMeter : public GenMeasure {
    Q_OBJECT
public:
    QString port = "/dev/fake0";
    bool open_ = true;
    QStringList calls; // setters and actions, in order

    FakeMeter() {
        m_model = "FM-1";
        m_serialNumber = "FM1-0042";
        m_manufacturer = "Fake Works";
    }

    QString portName() override { return port; }
    DeviceType deviceType() override { return CS2000Device; }
    bool isConnected() override { return open_; }
    void close() override {
        calls << "close";
        if (open_) {
            open_ = false;
            emit closed();
        }
    }
    bool open(const QString &p) override {
        calls << "open " + p;
        return true;
    }
    void updateInfo() override { calls << "updateInfo"; }

    void setAimingLight(bool on) override { calls << QString("aim %1").arg(on); }
    int range() override { return 4; }
    void setRange(int r) override { calls << QString("range %1").arg(r); }
    bool isMeasuring() override { return true; }
    bool setMaxAverage(int n) override {
        calls << QString("maxAverage %1").arg(n);
        maxAverage_ = n;
        return true;
    }
    int maxAverage() override { return maxAverage_; }
    void setSpeed(int s) override { calls << QString("speed %1").arg(s); }
    void startMeasuring() override { calls << "start"; }
    void stopMeasuring() override { calls << "stop"; }
    Measurement measure(int n) override {
        Measurement m = Measurement::fromxyY(0.3127, 0.329, 100);
        m.avgCount = n;
        return m;
    }
    QStringList calFileList() override { return {"0: Factory Cal File", "1: Studio"}; }
    GamutSpec gamutSpec() override { return GamutSpec::standardSpec(4, 48); }
    void setGamutSpec(const GamutSpec &g) override { calls << QString("gamut %1").arg(g.standard); }
    bool isFlickering() override { return true; }
    int startFlicker(bool restart) override {
        calls << QString("flicker %1").arg(restart);
        return 0;
    }
    void stopFlicker() override { calls << "stopFlicker"; }
    bool setFlickerOptionA(bool on) override {
        calls << QString("optionA %1").arg(on);
        return true;
    }
    bool setFlickerOptionB(bool on) override {
        calls << QString("optionB %1").arg(on);
        return true;
    }
    int setFlickerSamples(int n) override {
        calls << QString("samples %1").arg(n);
        return 0;
    }
    int flickerSamples() override { return 512; }
    int setNormalized(int on) override {
        calls << QString("normalized %1").arg(on);
        return 7;
    }
    int setJeita(int on) override {
        calls << QString("jeita %1").arg(on);
        return 8;
    }
    bool setJeitaDiscountDb(bool on) override {
        calls << QString("discountDb %1").arg(on);
        return true;
    }
    bool setJeitaDiscountPercent(bool on) override {
        calls << QString("discountPercent %1").arg(on);
        return true;
    }
    int normalized() override { return 1; }
    int jeita() override { return 1; }
    bool jeitaDiscountDb() override { return true; }
    bool jeitaDiscountPercent() override { return true; }
    int calFileIndex() override { return 5; }
    QString calFileName() override { return "Studio"; }
    void setCalFile(int i) override { calls << QString("calFile %1").arg(i); }
    int saveCalFile(int i, const QString &name, const double *, const double *) override {
        calls << QString("save %1 %2").arg(i).arg(name);
        return 0;
    }
    int deleteCalFile(int i) override {
        calls << QString("delete %1").arg(i);
        return 0;
    }
    matrix colorMatrix() override { return filled(3, 3, 2.0); }
    matrix rgbMatrix() override { return filled(3, 3, 3.0); }
    BlackMatrix ramBlackMatrix() override { return black(1.0); }
    BlackMatrix romBlackMatrix() override { return black(2.0); }
    BlackMatrix thermalCorrection() override { return black(3.0); }
    BlackMatrix calibrateBlack() override { return black(4.0); }
    QList<double> spectrum() override { return QList<double>{1.0, 2.0, 3.0}; }
    QString lastProblem() override { return QStringLiteral("FM-1 remark"); }
    void cancelMeasurement() override { calls << "cancel"; }

    static matrix filled(int r, int c, double v) {
        matrix m(r, c);
        for (int i = 0; i < r; ++i)
            for (int j = 0; j < c; ++j)
                m(i, j) = v;
        return m;
    }
    static BlackMatrix black(double v) {
        BlackMatrix b;
        b.black[2][1] = v;
        b.thermal = v;
        return b;
    }

private:
    int maxAverage_ = 12;
};

// A factory that finds nothing; only its roles and names matter.
class RolesFactory : public GenFactory {
    Q_OBJECT
public:
    RolesFactory(int roles, DeviceType type) : roles_(roles), type_(type) {}
    GenDevice *create(const QString &) override { return nullptr; }
    DeviceType deviceType() override { return type_; }
    int connectionKind() override { return SerialConnection; }
    QString name() override { return "Roles"; }
    int roles() override { return roles_; }
    bool probe(const QString &, ConnectionInfo *) override { return false; }

private:
    int roles_;
    DeviceType type_;
};
