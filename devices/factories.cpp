#include "factories.h"

#include "bm7.h"
#include "cs2000.h"
#include "genfactory.h"
#include "pr650.h"
#include "torvafactory.h"

#include <QCoreApplication>
#include <QMutex>
#include <QThread>

#include <atomic>
#include <cstring>
#include <map>
#include <string>

namespace {

// The order scans try the kinds in.
constexpr const char *factoryOrder[] = {DeviceNames::torva,        DeviceNames::cs2000,
                                        DeviceNames::pr650,        DeviceNames::bm7,
                                        DeviceNames::manual,       DeviceNames::pcPattern,
                                        DeviceNames::torvaPattern, DeviceNames::manualPattern};

QMutex &makersLock() {
    static QMutex lock;
    return lock;
}

std::map<std::string, FactoryMaker> &makers() {
    static std::map<std::string, FactoryMaker> m;
    return m;
}

template <typename Factory> GenFactory *make() {
    return new Factory;
}

// The kinds the device layer builds itself.
const struct {
    const char *name;
    FactoryMaker make;
} builtIns[] = {
    {DeviceNames::torva, make<TorvaFactory>},
    {DeviceNames::cs2000, make<CS2000Factory>},
    {DeviceNames::pr650, make<PR650Factory>},
    {DeviceNames::bm7, make<BM7Factory>},
};

GenFactory *builtIn(const char *name) {
    for (const auto &b : builtIns) {
        if (std::strcmp(name, b.name) == 0)
            return b.make();
    }
    return nullptr;
}

QList<GenFactory *> *buildFactories() {
    auto *list = new QList<GenFactory *>;
    QMutexLocker lock(&makersLock());
    for (const char *name : factoryOrder) {
        GenFactory *f = builtIn(name);
        if (!f) {
            const auto it = makers().find(name);
            if (it != makers().end())
                f = it->second();
        }
        if (f)
            list->append(f);
    }

    // The first caller may be a pool thread that ends soon; factories belong
    // with the application's objects.
    if (QCoreApplication *app = QCoreApplication::instance()) {
        for (GenFactory *f : *list)
            f->moveToThread(app->thread());
    }
    return list;
}

} // namespace

bool registerFactoryMaker(const char *name, FactoryMaker make) {
    QMutexLocker lock(&makersLock());
    makers()[name] = make;
    return true;
}

const QList<GenFactory *> &factories() {
    static std::atomic<QList<GenFactory *> *> published{nullptr};
    static QMutex building;
    // Readers after the first see the complete list without locking.
    if (QList<GenFactory *> *list = published.load(std::memory_order_acquire))
        return *list;
    QMutexLocker lock(&building);
    // Acquire, not relaxed: a thread that waited here while another built the
    // list then reads it through this load, and the thread sanitizer cannot
    // see the hand-over through the mutex.
    QList<GenFactory *> *list = published.load(std::memory_order_acquire);
    if (!list) {
        list = buildFactories();
        published.store(list, std::memory_order_release);
    }
    return *list;
}

GenFactory *findFactory(const char *name) {
    const QString wanted = QString::fromLatin1(name);
    for (GenFactory *f : factories()) {
        if (f->name() == wanted)
            return f;
    }
    return nullptr;
}
