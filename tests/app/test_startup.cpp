// Start-up: identity and the one settings file, the compiled-in themes, a
// first run, and the program itself started headless.
#include "appidentity.h"
#include "childprocess.h"
#include "settingsfixture.h"
#include "tempdir.h"
#include "theme.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStyle>

namespace {

class Startup : public EmptySettings {
protected:
    void TearDown() override {
        qApp->setStyleSheet(QString());
        EmptySettings::TearDown();
    }
};

TEST_F(Startup, IdentityAndOneIniFileForEverySettingsObject) {
    prepareApplicationIdentity();
    EXPECT_EQ(QCoreApplication::organizationName(), "TorvaInstruments");
    EXPECT_EQ(QCoreApplication::applicationName(), "Tintwell");
    EXPECT_TRUE(QSettings().fileName().endsWith("TorvaInstruments/Tintwell.ini"));
    EXPECT_EQ(appSettings().fileName(), QSettings().fileName());
}

TEST_F(Startup, OnlyCompiledInThemesAreRead) {
    const QString night = loadStyleSheet(":/themes/night.qss");
    ASSERT_FALSE(night.isEmpty());
    EXPECT_NE(night, loadStyleSheet(":/themes/day.qss"));
    // A path from the settings file could name a device and hang start-up.
    for (const char *path : {":/themes/dusk.qss", "", "/etc/hostname", "night.qss", "/dev/zero"})
        ASSERT_TRUE(loadStyleSheet(path).isEmpty()) << path;
}

TEST_F(Startup, FirstRunAppliesTheNightThemeOverWindowsAndWritesNothing) {
    QApplication::setStyle("Fusion");
    applyStyleAndTheme(*qApp);
    EXPECT_EQ(qApp->styleSheet(), loadStyleSheet(":/themes/night.qss"));
    qApp->setStyleSheet(QString()); // the sheet wraps the style
    EXPECT_EQ(QApplication::style()->objectName(), "windows");
    EXPECT_TRUE(isNits());
    EXPECT_TRUE(storedKeys().isEmpty()) << storedKeys().join(' ').toStdString();
}

// The program, started headless for a moment with settings of its own.
int runTintwell(const std::string &configHome, const QString &ini = QString()) {
    if (!ini.isEmpty()) {
        const QString dir = QString::fromStdString(configHome) + "/TorvaInstruments";
        QDir().mkpath(dir);
        QFile file(dir + "/Tintwell.ini");
        if (!file.open(QIODevice::WriteOnly))
            return -1;
        file.write(ini.toUtf8());
    }
    ChildProcess program({"tintwell"},
                         {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + configHome,
                          "TINTWELL_EXIT_AFTER_MS=300", "TINTWELL_SCREENSHOT"});
    return program.wait(30000);
}

TEST_F(Startup, TheProgramStartsAndEndsCleanlyWhateverTheTheme) {
    TempDir home;
    EXPECT_EQ(runTintwell(home.file("fresh")), 0);
    EXPECT_EQ(runTintwell(home.file("device"), "[General]\nTheme=/dev/zero\n"), 0);
}

} // namespace
