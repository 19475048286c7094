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
#include "shotsaver.h"
#include "viewmatrix.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

namespace {

const QVector<double> twelve(12, 1.0);

class ProfileWindows : public EmptySettings {
protected:
    static void press(QWidget *w, const char *button) {
        w->findChild<QPushButton *>(button)->click();
    }
    ProfileMeter meter_;
    ScriptedDialogs dialogs_;
};

} // namespace

TEST_F(ProfileWindows, SavingAsksWhatItMustAndStoresOnlyWhenAllowed) {
    const QMessageBox::StandardButton none = QMessageBox::NoButton, no = QMessageBox::No,
                                      yes = QMessageBox::Yes;
    const char *blank = "File name cannot be blank",
               *overwrite = "You've selected an existing cal file. Overwrite?",
               *refused =
                   "Password Incorrect. You must use the correct password to save a Cal File.",
               *failed = "An Error Occurred. Cal File not Saved.";
    const struct {
        int slot; // -1: none given
        const char *name;
        QMessageBox::StandardButton overwrite; // answer to the question, if asked
        const char *password;                  // typed into the dialog, if shown
        int result;                            // of the store
        QStringList calls;
        const char *told; // the last box shown, "" for none
    } cases[] = {
        {3, "  Blank ", none, nullptr, 0, {}, blank},
        {3, "\tbLaNk", none, nullptr, 0, {}, blank},
        // The first blank slot, no question.
        {-1, " New   Panel", none, "pangolin", 0, {"save 3 New Panel", "select 3"}, ""},
        {5, "Other", no, nullptr, 0, {}, overwrite},
        {5, "Other", yes, "wrong", 0, {}, refused},
        {5, "Other", yes, "pangolin", 0, {"save 5 Other", "select 5"}, overwrite},
        {4, "Broken", none, "pangolin", 0x10000, {"save 4 Broken"}, failed},
    };
    for (const auto &c : cases) {
        ProfileMeter meter;
        meter.list[1] = "1: Studio";
        meter.list[2] = "2: Office";
        meter.list[5] = "5: Studio";
        meter.current = 2;
        meter.saveResult = c.result;
        dialogs_.clear();
        QPointer<SaveCal> w = new SaveCal(&meter, c.slot, c.name, twelve, twelve, {});
        w->open();
        QSignalSpy closed(w.data(), &SaveCal::Closed);
        if (c.overwrite != QMessageBox::NoButton)
            dialogs_.queueButton(c.overwrite);
        if (c.password)
            answerPassword(c.password);
        press(w, "pushSave");
        QTRY_VERIFY(w.isNull() || !w->isStoring());
        EXPECT_EQ(meter.calls, c.calls) << c.name;
        if (!c.calls.isEmpty()) { // the instrument is written off the GUI thread
            EXPECT_NE(meter.callThread, QThread::currentThread()) << c.name;
        }
        EXPECT_EQ(dialogs_.last().text, c.told) << c.name;
        const bool stored = c.calls.size() == 2;
        EXPECT_EQ(closed.count(), stored ? 1 : 0) << c.name;
        EXPECT_EQ(meter.current, stored ? c.calls.last().section(' ', 1, 1).toInt() : 2) << c.name;
        QTRY_COMPARE(w.isNull(), stored); // closed and gone only after a store
        delete w;
    }
}

TEST_F(ProfileWindows, ListsShowNinetyEntriesAndAPickFillsSlotAndName) {
    ProfileMeter big(97);
    big.list[40] = "40: Projector Room";
    SaveCal save(&big, -1, "x", twelve, twelve, {});
    auto *list = save.findChild<QListWidget *>("listWidget");
    EXPECT_EQ(list->count(), 90);
    saveShot(save.grab().toImage(), "savecal");
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
    meter_.current = 3;
    CalSelect w(&meter_);
    auto *list = w.findChild<QListWidget *>("listCal");
    // The profile in use is the one selected, in bold, when the window opens.
    EXPECT_EQ(list->currentRow(), 3);
    EXPECT_TRUE(list->item(3)->font().bold());
    EXPECT_FALSE(list->item(0)->font().bold());
    // The instrument is changed off the GUI thread; the window waits.
    auto finished = [&] {
        QTRY_VERIFY(!w.isBusy());
        EXPECT_NE(meter_.callThread, QThread::currentThread());
        EXPECT_TRUE(list->isEnabled());
    };
    meter_.current = 0;
    list->setCurrentRow(3);
    press(&w, "pushSelect");
    finished();
    EXPECT_EQ(meter_.calls, QStringList({"select 3"}));
    QTRY_VERIFY(list->item(3)->font().bold()); // marked once the change is told
    QMetaObject::invokeMethod(&w, "on_listCal_itemDoubleClicked",
                              Q_ARG(QListWidgetItem *, list->item(1)));
    finished();
    EXPECT_EQ(meter_.calls.last(), "select 1");

    meter_.calls.clear();
    list->setCurrentRow(3);
    dialogs_.queueButton(QMessageBox::No);
    press(&w, "pushDelete");
    EXPECT_EQ(dialogs_.last().title, "Delete Cal File");
    EXPECT_EQ(dialogs_.last().text, "Are you sure you want to delete '3: Studio' file?");
    EXPECT_FALSE(w.isBusy());
    EXPECT_TRUE(meter_.calls.isEmpty());

    dialogs_.queueButton(QMessageBox::Yes);
    answerPassword("pangolin");
    press(&w, "pushDelete");
    finished();
    EXPECT_EQ(meter_.calls, QStringList({"delete 3"}));
    EXPECT_EQ(list->item(3)->text(), "3: Blank"); // refilled
    saveShot(w.grab().toImage(), "calselect");

    meter_.deleteResult = 0x20000;
    meter_.list[4] = "4: Office";
    w.refill();
    list->setCurrentRow(4);
    dialogs_.queueButton(QMessageBox::Yes);
    answerPassword("pangolin");
    press(&w, "pushDelete");
    finished();
    EXPECT_EQ(dialogs_.last().title, "Error DeleteCal");
    EXPECT_EQ(dialogs_.last().text, "There was an error on deleting the Profile");
    EXPECT_EQ(list->item(4)->text(), "4: Office");
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
    EXPECT_EQ(view.windowTitle(), "Calibration Matrix");
    view.show();
    for (QTableWidget *t : {color, rgb}) { // every column in view, no scroll bar
        EXPECT_LE(t->horizontalHeader()->length(), t->viewport()->width());
        EXPECT_LE(t->verticalHeader()->length(), t->viewport()->height());
    }
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
    press(&w, "pushGamut"); // a reference from the gamut standard
    EXPECT_EQ(appSettings().value("refmodel").toString(), "Gamut Color");
    press(&w, "pushSave");
    EXPECT_EQ(dialogs_.last().text, "No TColorimeter measurement taken");
    EXPECT_TRUE(meter_.calls.isEmpty());
}
