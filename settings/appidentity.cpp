#include "appidentity.h"

#include "tintwellresources.h"

#include <QCoreApplication>
#include <QSettings>

void prepareApplicationIdentity() {
    initTintwellResources();
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QCoreApplication::setOrganizationName("TorvaInstruments");
    QCoreApplication::setOrganizationDomain("torva-instruments.example");
    QCoreApplication::setApplicationName("Tintwell");
    QCoreApplication::setApplicationVersion("5.43");
}
