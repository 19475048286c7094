// The Settings dialog: its texts, controls from stored values and values out
// of range, what acceptance writes, the theme applied before the
// notification, and the Edit button.
#include "chromagamutspec.h"
#include "settings.h"
#include "settingsfixture.h"
#include "shotsaver.h"
#include "theme.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

namespace {

class SettingsDialog : public EmptySettings {
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
    static void click(Settings &dialog, QDialogButtonBox::StandardButton which) {
        child<QDialogButtonBox>(dialog, "buttonBox")->button(which)->click();
    }
};

TEST_F(SettingsDialog, TextsAsTheUserSeesThem) {
    Settings dialog;
    QStringList seen{dialog.windowTitle()};
    for (QGroupBox *g : dialog.findChildren<QGroupBox *>())
        seen << g->title();
    for (QLabel *l : dialog.findChildren<QLabel *>())
        seen << l->text();
    for (QAbstractButton *b : dialog.findChildren<QAbstractButton *>())
        seen << b->text();
    const QString expected =
        "Settings|Torva Device:|Enable Devices to Connect:|Significant:|"
        "Theme:|Display Units in:|Gamut Spec:|Color Speed:|Max Avg Count|"
        "Current:|BM7|PR650|CS-2000|CS-2000 Sync:|Torva Pattern Generator\n(Requires "
        "Network)|3 Digits|4 Digits|Day|Night|Foot-Lamberts|Nits (1 cd/m2) |Edit";
    for (const QString &text : expected.split('|'))
        EXPECT_TRUE(seen.contains(text)) << text.toStdString();
    EXPECT_EQ(child<QComboBox>(dialog, "comboSpeed")->itemText(1), "Normal (8 per Second)");
}

TEST_F(SettingsDialog, ControlsShowStoredValuesAndFallBacks) {
    QSettings s;
    s.setValue("isNits", false);
    s.setValue("checkBM7", true);
    s.setValue("torvaSpeed", 5); // unknown: shown, and stored back, as fast
    s.setValue("torvaMaxAvg", 500);
    s.setValue("Theme", ":/themes/dusk.qss"); // neither sheet: neither button
    Settings dialog;
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioFootLamberts")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(dialog, "checkBM7")->isChecked());
    EXPECT_EQ(child<QSpinBox>(dialog, "spinMaxAvg")->value(), 128);
    EXPECT_FALSE(child<QRadioButton>(dialog, "radioNight")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(dialog, "radioDay")->isChecked());
    click(dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(s.value("torvaSpeed").toInt(), 0);
    EXPECT_EQ(s.value("Theme", "unset").toString(), ""); // and the next start applies no sheet
}

TEST_F(SettingsDialog, CS2000SyncModeAndFrequency) {
    const struct {
        QVariant mode, hz; // stored; invalid: not stored
        int index;         // shown
        bool hzEnabled;
        int storedMode; // after OK
    } cases[] = {
        {{}, {}, 2, true, 1}, // never set: internal sync at 60 Hz, as connections did
        {-1, {}, 0, false, -1},  {2, {}, 3, false, 2}, {7, {}, 2, true, 1}, // unknown: the default
        {1, 143.86, 2, true, 1},
    };
    for (const auto &c : cases) {
        clearSettings();
        QSettings s;
        if (c.mode.isValid())
            s.setValue("cs2000SyncMode", c.mode);
        if (c.hz.isValid())
            s.setValue("cs2000SyncHz", c.hz);
        Settings dialog;
        saveShot(dialog.grab().toImage(), "settings-dialog");
        auto *combo = child<QComboBox>(dialog, "comboCS2000Sync");
        EXPECT_EQ(combo->currentIndex(), c.index);
        EXPECT_EQ(child<QDoubleSpinBox>(dialog, "doubleCS2000SyncHz")->isEnabled(), c.hzEnabled);
        click(dialog, QDialogButtonBox::Ok);
        EXPECT_EQ(s.value("cs2000SyncMode").toInt(), c.storedMode);
        EXPECT_DOUBLE_EQ(s.value("cs2000SyncHz").toDouble(),
                         c.hz.isValid() ? c.hz.toDouble() : 60.0);
    }
}

TEST_F(SettingsDialog, AcceptanceWritesInOrderAppliesTheThemeThenNotifies) {
    QApplication::setStyle("Fusion");
    Settings dialog;
    child<QRadioButton>(dialog, "radio4Digits")->setChecked(true);
    child<QCheckBox>(dialog, "checkTorvaPatternGenerator")->setChecked(true);
    child<QSpinBox>(dialog, "spinMaxAvg")->setValue(7);
    child<QRadioButton>(dialog, "radioDay")->setChecked(true);
    QStringList keys;
    for (const auto &v : dialog.valuesToStore())
        keys << v.first;
    EXPECT_EQ(keys, QStringList({"isNits", "sigFigs", "checkPR650", "checkCS2000", "checkBM7",
                                 "cs2000SyncMode", "cs2000SyncHz", "checkTorvaPatternGenerator",
                                 "torvaSpeed", "torvaMaxAvg", "Theme"}));
    int notified = 0;
    QString sheetWhenNotified;
    QObject::connect(&dialog, &Settings::updateSettings, [&] {
        ++notified;
        sheetWhenNotified = qApp->styleSheet();
    });
    click(dialog, QDialogButtonBox::Ok);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(sheetWhenNotified, loadStyleSheet(":/themes/day.qss"));
    QSettings s;
    EXPECT_EQ(s.value("checkTorvaPatternGenerator").toBool(), true);
    EXPECT_EQ(s.value("torvaMaxAvg").toInt(), 7);
    EXPECT_EQ(formatSigFigs(5.5), "5.500"); // the helpers see the change at once
    qApp->setStyleSheet(QString());
    EXPECT_EQ(QApplication::style()->objectName(), "windows"); // set again under the sheet

    Settings cancelled;
    QObject::connect(&cancelled, &Settings::updateSettings, [&] { ++notified; });
    child<QRadioButton>(cancelled, "radio3Digits")->setChecked(true);
    click(cancelled, QDialogButtonBox::Cancel);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(s.value("sigFigs").toInt(), 4);
}

TEST_F(SettingsDialog, EditOpensTheGamutSettingsForm) {
    Settings dialog;

    QString opened;
    QTimer poll; // until the form is up, so a slow start cannot leave it open
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *form = QApplication::activeModalWidget();
        if (form && form != &dialog) {
            opened = form->windowTitle();
            form->close();
        }
    });
    poll.start(10);
    child<QPushButton>(dialog, "pushButton")->click();
    EXPECT_EQ(opened, "Gamut Settings");
}

} // namespace
