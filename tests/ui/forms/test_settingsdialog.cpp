// The Settings dialog: controls from the settings, what acceptance writes and
// in which order, the theme applied at once, the notification, the Edit button.
#include "chromagamutspec.h"
#include "settings.h"
#include "settingsfixture.h"
#include "startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
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
    static void clickOk(Settings &dialog) {
        child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok)->click();
    }
};

TEST_F(SettingsDialog, TitleAndTexts) {
    Settings dialog;
    EXPECT_EQ(dialog.windowTitle(), "Settings");
    const QStringList titles{"Torva Device:", "Enable Devices to Connect:", "Significant:",
                             "Theme:",        "Display Units in:",          "Gamut Spec:"};
    QStringList seen;
    for (QGroupBox *g : dialog.findChildren<QGroupBox *>())
        seen << g->title();
    for (const QString &t : titles)
        EXPECT_TRUE(seen.contains(t)) << t.toStdString();
    QStringList labels;
    for (QLabel *l : dialog.findChildren<QLabel *>())
        labels << l->text();
    for (const char *t : {"Color Speed:", "Max Avg Count", "Current:"})
        EXPECT_TRUE(labels.contains(t)) << t;
    QComboBox *speed = child<QComboBox>(dialog, "comboSpeed");
    ASSERT_EQ(speed->count(), 2);
    EXPECT_EQ(speed->itemText(0), "Fast (16 per Second)");
    EXPECT_EQ(speed->itemText(1), "Normal (8 per Second)");
    QSpinBox *avg = child<QSpinBox>(dialog, "spinMaxAvg");
    EXPECT_EQ(avg->minimum(), 1);
    EXPECT_EQ(avg->maximum(), 128);
    EXPECT_EQ(child<QCheckBox>(dialog, "checkTorvaPatternGenerator")->text(),
              "Torva Pattern Generator\n(Requrires Network)");
    EXPECT_EQ(child<QRadioButton>(dialog, "radioNits")->text(), "Nits (1 cd/m2) ");
    EXPECT_EQ(child<QRadioButton>(dialog, "radioFootLamberts")->text(), "Foot-Lamberts");
    EXPECT_EQ(child<QRadioButton>(dialog, "radio3Digits")->text(), "3 Digits");
    EXPECT_EQ(child<QRadioButton>(dialog, "radio4Digits")->text(), "4 Digits");
    EXPECT_EQ(child<QRadioButton>(dialog, "radioDay")->text(), "Day");
    EXPECT_EQ(child<QRadioButton>(dialog, "radioNight")->text(), "Night");
    EXPECT_EQ(child<QPushButton>(dialog, "pushButton")->text(), "Edit");
    EXPECT_EQ(child<QCheckBox>(dialog, "checkBM7")->text(), "BM7");
    EXPECT_EQ(child<QCheckBox>(dialog, "checkPR650")->text(), "PR650");
    EXPECT_EQ(child<QCheckBox>(dialog, "checkCS2000")->text(), "CS-2000");
}

TEST_F(SettingsDialog, ControlsShowStoredValues) {
    QSettings s;
    s.setValue("isNits", false);
    s.setValue("sigFigs", 4);
    s.setValue("checkPR650", true);
    s.setValue("checkBM7", true);
    s.setValue("torvaSpeed", 1);
    s.setValue("torvaMaxAvg", 100);
    s.setValue("Theme", ":/themes/day.qss");
    Settings dialog;
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioFootLamberts")->isChecked());
    EXPECT_TRUE(child<QRadioButton>(dialog, "radio4Digits")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(dialog, "checkPR650")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(dialog, "checkCS2000")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(dialog, "checkBM7")->isChecked());
    EXPECT_EQ(child<QComboBox>(dialog, "comboSpeed")->currentIndex(), 1);
    EXPECT_EQ(child<QSpinBox>(dialog, "spinMaxAvg")->value(), 100);
    EXPECT_TRUE(child<QRadioButton>(dialog, "radioDay")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(dialog, "radioNight")->isChecked());
}

TEST_F(SettingsDialog, StoredValuesOutOfRangeShowTheDefaults) {
    QSettings s;
    s.setValue("sigFigs", 7);
    s.setValue("torvaSpeed", 5);
    s.setValue("torvaMaxAvg", 500);
    Settings dialog;
    EXPECT_TRUE(child<QRadioButton>(dialog, "radio3Digits")->isChecked());
    EXPECT_EQ(child<QComboBox>(dialog, "comboSpeed")->currentIndex(), 0);
    EXPECT_EQ(child<QSpinBox>(dialog, "spinMaxAvg")->value(), 128);
    clickOk(dialog);
    EXPECT_EQ(s.value("torvaSpeed").toInt(), 0);
    EXPECT_EQ(s.value("sigFigs").toInt(), 3);
}

TEST_F(SettingsDialog, AcceptanceWritesEveryKeyInOrder) {
    Settings dialog;
    child<QRadioButton>(dialog, "radioFootLamberts")->setChecked(true);
    child<QRadioButton>(dialog, "radio4Digits")->setChecked(true);
    child<QCheckBox>(dialog, "checkCS2000")->setChecked(true);
    child<QCheckBox>(dialog, "checkTorvaPatternGenerator")->setChecked(true);
    child<QComboBox>(dialog, "comboSpeed")->setCurrentIndex(1);
    child<QSpinBox>(dialog, "spinMaxAvg")->setValue(7);
    child<QRadioButton>(dialog, "radioDay")->setChecked(true);

    const auto values = dialog.valuesToStore();
    QStringList keys;
    for (const auto &v : values)
        keys << v.first;
    EXPECT_EQ(keys,
              QStringList({"isNits", "sigFigs", "checkPR650", "checkCS2000", "checkBM7",
                           "checkTorvaPatternGenerator", "torvaSpeed", "torvaMaxAvg", "Theme"}));

    clickOk(dialog);
    QSettings s;
    EXPECT_EQ(s.value("isNits").toBool(), false);
    EXPECT_EQ(s.value("sigFigs").toInt(), 4);
    EXPECT_EQ(s.value("checkPR650").toBool(), false);
    EXPECT_EQ(s.value("checkCS2000").toBool(), true);
    EXPECT_EQ(s.value("checkBM7").toBool(), false);
    EXPECT_EQ(s.value("checkTorvaPatternGenerator").toBool(), true);
    EXPECT_EQ(s.value("torvaSpeed").toInt(), 1);
    EXPECT_EQ(s.value("torvaMaxAvg").toInt(), 7);
    EXPECT_EQ(s.value("Theme").toString(), ":/themes/day.qss");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    // The helpers see the change at once.
    EXPECT_EQ(unitsText(), "fL");
    EXPECT_EQ(formatSigFigs(5.5), "5.500");
}

TEST_F(SettingsDialog, ThemeIsAppliedBeforeTheNotification) {
    QApplication::setStyle("Fusion");
    Settings dialog;
    child<QRadioButton>(dialog, "radioDay")->setChecked(true);
    int notified = 0;
    QString sheetWhenNotified;
    QVariant themeWhenNotified;
    QObject::connect(&dialog, &Settings::updateSettings, [&]() {
        ++notified;
        sheetWhenNotified = qApp->styleSheet();
        themeWhenNotified = QSettings().value("Theme");
    });
    clickOk(dialog);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(sheetWhenNotified, loadStyleSheet(":/themes/day.qss"));
    EXPECT_EQ(themeWhenNotified.toString(), ":/themes/day.qss");

    Settings back;
    child<QRadioButton>(back, "radioNight")->setChecked(true);
    clickOk(back);
    EXPECT_EQ(qApp->styleSheet(), loadStyleSheet(":/themes/night.qss"));
    // The style "Windows" was set again under the sheet.
    qApp->setStyleSheet(QString());
    EXPECT_EQ(QApplication::style()->objectName(), "windows");
}

TEST_F(SettingsDialog, TheNamedSlotOfTheParentIsCalled) {
    QWidget parent;
    parent.show();
    Settings dialog("hide", &parent); // a plain slot name
    clickOk(dialog);
    EXPECT_FALSE(parent.isVisible());

    parent.show();
    Settings viaMacro(SLOT(hide()), &parent);
    clickOk(viaMacro);
    EXPECT_FALSE(parent.isVisible());

    parent.show();
    Settings none(QString(), &parent);
    clickOk(none);
    EXPECT_TRUE(parent.isVisible());
}

TEST_F(SettingsDialog, CancelWritesNothing) {
    Settings dialog;
    int notified = 0;
    QObject::connect(&dialog, &Settings::updateSettings, [&]() { ++notified; });
    child<QRadioButton>(dialog, "radio4Digits")->setChecked(true);
    child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Cancel)->click();
    EXPECT_EQ(notified, 0);
    EXPECT_TRUE(storedKeys().isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST_F(SettingsDialog, GamutComboSelectsTheSharedStandard) {
    ChromaGamutSpec::instance()->setCurrentGamut(2);
    Settings dialog;
    QComboBox *combo = child<QComboBox>(dialog, "comboGamutSpec");
    EXPECT_EQ(combo->currentText(), "REC709");
    combo->setCurrentIndex(5);
    EXPECT_EQ(ChromaGamutSpec::instance()->currentGamut().name, "DCIP3");
    ChromaGamutSpec::instance()->setCurrentGamut(2);
    EXPECT_EQ(combo->currentText(), "REC709");
}

TEST_F(SettingsDialog, EditOpensTheGamutSettingsForm) {
    Settings dialog;
    QString openedTitle;
    bool wasModal = false;
    // Polls until the form is up, so a slow start cannot leave it open.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&]() {
        QWidget *form = QApplication::activeModalWidget();
        if (!form || form == &dialog)
            return;
        openedTitle = form->windowTitle();
        wasModal = form->isModal();
        form->close();
    });
    poll.start(10);
    child<QPushButton>(dialog, "pushButton")->click();
    poll.stop();
    EXPECT_EQ(openedTitle, "Gamut Settings");
    EXPECT_TRUE(wasModal);
}

} // namespace
