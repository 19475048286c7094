#include "screenpatternfactories.h"

#include "factories.h"
#include "manualpattern.h"
#include "patternfactories.h"
#include "pcchroma.h"

void registerPatternFactories() {
    registerNetworkPatternFactory();
    registerFactoryMaker(DeviceNames::pcPattern,
                         []() -> GenFactory * { return new PCChromaFactory; });
    registerFactoryMaker(DeviceNames::manualPattern,
                         []() -> GenFactory * { return new ManualPatternFactory; });
}
