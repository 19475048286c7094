// The black calibration window against the simulated colorimeter (its dark
// mode and its stored black table), and the verification controls against
// a scripted one.
#include "appsettings.h"
#include "blackcal.h"
#include "colorimetersim.h"
#include "profilemeter.h"
#include "scripteddialogs.h"
#include "shotsaver.h"
#include "simfixture.h"
#include "torvafactory.h"
#include "verifyblack.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTest>

namespace {

class BlackCalBench : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        startSim();
        meter_.reset(static_cast<GenMeasure *>(factory_.create(QString::fromStdString(port()))));
        ASSERT_TRUE(meter_->isConnected());
        window_ = std::make_unique<BlackCal>(meter_.get());
    }
    void TearDown() override {
        window_.reset();
        meter_.reset();
        SimFixture::TearDown();
    }
    QPushButton *button(const char *name) { return window_->findChild<QPushButton *>(name); }
    QString cell(int range, int channel) {
        return window_
            ->findChild<QLineEdit *>(QStringLiteral("lineBlack%1%2").arg(range).arg(channel))
            ->text();
    }
    // The grid against a table in the instrument's order (range 6 first).
    void expectGrid(const sim::ColorimeterSim::BlackTable &t) {
        for (int range = 1; range <= 6; ++range)
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(cell(range, c), QString::number(t[(6 - range) * 3 + c]))
                    << range << " " << c;
    }
    // True when the result was reported (the prompt and the result: two boxes).
    bool calibrate() {
        const int before = dialogs_.count();
        button("pushCaliBlack")->click();
        const bool started = window_->isCalibrating();
        if (started) {
            for (const char *b : {"pushCaliBlack", "pushRAM", "pushROM", "pushVerify"})
                EXPECT_FALSE(button(b)->isEnabled()) << b;
        }
        return started && QTest::qWaitFor([&] { return dialogs_.count() >= before + 2; }, 20000);
    }

    ScriptedDialogs dialogs_;
    TorvaFactory factory_;
    std::unique_ptr<GenMeasure> meter_;
    std::unique_ptr<BlackCal> window_;
};

} // namespace

TEST_F(BlackCalBench, CancellingTheDarkenPromptRunsNothing) {
    dialogs_.queueButton(QMessageBox::Cancel);
    button("pushCaliBlack")->click();
    EXPECT_EQ(dialogs_.last().text, "Please Darken Colorimeter, Then Press OK.");
    EXPECT_FALSE(window_->isCalibrating());
    for (const char *b :
         {"pushCaliBlack", "pushRAM", "pushROM", "pushCorrectionCoeff", "pushVerify"})
        EXPECT_TRUE(button(b)->isEnabled()) << b;
    button("pushRAM")->click();
    expectGrid(sim_->colorimeter().blackRom()); // nothing measured: RAM still holds ROM's table
}

TEST_F(BlackCalBench, InTheDarkTheNewTableIsStoredInRamAndRom) {
    say("dark on");
    const auto before = sim_->colorimeter().blackRom();
    ASSERT_TRUE(calibrate());
    EXPECT_EQ(dialogs_.last().title, "BlackCal");
    EXPECT_EQ(dialogs_.last().text, "Black Calibration Complete.");
    EXPECT_TRUE(button("pushCaliBlack")->isEnabled());
    const auto ram = sim_->colorimeter().blackRam();
    EXPECT_EQ(sim_->colorimeter().blackRom(), ram);
    EXPECT_NE(ram, before);
    button("pushROM")->click();
    expectGrid(ram);
    saveShot(window_->grab().toImage(), "blackcal-rom");
    EXPECT_EQ(window_->findChild<QLineEdit *>("lineStatus")->text(), "0");
    button("pushCorrectionCoeff")->click();
    EXPECT_NE(cell(1, 0), QString::number(ram[15]));
}

TEST_F(BlackCalBench, InTheLightTheCalibrationFailsAndNothingIsStored) {
    const auto before = sim_->colorimeter().blackRom();
    ASSERT_TRUE(calibrate());
    EXPECT_EQ(dialogs_.last().kind, "critical");
    EXPECT_EQ(dialogs_.last().text, "Black Calibration Error");
    EXPECT_EQ(sim_->colorimeter().blackRom(), before);
}

TEST(VerifyBlackControls, AveragesFiftyReadingsAfterTheFirstAndStopsForAimingLights) {
    QSettings().setValue("isNits", true);
    ScriptedDialogs dialogs;
    ProfileMeter meter;
    QPushButton button;
    button.setCheckable(true);
    QProgressBar progress;
    QLineEdit x, y, z;
    QLabel verdict;
    VerifyBlack verify(&meter, &button, &progress, &x, &y, &z);
    verify.setVerdictLabel(&verdict);
    button.click();
    EXPECT_EQ(meter.calls, QStringList({"start"}));
    EXPECT_TRUE(button.isChecked());
    meter.deliver(100, 100, 100); // never counted
    for (int i = 2; i <= 51; ++i) {
        meter.deliver(0.001 * i, 0.002 * i, 0.003 * i);
        EXPECT_EQ(progress.value(), 2 * (i - 1));
    }
    EXPECT_EQ(meter.calls, QStringList({"start", "stop"}));
    EXPECT_FALSE(button.isChecked());
    EXPECT_EQ(verify.count(), 50);
    EXPECT_EQ(y.text(), "0.0530 nits");
    EXPECT_TRUE(verdict.text().startsWith("Not black: a mean is beyond ±0.005 nits."))
        << verdict.text().toStdString();
    meter.deliver(9, 9, 9); // after the end
    EXPECT_EQ(verify.count(), 50);

    button.click(); // in the dark: a verdict of good only once all fifty are in
    meter.deliver(1, 1, 1);
    for (int i = 0; i < 50; ++i) {
        EXPECT_TRUE(verdict.text().isEmpty());
        meter.deliver(0.004, -0.0049, 0.0001);
    }
    EXPECT_EQ(y.text(), "-0.0049 nits");
    EXPECT_TRUE(verdict.text().startsWith("Black is good")) << verdict.text().toStdString();

    button.click(); // again: fresh sums
    meter.deliver(1, 1, 1);
    meter.deliver(0.5, 0.5, 0.5);
    EXPECT_EQ(x.text(), "0.5000 nits");
    meter.deliver(0.5, 0.5, 0.5, 0x40);
    EXPECT_EQ(dialogs.last().title, "Aiming Light Warning");
    EXPECT_EQ(dialogs.last().text, "The Aiming Lights are on, can't do black verification.");
    EXPECT_FALSE(button.isChecked());
    EXPECT_EQ(meter.calls.last(), "stop");
    EXPECT_EQ(verify.blackList(), QVector<double>({0.5, 0.5, 0.5}));
}
