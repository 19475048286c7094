#include "factories.h"

#include "genfactory.h"
#include "torvafactory.h"

#include <QCoreApplication>
#include <QMutex>
#include <QThread>

#include <atomic>

namespace {

QList<GenFactory *> *buildFactories() {
    auto *list = new QList<GenFactory *>;
    list->append(new TorvaFactory);
    // Each remaining kind joins here, in this order, when its driver lands:
    //   CS-2000 factory                  name "CS-2000"
    //   PR-650 factory                   name "PR-650"
    //   BM-7 factory                     name "BM7"
    //   manual meter factory             name "Manual"
    //   screen pattern generator         name "PC Pattern Generator"
    //   network pattern generator        name "Torva Pattern Generator"
    //   manual pattern generator         name "Manual Pattern Generator"

    // The first caller may be a pool thread that ends soon; factories belong
    // with the application's objects.
    if (QCoreApplication *app = QCoreApplication::instance()) {
        for (GenFactory *f : *list)
            f->moveToThread(app->thread());
    }
    return list;
}

} // namespace

const QList<GenFactory *> &factories() {
    static std::atomic<QList<GenFactory *> *> published{nullptr};
    static QMutex building;
    // Readers after the first see the complete list without locking.
    if (QList<GenFactory *> *list = published.load(std::memory_order_acquire))
        return *list;
    QMutexLocker lock(&building);
    QList<GenFactory *> *list = published.load(std::memory_order_relaxed);
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
