// The Kelvin calculator: every notation converts back into the colour it
// came from within the colour library's tolerances, refused input says why
// and leaves every field as it was, the described edge cases, and the
// hidden-mode words of the XYZ group.
#include "appsettings.h"
#include "chromagamutspec.h"
#include "kelvincalculator.h"
#include "kelvinconvert.h"
#include "qlineeditviewchange.h"
#include "scripteddialogs.h"
#include "settingsfixture.h"
#include "windowtesting.h"

#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

const KelvinNotation allNotations[] = {KelvinNotation::xyY,  KelvinNotation::Temperature,
                                       KelvinNotation::UpVp, KelvinNotation::Wavelength,
                                       KelvinNotation::RGB,  KelvinNotation::XYZ,
                                       KelvinNotation::HSV,  KelvinNotation::Lab};

QStringList fieldsOf(const std::array<QString, kelvinFieldCount> &texts, KelvinNotation n) {
    QStringList out;
    for (KelvinField f : notationFields(n))
        out << texts[f];
    return out;
}

class KelvinWindowTest : public EmptySettings {
protected:
    void SetUp() override {
        EmptySettings::SetUp();
        ChromaGamutSpec::instance()->setCurrentGamut(2); // REC709
        window = std::make_unique<KelvinCalculator>();
    }
    void TearDown() override {
        window.reset();
        EmptySettings::TearDown();
    }
    QLineEditViewChange *field(KelvinField f) { return window->field(f); }
    void type(KelvinField f, const QString &text) {
        field(f)->setFocus();
        field(f)->selectAll();
        field(f)->insert(text);
    }
    void convert(const char *button) { child<QPushButton>(window.get(), button)->click(); }
    QStringList allTexts() {
        QStringList out;
        for (int i = 0; i < kelvinFieldCount; ++i)
            out << field(KelvinField(i))->text();
        return out;
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<KelvinCalculator> window;
};

} // namespace

TEST(KelvinConvert, EveryNotationRoundTripsToTheSameColour) {
    const GamutSpec spec = GamutSpec::standardSpec(2, 100);
    // The white of the standard is a grey: it has no hue to show.
    EXPECT_EQ(kelvinTexts(Measurement::fromxyY(0.3127, 0.329, 100, spec), true)[FieldH], "--");
    // Near-whites along the Planckian locus and saturated colours.
    const double colours[][3] = {{0.3127, 0.329, 100}, {0.4476, 0.4074, 35}, {0.28, 0.29, 250},
                                 {0.35, 0.36, 12.5},   {0.55, 0.38, 20},     {0.25, 0.55, 60},
                                 {0.18, 0.12, 8},      {0.4, 0.25, 15}};
    for (const auto &c : colours) {
        const Measurement m = Measurement::fromxyY(c[0], c[1], c[2], spec);
        for (bool nits : {true, false}) {
            const auto texts = kelvinTexts(m, nits);
            for (KelvinNotation n : allNotations) {
                if ((n == KelvinNotation::Temperature && m.temp == 0) ||
                    (n == KelvinNotation::Wavelength && m.nm == 0) ||
                    ((n == KelvinNotation::HSV || n == KelvinNotation::RGB) &&
                     (m.hue < 0 || std::min({m.redPercent, m.greenPercent, m.bluePercent}) < 0)))
                    continue; // no such description for this colour
                const KelvinEntry e = convertKelvinEntry(n, fieldsOf(texts, n), nits, spec);
                ASSERT_TRUE(e.ok) << int(n) << ": " << e.reason.toStdString();
                // Six shown digits and the locus searches bound the agreement.
                EXPECT_NEAR(e.m.x, m.x, 5e-5) << int(n) << " " << c[0];
                EXPECT_NEAR(e.m.y, m.y, 5e-5) << int(n) << " " << c[1];
                EXPECT_NEAR(e.m.bigY, m.bigY, 2e-5 * m.bigY) << int(n) << " " << c[2];
            }
        }
    }
}

TEST(KelvinConvert, RefusedInputSaysWhy) {
    const GamutSpec spec = GamutSpec::standardSpec(2, 100);
    const struct {
        KelvinNotation n;
        QStringList fields;
        const char *reason;
    } cases[] = {
        {KelvinNotation::xyY, {"0.3a", "0.3", "10"}, "x is not a number."},
        {KelvinNotation::xyY, {"0.7", "0.4", "10"}, "x + y must not be more than 1."},
        {KelvinNotation::Temperature, {"500", "0", "10"}, "The temperature must lie between"},
        {KelvinNotation::Wavelength, {"750", "0", "10"}, "The wavelength must lie between"},
        {KelvinNotation::HSV, {"360", "50", "50"}, "H must be at least 0 and less than 360."},
        {KelvinNotation::HSV, {"120", "0", "50"}, "S and V must be greater than 0."},
        {KelvinNotation::RGB, {"-1", "50", "50"}, "R, G and B must not be negative."},
        {KelvinNotation::Lab, {"-20", "0", "0"}, "a tristimulus value would be negative"},
    };
    for (const auto &c : cases) {
        const KelvinEntry e = convertKelvinEntry(c.n, c.fields, true, spec);
        EXPECT_FALSE(e.ok) << c.reason;
        EXPECT_TRUE(e.reason.contains(QLatin1String(c.reason))) << e.reason.toStdString();
    }
    // A unit after the number is what the fields show, and a negative duv
    // stays negative.
    const KelvinEntry k = convertKelvinEntry(KelvinNotation::Temperature,
                                             {"6500 K", "-0.003", "100 nits"}, true, spec);
    ASSERT_TRUE(k.ok);
    EXPECT_NEAR(k.m.tempDuv, -0.003, 1e-5);
}

TEST_F(KelvinWindowTest, D65InRec709IsOneHundredPercentOfEachPrimary) {
    type(Fieldx, "0.3127");
    type(Fieldy, "0.329");
    type(FieldYxy, "100");
    EXPECT_TRUE(field(Fieldx)->isChanged());
    convert("pushConvertxy");
    for (KelvinField f : {FieldR, FieldG, FieldB})
        EXPECT_NEAR(field(f)->text().toDouble(), 100, 0.01);
    EXPECT_EQ(field(FieldYuv)->text(), "100 nits");
    EXPECT_FALSE(field(Fieldx)->isChanged()); // refilled by the conversion
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(KelvinWindowTest, RefusedEntryLeavesEveryFieldAsItWas) {
    child<QPushButton>(window.get(), "pushD65")->click();
    type(FieldH, "360");
    const QStringList before = allTexts();
    convert("pushConvertHSV");
    EXPECT_EQ(dialogs.last().title, "Entry");
    EXPECT_EQ(dialogs.last().text,
              "The entry has an error.\nH must be at least 0 and less than 360.");
    EXPECT_EQ(allTexts(), before);
    EXPECT_TRUE(field(FieldH)->isChanged());
}

TEST_F(KelvinWindowTest, FootLambertsGoInAndComeBackOut) {
    appSettings().setValue("isNits", false);
    type(Fieldx, "0.3127");
    type(Fieldy, "0.329");
    type(FieldYxy, "29.19");
    convert("pushConvertxy");
    EXPECT_EQ(field(FieldYxyz)->text(), "29.19 fL");
    EXPECT_NEAR(window->colour().bigY, 29.19 * 3.4262591, 1e-9);
    EXPECT_TRUE(field(FieldX)->text().endsWith(" fL"));
}

TEST_F(KelvinWindowTest, AGamutChangeRecomputesTheShownColour) {
    child<QPushButton>(window.get(), "pushD65")->click();
    const QString rec709 = field(FieldR)->text();
    ChromaGamutSpec::instance()->setCurrentGamut(3); // REC2020: same white
    EXPECT_NE(field(FieldR)->text(), rec709);
    EXPECT_EQ(window->colour().gamutSpec.standard, 3);
    ChromaGamutSpec::instance()->setCurrentGamut(2);
}

TEST_F(KelvinWindowTest, TheXFieldSwitchesTheHiddenModes) {
    type(FieldX, "tumvex");
    convert("pushConvertXYZ");
    EXPECT_TRUE(isFactoryMode());
    type(FieldX, "0x");
    convert("pushConvertXYZ");
    EXPECT_FALSE(isFactoryMode());
    EXPECT_FALSE(appSettings().contains("factorymode"));
    QSignalSpy changed(window.get(), &KelvinCalculator::hiddenModesChanged);
    const int boxes = dialogs.count();
    type(FieldX, "sorbelt");
    convert("pushConvertXYZ");
    EXPECT_TRUE(isBetaMode());
    EXPECT_FALSE(isFactoryMode());
    // A word is no entry error, and the windows hear of the change at once.
    EXPECT_EQ(dialogs.count(), boxes);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_TRUE(field(FieldX)->text().isEmpty());
    appSettings().remove("betamode");
}
