#include "clidevice.h"

#include "appidentity.h"
#include "devicetypes.h"
#include "factories.h"
#include "genfactory.h"
#include "manual.h"
#include "patternfactories.h"
#include "portaccess.h"
#include "torvapattern.h"
#include "torvapatternfactory.h"

#include <QFile>

#include <cstdio>

namespace {
int argc = 1;
char programName[] = "tintwell-cli";
char *argv[] = {programName, nullptr};

// Transport and reading failures (the record's errorCode table).
constexpr quint32 portLost = 0x1, noAnswer = 0x2, internal = 0x4, unusable = 0x8;
} // namespace

CliDeviceContext::CliDeviceContext() {
    prepareApplicationIdentity();
    if (!QCoreApplication::instance())
        m_app = std::make_unique<QCoreApplication>(argc, argv);
    registerDeviceMetaTypes();
    registerManualMeter();
}

CliDeviceContext::~CliDeviceContext() = default;

void reportNoAnswer(const char *command, const char *what, const std::string &port) {
    // A port that will not open says why, as the colorimeter's does; only a
    // port that opens and stays silent is "no answer".
    const std::string cannotOpen = portOpenProblem(port);
    if (!cannotOpen.empty())
        std::fprintf(stderr, "tintwell-cli %s: %s\n", command, cannotOpen.c_str());
    else
        std::fprintf(stderr, "tintwell-cli %s: no %s answered at %s\n", command, what,
                     port.c_str());
}

std::unique_ptr<GenMeasure> openInstrument(const char *command, const char *kind,
                                           const std::string &port) {
    GenFactory *factory = findFactory(kind);
    const QString path = QFile::decodeName(QByteArray::fromStdString(port));
    std::unique_ptr<GenMeasure> device(factory ? qobject_cast<GenMeasure *>(factory->create(path))
                                               : nullptr);
    if (!device || !device->isConnected()) {
        reportNoAnswer(command, kind, port);
        return nullptr;
    }
    std::fprintf(stderr, "tintwell-cli %s: %s, serial %s\n", command,
                 device->model().toUtf8().constData(), device->serialNumber().toUtf8().constData());
    return device;
}

// The measuring device on the port, found the way a scan finds it.
std::unique_ptr<GenMeasure> identifyInstrument(const QString &port) {
    for (GenFactory *f : factories()) {
        if (f->connectionKind() != SerialConnection)
            continue;
        ConnectionInfo info;
        info.port = port;
        if (!f->probe(port, &info))
            continue;
        std::unique_ptr<GenDevice> d(f->create(port));
        auto *m = qobject_cast<GenMeasure *>(d.get());
        if (m && m->isConnected()) {
            d.release();
            return std::unique_ptr<GenMeasure>(m);
        }
    }
    return nullptr;
}

std::unique_ptr<GenDevice> openPatternGenerator(const char *command, const std::string &host) {
    registerNetworkPatternFactory();
    TorvaPatternFactory factory;
    std::unique_ptr<GenDevice> generator(factory.create(QString::fromStdString(host)));
    if (!qobject_cast<TorvaPattern *>(generator.get()) || !generator->isConnected()) {
        std::fprintf(stderr, "tintwell-cli %s: no pattern generator answered at %s\n", command,
                     host.c_str());
        return nullptr;
    }
    return generator;
}

int checkReading(const char *command, GenMeasure &device, quint32 errorCode) {
    if (!(errorCode & (portLost | noAnswer | internal | unusable)))
        return 0;
    const char *why = "the instrument's reply could not be used";
    if ((errorCode & portLost) || !device.isConnected())
        why = "the port closed or the instrument was unplugged";
    else if (errorCode & noAnswer)
        why = "the instrument stopped answering";
    std::fprintf(stderr, "tintwell-cli %s: instrument lost: %s (code %u)\n", command, why,
                 errorCode);
    return 3;
}
