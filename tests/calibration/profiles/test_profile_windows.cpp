// The profile windows against a scripted colorimeter: saving (names, slots,
// the overwrite question, the password, failures), selecting and deleting,
// viewing the matrices, and the profile window's refusals.
#include "appsettings.h"
#include "calselect.h"
#include "createcal.h"
#include "modalanswer.h"
#include "passwordcalfile.h"
#include "profilemeter.h"
#include "qportmenu.h"
#include "savecal.h"
#include "scripteddialogs.h"
#include "settingsfixture.h"
#include "viewmatrix.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

namespace {

const QVector<double> twelve(12, 1.0);
const char *const saving = "Saving Cal File";

class ProfileWindows : public EmptySettings {
protected:
    SaveCal *saveCal(int slot, const QString &name, const QVector<double> &black = {}) {
        auto *w = new SaveCal(&meter_, slot, name, twelve, twelve, black);
        w->open();
        return w;
    }
    static void press(QWidget *w, const char *button) {
        w->findChild<QPushButton *>(button)->click();
    }
    ProfileMeter meter_;
    ScriptedDialogs dialogs_;
};

} // namespace

TEST_F(ProfileWindows, BlankNamesAreRefusedWhateverTheirCase) {
    for (const char *name : {"", "blank", "BLANK", "  Blank  ", "\tbLaNk"}) {
        QPointer<SaveCal> w = saveCal(3, QString::fromLatin1(name));
        press(w, "pushSave");
        EXPECT_EQ(dialogs_.last().title, saving) << name;
        EXPECT_EQ(dialogs_.last().text, "File name cannot be blank") << name;
        EXPECT_TRUE(w->isVisible()) << name;
        delete w;
    }
    EXPECT_TRUE(meter_.calls.isEmpty());
}

TEST_F(ProfileWindows, ABlankSlotSavesWithoutTheOverwriteQuestion) {
    meter_.list[1] = "1: Studio";
    meter_.list[2] = "2: Office";
    QPointer<SaveCal> w = saveCal(-1, "  New   Panel ");
    EXPECT_EQ(w->findChild<QSpinBox *>("spinSlot")->value(), 3); // the first blank slot
    QSignalSpy closed(w.data(), &SaveCal::Closed);
    answerPassword("pangolin");
    press(w, "pushSave");
    EXPECT_EQ(dialogs_.count(), 0); // no question, no error
    EXPECT_EQ(meter_.calls, QStringList({"save 3 New Panel", "select 3"}));
    EXPECT_EQ(closed.count(), 1);
    QTRY_VERIFY(w.isNull()); // closed and deleted
}

TEST_F(ProfileWindows, AnOccupiedSlotAsksBeforeItIsOverwritten) {
    meter_.list[5] = "5: Studio";
    QPointer<SaveCal> w = saveCal(5, "Replacement");
    dialogs_.queueButton(QMessageBox::No);
    press(w, "pushSave");
    EXPECT_EQ(dialogs_.last().text, "You've selected an existing cal file. Overwrite?");
    EXPECT_TRUE(meter_.calls.isEmpty());

    dialogs_.queueButton(QMessageBox::Yes);
    answerPassword("wrong"); // refused, then cancelled
    press(w, "pushSave");
    EXPECT_EQ(dialogs_.last().text,
              "Password Incorrect. You must use the correct password to save a Cal File.");
    EXPECT_TRUE(meter_.calls.isEmpty());

    dialogs_.queueButton(QMessageBox::Yes);
    answerPassword("pangolin");
    press(w, "pushSave");
    EXPECT_EQ(meter_.calls, QStringList({"save 5 Replacement", "select 5"}));
}

TEST_F(ProfileWindows, AFailedStoreKeepsTheWindowAndTheProfileInForce) {
    meter_.saveResult = 0x10000;
    meter_.current = 2;
    meter_.list[2] = "2: Office";
    QPointer<SaveCal> w = saveCal(4, "Broken");
    QSignalSpy closed(w.data(), &SaveCal::Closed);
    answerPassword("pangolin");
    press(w, "pushSave");
    EXPECT_EQ(dialogs_.last().kind, "critical");
    EXPECT_EQ(dialogs_.last().text, "An Error Occurred. Cal File not Saved.");
    EXPECT_EQ(meter_.calls, QStringList({"save 4 Broken"}));
    EXPECT_EQ(meter_.current, 2);
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(w->isVisible());
    delete w;
}

TEST_F(ProfileWindows, ListsShowNinetyEntriesAndAPickFillsSlotAndName) {
    ProfileMeter big(97);
    big.list[40] = "40: Projector Room";
    SaveCal save(&big, -1, "x", twelve, twelve, {});
    auto *list = save.findChild<QListWidget *>("listWidget");
    EXPECT_EQ(list->count(), 90);
    list->setCurrentRow(40);
    EXPECT_EQ(save.findChild<QSpinBox *>("spinSlot")->value(), 40);
    EXPECT_EQ(save.findChild<QLineEdit *>("lineName")->text(), "Projector Room");
    CalSelect select(&big);
    EXPECT_EQ(select.findChild<QListWidget *>("listCal")->count(), 90);
}

TEST_F(ProfileWindows, PasswordIsRememberedOnlyWhenTicked) {
    appSettings().setValue("passwordCal/password", "old");
    {
        passwordCalfile dialog;
        EXPECT_EQ(dialog.findChild<QLineEdit *>("linePassword")->text(), "old");
        EXPECT_TRUE(dialog.findChild<QCheckBox *>("checkSavePassword")->isChecked());
    }
    whenModal([](QDialog *d) {
        d->findChild<QCheckBox *>("checkSavePassword")->setChecked(false);
        d->findChild<QLineEdit *>("linePassword")->setText("pangolin");
        d->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_TRUE(passwordCalfile::ask(nullptr));
    EXPECT_FALSE(appSettings().contains("passwordCal/password"));
    // Factory mode answers itself and remembers the password.
    appSettings().setValue("factorymode", QString::fromLatin1(factoryModeDigest));
    EXPECT_TRUE(passwordCalfile::ask(nullptr));
    EXPECT_EQ(appSettings().value("passwordCal/password").toString(), "pangolin");
}

TEST_F(ProfileWindows, SelectingAndDeletingProfiles) {
    meter_.list[3] = "3: Studio";
    CalSelect w(&meter_);
    auto *list = w.findChild<QListWidget *>("listCal");
    list->setCurrentRow(3);
    press(&w, "pushSelect");
    EXPECT_EQ(meter_.calls, QStringList({"select 3"}));
    QMetaObject::invokeMethod(&w, "on_listCal_itemDoubleClicked",
                              Q_ARG(QListWidgetItem *, list->item(1)));
    EXPECT_EQ(meter_.calls.last(), "select 1");

    meter_.calls.clear();
    list->setCurrentRow(3);
    dialogs_.queueButton(QMessageBox::No);
    press(&w, "pushDelete");
    EXPECT_EQ(dialogs_.last().title, "Delete Cal File");
    EXPECT_EQ(dialogs_.last().text, "Are you sure you want to delete '3: Studio' file?");
    EXPECT_TRUE(meter_.calls.isEmpty());

    dialogs_.queueButton(QMessageBox::Yes);
    answerPassword("pangolin");
    press(&w, "pushDelete");
    EXPECT_EQ(meter_.calls, QStringList({"delete 3"}));
    EXPECT_EQ(list->item(3)->text(), "3: Blank"); // refilled

    meter_.deleteResult = 0x20000;
    meter_.list[4] = "4: Office";
    w.refill();
    list->setCurrentRow(4);
    dialogs_.queueButton(QMessageBox::Yes);
    answerPassword("pangolin");
    press(&w, "pushDelete");
    EXPECT_EQ(dialogs_.last().title, "Error DeleteCal");
    EXPECT_EQ(dialogs_.last().text, "There was an error on deleting the Profile");
}

TEST_F(ProfileWindows, MatricesShowFourDecimalsReadOnly) {
    meter_.color(0, 1) = -0.012345;
    meter_.color(2, 2) = 1.5;
    meter_.rgb(1, 0) = 3.14159;
    ViewMatrix view(&meter_);
    auto *color = view.findChild<QTableWidget *>("tableColor");
    auto *rgb = view.findChild<QTableWidget *>("tableRGB");
    EXPECT_EQ(color->item(0, 1)->text(), "-0.0123");
    EXPECT_EQ(color->item(2, 2)->text(), "1.5000");
    EXPECT_EQ(rgb->item(1, 0)->text(), "3.1416");
    EXPECT_FALSE(color->item(0, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_EQ(view.windowTitle(), "Calibartion Matrix");
}

TEST_F(ProfileWindows, ProfileWindowRefusesWhatItCannotDo) {
    CreateCal w(nullptr, nullptr);
    w.torvaMenu()->setConnectedTo(&meter_);
    EXPECT_FALSE(w.findChild<QPushButton *>("pushRefMeasure")->isEnabled());
    QMetaObject::invokeMethod(&w, "on_pushRefMeasure_clicked");
    EXPECT_EQ(dialogs_.last().title, "Reference");
    EXPECT_EQ(dialogs_.last().text, "No reference device connected.");
    press(&w, "pushSave");
    EXPECT_EQ(dialogs_.last().text, "No reference measurement taken");
    press(&w, "pushQCSave");
    EXPECT_EQ(dialogs_.last().title, "Saving QC Report");

    // A reference from the gamut standard, then slot 0 without a black check.
    press(&w, "pushGamut");
    EXPECT_TRUE(w.runs()->complete(ProfileRuns::ReferenceRun));
    EXPECT_EQ(appSettings().value("refmodel").toString(), "Gamut Color");
    EXPECT_TRUE(appSettings().contains("ref_3_z"));
    press(&w, "pushSave");
    EXPECT_EQ(dialogs_.last().text, "No TColorimeter measurement taken");
    EXPECT_TRUE(meter_.calls.isEmpty());
}
