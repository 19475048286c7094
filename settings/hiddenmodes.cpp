#include "appsettings.h"

// Lower-case MD5 hex of each access word; the words themselves are not kept.
const char *const factoryModeDigest = "30d48c9a8ebcfbeccb20d65ce515408a";
const char *const betaModeDigest = "08830d82bdfb7e0bf2148d6a5a5f895b";

bool isFactoryMode() {
    return appSettings().value("factorymode", QString()).toString() ==
           QLatin1String(factoryModeDigest);
}

bool isBetaMode() {
    return isFactoryMode() ||
           appSettings().value("betamode", QString()).toString() == QLatin1String(betaModeDigest);
}
