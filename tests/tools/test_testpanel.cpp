// The test panel: presets and sliders set the patch, a hand-set colour
// unlinks it from the main window's target, the white slider moves all three
// at once, the last sliders come back before the link applies the target,
// and readings are shown beside the patch.
#include "appsettings.h"
#include "scripteddialogs.h"
#include "settingsfixture.h"
#include "testpanel.h"
#include "windowtesting.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <gtest/gtest.h>

namespace {

class TestPanelTest : public EmptySettings {
protected:
    void SetUp() override {
        EmptySettings::SetUp();
        panel = std::make_unique<TestPanel>();
    }
    void TearDown() override {
        panel.reset();
        EmptySettings::TearDown();
    }
    void push(const char *name) { child<QPushButton>(panel.get(), name)->click(); }
    QSlider *slider(const char *name) { return child<QSlider>(panel.get(), name); }
    QString panelStyle() { return child<QWidget>(panel.get(), "panel")->styleSheet(); }

    std::unique_ptr<TestPanel> panel;
};

} // namespace

TEST_F(TestPanelTest, PresetsSetThePatchAndUnlinkIt) {
    panel->show(); // opens linked
    ASSERT_TRUE(panel->isLinked());
    panel->updateColor(QColor(200, 100, 50));
    EXPECT_EQ(panel->panelColour(), QColor(200, 100, 50));
    const struct {
        const char *button;
        QColor colour;
    } presets[] = {{"pushWhite", QColor(255, 255, 255)}, {"pushGray", QColor(128, 128, 128)},
                   {"pushBlack", QColor(0, 0, 0)},       {"pushRed", QColor(255, 0, 0)},
                   {"pushGreen", QColor(0, 255, 0)},     {"pushBlue", QColor(0, 0, 255)},
                   {"pushMagenta", QColor(255, 0, 255)}, {"pushYellow", QColor(255, 255, 0)},
                   {"pushCyan", QColor(0, 255, 255)}};
    for (const auto &p : presets) {
        const int refreshes = panel->refreshCount();
        push(p.button);
        EXPECT_EQ(panel->panelColour(), p.colour) << p.button;
        EXPECT_EQ(panel->refreshCount(), refreshes + 1) << p.button;
    }
    // After "Cyan" the link is off: a new target no longer changes the patch.
    EXPECT_FALSE(panel->isLinked());
    panel->updateColor(QColor(10, 20, 30));
    EXPECT_EQ(panel->panelColour(), QColor(0, 255, 255));
    EXPECT_EQ(panelStyle(), "background-color: rgb(0, 255, 255)");
    // Linking again applies the stored target.
    push("pushMapColor");
    EXPECT_EQ(panel->panelColour(), QColor(10, 20, 30));
}

TEST_F(TestPanelTest, TheWhiteSliderSetsAGreyWithOneRefresh) {
    const int refreshes = panel->refreshCount();
    slider("sliderWhite")->setValue(64);
    EXPECT_EQ(panelStyle(), "background-color: rgb(64, 64, 64)");
    EXPECT_EQ(panel->refreshCount(), refreshes + 1);
    // Each groove shows its own channel from 0 to 255 at the others' values.
    EXPECT_TRUE(slider("sliderGreen")
                    ->styleSheet()
                    .contains("background-color:qlineargradient(x1:0, y1:0, x2:1, y2:0, stop: "
                              "0 rgb(64, 0, 64), stop: 1 rgb(64, 255, 64))"));
    slider("sliderRed")->setValue(200);
    EXPECT_EQ(panel->panelColour(), QColor(200, 64, 64));
}

TEST_F(TestPanelTest, ReopeningRestoresTheSlidersBeforeTheLinkApplies) {
    panel->show();
    push("pushYellow");
    slider("sliderWhite")->setValue(30);
    slider("sliderBlue")->setValue(77);
    panel->close();
    EXPECT_EQ(appSettings().value("testpanel/b").toInt(), 77);
    EXPECT_EQ(appSettings().value("testpanel/w").toInt(), 30);

    TestPanel reopened; // nothing received from the main window yet
    reopened.show();
    EXPECT_EQ(reopened.panelColour(), QColor(30, 30, 77));
    EXPECT_TRUE(reopened.isLinked());
    reopened.updateColor(QColor(1, 2, 3)); // the main window's target arrives
    EXPECT_EQ(reopened.panelColour(), QColor(1, 2, 3));
}

TEST_F(TestPanelTest, ReadingsAreShownBesideThePatch) {
    appSettings().setValue("isNits", false);
    panel->measure(Measurement::fromxyY(0.3127, 0.329, 3.4262591 * 10));
    EXPECT_EQ(child<QLabel>(panel.get(), "labelReadingx")->text(), "0.313");
    EXPECT_EQ(child<QLabel>(panel.get(), "labelReadingY")->text(), "10.0 fL");
    // A D65 grey at a third of the standard's white: R, G and B alike.
    for (const char *name : {"labelReadingR", "labelReadingG", "labelReadingB"})
        EXPECT_EQ(child<QLabel>(panel.get(), name)->text(), "34.26") << name;
}
