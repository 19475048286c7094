#include "genmeasurepntwrapper.h"

namespace {
const QString noText = QStringLiteral("");

// All zero with a failed status.
BlackMatrix noBlackMatrix() {
    BlackMatrix b;
    b.status = 1;
    return b;
}
} // namespace

GenMeasurePntWrapper::~GenMeasurePntWrapper() = default;

void GenMeasurePntWrapper::setDeviceAddress(GenMeasure **address) {
    if (device()) {
        refresh();
        return;
    }
    m_address = address;
    refresh();
}

GenMeasure *GenMeasurePntWrapper::device() const {
    return m_address ? *m_address : nullptr;
}

void GenMeasurePntWrapper::refresh() {
    GenMeasure *d = device();
    relayFrom(d);
    if (!d)
        emit closed();
}

void GenMeasurePntWrapper::relayFrom(GenMeasure *d) {
    if (m_relayed == d)
        return;
    if (m_relayed)
        disconnect(m_relayed, nullptr, this, nullptr);
    m_relayed = d;
    if (!d)
        return;
    connect(d, &GenDevice::connected, this, &GenDevice::connected);
    connect(d, &GenDevice::closed, this, &GenDevice::closed);
    connect(d, &GenMeasure::measured, this, &GenMeasure::measured);
    connect(d, &GenMeasure::flickered, this, &GenMeasure::flickered);
    connect(d, &GenMeasure::calfileChanged, this, &GenMeasure::calfileChanged);
    connect(d, &GenMeasure::measuringTime, this, &GenMeasure::measuringTime);
}

// Each operation: the device's answer, or the neutral value without one.
#define FORWARD(call, neutral)                                                                     \
    do {                                                                                           \
        if (GenMeasure *d = device())                                                              \
            return d->call;                                                                        \
        return neutral;                                                                            \
    } while (false)
#define FORWARD_VOID(call)                                                                         \
    do {                                                                                           \
        if (GenMeasure *d = device())                                                              \
            d->call;                                                                               \
    } while (false)

QString GenMeasurePntWrapper::manufacturer() {
    FORWARD(manufacturer(), noText);
}
QString GenMeasurePntWrapper::model() {
    FORWARD(model(), noText);
}
QString GenMeasurePntWrapper::serialNumber() {
    FORWARD(serialNumber(), noText);
}
QString GenMeasurePntWrapper::portName() {
    FORWARD(portName(), noText);
}
DeviceType GenMeasurePntWrapper::deviceType() {
    FORWARD(deviceType(), NoDevice);
}
bool GenMeasurePntWrapper::isConnected() {
    FORWARD(isConnected(), false);
}
void GenMeasurePntWrapper::close() {
    FORWARD_VOID(close());
}
bool GenMeasurePntWrapper::open(const QString &port) {
    FORWARD(open(port), false);
}
void GenMeasurePntWrapper::updateInfo() {
    FORWARD_VOID(updateInfo());
}

void GenMeasurePntWrapper::setAimingLight(bool on) {
    FORWARD_VOID(setAimingLight(on));
}
int GenMeasurePntWrapper::range() {
    FORWARD(range(), -1);
}
void GenMeasurePntWrapper::setRange(int range) {
    FORWARD_VOID(setRange(range));
}
bool GenMeasurePntWrapper::isMeasuring() {
    FORWARD(isMeasuring(), false);
}
bool GenMeasurePntWrapper::setMaxAverage(int count) {
    FORWARD(setMaxAverage(count), false);
}
int GenMeasurePntWrapper::maxAverage() {
    FORWARD(maxAverage(), 1);
}
void GenMeasurePntWrapper::setSpeed(int speed) {
    FORWARD_VOID(setSpeed(speed));
}
void GenMeasurePntWrapper::startMeasuring() {
    FORWARD_VOID(startMeasuring());
}
void GenMeasurePntWrapper::stopMeasuring() {
    FORWARD_VOID(stopMeasuring());
}
Measurement GenMeasurePntWrapper::measure(int averages) {
    if (GenMeasure *d = device())
        return d->measure(averages);
    Measurement m;
    m.errorCode = ErrorBits::PortLost;
    return m;
}
QStringList GenMeasurePntWrapper::calFileList() {
    FORWARD(calFileList(), QStringList{noText});
}
GamutSpec GenMeasurePntWrapper::gamutSpec() {
    // All zero with standard 6, like an unknown standard index.
    FORWARD(gamutSpec(), GamutSpec::standardSpec(-1));
}
void GenMeasurePntWrapper::setGamutSpec(const GamutSpec &spec) {
    FORWARD_VOID(setGamutSpec(spec));
}
bool GenMeasurePntWrapper::isFlickering() {
    FORWARD(isFlickering(), false);
}
int GenMeasurePntWrapper::startFlicker(bool restart) {
    FORWARD(startFlicker(restart), 1);
}
void GenMeasurePntWrapper::stopFlicker() {
    FORWARD_VOID(stopFlicker());
}
bool GenMeasurePntWrapper::setFlickerOptionA(bool on) {
    FORWARD(setFlickerOptionA(on), false);
}
bool GenMeasurePntWrapper::setFlickerOptionB(bool on) {
    FORWARD(setFlickerOptionB(on), false);
}
int GenMeasurePntWrapper::setFlickerSamples(int n) {
    FORWARD(setFlickerSamples(n), static_cast<int>(ErrorBits::FlickerBadSampleCount));
}
int GenMeasurePntWrapper::flickerSamples() {
    FORWARD(flickerSamples(), -1);
}
int GenMeasurePntWrapper::setNormalized(int on) {
    FORWARD(setNormalized(on), 0);
}
int GenMeasurePntWrapper::setJeita(int on) {
    FORWARD(setJeita(on), 0);
}
bool GenMeasurePntWrapper::setJeitaDiscountDb(bool on) {
    FORWARD(setJeitaDiscountDb(on), false);
}
bool GenMeasurePntWrapper::setJeitaDiscountPercent(bool on) {
    FORWARD(setJeitaDiscountPercent(on), false);
}
int GenMeasurePntWrapper::normalized() {
    FORWARD(normalized(), 0);
}
int GenMeasurePntWrapper::jeita() {
    FORWARD(jeita(), 0);
}
bool GenMeasurePntWrapper::jeitaDiscountDb() {
    FORWARD(jeitaDiscountDb(), false);
}
bool GenMeasurePntWrapper::jeitaDiscountPercent() {
    FORWARD(jeitaDiscountPercent(), false);
}
int GenMeasurePntWrapper::calFileIndex() {
    FORWARD(calFileIndex(), -1);
}
QString GenMeasurePntWrapper::calFileName() {
    FORWARD(calFileName(), noText);
}
void GenMeasurePntWrapper::setCalFile(int index) {
    FORWARD_VOID(setCalFile(index));
}
int GenMeasurePntWrapper::saveCalFile(int index, const QString &name, const double *reference,
                                      const double *measured) {
    FORWARD(saveCalFile(index, name, reference, measured), 1);
}
int GenMeasurePntWrapper::deleteCalFile(int index) {
    FORWARD(deleteCalFile(index), 1);
}
matrix GenMeasurePntWrapper::colorMatrix() {
    FORWARD(colorMatrix(), matrix());
}
matrix GenMeasurePntWrapper::rgbMatrix() {
    FORWARD(rgbMatrix(), matrix());
}
BlackMatrix GenMeasurePntWrapper::ramBlackMatrix() {
    FORWARD(ramBlackMatrix(), noBlackMatrix());
}
BlackMatrix GenMeasurePntWrapper::romBlackMatrix() {
    FORWARD(romBlackMatrix(), noBlackMatrix());
}
BlackMatrix GenMeasurePntWrapper::thermalCorrection() {
    FORWARD(thermalCorrection(), noBlackMatrix());
}
BlackMatrix GenMeasurePntWrapper::calibrateBlack() {
    FORWARD(calibrateBlack(), noBlackMatrix());
}
QList<double> GenMeasurePntWrapper::spectrum() {
    FORWARD(spectrum(), QList<double>());
}
quint32 GenMeasurePntWrapper::spectrumErrorCode() {
    FORWARD(spectrumErrorCode(), 1u); // no device: as if its port were not open
}
QString GenMeasurePntWrapper::lastProblem() {
    FORWARD(lastProblem(), noText);
}
void GenMeasurePntWrapper::cancelMeasurement() {
    FORWARD_VOID(cancelMeasurement());
}
