// The gamut settings form: its lists, validation of new standards and
// offsets with the exact messages, protected built-ins, confirmation before
// removal, and every gamut combo following an addition at once.
#include "chromagamutspec.h"
#include "colorspacecombo.h"
#include "gamutspecform.h"
#include "scripteddialogs.h"
#include "settingsfixture.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

namespace {

class GamutForm : public EmptySettings {
protected:
    void SetUp() override {
        while (spec()->gamutSpecs().size() > ChromaGamutSpec::builtInGamutCount)
            spec()->removeGamutSpec(spec()->gamutSpecs().size() - 1);
        while (spec()->offSets().size() > ChromaGamutSpec::builtInOffSetCount)
            spec()->removeOffSet(spec()->offSets().size() - 1);
        spec()->setCurrentGamut(2);
        spec()->setCurrentOffSet(0);
        clearSettings();
    }
    void fill(const char *field, const QString &text) {
        form.findChild<QLineEdit *>(field)->setText(text);
    }
    void click(const char *button) { form.findChild<QPushButton *>(button)->click(); }
    // Fills and adds a standard; the box shown, or an empty one.
    ScriptedDialogs::Shown addGamut(const QString &name, const QStringList &values) {
        const char *const fields[] = {"lineWhiteX", "lineWhiteY", "lineRedX",  "lineRedY",
                                      "lineGreenX", "lineGreenY", "lineBlueX", "lineBlueY"};
        fill("lineGamutName", name);
        for (int i = 0; i < 8; ++i)
            fill(fields[i], values.value(i));
        boxes.clear();
        click("pushAddGamut");
        return boxes.last();
    }
    QTableWidget *table() { return form.findChild<QTableWidget *>("tableGamutSpecs"); }
    QListWidget *offSets() { return form.findChild<QListWidget *>("listOffSets"); }
    static ChromaGamutSpec *spec() { return ChromaGamutSpec::instance(); }

    ScriptedDialogs boxes;
    gamutSpecForm form;
};

const QStringList good{"0.3127", "0.329", "0.68", "0.32", "0.265", "0.69", "0.15", "0.06"};
const char *const problem = "There was a problem with Gamut Spec you have entered:\n\n";

TEST_F(GamutForm, NewStandardsAreCheckedWithTheExactMessages) {
    QStringList comma = good;
    comma[5] = "0,69";
    ScriptedDialogs::Shown box = addGamut("Mine", comma);
    EXPECT_EQ(box.title, "Gamut Spec");
    EXPECT_EQ(box.text, "One of the points were not a number");

    box =
        addGamut("ElevenChars", {"0.27", "0.43", "0.49", "0.43", "0.41", "0.91", "0.26", "0.005"});
    EXPECT_EQ(box.title, "Gumat Spec");
    EXPECT_EQ(box.text.toStdString(), std::string(problem) +
                                          "White x value out of range (.28, .46)\n"
                                          "White y value out of range (.28, .42)\n"
                                          "Red x value out of range (.5, .8)\n"
                                          "Red y value out of range (.28, .42)\n"
                                          "Green x value out of range (.15, .4)\n"
                                          "Green y value out of range (.5, .9)\n"
                                          "Blue x value out of range (.1, .25)\n"
                                          "Blue y value out of range (.01, .1)\n"
                                          "Name needs to be filled in and be less than 11 "
                                          "character.");
    QStringList some = good;
    some[2] = "0.81"; // just above its range
    some[7] = "nan";
    EXPECT_EQ(addGamut("", some).text.toStdString(),
              std::string(problem) + "Red x value out of range (.5, .8)\n"
                                     "Blue y value out of range (.01, .1)\n"
                                     "Name needs to be filled in and be less than 11 character.");
    EXPECT_TRUE(addGamut("A;B", good).text.endsWith("Name may not contain \",\" or \";\"."));
    EXPECT_FALSE(QSettings().contains("userGamutSpec"));

    // The ends of every range and a ten-character name are accepted.
    ColorSpaceCombo combo; // and listed in every combo at once
    spec()->setCurrentGamut(4);
    box = addGamut("TenCharsOK", {"0.28", "0.42", "0.8", "0.28", "0.15", "0.9", "0.25", "0.01"});
    EXPECT_TRUE(box.text.isEmpty()) << box.text.toStdString();
    EXPECT_EQ(QSettings().value("userGamutSpec").toString(),
              "TenCharsOK,0.28,0.42,0.8,0.28,0.15,0.9,0.25,0.01");
    EXPECT_EQ(combo.itemText(8), "TenCharsOK"); // after the built-in HDR standards
    EXPECT_EQ(combo.currentText(), "SMPTE");
    EXPECT_EQ(table()->item(8, 0)->text(), "TenCharsOK");
    EXPECT_TRUE(form.findChild<QLineEdit *>("lineWhiteX")->text().isEmpty()); // cleared
}

TEST_F(GamutForm, BuiltInsAreKeptUserStandardsGoOnlyAfterYes) {
    table()->selectRow(3);
    click("pushRemoveGamutSpec");
    EXPECT_EQ(boxes.last().text, "You may not delete a default spec");
    table()->selectRow(ChromaGamutSpec::pqGamutIndex); // the HDR standards are built in too
    click("pushRemoveGamutSpec");
    EXPECT_EQ(boxes.last().text, "You may not delete a default spec");
    addGamut("Temp", good);
    table()->selectRow(8);
    boxes.queueButton(QMessageBox::No);
    click("pushRemoveGamutSpec");
    EXPECT_EQ(boxes.last().kind, "question");
    EXPECT_EQ(boxes.last().text, "Are you sure you want to delete:\nTemp");
    EXPECT_EQ(spec()->gamutSpecs().size(), 9);
    boxes.queueButton(QMessageBox::Yes);
    click("pushRemoveGamutSpec");
    EXPECT_EQ(table()->rowCount(), 8);
}

TEST_F(GamutForm, OffsetsBelowPointZeroOneFiveAreAddedAndRemovedAfterYes) {
    const struct {
        const char *name, *x, *y;
        bool accepted;
    } cases[] = {{"Warm", "0.012", "-0.0149", true}, // between .01 and .015 is accepted
                 {"Edge", "0.015", "0", false},
                 {"", "0.001", "0.001", false},
                 {"Text", "abc", "0.001", false},
                 {"Semi;colon", "0.001", "0.001", false}};
    for (const auto &c : cases) {
        fill("lineOffSetName", c.name);
        fill("lineOffSetX", c.x);
        fill("lineOffSetY", c.y);
        boxes.clear();
        click("pushAddWhite");
        EXPECT_EQ(boxes.count(), c.accepted ? 0 : 1) << c.name;
        EXPECT_EQ(boxes.last().text,
                  c.accepted ? "" : "Name must be filled out, the x and y must be less than .01");
    }
    EXPECT_EQ(offSets()->item(2)->text(), "Warm (0.012x, -0.0149y)");
    offSets()->setCurrentRow(1);
    click("pushRemoveOffSet");
    EXPECT_EQ(boxes.last().text, "You may not delete a default Off-Set");
    offSets()->setCurrentRow(2);
    boxes.queueButton(QMessageBox::Yes);
    click("pushRemoveOffSet");
    EXPECT_EQ(boxes.last().text, "Are you sure you wish to delete Warm?");
    EXPECT_EQ(offSets()->count(), 2);
    EXPECT_EQ(offSets()->currentRow(), 0); // it was current: the list shows the fall-back
}

// The display curves: the form sets the shared settings and follows them.
TEST_F(GamutForm, DisplayCurvesSetAndFollowTheSharedSettings) {
    auto *sdr = form.findChild<QComboBox *>("comboSdrCurve");
    auto *rollOff = form.findChild<QComboBox *>("comboRollOff");
    auto *peak = form.findChild<QDoubleSpinBox *>("spinHdrPeak");
    auto *black = form.findChild<QDoubleSpinBox *>("spinBlack");
    QMetaObject::invokeMethod(&form, "on_comboSdrCurve_activated", Q_ARG(int, 1));
    QMetaObject::invokeMethod(&form, "on_comboRollOff_activated", Q_ARG(int, 2));
    peak->setValue(600);
    QMetaObject::invokeMethod(&form, "on_spinHdrPeak_editingFinished");
    black->setValue(0.05);
    QMetaObject::invokeMethod(&form, "on_spinBlack_editingFinished");
    EXPECT_TRUE(spec()->bt1886());
    EXPECT_EQ(spec()->hdrRollOff(), 4000);
    EXPECT_EQ(spec()->hdrPeak(), 600);
    EXPECT_EQ(spec()->minBigY(), 0.05);
    // Changed elsewhere, the form follows.
    spec()->setBt1886(false);
    spec()->setHdrRollOff(0);
    spec()->setHdrPeak(1000);
    spec()->setMinBigY(0);
    EXPECT_EQ(sdr->currentIndex(), 0);
    EXPECT_EQ(rollOff->currentIndex(), 0);
    EXPECT_EQ(peak->value(), 1000);
    EXPECT_EQ(black->value(), 0);
}

} // namespace
