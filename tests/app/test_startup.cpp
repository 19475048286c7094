// Start-up: identity, the compiled-in themes and artwork, the defaults of a
// first run, an unknown theme, and the real program started without a display.
#include "childprocess.h"
#include "chromagamutspec.h"
#include "settings.h"
#include "settingsfixture.h"
#include "startup.h"
#include "tempdir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>

namespace {

class Startup : public EmptySettings {
protected:
    void TearDown() override {
        qApp->setStyleSheet(QString());
        EmptySettings::TearDown();
    }
    template <typename T> static T *child(QWidget &parent, const char *name) {
        T *w = parent.findChild<T *>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
};

TEST_F(Startup, IdentityAndIniFormat) {
    prepareApplicationIdentity();
    EXPECT_EQ(QSettings::defaultFormat(), QSettings::IniFormat);
    EXPECT_EQ(QCoreApplication::organizationName(), "TorvaInstruments");
    EXPECT_EQ(QCoreApplication::applicationName(), "Tintwell");
    EXPECT_EQ(QCoreApplication::applicationVersion(), "5.43");
    EXPECT_FALSE(QCoreApplication::organizationDomain().isEmpty());
    EXPECT_TRUE(QSettings().fileName().endsWith("TorvaInstruments/Tintwell.ini"))
        << QSettings().fileName().toStdString();
    EXPECT_EQ(appSettings().fileName(), QSettings().fileName());
}

TEST_F(Startup, BothThemesAreCompiledInWithAVisibleCheckedButton) {
    for (const char *path : {":/themes/night.qss", ":/themes/day.qss"}) {
        const QString sheet = loadStyleSheet(path);
        ASSERT_FALSE(sheet.isEmpty()) << path;
        // Later windows copy the border of checked buttons from the sheet.
        const int checked = sheet.indexOf("QPushButton:checked");
        ASSERT_GE(checked, 0) << path;
        const QString rule = sheet.mid(checked, sheet.indexOf('}', checked) - checked);
        EXPECT_TRUE(rule.contains(QRegExp("border:\\s*2px solid #[0-9a-f]{6}"))) << path;
        // Every image the sheet uses is compiled in as well.
        QRegExp url("url\\((:[^)]+)\\)");
        for (int pos = 0; (pos = url.indexIn(sheet, pos)) >= 0; pos += url.matchedLength())
            EXPECT_TRUE(QFile::exists(url.cap(1))) << path << " " << url.cap(1).toStdString();
    }
    EXPECT_NE(loadStyleSheet(":/themes/night.qss"), loadStyleSheet(":/themes/day.qss"));
}

TEST_F(Startup, UnknownOrNonResourceThemesGiveAnEmptySheet) {
    for (const char *path : {":/themes/dusk.qss", "", "/etc/hostname", "/dev/zero", "night.qss"})
        EXPECT_TRUE(loadStyleSheet(path).isEmpty()) << path;
}

TEST_F(Startup, IconAndLogoAreCompiledIn) {
    loadStyleSheet(":/themes/night.qss"); // registers the resources
    const QIcon icon(":/icons/bigt.ico");
    EXPECT_FALSE(icon.isNull());
    for (int s : {16, 32, 48})
        EXPECT_TRUE(icon.availableSizes().contains(QSize(s, s))) << s;
    const QImage logo(":/images/logo.png");
    ASSERT_FALSE(logo.isNull());
    EXPECT_TRUE(logo.hasAlphaChannel());
}

TEST_F(Startup, FirstRunDefaultsAndNothingWritten) {
    QApplication::setStyle("Fusion");
    applyStyleAndTheme(*qApp);
    EXPECT_EQ(qApp->styleSheet(), loadStyleSheet(":/themes/night.qss"));
    // The sheet wraps the style; without it the style itself shows.
    qApp->setStyleSheet(QString());
    EXPECT_EQ(QApplication::style()->objectName(), "windows");
    EXPECT_TRUE(isNits());
    EXPECT_EQ(formatSigFigs(0.31271), "0.313");

    Settings dialog;
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioNits")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(dialog, "radioFootLamberts")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(dialog, "radio3Digits")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioNight")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(dialog, "radioDay")->isChecked());
    for (const char *name : {"checkPR650", "checkCS2000", "checkBM7", "checkTorvaPatternGenerator"})
        EXPECT_FALSE(child<QCheckBox>(dialog, name)->isChecked()) << name;
    EXPECT_EQ(child<QComboBox>(dialog, "comboSpeed")->currentIndex(), 0); // fast
    EXPECT_EQ(child<QSpinBox>(dialog, "spinMaxAvg")->value(), 32);
    EXPECT_EQ(child<QComboBox>(dialog, "comboGamutSpec")->currentText(), "REC709");
    dialog.reject();

    EXPECT_TRUE(storedKeys().isEmpty()) << storedKeys().join(' ').toStdString();
}

TEST_F(Startup, AThemeNamingNeitherSheetIsStoredEmptyAndAppliesNoSheet) {
    QSettings().setValue("Theme", ":/themes/dusk.qss");
    applyStyleAndTheme(*qApp);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());

    Settings dialog;
    EXPECT_FALSE(child<QRadioButton>(dialog, "radioNight")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(dialog, "radioDay")->isChecked());
    dialog.findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->click();
    EXPECT_EQ(QSettings().value("Theme", "unset").toString(), "");
    EXPECT_TRUE(qApp->styleSheet().isEmpty());

    // The next start applies no sheet either.
    applyStyleAndTheme(*qApp);
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

// The program itself, started headless for a moment with its own settings.
int runTintwell(const std::string &configHome, const QString &ini = QString()) {
    if (!ini.isEmpty()) {
        QDir().mkpath(QString::fromStdString(configHome) + "/TorvaInstruments");
        QFile file(QString::fromStdString(configHome) + "/TorvaInstruments/Tintwell.ini");
        if (!file.open(QIODevice::WriteOnly))
            return -101;
        file.write(ini.toUtf8());
    }
    ChildProcess program({"tintwell"},
                         {"QT_QPA_PLATFORM=offscreen", "XDG_CONFIG_HOME=" + configHome,
                          "TINTWELL_EXIT_AFTER_MS=300", "TINTWELL_SCREENSHOT"});
    return program.wait(30000);
}

TEST_F(Startup, TheProgramStartsAndEndsCleanlyWhateverTheTheme) {
    TempDir home;
    ASSERT_TRUE(home.valid());
    EXPECT_EQ(runTintwell(home.file("fresh")), 0);
    EXPECT_EQ(runTintwell(home.file("unknown"), "[General]\nTheme=:/themes/dusk.qss\n"), 0);
    EXPECT_EQ(runTintwell(home.file("device"), "[General]\nTheme=/dev/zero\n"), 0);
    EXPECT_EQ(runTintwell(home.file("day"), "[General]\nTheme=:/themes/day.qss\n"), 0);
}

} // namespace
