// Profile creation end to end on the simulated bench: the window's chain
// (reference run, colorimeter run on the factory profile, black check,
// store, verification) must pass and bring the colorimeter's white onto the
// reference's; a degenerate patch set must never be stored, a colorimeter
// that drifts after the store must fail verification, and a stored profile
// must survive a restart of the instrument.
#include "colorimetersim.h"
#include "createcal.h"
#include "cs2000.h"
#include "genpattern.h"
#include "loopbackport.h"
#include "modalanswer.h"
#include "patternsequence.h"
#include "profilebench.h"
#include "profilestore.h"
#include "qportmenu.h"
#include "savecal.h"
#include "scripteddialogs.h"
#include "settingsfixture.h"
#include "shotsaver.h"
#include "tempdir.h"
#include "torvafactory.h"
#include "torvapatternfactory.h"
#include "verifyblack.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {

class ProfileBench : public EmptySettings {
protected:
    void SetUp() override {
        EmptySettings::SetUp();
        port_ = useLoopbackPatternPort();
        startBench();
        generator_.reset(generators_.create("127.0.0.4"));
        ASSERT_TRUE(generator_->isConnected());
        CS2000Factory cs;
        reference_.reset(
            static_cast<GenMeasure *>(cs.create(QString::fromStdString(dir_ + "/cs2000"))));
        ASSERT_TRUE(reference_->isConnected());
        connectColorimeter();
    }
    void TearDown() override {
        colorimeter_.reset();
        reference_.reset();
        generator_.reset();
        bench_.reset();
        EmptySettings::TearDown();
    }
    void startBench() {
        bench_ = std::make_unique<sim::Simulator>(profileBenchOptions(dir_, port_, "127.0.0.4"));
        std::string error;
        ASSERT_TRUE(bench_->start(&error)) << error;
    }
    void connectColorimeter() {
        colorimeter_.reset(static_cast<GenMeasure *>(
            meters_.create(QString::fromStdString(dir_ + "/colorimeter"))));
        ASSERT_TRUE(colorimeter_->isConnected());
    }
    GenPattern *generator() { return static_cast<GenPattern *>(generator_.get()); }

    // One run of the chain through the runs object; "finished" or "Aborted".
    QString run(ProfileRuns &runs, ProfileRuns::Run which, GenMeasure *device) {
        QSignalSpy done(&runs, &ProfileRuns::runFinished);
        QSignalSpy aborted(&runs, &ProfileRuns::runAborted);
        EXPECT_TRUE(runs.start(which, device));
        (void)QTest::qWaitFor([&] { return done.count() + aborted.count() > 0; }, 60000);
        return done.count() ? "finished" : aborted.count() ? "Aborted" : "stuck";
    }

    // The white on the display as the colorimeter reads it now, against the
    // reference's white, in dE00 relative to that white.
    double whiteError(const Measurement &referenceWhite) {
        generator()->setColor(Qt::white);
        generator()->setPattern(3);
        QTest::qWait(200);
        const GamutSpec spec = GamutSpec::standardSpec(2, referenceWhite.bigY);
        const Measurement m = colorimeter_->measure(8);
        return Measurement::fromXYZ(m.bigX, m.bigY, m.bigZ, spec)
            .deltaE2000(Measurement::fromXYZ(referenceWhite.bigX, referenceWhite.bigY,
                                             referenceWhite.bigZ, spec));
    }

    // The window's reference and colorimeter runs, each to its end.
    void measureBothInWindow(CreateCal &window, QSignalSpy &finished) {
        window.resize(1400, 800);
        window.show();
        window.referenceMenu()->setConnectedTo(reference_.get());
        window.torvaMenu()->setConnectedTo(colorimeter_.get());
        window.patternManager()->sequence()->setGenerator(generator());
        window.patternManager()->sequence()->setStableTime(profileBenchStableSeconds);
        window.findChild<QPushButton *>("pushRefMeasure")->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
        window.findChild<QPushButton *>("pushTorvaMeasure")->click();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000);
    }

    // "Create and Store Profile" into a slot under a name, with the password;
    // the verification run follows.
    void storeInWindow(CreateCal &window, int slot, const QString &name) {
        window.findChild<QPushButton *>("pushSave")->click();
        auto *save = window.findChild<SaveCal *>();
        ASSERT_NE(save, nullptr);
        save->findChild<QSpinBox *>("spinSlot")->setValue(slot);
        save->findChild<QLineEdit *>("lineName")->setText(name);
        answerPassword("pangolin");
        save->findChild<QPushButton *>("pushSave")->click();
    }

    TempDir tmp_;
    std::string dir_ = tmp_.path();
    int port_ = 0;
    std::unique_ptr<sim::Simulator> bench_;
    TorvaPatternFactory generators_;
    TorvaFactory meters_;
    std::unique_ptr<GenDevice> generator_;
    std::unique_ptr<GenMeasure> reference_;
    std::unique_ptr<GenMeasure> colorimeter_;
};

} // namespace

TEST_F(ProfileBench, TheWindowsChainPassesAndBringsWhiteOntoTheReference) {
    ScriptedDialogs dialogs;
    CreateCal window(nullptr, nullptr);
    QSignalSpy finished(window.runs(), &ProfileRuns::runFinished);
    measureBothInWindow(window, finished);
    EXPECT_EQ(colorimeter_->calFileIndex(), 0); // measured on the factory profile

    // Black check with the lens covered.
    EXPECT_EQ(bench_->execute("dark on").rfind("ok", 0), 0u);
    window.findChild<QPushButton *>("pushVerifyBlack")->click();
    QTRY_COMPARE_WITH_TIMEOUT(window.blackCheck()->count(), 50, 30000);
    EXPECT_FALSE(window.blackCheck()->isRunning());
    EXPECT_LT(std::fabs(window.blackCheck()->blackList().value(1)), 0.05);
    bench_->execute("dark off");

    // Store into a blank slot: no overwrite question, the password, then
    // the verification run and, after a pass, the QC report.
    const QString report = QString::fromStdString(tmp_.file("qc.csv"));
    dialogs.queueFileName(report);
    storeInWindow(window, 7, "  Bench   709 ");
    QTRY_COMPARE_WITH_TIMEOUT(colorimeter_->calFileIndex(), 7, 10000); // stored off the GUI thread
    EXPECT_EQ(colorimeter_->calFileName(), "Bench 709");
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 3, 30000);

    const QString verdict = window.findChild<QLabel *>("labelVerdict")->text();
    EXPECT_TRUE(verdict.endsWith(" PASS")) << verdict.toStdString();
    const profiles::Verdict v = window.runs()->verdict();
    EXPECT_TRUE(v.pass);
    EXPECT_LT(v.maxXyError, 0.001);
    EXPECT_LT(v.maxYErrorPercent, 2.0);
    const QString text = QString::fromStdString(TempDir::read(report.toStdString()));
    EXPECT_EQ(text.count(",Pass\n"), 12);
    EXPECT_TRUE(text.contains("7: Bench 709"));
    saveShot(window.grab().toImage(), "createcal-pass");

    const Measurement white = window.runs()->list(ProfileRuns::ReferenceRun).at(0);
    const double corrected = whiteError(white);
    colorimeter_->setCalFile(0);
    const double factory = whiteError(white);
    EXPECT_LT(corrected, 0.5);
    EXPECT_GT(factory, 1.5); // the error the profile exists to correct
    std::printf("white dE00 against the reference: factory %.2f, new profile %.3f\n", factory,
                corrected);

    // The reference outlives the window (and the program) in the settings.
    CreateCal again(nullptr, nullptr);
    ASSERT_TRUE(again.runs()->complete(ProfileRuns::ReferenceRun));
    EXPECT_NEAR(again.runs()->list(ProfileRuns::ReferenceRun).at(0).bigY, white.bigY, 1e-9);
}

TEST_F(ProfileBench, TheWindowsVerificationFailsOnAnotherTechnology) {
    ScriptedDialogs dialogs;
    CreateCal window(nullptr, nullptr);
    QSignalSpy finished(window.runs(), &ProfileRuns::runFinished);
    measureBothInWindow(window, finished);
    // A cold-cathode LCD with the same primaries and white takes the white-LED
    // LCD's place: the reference still holds, the profile does not.
    EXPECT_EQ(bench_->execute("display ccfl-lcd").rfind("ok ccfl-lcd", 0), 0u);
    storeInWindow(window, 8, "White LED");
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 3, 30000);

    EXPECT_TRUE(window.findChild<QLabel *>("labelVerdict")
                    ->text()
                    .endsWith("NOT SO GOOD, past 0.001 or 2% limit"));
    const ScriptedDialogs::Shown box = dialogs.last();
    EXPECT_EQ(box.title, "Verifying Calibration");
    EXPECT_EQ(box.text, "Calibration verification failed. Measured error exceeds acceptable "
                        "tolerances.\n");
}

TEST_F(ProfileBench, DriftAndDegenerateSetsFailAndTheProfileSurvivesARestart) {
    PatternSequence sequence;
    sequence.setGenerator(generator());
    sequence.setStableTime(profileBenchStableSeconds);
    ProfileRuns runs(&sequence);
    ASSERT_EQ(run(runs, ProfileRuns::ReferenceRun, reference_.get()), "finished");
    ASSERT_EQ(run(runs, ProfileRuns::TorvaRun, colorimeter_.get()), "finished");
    ASSERT_EQ(profiles::storeProfile(colorimeter_.get(), 9, "Drift Test",
                                     runs.tristimulus(ProfileRuns::ReferenceRun),
                                     runs.tristimulus(ProfileRuns::TorvaRun), {}, false),
              0);
    ASSERT_EQ(run(runs, ProfileRuns::VerifyRun, colorimeter_.get()), "finished");
    EXPECT_TRUE(runs.verdict().pass);

    // Green measured as red (two patches of the same colour) is never stored.
    QVector<double> reference = runs.tristimulus(ProfileRuns::ReferenceRun);
    QVector<double> measured = runs.tristimulus(ProfileRuns::TorvaRun);
    std::copy(reference.begin() + 3, reference.begin() + 6, reference.begin() + 6);
    std::copy(measured.begin() + 3, measured.begin() + 6, measured.begin() + 6);
    const QStringList before = colorimeter_->calFileList();
    EXPECT_TRUE(profiles::storeProfile(colorimeter_.get(), 10, "Degenerate", reference, measured,
                                       {}, false) &
                0x10000);
    EXPECT_EQ(colorimeter_->calFileIndex(), 9); // still on the profile it had
    EXPECT_EQ(colorimeter_->calFileList(), before);

    // The colorimeter's channels drift: the profile no longer matches.
    EXPECT_EQ(bench_->execute("drift 0.6 0 -0.6").rfind("ok", 0), 0u);
    ASSERT_EQ(run(runs, ProfileRuns::VerifyRun, colorimeter_.get()), "finished");
    EXPECT_FALSE(runs.verdict().pass);
    EXPECT_GT(runs.verdict().maxXyError, 0.001);

    // An aborted verification leaves no verdict behind, and the two patches
    // it measured on show. (Stopped while the third patch stabilises.)
    QObject::connect(&runs, &ProfileRuns::measured,
                     [&sequence](int, int index, const Measurement &) {
                         if (index == 1)
                             QTimer::singleShot(30, [&sequence] { sequence.abort(); });
                     });
    EXPECT_EQ(run(runs, ProfileRuns::VerifyRun, colorimeter_.get()), "Aborted");
    EXPECT_FALSE(runs.complete(ProfileRuns::VerifyRun));
    EXPECT_EQ(runs.list(ProfileRuns::VerifyRun).size(), 2);
    EXPECT_TRUE(std::isinf(runs.verdict().maxXyError));

    // Power off and on again: the profile is still in slot 9.
    const matrix stored = colorimeter_->colorMatrix();
    colorimeter_.reset();
    bench_.reset();
    startBench();
    connectColorimeter();
    EXPECT_TRUE(colorimeter_->calFileList().contains("9: Drift Test"));
    colorimeter_->setCalFile(9);
    ASSERT_EQ(colorimeter_->calFileIndex(), 9);
    const matrix back = colorimeter_->colorMatrix();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(back(r, c), stored(r, c), 1e-9) << r << c;
}
