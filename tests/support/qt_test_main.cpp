// GoogleTest main for tests that need Qt: a QApplication on the offscreen
// platform and settings in a throw-away directory, narrowed to the cases of
// the entry's own source files.
#include <QApplication>
#include <QSettings>
#include <gtest/gtest.h>

#include "sourceselect.h"
#include "tempdir.h"

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    TempDir settingsDir;
    const QString settingsPath = QString::fromStdString(settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsPath);
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, settingsPath);
    QApplication::setOrganizationName("TorvaInstruments");
    QApplication::setApplicationName("Tintwell");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (!selectTestsFromSources(argc, argv))
        return 2;
    return RUN_ALL_TESTS();
}
