#include "pcchroma.h"

#include "pcpatterngen.h"

#include <QCoreApplication>
#include <QThread>

namespace {
const char *const screenModel = "PC Pattern Gen";
QString screenSerial(int index) {
    return QStringLiteral("Screen: %1").arg(index + 1);
}
} // namespace

PCChroma::PCChroma(QObject *parent) : GenPattern(parent), m_window(new PCPatternGen) {}

PCChroma::~PCChroma() = default;

void PCChroma::close() {
    m_screen = -1;
    m_model.clear();
    m_serialNumber.clear();
    m_manufacturer.clear();
    m_window->hide();
}

bool PCChroma::open(const QString &port) {
    bool ok = false;
    const int index = port.toInt(&ok, 10);
    if (!ok || !m_window->setScreen(index)) {
        m_screen = -1;
        return false;
    }
    m_screen = index;
    updateInfo();
    emit connected();
    return true;
}

void PCChroma::updateInfo() {
    m_serialNumber = screenSerial(m_screen);
    m_model = QString::fromLatin1(screenModel);
    m_manufacturer = QStringLiteral("Torva Instruments");
    height = m_window->height();
    width = m_window->width();
    connect(m_window.get(), &PCPatternGen::infoChanged, this, &PCChroma::updatePatternGenInfo,
            Qt::UniqueConnection);
}

void PCChroma::updatePatternGenInfo() {
    height = m_window->height();
    width = m_window->width();
    emit infoChanged();
}

void PCChroma::setPattern(int pattern) {
    m_window->setPattern(pattern);
}

void PCChroma::setColor(const QColor &color) {
    m_window->setColor(color);
}

void PCChroma::setMaxColor(int max) {
    m_window->setMaxColor(max);
}

void PCChroma::sendImage(const QImage &image) {
    m_window->sendImage(image);
}

void PCChroma::setBoxSize(const QRect &box) {
    m_window->setBoxSize(box);
}

void PCChroma::setCheckerBoardPattern(int columns, int rows) {
    m_window->setCheckerBoardPattern(columns, rows);
}

void PCChroma::showProgress(int totalMs, int elapsedMs, int patchIndex,
                            const QList<QColor> &patches) {
    m_window->showProgress(totalMs, elapsedMs, patchIndex, patches);
}

GenDevice *PCChromaFactory::create(const QString &port) {
    auto make = [this, port] {
        auto *device = new PCChroma;
        device->factory = this;
        device->open(port);
        return device;
    };
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return make();
    // Widgets live on the GUI thread; the device is handed back from there.
    PCChroma *device = nullptr;
    QMetaObject::invokeMethod(
        app, [&device, &make] { device = make(); }, Qt::BlockingQueuedConnection);
    return device;
}

bool PCChromaFactory::probe(const QString &port, ConnectionInfo *info) {
    if (info) {
        info->port = port;
        info->model = QString::fromLatin1(screenModel);
        info->serialNumber = screenSerial(port.toInt());
        info->connected = false;
        info->type = PatternGenerator;
    }
    return true;
}
