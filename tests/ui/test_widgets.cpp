// The shared display widgets: the combos and radio pair that edit the shared
// gamut settings, the maximum-Y editor with its changed mark, and the busy
// spinner.
#include "appsettings.h"
#include "busyspinner.h"
#include "chromagamutspec.h"
#include "colorspacecombo.h"
#include "qgammacombo.h"
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
        while (s->gamutSpecs().size() > ChromaGamutSpec::builtInGamutCount)
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

TEST_F(Widgets, CombosSelectAndFollowTheSharedSettings) {
    ColorSpaceCombo gamut;
    EXPECT_EQ(gamut.itemText(5), "DCIP3");
    EXPECT_EQ(gamut.currentText(), "REC709");
    gamut.setCurrentIndex(3);
    EXPECT_EQ(spec()->currentGamutIndex(), 3);
    QSignalSpy gamutChanged(&gamut, SIGNAL(currentIndexChanged(int)));
    spec()->setCurrentGamut(0);
    EXPECT_EQ(gamut.currentIndex(), 0);
    UserGamutEntry user{"Cinema", 0.314, 0.351, 0.68, 0.32, 0.265, 0.69, 0.15, 0.06};
    spec()->addGamutSpec(user);
    EXPECT_EQ(gamut.itemText(6), "REC2100 PQ");
    EXPECT_EQ(gamut.itemText(8), "Cinema"); // after the built-in HDR standards
    EXPECT_EQ(gamut.currentIndex(), 0);
    EXPECT_EQ(gamutChanged.count(), 0); // followed with signals blocked
    gamut.setCurrentIndex(8);
    spec()->removeGamutSpec(8); // the current one: back to REC709 in the combo too
    EXPECT_EQ(gamut.currentText(), "REC709");
}

TEST_F(Widgets, GammaComboHasNineWholeTenths) {
    QGammaCombo combo;
    QStringList texts;
    for (int i = 0; i < combo.count(); ++i)
        texts << combo.itemText(i);
    EXPECT_EQ(texts, QStringList({"1.8", "1.9", "2.0", "2.1", "2.2", "2.3", "2.4", "2.5", "2.6"}));
    const std::pair<double, const char *> nearest[] = {{2.0, "2.0"}, {2.4, "2.4"}, {2.7, "2.6"}};
    for (const auto &g : nearest) {
        spec()->setGamma(g.first);
        EXPECT_EQ(combo.currentText(), g.second);
    }
    combo.setCurrentIndex(3);
    EXPECT_DOUBLE_EQ(spec()->gamma(), 2.1);
}

TEST_F(Widgets, MaxBigYEditsNitsOrFootLambertsAndRefusesNonsense) {
    QMaxBigY maxY;
    EXPECT_EQ(maxY.field()->text(), "100 nits");
    QSignalSpy changed(spec(), &ChromaGamutSpec::MaxBigYChanged);
    for (const char *bad : {"abc", "0"}) { // zero would make every standard singular
        maxY.field()->setText(bad);
        maxY.button()->click();
    }
    EXPECT_EQ(spec()->maxBigY(), 100.0);
    EXPECT_EQ(changed.count(), 0);
    maxY.field()->setText("Y = 250.5 nits");
    maxY.button()->click();
    EXPECT_EQ(spec()->maxBigY(), 250.5);
    EXPECT_EQ(maxY.field()->text(), "250.5 nits");
    EXPECT_FALSE(maxY.field()->isChanged()); // the changed mark is cleared
    maxY.field()->setText("25");
    EXPECT_EQ(maxY.field()->styleSheet(), "background-color:#604848");

    appSettings().setValue("isNits", false);
    QMaxBigY feet;
    EXPECT_EQ(feet.field()->text(), "73.1118 fL"); // 250.5 / 3.4262591
    feet.field()->setText("10 fL");
    feet.button()->click();
    EXPECT_DOUBLE_EQ(spec()->maxBigY(), 10 * 3.4262591);
    appSettings().remove("isNits");
}

TEST_F(Widgets, SpinnerFramesAndTheRescanButtonCyclingThem) {
    const QVector<QImage> &frames = BusySpinner::frames();
    ASSERT_EQ(frames.size(), 32);
    EXPECT_EQ(frames[0].size(), QSize(32, 32));
    // Ring radius 11 around (16, 16); the largest disc at angle -phase * 2 pi.
    const auto opaque = [](const QImage &f, int x, int y) { return qAlpha(f.pixel(x, y)) > 200; };
    EXPECT_TRUE(opaque(frames[8], 5, 16));    // left
    EXPECT_TRUE(opaque(frames[0], 12, 27));   // inside the largest disc (radius 5)
    EXPECT_FALSE(opaque(frames[16], 12, 27)); // outside the disc half a turn later

    QRescanButton button;
    button.startSpinner();
    EXPECT_FALSE(button.icon().isNull());
    for (int i = 0; i < 32; ++i)
        button.updateIcon();
    EXPECT_EQ(button.currentFrame(), 0); // modulo 32
    QTest::qWait(200);                   // ms: several 31 ms ticks
    EXPECT_NE(button.currentFrame(), 0);
    button.stopSpinner();
    EXPECT_FALSE(button.isSpinning());
    EXPECT_TRUE(button.icon().isNull());
}

} // namespace
