#include "torvachroma.h"

#include "qtclmtr.h"

#include <QFile>

namespace {
QString text(const std::string &s) {
    return QString::fromStdString(s);
}
} // namespace

TorvaChroma::TorvaChroma(QObject *parent) : GenMeasure(parent), m_clmtr(new QTClmtr(this)) {
    m_manufacturer = QStringLiteral("Torva Instruments");
    connect(m_clmtr, &QTClmtr::connected, this, &GenDevice::connected);
    connect(m_clmtr, &QTClmtr::closed, this, &GenDevice::closed);
    connect(m_clmtr, &QTClmtr::measured, this, &GenMeasure::measured);
    connect(m_clmtr, &QTClmtr::flickered, this, &GenMeasure::flickered);
    connect(m_clmtr, &QTClmtr::calfileChanged, this, &GenMeasure::calfileChanged);
    // After the relays, so listeners get the failed record before closed().
    connect(m_clmtr, &QTClmtr::measured, this, &TorvaChroma::checkMeasurement);
    connect(m_clmtr, &QTClmtr::flickered, this, &TorvaChroma::checkFlicker);
}

TorvaChroma::~TorvaChroma() {
    delete m_clmtr; // closes the port and stops the worker
}

QString TorvaChroma::manufacturer() {
    return QStringLiteral("Torva Instruments");
}
QString TorvaChroma::model() {
    return text(m_clmtr->model());
}
QString TorvaChroma::serialNumber() {
    return text(m_clmtr->serialNumber());
}
QString TorvaChroma::portName() {
    return QFile::decodeName(QByteArray::fromStdString(m_clmtr->portName()));
}
DeviceType TorvaChroma::deviceType() {
    return TorvaDevice;
}

bool TorvaChroma::isConnected() {
    const bool alive = m_clmtr->isConnected();
    if (!alive && m_clmtr->isOpenFlag.exchange(false))
        emit m_clmtr->closed();
    return alive;
}

void TorvaChroma::close() {
    if (!m_clmtr->isOpenFlag.exchange(false))
        return;
    m_clmtr->close();
    emit m_clmtr->closed();
}

bool TorvaChroma::open(const QString &port) {
    const bool ok = m_clmtr->TClmtr::connect(QFile::encodeName(port).toStdString());
    m_clmtr->isOpenFlag = ok;
    if (ok)
        emit m_clmtr->connected();
    return ok;
}

void TorvaChroma::updateInfo() {}

void TorvaChroma::setAimingLight(bool on) {
    m_clmtr->setAimingLights(on);
}
int TorvaChroma::range() {
    return m_clmtr->rangeSetting();
}
void TorvaChroma::setRange(int range) {
    m_clmtr->setRange(range);
}
bool TorvaChroma::isMeasuring() {
    return m_clmtr->isMeasuring();
}
bool TorvaChroma::setMaxAverage(int count) {
    return m_clmtr->setMaxAverage(count);
}
int TorvaChroma::maxAverage() {
    return m_clmtr->maxAverage();
}
void TorvaChroma::setSpeed(int speed) {
    m_clmtr->setSpeed(speed);
}
void TorvaChroma::startMeasuring() {
    m_clmtr->startMeasuring();
}
void TorvaChroma::stopMeasuring() {
    m_clmtr->stopMeasuring();
}
Measurement TorvaChroma::measure(int averages) {
    return m_clmtr->measureOnce(averages);
}

GamutSpec TorvaChroma::gamutSpec() {
    return m_clmtr->gamutSpec();
}
void TorvaChroma::setGamutSpec(const GamutSpec &spec) {
    m_clmtr->setGamutSpec(spec);
    emit m_clmtr->gamutSpecChanged();
}

QStringList TorvaChroma::calFileList() {
    QStringList labels;
    for (const std::string &label : m_clmtr->profileLabels())
        labels.append(QString::fromLatin1(label.c_str()));
    return labels;
}

bool TorvaChroma::isFlickering() {
    return m_clmtr->isStreaming();
}
int TorvaChroma::startFlicker(bool restart) {
    return static_cast<int>(m_clmtr->startStreaming(restart));
}
void TorvaChroma::stopFlicker() {
    m_clmtr->stopThread();
}
// The flicker setters store and report the value now in force.
bool TorvaChroma::setFlickerOptionA(bool on) {
    m_clmtr->setFlickerOptionA(on);
    return m_clmtr->binMerge();
}
bool TorvaChroma::setFlickerOptionB(bool on) {
    m_clmtr->setFlickerOptionB(on);
    return m_clmtr->windowOn();
}
int TorvaChroma::setFlickerSamples(int n) {
    return static_cast<int>(m_clmtr->setSampleCount(n));
}
int TorvaChroma::flickerSamples() {
    return m_clmtr->sampleCount();
}
int TorvaChroma::setNormalized(int on) {
    m_clmtr->setNormalized(on);
    return m_clmtr->normalized();
}
int TorvaChroma::setJeita(int on) {
    m_clmtr->setJeita(on);
    return m_clmtr->jeita();
}
bool TorvaChroma::setJeitaDiscountDb(bool on) {
    m_clmtr->setJeitaDiscountDb(on);
    return m_clmtr->jeitaDiscountDb();
}
bool TorvaChroma::setJeitaDiscountPercent(bool on) {
    m_clmtr->setJeitaDiscountPercent(on);
    return m_clmtr->jeitaDiscountPercent();
}
int TorvaChroma::normalized() {
    return m_clmtr->normalized();
}
int TorvaChroma::jeita() {
    return m_clmtr->jeita();
}
bool TorvaChroma::jeitaDiscountDb() {
    return m_clmtr->jeitaDiscountDb();
}
bool TorvaChroma::jeitaDiscountPercent() {
    return m_clmtr->jeitaDiscountPercent();
}

int TorvaChroma::calFileIndex() {
    return m_clmtr->currentProfile();
}
QString TorvaChroma::calFileName() {
    return QString::fromLatin1(m_clmtr->currentProfileName().c_str());
}

void TorvaChroma::setCalFile(int index) {
    if (index == m_clmtr->currentProfile())
        return;
    m_clmtr->selectProfile(index);
    emit m_clmtr->calfileChanged();
}

int TorvaChroma::saveCalFile(int index, const QString &name, const double *reference,
                             const double *measured) {
    return m_clmtr->saveProfile(index, name.toLatin1().toStdString(), reference, measured);
}

int TorvaChroma::saveCalFile(int index, const QString &name, const double *reference,
                             const double *measured, const QList<QVector<double>> &referenceVectors,
                             bool factoryRecord) {
    if (index == 0 && factoryRecord && referenceVectors.size() == 3)
        return 1; // writing the factory calibration record is not supported
    return saveCalFile(index, name, reference, measured);
}

int TorvaChroma::deleteCalFile(int index) {
    const bool inForce = index == m_clmtr->currentProfile();
    const int result = m_clmtr->deleteProfile(index);
    if (inForce)
        emit m_clmtr->calfileChanged();
    return result;
}

matrix TorvaChroma::colorMatrix() {
    return m_clmtr->profileMatrix();
}

matrix TorvaChroma::rgbMatrix() {
    const Mat3 m = m_clmtr->gamutSpec().xyzToRgb;
    matrix out(3, 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out(r, c) = m[r][c];
    return out;
}

BlackMatrix TorvaChroma::ramBlackMatrix() {
    return m_clmtr->readBlackRam();
}
BlackMatrix TorvaChroma::romBlackMatrix() {
    return m_clmtr->readBlackRom();
}
BlackMatrix TorvaChroma::thermalCorrection() {
    return m_clmtr->readThermalCoefficients();
}
BlackMatrix TorvaChroma::calibrateBlack() {
    return m_clmtr->calibrateBlack();
}

void TorvaChroma::checkMeasurement(const Measurement &m) {
    if (m.errorCode & ErrorBits::PortLost)
        isConnected();
}

void TorvaChroma::checkFlicker(const Flicker &f) {
    if (f.errorCode & ErrorBits::PortLost)
        isConnected();
}
