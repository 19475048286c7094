// The spectral scan tool: the saved file and the reasons a scan cannot be
// used, as plain functions; the window scanning the simulated CS-2000 on a
// worker thread (responsive meanwhile), a zero spectrum that draws an empty
// axis, short and failed spectra shown as errors, and a save that fails.
#include "announcingmeter.h"
#include "fakemeter.h"
#include "filebytes.h"
#include "tempdir.h"

#include "cs2000.h"
#include "qgraphbox.h"
#include "qtprinters.h"
#include "referencebench.h"
#include "referenceoptics.h"
#include "scripteddialogs.h"
#include "settingsfixture.h"
#include "shotsaver.h"
#include "simulator.h"
#include "spectralscan.h"
#include "spectrumdata.h"
#include "windowtesting.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// A spectroradiometer whose spectrum the test chooses, slow when asked.
class ScriptedSpectrum : public FakeMeter {
public:
    QList<double> values;
    quint32 error = 0;
    int delayMs = 0;
    std::atomic<bool> inScan{false};
    QList<double> spectrum() override {
        inScan = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        inScan = false;
        return values;
    }
    quint32 spectrumErrorCode() override { return error; }
};

QList<double> flat(double v) {
    return QVector<double>(781, v).toList();
}

class SpectralWindow : public EmptySettings {
protected:
    void SetUp() override {
        EmptySettings::SetUp();
        isolatePortManager();
        window = std::make_unique<SpectralScan>();
    }
    void TearDown() override {
        window.reset();
        EmptySettings::TearDown();
    }
    bool scan(GenMeasure *device) {
        QSignalSpy done(window.get(), &SpectralScan::scanFinished);
        window->scanWith(device);
        EXPECT_TRUE(done.wait(30000));
        return !done.isEmpty() && done.first().first().toBool();
    }
    ScriptedDialogs dialogs;
    std::unique_ptr<SpectralScan> window;
};

} // namespace

TEST(SpectrumData, TheFileHoldsFourHundredAndOneLines) {
    QList<double> v = flat(0);
    v[380] = 0.25;
    v[780] = 1.5e-5;
    const QString text = spectrum::csv(v, QDateTime(QDate(2026, 3, 4), QTime(15, 6, 7)));
    const QStringList lines = text.split('\n');
    EXPECT_EQ(lines[0], "3/4/2026 3:6:7 PM");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "Wavelength(nm),Energy");
    EXPECT_EQ(lines[3], "380,0.25");
    EXPECT_EQ(lines[3 + 400], "780,1.5e-05");
    EXPECT_EQ(lines.size(), 3 + 401 + 1); // ends with a newline
    EXPECT_DOUBLE_EQ(spectrum::peak(v), 0.25);
}

TEST(SpectrumData, ReasonsAScanCannotBeShown) {
    QList<double> nan = flat(0.1);
    nan[500] = std::nan("");
    const struct {
        QList<double> values;
        quint32 error;
        const char *starts; // "" when usable
    } cases[] = {
        {flat(0.1), 0, ""},
        {flat(0), 0, ""},
        {flat(0.1), 0x8, "The spectroradiometer returned fewer values"},
        {flat(0.1).mid(0, 700), 0, "The spectroradiometer returned fewer values"},
        {flat(0.1), 0x2, "The spectroradiometer did not answer."},
        {flat(0.1), 0x3, "The spectroradiometer's port was closed"},
        {{}, 0x2000000, "This device does not measure spectra."},
        {nan, 0, "The spectroradiometer's reply could not be used."},
    };
    for (const auto &c : cases) {
        const QString why = spectrum::problem(c.values, c.error);
        if (*c.starts)
            EXPECT_TRUE(why.startsWith(c.starts)) << why.toStdString();
        else
            EXPECT_TRUE(why.isEmpty()) << why.toStdString();
    }
}

TEST_F(SpectralWindow, ScansTheSimulatedCs2000AndSavesWhatItShows) {
    TempDir dir;
    sim::Simulator bench(referenceBenchOptions(dir.path()));
    std::string error;
    ASSERT_TRUE(bench.start(&error)) << error;
    bench.execute("light xyY 0.3127 0.329 120");
    CS2000 device;
    ASSERT_TRUE(device.open(QString::fromStdString(dir.file("cs2000"))));
    ASSERT_TRUE(scan(&device));

    // What the CS-2000 makes of the light through its 5 nm bandwidth.
    std::mt19937 unused;
    const sim::Spectrum want =
        sim::ReferenceOptics::forModel("CS-2000").sample(bench.scene().spectrum(), 0, unused);
    const QList<double> &got = window->spectrum();
    ASSERT_EQ(got.size(), 781);
    double top = 0;
    for (int nm = 380; nm <= 780; ++nm) {
        EXPECT_NEAR(got[nm], want[nm - 380], 1e-3 * want[nm - 380] + 1e-9) << nm;
        top = std::max(top, got[nm]);
    }
    const QGraphBox *g = window->graph();
    EXPECT_EQ(g->plots().first().points.size(), 401);
    EXPECT_DOUBLE_EQ(g->yMax(), top);
    window->resize(900, 600);
    saveShot(window->grab().toImage(), "spectral-scan-cs2000");

    const QString path = QString::fromStdString(dir.file("scan.csv"));
    ASSERT_TRUE(window->saveTo(path));
    const QList<QByteArray> lines = fileBytes(path).split('\n');
    EXPECT_EQ(lines.size(), 3 + 401 + 1);
    EXPECT_EQ(lines[3 + 175].split(',').first(), "555");
    EXPECT_NEAR(lines[3 + 175].split(',').last().toDouble(), got[555], 1e-5 * got[555]);
    device.close();
}

TEST_F(SpectralWindow, StaysResponsiveAndSaysAScanIsUnderWay) {
    ScriptedSpectrum device;
    device.values = flat(0.002);
    device.delayMs = 400;
    QSignalSpy done(window.get(), &SpectralScan::scanFinished);
    window->show();
    window->scanWith(&device);
    ASSERT_TRUE(QTest::qWaitFor([&] { return device.inScan.load(); }, 5000));
    // The event loop runs while the instrument measures.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    QTest::qWait(150);
    EXPECT_GT(ticks, 5);
    EXPECT_TRUE(window->isScanning());
    EXPECT_TRUE(child<QProgressBar>(window.get(), "progressScan")->isVisible());
    EXPECT_FALSE(child<QPushButton>(window.get(), "pushScan")->isEnabled());
    ASSERT_TRUE(done.wait(5000));
    EXPECT_FALSE(child<QProgressBar>(window.get(), "progressScan")->isVisible());
}

TEST_F(SpectralWindow, CountsDownTheAnnouncedTimeAndCancels) {
    AnnouncingMeter device;
    QSignalSpy done(window.get(), &SpectralScan::scanFinished);
    window->show();
    window->scanWith(&device);
    auto *bar = child<QProgressBar>(window.get(), "progressScan");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->format().startsWith("Measuring... 2"); }, 5000));
    EXPECT_EQ(bar->maximum(), 240000);
    EXPECT_TRUE(bar->format().endsWith(" s to go")) << bar->format().toStdString();
    auto *cancel = child<QPushButton>(window.get(), "pushCancel");
    ASSERT_TRUE(cancel->isVisible());
    window->resize(900, 600);
    saveShot(window->grab().toImage(), "spectral-scan-measuring");
    QTest::mouseClick(cancel, Qt::LeftButton);
    ASSERT_TRUE(done.wait(5000));
    EXPECT_FALSE(done.first().first().toBool());
    // The instrument's own account, not a guess from the error bits.
    EXPECT_EQ(dialogs.last().text, "The measurement was cancelled.");
    EXPECT_FALSE(cancel->isVisible());

    // Closing the window in the middle of a scan cancels it, and returns.
    window->scanWith(&device);
    ASSERT_TRUE(QTest::qWaitFor([&] { return device.waiting.load(); }, 5000));
    window.reset();
    EXPECT_TRUE(device.cancelled);
}

TEST_F(SpectralWindow, AZeroSpectrumDrawsAnEmptyAxis) {
    ScriptedSpectrum device;
    device.values = flat(0);
    ASSERT_TRUE(scan(&device));
    QGraphBox *g = window->graph();
    EXPECT_GT(g->yMax(), 0);
    EXPECT_GT(g->yMajorStep().value(), 0);
    g->resize(600, 400);
    const QImage img = g->grab().toImage(); // paints without looping
    EXPECT_FALSE(img.isNull());
    EXPECT_TRUE(child<QPushButton>(window.get(), "pushSave")->isEnabled());
}

TEST_F(SpectralWindow, ShortOrFailedSpectraAreErrorsNotPlots) {
    ScriptedSpectrum device;
    device.values = flat(0.01);
    ASSERT_TRUE(scan(&device));
    ASSERT_EQ(window->graph()->plots().first().points.size(), 401);
    for (quint32 code : {0x8u, 0x2u}) {
        device.error = code;
        dialogs.clear();
        EXPECT_FALSE(scan(&device));
        EXPECT_EQ(dialogs.last().title, "Spectral Scan");
        EXPECT_TRUE(window->spectrum().isEmpty());
        EXPECT_TRUE(window->graph()->plots().first().points.isEmpty());
        EXPECT_FALSE(child<QPushButton>(window.get(), "pushSave")->isEnabled());
    }
    device.error = 0;
    device.values = flat(0.01).mid(0, 500);
    EXPECT_FALSE(scan(&device));

    // A save that cannot open its file says so.
    device.values = flat(0.01);
    ASSERT_TRUE(scan(&device));
    EXPECT_FALSE(window->saveTo("/no/such/folder/scan.csv"));
    EXPECT_EQ(dialogs.last().title, "Save Report");
}
