#include "appsettings.h"

QSettings &appSettings() {
    static QSettings settings(QSettings::IniFormat, QSettings::UserScope, "TorvaInstruments",
                              "Tintwell");
    return settings;
}

int sigFigDecimals(double v, int s) {
    int decimals;
    if (v < -100)
        decimals = 0;
    else if (v < -10)
        decimals = s - 3;
    else if (v < -1)
        decimals = s - 2;
    else if (v < 0)
        decimals = s - 1;
    else if (v < 1)
        decimals = s;
    else if (v < 10)
        decimals = s - 1;
    else if (v < 100)
        decimals = s - 2;
    else if (v < 1000)
        decimals = s - 3;
    else
        decimals = 0; // also NaN, whose comparisons all fail
    return decimals < 0 ? 0 : decimals;
}

QString formatSigFigs(double value) {
    const int s = appSettings().value("sigFigs", 3).toInt() == 4 ? 4 : 3;
    return QString::number(value, 'f', sigFigDecimals(value, s));
}

bool isNits() {
    return appSettings().value("isNits", true).toBool();
}

QString unitsText() {
    return isNits() ? QStringLiteral("nits") : QStringLiteral("fL");
}
