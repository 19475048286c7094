// The shared display widgets: the combos and radio pair that edit the shared
// gamut settings, the maximum-Y editor, the changed-mark field, the lamp and
// the busy spinner.
#include "appsettings.h"
#include "chromagamutspec.h"
#include "colorspacecombo.h"
#include "offsetcombo.h"
#include "qgammacombo.h"
#include "qledindicator.h"
#include "qlineeditviewchange.h"
#include "qmaxbigy.h"
#include "qradiovideomode.h"
#include "qrescanbutton.h"

#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class Widgets : public ::testing::Test {
protected:
    void SetUp() override {
        ChromaGamutSpec *s = spec();
        while (s->gamutSpecs().size() > GamutSpec::builtInCount)
            s->removeGamutSpec(s->gamutSpecs().size() - 1);
        while (s->offSets().size() > ChromaGamutSpec::builtInOffSetCount)
            s->removeOffSet(s->offSets().size() - 1);
        s->setCurrentGamut(2);
        s->setCurrentOffSet(0);
        s->setGamma(2.2);
        s->setVideoMode(0, 255);
        s->setMaxBigY(100.0);
        QSettings().clear();
    }
    void TearDown() override { QSettings().clear(); }
    static ChromaGamutSpec *spec() { return ChromaGamutSpec::instance(); }
};

TEST_F(Widgets, ColorSpaceComboSelectsAndFollowsTheCurrentStandard) {
    ColorSpaceCombo combo;
    ASSERT_EQ(combo.count(), 6);
    EXPECT_EQ(combo.itemText(0), "NTSC");
    EXPECT_EQ(combo.itemText(5), "DCIP3");
    EXPECT_EQ(combo.currentIndex(), 2);

    combo.setCurrentIndex(3);
    EXPECT_EQ(spec()->currentGamutIndex(), 3);

    QSignalSpy comboChanged(&combo, SIGNAL(currentIndexChanged(int)));
    spec()->setCurrentGamut(0);
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(comboChanged.count(), 0); // followed with signals blocked

    UserGamutEntry user;
    user.name = "Cinema";
    user.whiteX = 0.314;
    user.whiteY = 0.351;
    user.redX = 0.68;
    user.redY = 0.32;
    user.greenX = 0.265;
    user.greenY = 0.69;
    user.blueX = 0.15;
    user.blueY = 0.06;
    spec()->addGamutSpec(user);
    ASSERT_EQ(combo.count(), 7);
    EXPECT_EQ(combo.itemText(6), "Cinema");
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(comboChanged.count(), 0);

    // Removing the current user standard falls back to REC709 in the combo too.
    combo.setCurrentIndex(6);
    spec()->removeGamutSpec(6);
    EXPECT_EQ(combo.count(), 6);
    EXPECT_EQ(combo.currentText(), "REC709");
}

TEST_F(Widgets, OffSetComboSelectsAndFollowsTheCurrentOffset) {
    OffSetCombo combo;
    ASSERT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.itemText(0), "Sony OLED");
    EXPECT_EQ(combo.itemText(1), "None");
    combo.setCurrentIndex(1);
    EXPECT_EQ(spec()->currentOffSetIndex(), 1);
    EXPECT_EQ(QSettings().value("offSetIndex").toInt(), 1);

    spec()->addOffSet({"Warm", 0.004, 0.001});
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.currentIndex(), 1);
    spec()->setCurrentOffSet(2);
    EXPECT_EQ(combo.currentText(), "Warm");
}

TEST_F(Widgets, GammaComboHasNineEntriesAndFollowsGamma) {
    QGammaCombo combo;
    ASSERT_EQ(combo.count(), 9);
    QStringList texts;
    for (int i = 0; i < combo.count(); ++i)
        texts << combo.itemText(i);
    EXPECT_EQ(texts, QStringList({"1.8", "1.9", "2.0", "2.1", "2.2", "2.3", "2.4", "2.5", "2.6"}));
    EXPECT_EQ(combo.currentText(), "2.2");

    spec()->setGamma(2.0);
    EXPECT_EQ(combo.currentText(), "2.0");
    spec()->setGamma(2.4);
    EXPECT_EQ(combo.currentText(), "2.4");
    spec()->setGamma(2.7); // beyond the last entry: the nearest one
    EXPECT_EQ(combo.currentText(), "2.6");

    combo.setCurrentIndex(3);
    EXPECT_DOUBLE_EQ(spec()->gamma(), 2.1);
    combo.setCurrentIndex(0);
    EXPECT_DOUBLE_EQ(spec()->gamma(), 1.8);
    EXPECT_DOUBLE_EQ(QSettings().value("gamma").toDouble(), 1.8);
}

TEST_F(Widgets, VideoModeButtonsSetAndShowTheRange) {
    QRadioVideoMode mode;
    EXPECT_EQ(mode.broadcastButton()->text(), "Broadcast (16-235)");
    EXPECT_EQ(mode.pcButton()->text(), "PC (0-255)");
    EXPECT_TRUE(mode.pcButton()->isChecked());

    mode.broadcastButton()->click();
    EXPECT_EQ(spec()->videoMin(), 16);
    EXPECT_EQ(spec()->videoMax(), 235);
    EXPECT_EQ(QSettings().value("VideoMode").toInt(), 1);

    spec()->setVideoMode(0, 255);
    EXPECT_TRUE(mode.pcButton()->isChecked());
    EXPECT_FALSE(mode.broadcastButton()->isChecked());

    spec()->setVideoMode(8, 240); // neither preset
    EXPECT_FALSE(mode.pcButton()->isChecked());
    EXPECT_FALSE(mode.broadcastButton()->isChecked());
    mode.pcButton()->click();
    EXPECT_EQ(spec()->videoMin(), 0);
}

TEST_F(Widgets, MaxBigYShowsAndEditsNits) {
    QMaxBigY maxY;
    EXPECT_EQ(maxY.button()->text(), "Update Max Y");
    EXPECT_EQ(maxY.field()->text(), "100 nits");
    EXPECT_FALSE(maxY.field()->isChanged());

    QSignalSpy changed(spec(), &ChromaGamutSpec::MaxBigYChanged);
    maxY.field()->setText("abc");
    maxY.button()->click();
    EXPECT_EQ(spec()->maxBigY(), 100.0);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(maxY.field()->text(), "abc");
    EXPECT_TRUE(maxY.field()->isChanged());

    maxY.field()->setText("Y = 250.5 nits");
    maxY.button()->click();
    EXPECT_EQ(spec()->maxBigY(), 250.5);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(maxY.field()->text(), "250.5 nits");
    EXPECT_FALSE(maxY.field()->isChanged());

    // Zero would make every standard singular: refused, the stored value shown again.
    maxY.field()->setText("0");
    maxY.button()->click();
    EXPECT_EQ(spec()->maxBigY(), 250.5);
    EXPECT_EQ(maxY.field()->text(), "250.5 nits");

    spec()->setMaxBigY(80.0);
    EXPECT_EQ(maxY.field()->text(), "80 nits");
}

TEST_F(Widgets, MaxBigYInFootLamberts) {
    appSettings().setValue("isNits", false);
    QMaxBigY maxY;
    EXPECT_EQ(maxY.field()->text(), "29.1864 fL"); // 100 / 3.4262591
    maxY.field()->setText("10 fL");
    maxY.button()->click();
    EXPECT_DOUBLE_EQ(spec()->maxBigY(), 10 * 3.4262591);
    EXPECT_EQ(maxY.field()->text(), "10 fL");
    appSettings().remove("isNits");
}

TEST_F(Widgets, ViewChangeMarksTextThatDiffersFromTheBaseline) {
    QLineEditViewChange field;
    field.setText("42");
    field.reset();
    EXPECT_EQ(field.baseline(), "42");
    EXPECT_TRUE(field.styleSheet().isEmpty());

    QTest::keyClick(&field, Qt::Key_End);
    QTest::keyClicks(&field, "7");
    EXPECT_EQ(field.text(), "427");
    EXPECT_EQ(field.styleSheet(), "background-color:#604848");
    EXPECT_TRUE(field.isChanged());
    EXPECT_TRUE(field.property("changed").toBool());

    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.text(), "42");
    EXPECT_TRUE(field.styleSheet().isEmpty());
    EXPECT_FALSE(field.isChanged());

    QTest::keyClicks(&field, "0");
    field.reset();
    EXPECT_EQ(field.baseline(), "420");
    EXPECT_TRUE(field.styleSheet().isEmpty());
}

QColor centreColour(QLedIndicator &led) {
    return led.grab().toImage().pixelColor(led.width() / 2, led.height() / 2);
}

TEST_F(Widgets, LedIsLitWhenChecked) {
    QLedIndicator led;
    EXPECT_TRUE(led.isCheckable());
    EXPECT_EQ(led.onColor1(), QColor(0, 255, 0));
    EXPECT_EQ(led.onColor2(), QColor(0, 192, 0));
    EXPECT_EQ(led.offColor1(), QColor(0, 28, 0));
    EXPECT_EQ(led.offColor2(), QColor(0, 128, 0));
    led.resize(40, 40);

    const QColor off = centreColour(led);
    led.setChecked(true);
    const QColor on = centreColour(led);
    EXPECT_GT(on.green(), off.green() + 40);
    EXPECT_LT(on.red(), 20);
    EXPECT_LT(on.blue(), 20);

    led.setProperty("onColor1", QColor(255, 0, 0));
    led.setProperty("onColor2", QColor(192, 0, 0));
    const QColor red = centreColour(led);
    EXPECT_GT(red.red(), 150);
    EXPECT_LT(red.green(), 20);
    // Corners lie outside the lamp and keep the window background.
    EXPECT_EQ(led.grab().toImage().pixelColor(0, 0), led.palette().color(QPalette::Window));
}

TEST_F(Widgets, SpinnerFramesPutTheLargestDiscWhereThePhaseSays) {
    const QVector<QImage> &frames = QRescanButton::frames();
    ASSERT_EQ(frames.size(), 32);
    for (const QImage &f : frames)
        EXPECT_EQ(f.size(), QSize(32, 32));
    EXPECT_EQ(&frames, &QRescanButton::frames()); // drawn once

    // Ring radius 11 around (16, 16); disc 0 (radius 5) at angle -phase * 2pi.
    const auto opaque = [](const QImage &f, int x, int y) { return qAlpha(f.pixel(x, y)) > 200; };
    EXPECT_TRUE(opaque(frames[0], 16, 27));  // angle 0: straight below the centre
    EXPECT_TRUE(opaque(frames[8], 5, 16));   // angle -pi/2: left
    EXPECT_TRUE(opaque(frames[16], 16, 5));  // angle -pi: above
    EXPECT_TRUE(opaque(frames[24], 27, 16)); // right
    EXPECT_FALSE(opaque(frames[0], 16, 16)); // the centre stays empty
    // 3.5 px from the bottom position: inside disc 0 (radius 5) in frame 0,
    // outside disc 4 (radius 2.5) that stands there half a turn later.
    EXPECT_TRUE(opaque(frames[0], 12, 27));
    EXPECT_FALSE(opaque(frames[16], 12, 27));
    EXPECT_NE(frames[0], frames[1]);
}

TEST_F(Widgets, RescanButtonCyclesFramesWhileSpinning) {
    QRescanButton button;
    EXPECT_FALSE(button.isSpinning());
    button.startSpinner();
    EXPECT_TRUE(button.isSpinning());
    EXPECT_FALSE(button.icon().isNull());
    for (int i = 0; i < 31; ++i)
        button.updateIcon();
    EXPECT_EQ(button.currentFrame(), 31);
    button.updateIcon();
    EXPECT_EQ(button.currentFrame(), 0);

    const int before = button.currentFrame();
    QTest::qWait(200); // ms: several 31 ms ticks
    EXPECT_NE(button.currentFrame(), before);

    button.stopSpinner();
    EXPECT_FALSE(button.isSpinning());
    EXPECT_TRUE(button.icon().isNull());
}

} // namespace
