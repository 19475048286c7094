#include "profilestore.h"

#include "genmeasurepntwrapper.h"
#include "profileverify.h"
#include "torvachroma.h"

namespace profiles {

namespace {

TorvaChroma *torvaOf(GenMeasure *device) {
    if (auto *wrapper = qobject_cast<GenMeasurePntWrapper *>(device))
        device = wrapper->device();
    return qobject_cast<TorvaChroma *>(device);
}

constexpr int failed = 1;

} // namespace

int storeProfile(GenMeasure *device, int slot, const QString &name,
                 const QVector<double> &reference, const QVector<double> &measured,
                 const QVector<double> &black, bool factory) {
    if (!device || reference.size() != 3 * patchCount || measured.size() != 3 * patchCount)
        return failed;
    const int before = device->calFileIndex();
    int result = failed;
    if (TorvaChroma *torva = torvaOf(device)) {
        QList<QVector<double>> vectors;
        if (black.size() == 3)
            vectors = {{black[0]}, {black[1]}, {black[2]}};
        result = torva->saveCalFile(slot, name, reference.constData(), measured.constData(),
                                    vectors, factory);
    } else {
        result = device->saveCalFile(slot, name, reference.constData(), measured.constData());
    }
    if (result != 0) {
        // Whatever the instrument did, the profile in force is the one before.
        if (device->calFileIndex() != before)
            device->setCalFile(before);
        return result;
    }
    device->setCalFile(slot);
    return device->calFileIndex() == slot ? 0 : failed;
}

} // namespace profiles
