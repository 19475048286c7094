// The gamut settings form: validation of new standards and offsets with the
// exact messages, protected built-ins, confirmation before removal, and every
// gamut combo following an addition at once.
#include "chromagamutspec.h"
#include "colorspacecombo.h"
#include "gamutspecform.h"
#include "scripteddialogs.h"
#include "settingsfixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

namespace {

const char *const gamutFields[] = {"lineWhiteX", "lineWhiteY", "lineRedX",  "lineRedY",
                                   "lineGreenX", "lineGreenY", "lineBlueX", "lineBlueY"};

class GamutForm : public EmptySettings {
protected:
    void SetUp() override {
        EmptySettings::SetUp();
        ChromaGamutSpec *spec = ChromaGamutSpec::instance();
        while (spec->gamutSpecs().size() > GamutSpec::builtInCount)
            spec->removeGamutSpec(spec->gamutSpecs().size() - 1);
        while (spec->offSets().size() > ChromaGamutSpec::builtInOffSetCount)
            spec->removeOffSet(spec->offSets().size() - 1);
        spec->setCurrentGamut(2);
        spec->setCurrentOffSet(0);
        clearSettings();
    }

    void fillGamut(const QString &name, const QStringList &values) {
        form.findChild<QLineEdit *>("lineGamutName")->setText(name);
        for (int i = 0; i < 8; ++i)
            form.findChild<QLineEdit *>(gamutFields[i])->setText(values.value(i));
    }
    void click(const char *button) { form.findChild<QPushButton *>(button)->click(); }
    void fillOffSet(const QString &name, const QString &x, const QString &y) {
        form.findChild<QLineEdit *>("lineOffSetName")->setText(name);
        form.findChild<QLineEdit *>("lineOffSetX")->setText(x);
        form.findChild<QLineEdit *>("lineOffSetY")->setText(y);
    }
    QTableWidget *table() { return form.findChild<QTableWidget *>("tableGamutSpecs"); }
    QListWidget *offSetList() { return form.findChild<QListWidget *>("listOffSets"); }
    ChromaGamutSpec *spec() { return ChromaGamutSpec::instance(); }

    const QStringList good{"0.3127", "0.329", "0.68", "0.32", "0.265", "0.69", "0.15", "0.06"};
    ScriptedDialogs boxes;
    gamutSpecForm form;
};

TEST_F(GamutForm, TitleAndInitialLists) {
    EXPECT_EQ(form.windowTitle(), "Gamut Settings");
    ASSERT_EQ(table()->rowCount(), 6);
    EXPECT_EQ(table()->item(2, 0)->text(), "REC709");
    EXPECT_EQ(table()->item(2, 1)->text(), "0.3127, 0.329");
    EXPECT_EQ(table()->item(2, 4)->text(), "0.15, 0.06");
    EXPECT_TRUE(table()->item(2, 0)->font().bold()); // the current standard
    EXPECT_FALSE(table()->item(0, 0)->font().bold());
    ASSERT_EQ(offSetList()->count(), 2);
    EXPECT_EQ(offSetList()->item(0)->text(), "Sony OLED (-0.002x, -0.011y)");
    EXPECT_EQ(offSetList()->item(1)->text(), "None (0x, 0y)");
    EXPECT_EQ(offSetList()->currentRow(), 0);
}

TEST_F(GamutForm, ANonNumberStopsBeforeTheRangeChecks) {
    QStringList values = good;
    values[5] = "0,69";
    fillGamut("Mine", values);
    click("pushAddGamut");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().kind, "warning");
    EXPECT_EQ(boxes.last().title, "Gamut Spec");
    EXPECT_EQ(boxes.last().text, "One of the points were not a number");
    EXPECT_EQ(spec()->gamutSpecs().size(), 6);
}

TEST_F(GamutForm, EveryFailingCheckAddsItsLine) {
    fillGamut("ElevenChars", {"0.27", "0.43", "0.49", "0.43", "0.41", "0.91", "0.26", "0.005"});
    click("pushAddGamut");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().title, "Gumat Spec");
    EXPECT_EQ(boxes.last().text.toStdString(),
              "There was a problem with Gamut Spec you have entered:\n\n"
              "White x value out of range (.28, .46)\n"
              "White y value out of range (.28, .42)\n"
              "Red x value out of range (.5, .8)\n"
              "Red y value out of range (.28, .42)\n"
              "Green x value out of range (.15, .4)\n"
              "Green y value out of range (.5, .9)\n"
              "Blue x value out of range (.1, .25)\n"
              "Blue y value out of range (.01, .1)\n"
              "Name needs to be filled in and be less than 11 character.");
    EXPECT_EQ(spec()->gamutSpecs().size(), 6);
    EXPECT_FALSE(QSettings().contains("userGamutSpec"));
}

TEST_F(GamutForm, OnlyTheFailingLinesAreListed) {
    QStringList values = good;
    values[2] = "0.81"; // red x just above its range
    values[7] = "nan";
    fillGamut("", values);
    click("pushAddGamut");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().text.toStdString(),
              "There was a problem with Gamut Spec you have entered:\n\n"
              "Red x value out of range (.5, .8)\n"
              "Blue y value out of range (.01, .1)\n"
              "Name needs to be filled in and be less than 11 character.");
}

TEST_F(GamutForm, RangeEndsAndTenCharacterNamesAreAccepted) {
    fillGamut("TenCharsOK", {"0.28", "0.42", "0.8", "0.28", "0.15", "0.9", "0.25", "0.01"});
    click("pushAddGamut");
    EXPECT_EQ(boxes.count(), 0) << boxes.last().text.toStdString();
    ASSERT_EQ(spec()->gamutSpecs().size(), 7);
    EXPECT_EQ(spec()->gamutSpecs().at(6).name, "TenCharsOK");
    EXPECT_EQ(QSettings().value("userGamutSpec").toString(),
              "TenCharsOK,0.28,0.42,0.8,0.28,0.15,0.9,0.25,0.01");
    // The fields are cleared for the next entry.
    EXPECT_TRUE(form.findChild<QLineEdit *>("lineWhiteX")->text().isEmpty());
}

TEST_F(GamutForm, NamesWithListSeparatorsAreRefused) {
    fillGamut("A;B", good);
    click("pushAddGamut");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().title, "Gumat Spec");
    EXPECT_TRUE(boxes.last().text.endsWith("Name may not contain \",\" or \";\"."));
    EXPECT_EQ(spec()->gamutSpecs().size(), 6);
}

TEST_F(GamutForm, AnAddedStandardIsListedInEveryComboAtOnce) {
    ColorSpaceCombo first;
    ColorSpaceCombo second;
    spec()->setCurrentGamut(4);
    fillGamut("Studio", good);
    click("pushAddGamut");
    for (ColorSpaceCombo *combo : {&first, &second}) {
        ASSERT_EQ(combo->count(), 7);
        EXPECT_EQ(combo->itemText(6), "Studio");
        EXPECT_EQ(combo->currentText(), "SMPTE");
    }
    EXPECT_EQ(spec()->currentGamutIndex(), 4);
    ASSERT_EQ(table()->rowCount(), 7);
    EXPECT_EQ(table()->item(6, 0)->text(), "Studio");
    EXPECT_EQ(table()->item(6, 2)->text(), "0.68, 0.32");
}

TEST_F(GamutForm, BuiltInStandardsCannotBeRemoved) {
    table()->selectRow(3);
    click("pushRemoveGamutSpec");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().title, "Gamut Spec");
    EXPECT_EQ(boxes.last().text, "You may not delete a default spec");
    EXPECT_EQ(spec()->gamutSpecs().size(), 6);
}

TEST_F(GamutForm, AUserStandardIsRemovedOnlyAfterYes) {
    fillGamut("Temp", good);
    click("pushAddGamut");
    table()->selectRow(6);

    boxes.queueButton(QMessageBox::No);
    click("pushRemoveGamutSpec");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().kind, "question");
    EXPECT_EQ(boxes.last().text, "Are you sure you want to delete:\nTemp");
    EXPECT_EQ(spec()->gamutSpecs().size(), 7);

    boxes.queueButton(QMessageBox::Yes);
    click("pushRemoveGamutSpec");
    EXPECT_EQ(spec()->gamutSpecs().size(), 6);
    EXPECT_EQ(table()->rowCount(), 6);
    EXPECT_EQ(QSettings().value("userGamutSpec").toString(), "");
}

TEST_F(GamutForm, OffsetLimitIsBelowPointZeroOneFive) {
    const struct {
        const char *name, *x, *y;
        bool accepted;
    } cases[] = {
        {"Warm", "0.012", "-0.0149", true}, // between .01 and .015 is accepted
        {"Edge", "0.015", "0", false},           {"Neg", "0", "-0.02", false},
        {"", "0.001", "0.001", false},           {"Text", "abc", "0.001", false},
        {"Semi;colon", "0.001", "0.001", false},
    };
    for (const auto &c : cases) {
        boxes.clear();
        const int before = spec()->offSets().size();
        fillOffSet(c.name, c.x, c.y);
        click("pushAddWhite");
        EXPECT_EQ(spec()->offSets().size(), before + (c.accepted ? 1 : 0)) << c.name;
        if (c.accepted) {
            EXPECT_EQ(boxes.count(), 0) << c.name;
        } else {
            ASSERT_EQ(boxes.count(), 1) << c.name;
            EXPECT_EQ(boxes.last().title, "Off-Set");
            EXPECT_EQ(boxes.last().text,
                      "Name must be filled out, the x and y must be less than .01");
        }
    }
    ASSERT_EQ(offSetList()->count(), 3);
    EXPECT_EQ(offSetList()->item(2)->text(), "Warm (0.012x, -0.0149y)");
    EXPECT_EQ(QSettings().value("userOffsets").toString(), "Warm,0.012,-0.0149");
}

TEST_F(GamutForm, OffsetsAreSelectedAndRemovedWithTheRightQuestions) {
    fillOffSet("Cool", "-0.001", "0.002");
    click("pushAddWhite");

    offSetList()->setCurrentRow(1);
    EXPECT_EQ(spec()->currentOffSet().name, "None");
    click("pushRemoveOffSet");
    ASSERT_EQ(boxes.count(), 1);
    EXPECT_EQ(boxes.last().title, "Off-Set");
    EXPECT_EQ(boxes.last().text, "You may not delete a default Off-Set");

    offSetList()->setCurrentRow(2);
    boxes.queueButton(QMessageBox::No);
    click("pushRemoveOffSet");
    EXPECT_EQ(boxes.last().kind, "question");
    EXPECT_EQ(boxes.last().text, "Are you sure you wish to delete Cool?");
    EXPECT_EQ(spec()->offSets().size(), 3);

    boxes.queueButton(QMessageBox::Yes);
    click("pushRemoveOffSet");
    EXPECT_EQ(spec()->offSets().size(), 2);
    EXPECT_EQ(offSetList()->count(), 2);
    // The removed offset was current; the list shows the fall-back.
    EXPECT_EQ(offSetList()->currentRow(), 0);
}

} // namespace
