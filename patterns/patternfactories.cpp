#include "patternfactories.h"

#include "factories.h"
#include "torvapatternfactory.h"

void registerNetworkPatternFactory() {
    registerFactoryMaker(DeviceNames::torvaPattern,
                         []() -> GenFactory * { return new TorvaPatternFactory; });
}
