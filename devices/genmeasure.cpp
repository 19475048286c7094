#include "genmeasure.h"

GenMeasure::~GenMeasure() = default;

void GenMeasure::setAimingLight(bool) {}
int GenMeasure::range() {
    return -1;
}
void GenMeasure::setRange(int) {}
bool GenMeasure::isMeasuring() {
    return false;
}
bool GenMeasure::setMaxAverage(int) {
    return false;
}
int GenMeasure::maxAverage() {
    return 1;
}
void GenMeasure::setSpeed(int) {}
void GenMeasure::startMeasuring() {}
void GenMeasure::stopMeasuring() {}

Measurement GenMeasure::measure(int) {
    Measurement m;
    m.errorCode = ErrorBits::PortLost;
    return m;
}

QStringList GenMeasure::calFileList() {
    return QStringList{QString("")};
}
GamutSpec GenMeasure::gamutSpec() {
    return m_gamutSpec;
}
void GenMeasure::setGamutSpec(const GamutSpec &spec) {
    m_gamutSpec = spec;
}

bool GenMeasure::isFlickering() {
    return false;
}
int GenMeasure::startFlicker(bool) {
    return 1;
}
void GenMeasure::stopFlicker() {}
bool GenMeasure::setFlickerOptionA(bool) {
    return false;
}
bool GenMeasure::setFlickerOptionB(bool) {
    return false;
}
int GenMeasure::setFlickerSamples(int) {
    return static_cast<int>(ErrorBits::FlickerBadSampleCount);
}
int GenMeasure::flickerSamples() {
    return 256;
}
int GenMeasure::setNormalized(int) {
    return 0;
}
int GenMeasure::setJeita(int) {
    return 0;
}
bool GenMeasure::setJeitaDiscountDb(bool) {
    return false;
}
bool GenMeasure::setJeitaDiscountPercent(bool) {
    return false;
}
int GenMeasure::normalized() {
    return 0;
}
int GenMeasure::jeita() {
    return 0;
}
bool GenMeasure::jeitaDiscountDb() {
    return false;
}
bool GenMeasure::jeitaDiscountPercent() {
    return false;
}

int GenMeasure::calFileIndex() {
    return 0;
}
QString GenMeasure::calFileName() {
    return QStringLiteral("Factory Cal File");
}
void GenMeasure::setCalFile(int) {}
int GenMeasure::saveCalFile(int, const QString &, const double *, const double *) {
    return 1;
}
int GenMeasure::deleteCalFile(int) {
    return 1;
}
matrix GenMeasure::colorMatrix() {
    return matrix();
}
matrix GenMeasure::rgbMatrix() {
    return matrix();
}
BlackMatrix GenMeasure::ramBlackMatrix() {
    return BlackMatrix();
}
BlackMatrix GenMeasure::romBlackMatrix() {
    return BlackMatrix();
}
BlackMatrix GenMeasure::thermalCorrection() {
    return BlackMatrix();
}
BlackMatrix GenMeasure::calibrateBlack() {
    return BlackMatrix();
}
QList<double> GenMeasure::spectrum() {
    return {};
}

quint32 GenMeasure::spectrumErrorCode() {
    return 0x2000000; // not available on this kind of device
}

QString GenMeasure::lastProblem() {
    return QString();
}

void GenMeasure::cancelMeasurement() {}
