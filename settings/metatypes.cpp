#include "metatypes.h"

void registerMetaTypes() {
    qRegisterMetaType<Measurement>("Measurement");
}
