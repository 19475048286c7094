// The Display Correction window against the simulated bench, offscreen: a
// P3 panel at gamma 2.2 characterised for Rec. 709 at 2.4 through the
// pattern manager, the .cube and .icc saved through the file dialog, the
// table loaded into the simulated video processor and verified; and a run
// stopped with the manager's Stop leaves the last correction alone.
#include "channelswap.h"
#include "chromagamutspec.h"
#include "displaybench.h"
#include "displaycorrection.h"
#include "genpattern.h"
#include "patternsequence.h"
#include "qportmenu.h"
#include "scripteddialogs.h"
#include "simfixture.h"
#include "torvafactory.h"
#include "torvapatternfactory.h"
#include "windowtesting.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace correction;

namespace {

class CorrectionWindow : public SimFixture {
protected:
    void SetUp() override {
        qRegisterMetaType<QPatternManger::measureDevice>();
        isolatePortManager();
        QSettings().clear();
        startSim("TV-40", [](sim::SimulatorOptions &o) {
            addDisplayBench(o, "PG-CORR", "p3");
            o.displayLevels.gamma = 2.2;
            o.displaySettleMs = 0;
        });
        generator_.reset(generators_.create("127.0.0.2"));
        meter_.reset(meters_.create(QString::fromStdString(port())));
        ASSERT_TRUE(generator_->isConnected());
        ASSERT_TRUE(meter_->isConnected());
        window_ = std::make_unique<DisplayCorrection>();
        window_->show();
        QPatternManger *patterns = window_->patternManager();
        patterns->sequence()->setGenerator(static_cast<GenPattern *>(generator_.get()));
        child<QDoubleSpinBox>(patterns, "doubleStableTime")->setValue(0);
        window_->colorimeterMenu()->setConnectedTo(static_cast<GenMeasure *>(meter_.get()));
    }
    void TearDown() override {
        window_->colorimeterMenu()->setConnectedTo(nullptr);
        window_.reset();
        meter_.reset();
        generator_.reset();
        sim_.reset();
    }
    // Clicks a run button; "finished", "Aborted" or "stuck".
    QString run(const char *button) {
        QSignalSpy done(window_->patternManager(), &QPatternManger::finished);
        QSignalSpy aborted(window_->patternManager(), &QPatternManger::Aborted);
        QSignalSpy measured(window_->patternManager(), &QPatternManger::Measured);
        child<QPushButton>(window_.get(), button)->click();
        (void)QTest::qWaitFor([&] { return done.count() + aborted.count() > 0; }, 120000);
        return done.count()      ? "finished"
               : aborted.count() ? "Aborted"
                                 : QStringLiteral("stuck after %1 patches, last dialog '%2'")
                                       .arg(measured.count())
                                       .arg(dialogs_.last().text);
    }
    void choose(const char *combo, const QString &text) {
        QComboBox *box = child<QComboBox>(window_.get(), combo);
        box->setCurrentIndex(box->findText(text, Qt::MatchStartsWith));
    }

    TorvaPatternFactory generators_;
    TorvaFactory meters_;
    std::unique_ptr<GenDevice> generator_;
    std::unique_ptr<GenDevice> meter_;
    std::unique_ptr<DisplayCorrection> window_;
    ScriptedDialogs dialogs_;
    TempDir files_;
};

} // namespace

TEST_F(CorrectionWindow, CharacterisesSavesAndVerifiesThroughTheTable) {
    EXPECT_FALSE(child<QPushButton>(window_.get(), "pushVerify")->isEnabled());
    choose("comboStandard", "REC709");
    choose("comboCurve", "Gamma");
    child<QDoubleSpinBox>(window_.get(), "doubleGamma")->setValue(2.4);
    choose("comboPatches", "Quick");
    choose("comboSize", "17");
    ASSERT_EQ(run("pushRun").toStdString(), "finished");
    // The correction is computed off the GUI thread, the buttons off meanwhile.
    if (window_->isComputing()) {
        EXPECT_FALSE(child<QPushButton>(window_.get(), "pushRun")->isEnabled());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!window_->isComputing(), 60000);
    EXPECT_TRUE(child<QPushButton>(window_.get(), "pushRun")->isEnabled());
    ASSERT_NE(window_->result(), nullptr);
    const VerificationSummary before = summarise(window_->result()->before);
    EXPECT_GT(before.meanDeltaE, 2.5);
    const QString text = child<QPlainTextEdit>(window_.get(), "textResults")->toPlainText();
    EXPECT_TRUE(text.contains("Target: REC709")) << text.toStdString();
    EXPECT_TRUE(text.contains("Before correction: ΔE2000 mean")) << text.toStdString();

    const QString cube = QString::fromStdString(files_.file("display.cube"));
    const QString icc = QString::fromStdString(files_.file("display.icc"));
    dialogs_.queueFileName(cube);
    child<QPushButton>(window_.get(), "pushSaveCube")->click();
    dialogs_.queueFileName(icc);
    child<QPushButton>(window_.get(), "pushSaveIcc")->click();
    CubeLut saved;
    std::string why;
    ASSERT_TRUE(parseCube(TempDir::read(cube.toStdString()), &saved, &why)) << why;
    EXPECT_EQ(saved.size, 17);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(files_.file("display-calibration.cube"))));
    EXPECT_TRUE(TempDir::read(icc.toStdString()).substr(36, 4) == "acsp"); // an ICC profile

    EXPECT_EQ(say("lut " + cube.toStdString()), "ok lut " + cube.toStdString() + ": 17^3");
    ASSERT_EQ(run("pushVerify").toStdString(), "finished");
    const VerificationSummary after = summarise(window_->verified());
    EXPECT_LT(after.meanDeltaE, 0.8);
    EXPECT_LT(after.maxDeltaE, 2.0) << after.worst;
    EXPECT_TRUE(child<QPlainTextEdit>(window_.get(), "textResults")
                    ->toPlainText()
                    .contains("Through the correction: ΔE2000 mean"));
    EXPECT_NE(dialogs_.last().title, "Display Correction");

    // A table that swaps red and blue leaves the display further off: said
    // in a box, not only below the figures.
    const std::string swappedFile =
        files_.write("swapped.cube", writeCube(channelSwapCube(17, {2, 1, 0})));
    EXPECT_EQ(say("lut " + swappedFile), "ok lut " + swappedFile + ": 17^3");
    ASSERT_EQ(run("pushVerify").toStdString(), "finished");
    EXPECT_EQ(dialogs_.last().title, "Display Correction");
    EXPECT_TRUE(dialogs_.last().text.startsWith("The display is further from the target"))
        << dialogs_.last().text.toStdString();
    EXPECT_TRUE(child<QPlainTextEdit>(window_.get(), "textResults")
                    ->toPlainText()
                    .contains("do not use this table"));

    // Stopped part way, a characterisation changes nothing.
    const Correction *kept = window_->result();
    QSignalSpy measured(window_->patternManager(), &QPatternManger::Measured);
    child<QPushButton>(window_.get(), "pushRun")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return measured.count() >= 3; }, 20000));
    child<QPushButton>(window_->patternManager(), "pushStop")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window_->patternManager()->isRunning(); }, 20000));
    EXPECT_EQ(window_->result(), kept);
    EXPECT_TRUE(child<QPushButton>(window_.get(), "pushRun")->isEnabled());
}

TEST_F(CorrectionWindow, RunsRefuseWithoutAMeterOrBeforeACharacterisation) {
    child<QPushButton>(window_.get(), "pushVerify")->setEnabled(true);
    child<QPushButton>(window_.get(), "pushVerify")->click();
    EXPECT_EQ(dialogs_.last().text, "Characterize the display first.");
    window_->colorimeterMenu()->setConnectedTo(nullptr);
    child<QPushButton>(window_.get(), "pushRun")->click();
    EXPECT_EQ(dialogs_.last().title, "Start Run");
    EXPECT_EQ(dialogs_.last().text, "You must have a Torva Device hooked up.");
    EXPECT_EQ(window_->result(), nullptr);
}
