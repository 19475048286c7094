#include "tintwellresources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerTintwellQrc() {
    Q_INIT_RESOURCE(tintwell);
}

void initTintwellResources() {
    static const bool registered = (registerTintwellQrc(), true);
    Q_UNUSED(registered)
}
