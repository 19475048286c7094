// The test colour batch window: import and export against golden files
// (quoted names, the partial import before a bad line, refused values),
// the default batch and its menu (also when the program's folder cannot be
// written), moving and deleting, the run checks, and a whole run through
// the screen generator into the results file, stopped part way, the pre/post
// report window measuring its patch set. NewColors' code values.
#include "fakemeter.h"
#include "goldenfiles.h"
#include "tempdir.h"

#include "batchresults.h"
#include "chromagamutspec.h"
#include "genpattern.h"
#include "newcolors.h"
#include "newpatches.h"
#include "patternsequence.h"
#include "portmanager.h"
#include "prepostreport.h"
#include "qpatternmanger.h"
#include "qportmenu.h"
#include "qtprinters.h"
#include "reports.h"
#include "screenpatternfactories.h"
#include "scripteddialogs.h"
#include "settingsfixture.h"
#include "shotsaver.h"
#include "testcolorbatch.h"
#include "transfer.h"
#include "windowtesting.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList names(const QList<ColorPatch> &patches) {
    QStringList out;
    for (const ColorPatch &p : patches)
        out << p.name;
    return out;
}

class BatchWindow : public EmptySettings {
protected:
    void SetUp() override {
        EmptySettings::SetUp();
        // Before the first window looks at the device factories.
        static const bool registered = (registerPatternFactories(), true);
        (void)registered;
        isolatePortManager();
        appSettings().setValue("messageBox", true); // the start-up notice is tested on its own
        program = QString::fromStdString(dirs.file("program"));
        data = QString::fromStdString(dirs.file("data"));
        QDir().mkpath(program);
    }
    void TearDown() override {
        window.reset();
        EmptySettings::TearDown();
    }
    void open(const QString &programDir) {
        window = std::make_unique<TestColorBatch>(nullptr, nullptr, DefaultBatch(programDir, data));
    }
    // The window shown with the meter connected and the first screen as its
    // generator, patches shown at once.
    QPatternManger *openOnTheScreenGenerator(GenMeasure *meter) {
        PortManager::instance()->findPorts();
        EXPECT_TRUE(QTest::qWaitFor([] { return !PortManager::instance()->isScanning(); }, 20000));
        open(program);
        window->show();
        window->colorimeterMenu()->setConnectedTo(meter);
        QPatternManger *manager = window->patternManager();
        manager->findChild<QDoubleSpinBox *>("doubleStableTime")->setValue(0);
        manager->selectScreenGenerator();
        EXPECT_TRUE(QTest::qWaitFor([&] { return manager->generatorConnected(); }, 10000));
        return manager;
    }
    void push(const char *name) { child<QPushButton>(window.get(), name)->click(); }
    void trigger(const char *name) { child<QAction>(window.get(), name)->trigger(); }
    QTableWidget *table() { return child<QTableWidget>(window.get(), "tableColors"); }

    TempDir dirs;
    QString program, data;
    ScriptedDialogs dialogs;
    std::unique_ptr<TestColorBatch> window;
};

} // namespace

TEST_F(BatchWindow, ImportsGoldenFilesAndKeepsWhatCameBeforeABadLine) {
    open(program);
    const struct {
        QByteArray text;
        int kept;
        const char *message; // "" for none
    } cases[] = {
        {golden("batch_quoted.csv"), 5, ""},
        {"A,1,2,3\nB,1,2\n", 1, "The file you have selected wasn't in the correct format."},
        {"A,1,2,3\nB,1,x,3\n", 1, "The file you have selected had a bad color."},
        {"A,1,2,3\nB,4,5,6\nC,1,2,300\n", 2,
         "The file you have selected had a color value outside 0 to 255 on line 3."},
    };
    const QString path = program + "/import.csv";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ASSERT_TRUE(writeFileBytes(path, c.text));
        dialogs.clear();
        dialogs.queueButton(QMessageBox::Yes); // the batch is never empty here
        window->importFile(path);
        EXPECT_EQ(window->patches().size(), c.kept);
        EXPECT_EQ(table()->rowCount(), c.kept);
        EXPECT_EQ(dialogs.shown().first().kind, "question");
        if (*c.message) {
            EXPECT_EQ(dialogs.last().title, "Import");
            EXPECT_EQ(dialogs.last().text, c.message);
        } else {
            EXPECT_EQ(dialogs.count(), 1);
        }
    }
    dialogs.queueButton(QMessageBox::Yes);
    window->importFile(path + ".missing");
    EXPECT_EQ(dialogs.last().text, "The file cannot be opened.");

    // Cancel leaves the batch as it was.
    ASSERT_TRUE(writeFileBytes(path, golden("batch_quoted.csv")));
    window->importFile(path);
    dialogs.queueButton(QMessageBox::Cancel);
    ASSERT_TRUE(writeFileBytes(path, "Other,1,2,3\n"));
    window->importFile(path);
    EXPECT_EQ(window->patches().size(), 5);
    EXPECT_EQ(window->patches().at(2).name, "Panel \"A\" green");
    EXPECT_EQ(window->patches().at(4).name, "Two\nlines");
}

TEST_F(BatchWindow, ExportWritesTheGoldenFileBack) {
    open(program);
    window->setPatches(readBatch(QString::fromUtf8(golden("batch_quoted.csv"))).patches);
    const QString out = program + "/export.csv";
    dialogs.queueFileName(out);
    push("pushExport");
    EXPECT_EQ(fileBytes(out), golden("batch_quoted.csv"));
    EXPECT_EQ(dialogs.last().kind, "save");

    dialogs.queueFileName(program + "/no/such/folder/x.csv");
    push("pushExport");
    EXPECT_EQ(dialogs.last().text, "The file couldn't be opened.");

    window->setPatches({});
    push("pushExport");
    EXPECT_EQ(dialogs.last().kind, "information");
    EXPECT_EQ(dialogs.last().text, "You must have a batch to be saved.");
}

TEST_F(BatchWindow, DefaultBatchBesideTheProgramOrInTheDataFolder) {
    for (bool writable : {true, false}) {
        SCOPED_TRACE(writable ? "program folder" : "data folder");
        // A folder that does not exist cannot be written, like /usr/bin.
        const QString dir = writable ? program : program + "/missing";
        open(dir);
        EXPECT_EQ(names(window->patches()), QStringList({"White - 100 IRE", "Red - 100 IRE",
                                                         "Green - 100 IRE", "Blue - 100 IRE"}));
        EXPECT_EQ(window->patches().at(1).color, QColor(255, 0, 0));

        window->setPatches({{"Mine", QColor(1, 2, 3)}});
        dialogs.clear();
        dialogs.queueButton(QMessageBox::Yes);
        trigger("actionSet_Default");
        dialogs.queueButton(QMessageBox::Yes);
        trigger("actionSet_Default"); // the relocation is said once
        const QString file = (writable ? program : data) + "/default.cvs";
        EXPECT_EQ(fileBytes(file), QByteArray("Mine,1,2,3\n"));
        EXPECT_EQ(dialogs.shown().first().title, "Overwrite Default Batch");
        int notices = 0;
        for (const auto &s : dialogs.shown())
            notices += s.title == "Default Batch";
        EXPECT_EQ(notices, writable ? 0 : 1);

        open(dir);
        EXPECT_EQ(names(window->patches()), QStringList{"Mine"});
        dialogs.queueButton(QMessageBox::Abort);
        trigger("actionClear_Default");
        EXPECT_EQ(fileBytes(file), QByteArray("Mine,1,2,3\n"));
        dialogs.queueButton(QMessageBox::Yes);
        trigger("actionClear_Default");
        open(dir);
        EXPECT_TRUE(window->patches().isEmpty());

        dialogs.clear();
        dialogs.queueButton(QMessageBox::Yes);
        trigger("actionReset_Default");
        EXPECT_EQ(dialogs.last().title, "Resetting Default Batch");
        EXPECT_FALSE(QFile::exists(file));
        dialogs.clear();
        trigger("actionReset_Default"); // nothing to reset: nothing asked
        EXPECT_EQ(dialogs.count(), 0);
        open(dir);
        EXPECT_EQ(window->patches().size(), 4);
    }
}

TEST_F(BatchWindow, TheDefaultLoadNoticeShowsOnceTheLoopRuns) {
    appSettings().setValue("messageBox", false);
    open(program);
    EXPECT_EQ(dialogs.count(), 0);
    QTest::qWait(20);
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().title, "Default Load");
    EXPECT_TRUE(dialogs.last().text.startsWith("We have loaded the default batch.\n"));
}

TEST_F(BatchWindow, MovesBlocksOfRowsAndDeletesTheSelection) {
    open(program);
    window->setPatches(
        {{"A", Qt::red}, {"B", Qt::green}, {"C", Qt::blue}, {"D", Qt::white}, {"E", Qt::black}});
    const struct {
        QList<int> select;
        const char *button;
        const char *order;
    } steps[] = {
        {{1, 2}, "pushMoveUp", "BCADE"},   {{0, 1}, "pushMoveUp", "BCADE"},
        {{0, 1}, "pushMoveDown", "ABCDE"}, {{3, 4}, "pushMoveDown", "ABCDE"},
        {{0, 4}, "pushMoveDown", "BACDE"}, {{1, 3}, "pushDeleteSelect", "BCE"},
    };
    for (const auto &s : steps) {
        table()->clearSelection();
        for (int row : s.select)
            table()->selectionModel()->select(table()->model()->index(row, 0),
                                              QItemSelectionModel::Select |
                                                  QItemSelectionModel::Rows);
        push(s.button);
        EXPECT_EQ(names(window->patches()).join(""), s.order) << s.button;
    }
    dialogs.queueButton(QMessageBox::Cancel);
    push("pushDeleteAll");
    EXPECT_EQ(window->patches().size(), 3);
    dialogs.queueButton(QMessageBox::Yes);
    push("pushDeleteAll");
    EXPECT_TRUE(window->patches().isEmpty());
    EXPECT_EQ(dialogs.last().title, "Clear All");
}

TEST_F(BatchWindow, RunStopsAtEachMissingPieceWithItsMessage) {
    open(program);
    FakeMeter meter;
    push("pushRun");
    EXPECT_EQ(dialogs.last().text, "You must have a Torva Device hooked up.");
    window->colorimeterMenu()->setConnectedTo(&meter);
    window->setPatches({});
    push("pushRun");
    EXPECT_EQ(dialogs.last().text, "You must add color patches to the batch.");
    window->setPatches({{"A", Qt::red}});
    push("pushRun");
    EXPECT_EQ(dialogs.last().title, "Start Run");
    EXPECT_TRUE(dialogs.last().text.startsWith("You must have a Pattern Generator"));
    EXPECT_EQ(child<QLineEdit>(window.get(), "lineProfile")->text(), "5: Studio");
    window->colorimeterMenu()->setConnectedTo(nullptr);
}

TEST_F(BatchWindow, RunsThroughTheScreenGeneratorIntoTheResultsFile) {
    FakeMeter meter;
    QPatternManger *manager = openOnTheScreenGenerator(&meter);
    ASSERT_TRUE(manager->generatorConnected());

    window->setPatches({{"White", Qt::white}, {"Red, 50%", QColor(128, 0, 0)}, {"Off", Qt::black}});
    QList<bool> flags = QVector<bool>(10, false).toList();
    flags[0] = flags[8] = flags[9] = true; // x,y; L*a*b*; LCh
    window->setColumnChooser([flags](bool *accepted) {
        *accepted = true;
        return flags;
    });
    const QString out = program + "/results.csv";
    dialogs.queueFileName(out);
    push("pushRun");
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.last().title == "Finished Run"; }, 20000));
    EXPECT_EQ(dialogs.last().text, "The batch has finished");
    saveShot(window->grab().toImage(), "test-color-batch-after-run");

    const QList<QByteArray> lines = fileBytes(out).split('\n');
    ASSERT_EQ(lines.size(), 5); // header, three rows, the final newline
    EXPECT_EQ(lines[0], "Name,Big Y nits,x,y,L,a,b,C,h,AvgBy,Error");
    EXPECT_TRUE(lines[2].startsWith("\"Red, 50%\",100,0.3127,0.329,100,")) << lines[2].data();
    EXPECT_EQ(window->runMeasured().size(), 3);
    EXPECT_TRUE(child<QPushButton>(window.get(), "pushRun")->isEnabled());

    const QString pdf = program + "/report.pdf";
    ASSERT_TRUE(window->exportReport(pdf));
    EXPECT_TRUE(fileBytes(pdf).startsWith("%PDF-"));

    // Stopped while the second patch stabilises: the first row is in the
    // file, and the window says so.
    manager->findChild<QDoubleSpinBox *>("doubleStableTime")->setValue(2);
    QSignalSpy measured(manager, &QPatternManger::Measured);
    QSignalSpy aborted(manager, &QPatternManger::Aborted);
    const QString stopped = program + "/stopped.csv";
    dialogs.queueFileName(stopped);
    push("pushRun");
    ASSERT_TRUE(QTest::qWaitFor([&] { return measured.count() == 1; }, 10000));
    EXPECT_FALSE(child<QPushButton>(window.get(), "pushRun")->isEnabled());
    manager->findChild<QPushButton *>("pushStop")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return aborted.count() == 1; }, 5000));
    const QList<QByteArray> kept = fileBytes(stopped).split('\n');
    ASSERT_EQ(kept.size(), 3); // header, one row, the final newline
    EXPECT_TRUE(kept[1].startsWith("White,")) << kept[1].data();
    EXPECT_TRUE(window->statusBar()->currentMessage().startsWith(
        "Run stopped: 1 of 3 patches measured, written to "))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_EQ(window->runMeasured().size(), 1); // the report of what was measured
    EXPECT_TRUE(child<QPushButton>(window.get(), "pushRun")->isEnabled());
    window->colorimeterMenu()->setConnectedTo(nullptr);
}

// A 10-bit batch on the screen generator, which shows 8 bits: each patch
// goes out as its nearest 8-bit codes, and its target follows what was
// shown; an HDR run's results carry targets, ΔE2000 and ΔE ITP.
TEST_F(BatchWindow, TenBitPatchesOnAnEightBitGeneratorAreJudgedByTheCodesShown) {
    ChromaGamutSpec::instance()->setCurrentGamut(ChromaGamutSpec::pqGamutIndex);
    FakeMeter meter;
    QPatternManger *manager = openOnTheScreenGenerator(&meter);
    ASSERT_TRUE(manager->generatorConnected());

    const QString in = program + "/hdr.csv";
    ASSERT_TRUE(writeFileBytes(in, "#bits=10\nGrey 203,594,594,594\nWhite,1023,1023,1023\n"));
    dialogs.queueButton(QMessageBox::Yes); // in place of the default patches
    window->importFile(in);
    ASSERT_EQ(window->patches().size(), 2);
    EXPECT_EQ(table()->item(0, 1)->text(), "594"); // the table shows the file's codes
    EXPECT_TRUE(manager->sequence()->hasCodes());
    window->setColumnChooser([](bool *accepted) {
        *accepted = true;
        return QVector<bool>(10, false).toList();
    });
    const QString out = program + "/hdr-results.csv";
    dialogs.queueFileName(out);
    push("pushRun");
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialogs.last().title == "Finished Run"; }, 20000));
    const QList<QByteArray> lines = fileBytes(out).split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "Name,Big Y nits,AvgBy,Error,Target x,Target y,Target Y nits,"
                        "DeltaE2000,DeltaITP");
    const QList<QByteArray> grey = lines[1].split(',');
    ASSERT_EQ(grey.size(), 9);
    // 594 of 1023 is shown as 148 of 255, whose ST 2084 luminance is the target.
    EXPECT_NEAR(grey[6].toDouble(), transfer::st2084Eotf(148 / 255.0), 0.01);
    ASSERT_EQ(window->runPatches().size(), 2);
    EXPECT_EQ(window->runPatches().at(0).bits, 8);
    EXPECT_EQ(window->runPatches().at(0).codes(), (std::array<int, 3>{148, 148, 148}));
    window->colorimeterMenu()->setConnectedTo(nullptr);
    ChromaGamutSpec::instance()->setCurrentGamut(2);
}

TEST_F(BatchWindow, PrePostReportMeasuresItsPatchSetIntoThePage) {
    PortManager::instance()->findPorts();
    ASSERT_TRUE(QTest::qWaitFor([] { return !PortManager::instance()->isScanning(); }, 20000));
    PrePostReport report;
    report.show();
    auto *measure = child<QPushButton>(&report, "pushMeasure");
    EXPECT_FALSE(measure->isEnabled()); // no colorimeter yet
    FakeMeter meter;
    report.colorimeterMenu()->setConnectedTo(&meter);
    EXPECT_TRUE(measure->isEnabled());
    QPatternManger *manager = report.patternManager();
    manager->findChild<QDoubleSpinBox *>("doubleStableTime")->setValue(0);
    manager->selectScreenGenerator();
    ASSERT_TRUE(QTest::qWaitFor([&] { return manager->generatorConnected(); }, 10000));
    child<QSlider>(report.page(), "sliderSteps")->setValue(3);
    child<QCheckBox>(report.page(), "checkColors")->setChecked(false);
    QSignalSpy finished(manager, &QPatternManger::finished);
    measure->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 20000));
    // Every patch reached the page: the saved set has all three greys.
    const QString saved = program + "/pre.csv";
    dialogs.queueFileName(saved);
    report.page()->on_pushSave_clicked();
    const QList<QByteArray> lines = fileBytes(saved).split('\n');
    ASSERT_EQ(lines.size(), 5) << fileBytes(saved).data(); // header, 3 greys, final newline
    EXPECT_EQ(lines[0], "R,G,B,X,Y,Z");
    EXPECT_TRUE(lines[3].startsWith("255,255,255,")) << lines[3].data();
    report.colorimeterMenu()->setConnectedTo(nullptr);
}

TEST(BatchProfiles, SelectProfileOffersEachProfileOnceAndNoEmptySlot) {
    const QList<QPair<int, QString>> choices = TestColorBatch::profileChoices(
        {"0: Factory Cal File", "1: Blank", "2: Studio D65", "3:  blank ", "4: "});
    const QList<QPair<int, QString>> want = {{0, "0: Factory Cal File"}, {2, "2: Studio D65"}};
    EXPECT_EQ(choices, want);
}

TEST(NewPatches, CodeValuesForEveryTargetLevelAndRange) {
    const struct {
        int choice, ire, low, high;
        const char *firstName;
        QList<QColor> codes;
    } cases[] = {
        {1, 50, 0, 255, "Red - 50 IRE", {QColor(128, 0, 0)}},
        {0, 100, 16, 235, "White - 100 IRE", {QColor(235, 235, 235)}},
        {0, 0, 16, 235, "White - 0 IRE", {QColor(16, 16, 16)}},
        {4, 50, 16, 235, "Cyan - 50 IRE", {QColor(16, 126, 126)}},
        {7, 75, 0, 255, "Red - 75 IRE", {{191, 0, 0}, {0, 191, 0}, {0, 0, 191}}},
        {8, 100, 16, 235, "Cyan - 100 IRE", {{16, 235, 235}, {235, 235, 16}, {235, 16, 235}}},
    };
    for (const auto &c : cases) {
        const QList<ColorPatch> p = newpatches::targetPatches(c.choice, c.ire, c.low, c.high);
        ASSERT_EQ(p.size(), c.codes.size()) << c.firstName;
        EXPECT_EQ(p.first().name, c.firstName);
        for (int i = 0; i < p.size(); ++i)
            EXPECT_EQ(p[i].color, c.codes[i]) << c.firstName << " " << i;
    }
    EXPECT_EQ(newpatches::targetPatches(9, 10, 0, 255).size(), 7);

    const QList<ColorPatch> ramp = newpatches::tenPointPatches(5, 16, 235); // yellow
    ASSERT_EQ(ramp.size(), 11);
    EXPECT_EQ(ramp.first().color, QColor(16, 16, 16));
    EXPECT_EQ(ramp.at(5).name, "Yellow - 50 IRE");
    EXPECT_EQ(ramp.last().color, QColor(235, 235, 16));
    EXPECT_TRUE(newpatches::outOfRange(QColor(10, 100, 100), 16, 235));
    EXPECT_FALSE(newpatches::outOfRange(QColor(16, 235, 100), 16, 235));
}

TEST_F(BatchWindow, NewColorsWarnsOutsideTheVideoRange) {
    ChromaGamutSpec::instance()->setVideoMode(16, 235);
    NewColors dialog;
    auto *warning = dialog.findChild<QLabel *>("labelWarning");
    for (const char *spin : {"spinRed", "spinGreen", "spinBlue"})
        dialog.findChild<QSpinBox *>(spin)->setValue(100);
    EXPECT_TRUE(warning->isHidden());
    dialog.findChild<QSpinBox *>("spinBlue")->setValue(240);
    EXPECT_FALSE(warning->isHidden());
    dialog.findChild<QComboBox *>("combo10Point")->setCurrentIndex(2);
    dialog.on_push10PointAccept_clicked();
    ASSERT_EQ(dialog.patches().size(), 11);
    EXPECT_EQ(dialog.patches().last().color, QColor(16, 235, 16));
    ChromaGamutSpec::instance()->setVideoMode(0, 255);
}

TEST(BatchColumns, HeaderAndRowFollowTheGroupsAndTheUnit) {
    Measurement m = Measurement::fromxyY(0.3127, 0.329, 100);
    m.avgCount = 8;
    m.errorCode = 0x20;
    const struct {
        QList<int> flags; // chooser flag indexes set
        bool nits;
        const char *header;
        const char *row;
    } cases[] = {
        {{}, true, "Name,Big Y nits,AvgBy,Error", "W,100,8,32"},
        {{}, false, "Name,Big Y fL,AvgBy,Error", "W,29.1864,8,32"},
        {{8, 9}, true, "Name,Big Y nits,L,a,b,C,h,AvgBy,Error", nullptr},
        {{9}, true, "Name,Big Y nits,L,C,h,AvgBy,Error", "W,100,100,"},
        {{3},
         false,
         "Name,Big Y fL,Big X fL,Big Z fL,AvgBy,Error",
         "W,29.1864,27.7403,31.7856,8,32"},
        {{0, 1, 4, 5, 6, 7},
         true,
         "Name,Big Y nits,x,y,u,v,red,green,blue,hue,saturation,value,temp,tempduv,nm,nmduv,"
         "AvgBy,Error",
         "W,100,0.3127,0.329,"},
    };
    for (const auto &c : cases) {
        QList<bool> flags = QVector<bool>(10, false).toList();
        for (int f : c.flags)
            flags[f] = true;
        const BatchColumns columns = BatchColumns::fromChooserFlags(flags, c.nits);
        EXPECT_EQ(columns.header().join(','), c.header);
        const QString row = columns.row("W", m).join(',');
        EXPECT_EQ(columns.row("W", m).size(), columns.header().size()) << c.header;
        if (c.row) {
            EXPECT_TRUE(row.startsWith(c.row)) << row.toStdString();
        }
    }
    EXPECT_EQ(csvLine({"a,b", "say \"hi\"", "3"}), "\"a,b\",\"say \"\"hi\"\"\",3\n");
    // The target columns come after Error, empty for a patch without a judgement.
    BatchColumns targets = BatchColumns::fromChooserFlags(QVector<bool>(10, false).toList(), true);
    targets.targets = true;
    VideoStandard pq;
    pq.spec = GamutSpec::standardSpec(3, hdrReferenceWhite);
    pq.curve.transfer = Transfer::Pq;
    const PatchJudgement judged = judgePatch({{520, 520, 520}, CodeRange::full(10)}, m, pq);
    EXPECT_EQ(targets.row("W", m, &judged).join(','),
              QStringLiteral("W,100,8,32,0.3127,0.329,%1,%2,%3")
                  .arg(QString::number(judged.target.measurement.bigY, 'g', 6),
                       QString::number(judged.deltaE2000, 'g', 6),
                       QString::number(judged.deltaItp, 'g', 6)));
    EXPECT_EQ(targets.row("W", m).join(','), "W,100,8,32,,,,,");
}
