// The Screen Calibration window with each shipped template, run through the
// simulated generator, display and colorimeter: pages build, runs fill the
// graphs and tables with what the display really does, a post-calibration
// page compares with the earlier run, and the graphs print to PDF.
#include "caltable.h"
#include "chromagamutspec.h"
#include "displaybench.h"
#include "displaymodel.h"
#include "displayreading.h"
#include "genpattern.h"
#include "patternsequence.h"
#include "plotcommon.h"
#include "qgraphbox.h"
#include "qportmenu.h"
#include "reportpainter.h"
#include "screencal.h"
#include "scripteddialogs.h"
#include "sequencetexts.h"
#include "shotsaver.h"
#include "simfixture.h"
#include "templatetesting.h"
#include "theme.h"
#include "tintwellresources.h"
#include "torvafactory.h"
#include "torvapatternfactory.h"
#include "transfer.h"
#include "windowtesting.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

using namespace screencal;

namespace {

// What the colorimeter reads of a patch: the display's light through the
// instrument's filters and factory calibration.
Measurement expectedReading(int r, int g, int b) {
    const sim::Tristimulus t = expectedColorimeterReading("rec709", r, g, b);
    return Measurement::fromXYZ(t.X, t.Y, t.Z);
}

class ScreenCalRun : public SimFixture {
protected:
    void SetUp() override {
        initTintwellResources();
        qRegisterMetaType<QPatternManger::measureDevice>();
        isolatePortManager();
        QSettings().clear();
        ChromaGamutSpec::instance()->setVideoMode(0, 255);
        const std::string display = displayName();
        startSim("TV-40", [&](sim::SimulatorOptions &o) { addDisplayBench(o, "PG-RUN", display); });
        bench_ = &sim_->sim();
        generator_.reset(generators_.create("127.0.0.2"));
        meter_.reset(meters_.create(QString::fromStdString(port())));
        ASSERT_TRUE(generator_->isConnected());
        ASSERT_TRUE(meter_->isConnected());
        window_ = std::make_unique<ScreenCal>();
        window_->resize(1500, 1000);
        window_->show();
        QPatternManger *patterns = window_->patternManager();
        patterns->sequence()->setGenerator(static_cast<GenPattern *>(generator_.get()));
        child<QDoubleSpinBox>(patterns, "doubleStableTime")->setValue(0.3);
    }
    void TearDown() override {
        window_.reset();
        meter_.reset();
        generator_.reset();
        bench_ = nullptr;
        sim_.reset();
    }
    virtual std::string displayName() const { return "rec709"; }
    void connectMeter() {
        window_->portMenu()->setConnectedTo(static_cast<GenMeasure *>(meter_.get()));
    }
    bool load(const QString &name) {
        return window_->loadTemplate(shippedTemplateDir() + "/" + name);
    }
    // Runs the current page; "finished", "Aborted" or "stuck".
    QString runPage() {
        QPatternManger *patterns = window_->patternManager();
        QSignalSpy done(patterns, &QPatternManger::finished);
        QSignalSpy aborted(patterns, &QPatternManger::Aborted);
        window_->StartCalibration();
        (void)QTest::qWaitFor([&] { return done.count() + aborted.count() > 0; }, 90000);
        return done.count() ? "finished" : aborted.count() ? "Aborted" : "stuck";
    }
    const PageGraph *graph(const QString &type) const {
        for (const PageGraph &g : window_->builtPage().graphs)
            if (g.type == type)
                return &g;
        return nullptr;
    }
    // The last series that is not muted (the run itself, not its target or
    // an earlier run).
    static QList<QPointF> runSeries(const PageGraph *g, int fromEnd = 0) {
        QList<QList<QPointF>> series;
        for (const PlotObject &p : g->graph->plots())
            if (!p.colors.isEmpty() && p.colors.first().alpha() == 255)
                series << p.points;
        return series.size() > fromEnd ? series[series.size() - 1 - fromEnd] : QList<QPointF>();
    }
    static int mutedSeries(const PageGraph *g) {
        int n = 0;
        for (const PlotObject &p : g->graph->plots())
            n += !p.colors.isEmpty() && p.colors.first().alpha() < 255;
        return n;
    }
    // The page's report as a PDF: its pages, 0 when none was written.
    int printPdf() {
        TempDir out;
        const QString pdf = QString::fromStdString(out.file("report.pdf"));
        int pages = 0;
        if (!writeReportPdf(pdf, window_->report(), window_->graphsToPrint(), 2, 3, &pages))
            return 0;
        EXPECT_GT(QFileInfo(pdf).size(), 10000);
        return pages;
    }
    void shoot(const QString &name) {
        if (qEnvironmentVariableIsEmpty("TINTWELL_SCREENSHOT_DIR"))
            return;
        for (const char *theme : {"day", "night"}) {
            qApp->setStyleSheet(loadStyleSheet(QStringLiteral(":/themes/%1.qss").arg(theme)));
            QTest::qWait(150); // the graphs' debounced redraw
            saveShot(window_->grab().toImage(), name + "-" + theme);
        }
        qApp->setStyleSheet(QString());
    }

    sim::Simulator *bench_ = nullptr;
    TorvaPatternFactory generators_;
    TorvaFactory meters_;
    std::unique_ptr<GenDevice> generator_;
    std::unique_ptr<GenDevice> meter_;
    std::unique_ptr<ScreenCal> window_;
    ScriptedDialogs dialogs_;
};

// The same bench with the simulated HDR display.
class ScreenCalHdrRun : public ScreenCalRun {
protected:
    std::string displayName() const override { return "hdr1000"; }
};

} // namespace

TEST_F(ScreenCalRun, GreyScaleBeforeAndAfterWithReport) {
    ASSERT_TRUE(load("greyscale-gamma.xml")) << window_->templateIssues().join("\n").toStdString();
    EXPECT_EQ(window_->tree().headers.size(), 4);
    EXPECT_EQ(window_->currentPageName(), "Targets");
    // The set-up page has no run.
    connectMeter();
    window_->StartCalibration();
    EXPECT_EQ(dialogs_.last().text, "There is no calibration for this page.");
    EXPECT_EQ(dialogs_.last().title, "Screen Calibration");
    shoot("screencal-greyscale-targets");

    // "Next" is a button of the page it replaces.
    QPushButton *next = nullptr;
    for (QAbstractButton *b : window_->builtPage().buttons)
        if (b->text() == "Next")
            next = qobject_cast<QPushButton *>(b);
    ASSERT_NE(next, nullptr);
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(window_->currentPageName(), "Grey Scale Before");
    ASSERT_EQ(window_->patches().size(), 11); // the page's combo starts at 10 point
    ASSERT_EQ(runPage(), "finished");
    EXPECT_EQ(window_->store().samples(PreCali).size(), 11);

    const PageGraph *gamma = graph("line:gamma");
    ASSERT_NE(gamma, nullptr);
    const QList<QPointF> steps = runSeries(gamma, 1); // beneath the target line
    ASSERT_EQ(steps.size(), 9);
    for (const QPointF &p : steps)
        EXPECT_NEAR(p.y(), 2.4, 0.08) << "at " << p.x() << " IRE";
    const QList<QPointF> luminance = runSeries(graph("line:Y"));
    ASSERT_EQ(luminance.size(), 11);
    EXPECT_NEAR(luminance.last().y(), expectedReading(255, 255, 255).bigY, 0.5);
    EXPECT_EQ(runSeries(graph("line:RGBBalance")).size(), 10);
    EXPECT_EQ(runSeries(graph("deltaE")).size(), 11);

    // The table's white row: the chosen level's grey as the display shows it.
    CalTable *table = window_->builtPage().tables.value(0).table;
    ASSERT_NE(table, nullptr);
    const Measurement grey = expectedReading(178, 178, 178);
    EXPECT_NEAR(table->item(0, 0)->text().toDouble(), grey.x, 0.002);
    EXPECT_NEAR(table->item(0, 1)->text().toDouble(), grey.y, 0.002);
    shoot("screencal-greyscale-before");

    window_->ClickNext();
    EXPECT_EQ(window_->currentPageName(), "Grey Scale After");
    // Before the post-calibration run the earlier run is already shown muted.
    EXPECT_EQ(mutedSeries(graph("line:gamma")), 1);
    ASSERT_EQ(runPage(), "finished");
    EXPECT_EQ(runSeries(graph("line:gamma"), 1).size(), 9);
    EXPECT_EQ(mutedSeries(graph("line:gamma")), 1);
    const PageGraph *cie = graph("CIE");
    ASSERT_NE(cie, nullptr);
    ASSERT_EQ(cie->graph->plots().size(), 2); // earlier run and this one
    EXPECT_NEAR(cie->graph->plots()[1].points.last().x(), expectedReading(229, 229, 229).x, 0.002);
    shoot("screencal-greyscale-after");

    window_->ClickNext();
    EXPECT_EQ(window_->currentPageName(), "Before and After");
    EXPECT_EQ(runSeries(graph("line:gamma"), 1).size(), 9);
    EXPECT_EQ(mutedSeries(graph("line:gamma")), 1);
    shoot("screencal-greyscale-report");
    // The report: both runs as patch tables, then the page's graphs.
    const ReportSetup report = window_->report();
    ASSERT_EQ(report.tables.size(), 2);
    EXPECT_EQ(report.tables[0].title, "Pre-calibration");
    EXPECT_EQ(report.tables[1].rows.size(), 11);
    EXPECT_EQ(report.tables[1].rows.first().name, "White - 0 IRE"); // darkest first
    EXPECT_EQ(report.tables[1].rows.last().name, "White - 100 IRE");
    EXPECT_EQ(printPdf(), 4); // summary, two tables, four graphs on one page
}

TEST_F(ScreenCalRun, StoppingARunKeepsThePatchesMeasuredAndSaysSo) {
    ASSERT_TRUE(load("primaries-secondaries.xml"));
    connectMeter();
    ASSERT_TRUE(window_->selectPage(0, 1));
    QPatternManger *patterns = window_->patternManager();
    QSignalSpy measured(patterns, &QPatternManger::Measured);
    QSignalSpy aborted(patterns, &QPatternManger::Aborted);
    window_->StartCalibration();
    ASSERT_TRUE(QTest::qWaitFor([&] { return measured.count() == 2; }, 20000));
    child<QPushButton>(patterns, "pushStop")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return aborted.count() == 1; }, 5000));
    ASSERT_TRUE(window_->run().has_value());
    EXPECT_EQ(window_->store().samples(window_->run()->kind).size(), 2);
    ASSERT_NE(graph("CIE"), nullptr); // and on the page's diagram
    EXPECT_EQ(graph("CIE")->graph->plots().value(0).points.size(), 2);
    EXPECT_EQ(window_->statusBar()->currentMessage(), "Run stopped: 2 of 14 patches measured");
    ASSERT_EQ(runPage(), "finished"); // the next run goes to the end and says so
    EXPECT_EQ(window_->statusBar()->currentMessage(), "Run finished: all 14 patches measured");
}

TEST_F(ScreenCalRun, PrimariesAndSecondaries) {
    ASSERT_TRUE(load("primaries-secondaries.xml"));
    connectMeter();
    ASSERT_TRUE(window_->selectPage(0, 1));
    // 75 IRE and two points per colour, from the page's own combos.
    EXPECT_EQ(window_->patchSettings().levelIre, 75);
    ASSERT_EQ(window_->patches().size(), 14);
    ASSERT_EQ(runPage(), "finished");

    const PageGraph *cie = graph("CIE");
    ASSERT_NE(cie, nullptr);
    ASSERT_EQ(cie->graph->plots().size(), 1);
    EXPECT_EQ(cie->graph->plots()[0].points.size(), 14);
    CalTable *table = window_->builtPage().tables.value(0).table;
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 7);
    EXPECT_EQ(table->verticalHeaderItem(1)->text(), "Red");
    const Measurement red = expectedReading(191, 0, 0);
    EXPECT_NEAR(table->item(1, 0)->text().toDouble(), red.x, 0.002);
    EXPECT_NEAR(table->item(1, 1)->text().toDouble(), red.y, 0.002);
    EXPECT_EQ(runSeries(graph("deltaE")).size(), 14);
    shoot("screencal-primaries");
    EXPECT_EQ(printPdf(), 3); // summary, the table, four graphs

    // Switching the range rebuilds the patch list for video levels.
    ChromaGamutSpec::instance()->setVideoMode(16, 235);
    EXPECT_EQ(window_->patches().first(), (Rgb{235, 235, 235}));
    ChromaGamutSpec::instance()->setVideoMode(0, 255);
}

TEST_F(ScreenCalRun, WhitePointAndLuminanceLiveAndOnce) {
    ASSERT_TRUE(load("whitepoint-luminance.xml"));
    QPushButton *live = window_->builtPage().measureButtons.value(0);
    ASSERT_NE(live, nullptr);
    // Without a colorimeter the button stays up and says why.
    live->click();
    EXPECT_FALSE(live->isChecked());
    EXPECT_EQ(dialogs_.last().text, "The Torva device is not connected");

    // The generator shows full white while the operator watches.
    auto *g = static_cast<GenPattern *>(generator_.get());
    g->setColor(QColor(255, 255, 255));
    g->setPattern(3);
    QTest::qWait(50);
    (void)QTest::qWaitFor([this] { return !bench_->display()->settling(); }, 2000);
    connectMeter();
    live->click();
    ASSERT_TRUE(live->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(window_->liveText().endsWith("nits"), 10000);
    const double nits = window_->liveText().section(' ', 0, 0).toDouble();
    EXPECT_NEAR(nits, expectedReading(255, 255, 255).bigY, 1.0); // the generator's white
    live->click();
    EXPECT_FALSE(meter_->isConnected() && static_cast<GenMeasure *>(meter_.get())->isMeasuring());

    ASSERT_EQ(window_->patches().size(), 3);
    ASSERT_EQ(runPage(), "finished");
    const PageGraph *cie = graph("CIE");
    ASSERT_NE(cie, nullptr);
    const Measurement white = expectedReading(255, 255, 255);
    bool found = false;
    for (const QPointF &p : cie->graph->plots()[0].points)
        found = found || (std::fabs(p.x() - white.x) < 0.002 && std::fabs(p.y() - white.y) < 0.002);
    EXPECT_TRUE(found) << "no point near the display's white";
    EXPECT_EQ(runSeries(graph("line:Y")).size(), 3);
    shoot("screencal-whitepoint");
    EXPECT_EQ(printPdf(), 3); // summary, the table, three graphs

    // Losing the colorimeter while watching live: the button comes up and
    // the device fields say so.
    auto *model = child<QLineEdit>(window_.get(), "lineModel");
    EXPECT_TRUE(model->text().startsWith("TV-40"));
    live->click();
    ASSERT_TRUE(live->isChecked());
    EXPECT_EQ(bench_->execute("unplug").rfind("ok", 0), 0u);
    QTRY_COMPARE_WITH_TIMEOUT(model->text(), QString("Not Connected"), 10000);
    EXPECT_FALSE(live->isChecked());
    EXPECT_EQ(child<QLineEdit>(window_.get(), "lineTorvaPort")->text(), "Not Connected");
}

TEST_F(ScreenCalRun, ImportStoresTheTemplateAndBadFilesSayWhere) {
    TempDir dir;
    const QString bad = QString::fromStdString(dir.write(
        "bad.xml", onePageXml("\n<cali caliFor=\"preCali\"/>\n"
                              "<item object=\"Graph\" type=\"pie\" caliFor=\"preCali\"/>\n"
                              "<item object=\"Label\" column=\"-4\"/>\n")
                       .toStdString()));
    dialogs_.queueFileName(bad);
    QMetaObject::invokeMethod(window_.get(), "on_actionImport_Template_triggered");
    // The file dialog starts in the shipped templates' folder.
    EXPECT_TRUE(dialogs_.shown().first().text.startsWith(shippedTemplateDir()))
        << dialogs_.shown().first().text.toStdString();
    EXPECT_EQ(QSettings().value("templateFile").toString(), bad);
    EXPECT_EQ(window_->currentPageName(), "p");
    // The skipped cali, graph and label, each with its line, in one box.
    const QString shown = dialogs_.last().text;
    EXPECT_EQ(dialogs_.last().title, "Import Template");
    EXPECT_TRUE(shown.contains("line 4: <cali> ignored")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("line 5: <item object=\"Graph\"> skipped")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("line 6: <item object=\"Label\"> skipped")) << shown.toStdString();
    // cali without colorFor: no run on this page.
    connectMeter();
    window_->StartCalibration();
    EXPECT_EQ(dialogs_.last().text, "There is no calibration for this page.");

    // A window opened later finds the stored template again.
    window_.reset();
    ScreenCal again;
    EXPECT_EQ(again.currentPageName(), "p");

    // Not a template: the tree stays empty, the reason is shown.
    dir.write("bad.xml", "<ScreenCal version=\"2.0\"/>");
    EXPECT_FALSE(again.loadTemplate(bad));
    EXPECT_TRUE(again.tree().headers.isEmpty());
    EXPECT_TRUE(again.templateIssues().join("\n").contains("line 1: ScreenCal version"));
}

// The HDR10 template: 10-bit PQ greys in a 10 % window, judged against
// REC2100 PQ (absolute luminance) on a log EOTF plot and by ΔE ITP, the
// generator told the 10-bit code range for the run and given back its own.
TEST_F(ScreenCalHdrRun, Hdr10GreyScaleRunsOnTheHdrDisplay) {
    ASSERT_TRUE(load("hdr10-greyscale.xml")) << window_->templateIssues().join("\n").toStdString();
    EXPECT_TRUE(window_->templateIssues().isEmpty())
        << window_->templateIssues().join("\n").toStdString();
    connectMeter();
    // The 10 % window the pattern panel's window setting sends.
    static_cast<GenPattern *>(generator_.get())
        ->setBoxSize(sequencetexts::windowRect(10, 1920, 1080));
    window_->ClickNext();
    EXPECT_EQ(window_->currentPageName(), "PQ Grey Scale Before");
    const QVector<Rgb> patches = window_->patches();
    ASSERT_EQ(patches.size(), pqScaleLuminances().size());
    EXPECT_EQ(patches.at(10), (Rgb{594, 594, 594})); // 203 cd/m²
    ASSERT_EQ(runPage(), "finished");
    EXPECT_EQ(bench_->patternGenerator()->state().maxColor, 255); // given back after the run

    const PageGraph *eotf = graph("line:EOTF");
    ASSERT_NE(eotf, nullptr);
    EXPECT_TRUE(eotf->graph->isYLogScale());
    const QList<QPointF> measured = runSeries(eotf);
    ASSERT_EQ(measured.size(), patches.size());
    const QVector<double> nits = pqScaleLuminances();
    for (int i = 1; i < measured.size(); ++i) {
        const double target = transfer::st2084Eotf(patches.at(i).r / 1023.0);
        EXPECT_NEAR(measured[i].x(), 100.0 * patches.at(i).r / 1023, 1e-9);
        if (nits[i] >= 1 && nits[i] < 800) { // absolute, below the display's own roll-off
            EXPECT_NEAR(measured[i].y() / target, 1.0, 0.03) << nits[i];
        }
    }
    EXPECT_LT(measured.last().y(), 950); // rolled off at 1000 cd/m²
    const QList<QPointF> itp = runSeries(graph("deltaITP"));
    ASSERT_EQ(itp.size(), patches.size());
    EXPECT_LT(itp.at(10).y(), 5); // the reference white
    EXPECT_GT(itp.last().y(), itp.at(10).y());
    shoot("screencal-hdr10");
    EXPECT_EQ(printPdf(), 3); // summary, the run's table, four graphs
}
