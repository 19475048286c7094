// The main window without an instrument: its menus and controls, readings fed
// straight into on_measure (readouts, status bar, chart, comparison table),
// the error check and its message, saving the next reading, units and charts
// following each other, target colours, settings changes, the About box and
// the help page.
#include "windowtesting.h"

#include "about.h"
#include "appsettings.h"
#include "chromagamutspec.h"
#include "helpviewer.h"
#include "mainwindow.h"
#include "measurementcsv.h"
#include "qcomparetable.h"
#include "qcopytable.h"
#include "qgraphbox.h"
#include "qlineeditresize.h"
#include "qportmenu.h"
#include "scripteddialogs.h"
#include "tempdir.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

Measurement d65(int avgCount = 1) {
    Measurement m = Measurement::fromxyY(0.3127, 0.329, 100.0);
    m.avgCount = avgCount;
    return m;
}

QStringList entries(QMenu *menu) {
    QStringList out;
    for (QAction *a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("|") : a->text());
    return out;
}

QAction *action(QMenu *menu, const QString &text) {
    for (QAction *a : menu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}

QMenu *menu(QMenuBar *bar, const QString &title) {
    for (QAction *a : bar->actions())
        if (a->text() == title)
            return a->menu();
    return nullptr;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        isolatePortManager();
        appSettings().remove("isNits");
        appSettings().remove("sigFigs");
        QSettings().remove("mainwindow");
        window = std::make_unique<MainWindow>();
        window->resize(1360, 840);
        ASSERT_TRUE(waitUntil([] { return !PortManager::instance()->isScanning(); }, 15000));
    }
    void TearDown() override {
        window.reset();
        appSettings().remove("isNits");
    }
    template <typename T> T *get(const char *name) { return child<T>(window.get(), name); }
    QAction *act(const char *name) { return get<QAction>(name); }
    QGraphBox *graph() { return get<QGraphBox>("graphBox"); }
    QStringList readouts() {
        return {window->readoutText(0), window->readoutText(1), window->readoutText(2)};
    }
    QStringList captions() { return {window->caption(0), window->caption(1), window->caption(2)}; }
    QVariant stored(const char *key) {
        return QSettings().value(QStringLiteral("mainwindow/") + key);
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST_F(MainWindowTest, MenusAndActionsInOrder) {
    EXPECT_EQ(window->windowTitle(), "Torva Tintwell");
    QMenuBar *bar = window->menuBar();
    QStringList titles;
    for (QAction *a : bar->actions())
        titles << a->text();
    EXPECT_EQ(titles, QStringList({"File", "View", "Connect Colorimeter", "Connect Reference",
                                   "Setup", "Calibration", "Tools", "Help"}));
    EXPECT_EQ(entries(menu(bar, "File")), QStringList({"Save Next Measurement", "Exit"}));
    EXPECT_TRUE(act("actionSave_Next_Measurement")->isCheckable());
    EXPECT_EQ(entries(menu(bar, "View")), QStringList({"Restore Worksplace"}));
    EXPECT_EQ(entries(menu(bar, "Setup")),
              QStringList({"Ignore Errors", "Graph Setup", "Settings", "Select Profile"}));
    QMenu *ignore = action(menu(bar, "Setup"), "Ignore Errors")->menu();
    EXPECT_EQ(entries(ignore), QStringList({"Aiming Light Error", "Range Cal Error"}));
    QMenu *graphSetup = action(menu(bar, "Setup"), "Graph Setup")->menu();
    EXPECT_EQ(entries(graphSetup), QStringList({"BlackBody Curve", "Full Scale Lines"}));
    for (QMenu *m : {ignore, graphSetup})
        for (QAction *a : m->actions())
            EXPECT_TRUE(a->isCheckable()) << a->text().toStdString();
    EXPECT_EQ(entries(menu(bar, "Calibration")),
              QStringList({"View Cal Matrix", "|", "Black Level Calibration",
                           "Create Color Profile", "Screen Calibration"}));
    EXPECT_EQ(entries(menu(bar, "Tools")),
              QStringList({"Kelvin Calculator", "Test Panel", "Logging Tool", "Spectral Scan",
                           "Test Color Batch"}));
    EXPECT_EQ(entries(menu(bar, "Help")), QStringList({"Help File", "About"}));

    // The colorimeter menu is the port manager's, listing colorimeters.
    auto *ports = qobject_cast<QPortMenu *>(menu(bar, "Connect Colorimeter"));
    ASSERT_NE(ports, nullptr);
    EXPECT_EQ(ports, window->colorimeterMenu());
    EXPECT_EQ(ports->enabledMask(), 1);
    EXPECT_EQ(ports->disabledMask(), 6);
    EXPECT_TRUE(entries(ports).contains("Rescan Devices"));

    // Windows not part of this version are never offered; beta mode is off.
    // The tools need no colorimeter to open; the flicker tool does.
    EXPECT_FALSE(act("actionScreen_Calibration")->isVisible());
    for (const char *name : {"actionSelect_Cal_File", "actionView_Cal_Matrix",
                             "actionBlack_Level_Calibration", "actionCreate_Cal_File"})
        EXPECT_FALSE(act(name)->isEnabled()) << name;
    for (const char *name : {"actionKelvin_Calculator", "actionTest_Panel", "actionLogging_Tool",
                             "actionSpectral_Scan", "actionTest_Color_Batch"})
        EXPECT_TRUE(act(name)->isEnabled()) << name;
    EXPECT_TRUE(get<QPushButton>("pushTestPanle")->isEnabled());
    for (const char *name : {"pushMeasureFlicker", "pushChangeProfile"})
        EXPECT_FALSE(get<QPushButton>(name)->isEnabled()) << name;
    window->setButtons(false); // as if a colorimeter were there
    EXPECT_TRUE(get<QPushButton>("pushMeasure")->isEnabled());
    EXPECT_TRUE(get<QPushButton>("pushMeasureFlicker")->isEnabled());
    EXPECT_FALSE(act("actionCreate_Cal_File")->isEnabled());
    window->setButtons(true);
    EXPECT_FALSE(get<QPushButton>("pushMeasure")->isEnabled());
    EXPECT_FALSE(get<QPushButton>("pushONAim")->isEnabled());
}

TEST_F(MainWindowTest, CombosStartAsDescribed) {
    auto items = [](QComboBox *c) {
        QStringList out;
        for (int i = 0; i < c->count(); ++i)
            out << c->itemText(i);
        return out;
    };
    EXPECT_EQ(items(get<QComboBox>("comboColor")),
              QStringList({"White", "Red", "Green", "Blue", "Cyan", "Yellow", "Magenta"}));
    QComboBox *ire = get<QComboBox>("comboIRE");
    ASSERT_EQ(ire->count(), 20);
    EXPECT_EQ(ire->itemText(0), "5 IRE");
    EXPECT_EQ(ire->itemText(9), "50 IRE");
    EXPECT_EQ(ire->currentText(), "100 IRE");
    EXPECT_EQ(items(get<QComboBox>("comboChart")),
              QStringList({"CIE1931 (xy)", "CIE1976 (u'v')", "Magnified (xy)", "Magnified (u'v')",
                           "RGB Bars", "Hue and Saturation"}));
    QComboBox *units = get<QComboBox>("comboUnits");
    ASSERT_EQ(units->count(), 10);
    EXPECT_EQ(units->itemText(0), "x, y, Y");
    EXPECT_EQ(units->itemText(8), "Hue, Saturation, Value");
    EXPECT_EQ(captions(), QStringList({"x", "y", "Y"}));
    EXPECT_EQ(get<QLineEditResize>("lineMeasure1")->widthTemplate(), "-x.xxxx nits");
    EXPECT_FALSE(get<QPushButton>("pushMeasure")->isEnabled());
    // Nothing is written at start-up.
    EXPECT_FALSE(stored("comboUnits").isValid());
    EXPECT_FALSE(stored("comboChart").isValid());
}

TEST_F(MainWindowTest, ReadingFillsReadoutsChartTableAndStatus) {
    window->on_measure(d65());
    EXPECT_EQ(readouts(), QStringList({"0.313", "0.329", "100 nits"}));
    EXPECT_EQ(window->temperatureText(), "6504 K");
    EXPECT_EQ(window->duvText(), "0.0032");
    EXPECT_EQ(window->statusText(), "");
    ASSERT_TRUE(window->hasMeasurement());

    const QPointF plotted = graph()->plots().value(0).points.value(0);
    EXPECT_NEAR(plotted.x(), 0.3127, 1e-9);
    EXPECT_NEAR(plotted.y(), 0.329, 1e-9);

    // The reading lands in the column of the current target colour.
    QCopyTable *table = get<QCompareTable>("compareTable")->table();
    ASSERT_EQ(table->horizontalHeaderItem(0)->text(), "White");
    ASSERT_NE(table->item(QCompareTable::MeasureA, 0), nullptr);
    EXPECT_EQ(table->item(QCompareTable::MeasureA, 0)->text(), "0.3127");
    EXPECT_EQ(table->item(QCompareTable::MeasureA, 1), nullptr);

    window->on_measure(d65(4));
    EXPECT_EQ(window->statusText(), "Low light averaging 4 samples");
    window->on_measure(d65(1));
    EXPECT_EQ(window->statusText(), "");

    // A reading at x = 0 carries nothing: it is not shown and not kept.
    Measurement empty = d65();
    empty.x = 0;
    window->on_measure(empty);
    EXPECT_FALSE(window->hasMeasurement());
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(MainWindowTest, UnstableLowLightReadingShowsDashes) {
    window->on_measure(d65());
    Measurement unstable = d65(5);
    unstable.errorCode = 0x80;
    window->on_measure(unstable);
    EXPECT_EQ(readouts(), QStringList({"--", "--", "--"}));
    EXPECT_EQ(window->temperatureText(), "--");
    EXPECT_EQ(window->duvText(), "--");
    EXPECT_EQ(window->statusText(), "Low light average unstable.");
    EXPECT_EQ(dialogs.count(), 0);
    // The last good reading is kept, not replaced by the unstable one.
    EXPECT_EQ(window->lastMeasurement().avgCount, 1);
}

TEST_F(MainWindowTest, ErrorsStopTheReadingAndAreReportedUnlessIgnored) {
    window->on_measure(d65());
    Measurement aimed = d65();
    aimed.errorCode = 0x40 | 0x20; // aiming lights, plus a bit that never matters
    window->on_measure(aimed);
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().kind, "warning");
    EXPECT_EQ(dialogs.last().title, "Measurement Error");
    EXPECT_EQ(dialogs.last().text, "The Aiming lights are on.\n");
    EXPECT_FALSE(window->hasMeasurement());

    Measurement range = d65();
    range.errorCode = 0x200;
    window->on_measure(range);
    EXPECT_EQ(dialogs.last().text, "There was an error from the Torva device due to the Range "
                                   "switching with the measurement.\n");

    act("actionAiming_Light_Error")->setChecked(true);
    act("actionRange_Cal_Error")->setChecked(true);
    dialogs.clear();
    Measurement both = Measurement::fromxyY(0.3, 0.6, 50);
    both.errorCode = 0x40 | 0x400;
    window->on_measure(both);
    EXPECT_EQ(dialogs.count(), 0);
    EXPECT_EQ(readouts(), QStringList({"0.300", "0.600", "50.0 nits"}));

    both.errorCode = 0x40 | 0x2;
    window->on_measure(both);
    EXPECT_EQ(dialogs.last().text, "The Torva device has been unplugged\n");
}

TEST_F(MainWindowTest, SaveNextMeasurementAppendsOneRowEachTime) {
    TempDir dir;
    const QString file = QString::fromStdString(dir.file("log.csv"));
    QAction *save = act("actionSave_Next_Measurement");

    save->setChecked(true);
    dialogs.queueFileName(file);
    window->on_measure(d65());
    EXPECT_FALSE(save->isChecked());
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().kind, "save");
    EXPECT_EQ(dialogs.last().title, "Save Measure");
    EXPECT_TRUE(dialogs.last().text.contains("CSV (*.csv)"));
    QByteArray text = readAll(file);
    EXPECT_TRUE(text.startsWith(QByteArray(measurementCsvHeader) + '\n'));
    EXPECT_EQ(text.count('\n'), 2);

    // Not armed: nothing is written.
    window->on_measure(d65());
    EXPECT_EQ(readAll(file), text);

    save->setChecked(true);
    dialogs.queueFileName(file);
    window->on_measure(Measurement::fromxyY(0.64, 0.33, 20));
    text = readAll(file);
    EXPECT_EQ(text.count('\n'), 3);
    EXPECT_EQ(text.count(measurementCsvHeader), 1);

    // Cancelled: nothing written, nothing reported.
    save->setChecked(true);
    dialogs.clear();
    window->on_measure(d65());
    EXPECT_EQ(dialogs.count(), 1);
    EXPECT_EQ(readAll(file), text);

    save->setChecked(true);
    dialogs.queueFileName(QString::fromStdString(dir.path())); // a directory cannot be opened
    window->on_measure(d65());
    EXPECT_EQ(dialogs.last().kind, "warning");
    EXPECT_EQ(dialogs.last().title, "Measurement Save");
    EXPECT_EQ(dialogs.last().text, "The file you have selected couldn't be open.1");
}

TEST_F(MainWindowTest, UnitsSetCaptionsTemplatesAndChart) {
    QComboBox *units = get<QComboBox>("comboUnits");
    QComboBox *chart = get<QComboBox>("comboChart");
    window->on_measure(d65());

    units->setCurrentIndex(ReadRgb);
    EXPECT_EQ(captions(), QStringList({"R%", "G%", "B%"}));
    EXPECT_EQ(get<QLineEditResize>("lineMeasure2")->widthTemplate(), "x.xx %");
    EXPECT_EQ(chart->currentIndex(), int(ChartKind::Bars));
    EXPECT_EQ(graph()->backgroundMode(), QGraphBox::BarMode);
    EXPECT_EQ(graph()->xLabels(), QStringList({"R", "G", "B"}));
    EXPECT_EQ(readouts(), QStringList({"100.00 %", "100.00 %", "100.00 %"}));
    EXPECT_EQ(stored("comboUnits").toInt(), ReadRgb);
    EXPECT_EQ(stored("comboChart").toInt(), int(ChartKind::Bars));

    // The HSV set on the bar chart: bars labelled H, S, V.
    units->setCurrentIndex(ReadHsv);
    EXPECT_EQ(captions(), QStringList({"H", "S", "V"}));
    EXPECT_EQ(graph()->backgroundMode(), QGraphBox::HueSatMode);
    chart->setCurrentIndex(int(ChartKind::Bars));
    EXPECT_EQ(graph()->xLabels(), QStringList({"H", "S", "V"}));

    // L*a*b* leaves the chart where it is.
    units->setCurrentIndex(ReadLab);
    EXPECT_EQ(chart->currentIndex(), int(ChartKind::Bars));
    EXPECT_EQ(graph()->xLabels(), QStringList({"R", "G", "B"}));
    EXPECT_EQ(get<QLineEditResize>("lineMeasure1")->widthTemplate(), "-x.xxxx");

    units->setCurrentIndex(ReadNmDuvY);
    EXPECT_EQ(chart->currentIndex(), int(ChartKind::CIE1976));
    EXPECT_EQ(graph()->cieChart(), QGraphBox::CIE1976);
    const QPointF plotted = graph()->plots().value(0).points.value(0);
    EXPECT_NEAR(plotted.x(), 0.19783, 1e-5); // u', v' on the 1976 diagram
    EXPECT_NEAR(plotted.y(), 0.46832, 1e-5);
    // The table follows with u', v' rows and targets.
    QCopyTable *table = get<QCompareTable>("compareTable")->table();
    EXPECT_EQ(table->verticalHeaderItem(QCompareTable::TargetA)->text(), "Target: u'");
    EXPECT_EQ(table->item(QCompareTable::TargetA, 0)->text(), "0.19783");
}

TEST_F(MainWindowTest, StoredUnitsAndChartComeBack) {
    QSettings().setValue("mainwindow/comboUnits", ReadXYZ);
    QSettings().setValue("mainwindow/comboChart", int(ChartKind::Magnified1931));
    MainWindow second;
    EXPECT_EQ(child<QComboBox>(&second, "comboUnits")->currentIndex(), ReadXYZ);
    EXPECT_EQ(child<QComboBox>(&second, "comboChart")->currentIndex(),
              int(ChartKind::Magnified1931));
    EXPECT_EQ(child<QGraphBox>(&second, "graphBox")->backgroundMode(), QGraphBox::MagnifiedMode);
    EXPECT_EQ(second.caption(0), "X");
}

TEST_F(MainWindowTest, TargetFollowsColourLevelAndVideoRange) {
    QSignalSpy colours(window.get(), &MainWindow::updateColor);
    get<QComboBox>("comboColor")->setCurrentText("Red");
    get<QComboBox>("comboIRE")->setCurrentText("50 IRE");
    ASSERT_FALSE(colours.isEmpty());
    EXPECT_EQ(colours.last().at(0).value<QColor>(), QColor(128, 0, 0));
    EXPECT_EQ(window->target().colour, QColor(128, 0, 0));
    EXPECT_NEAR(window->target().percent[0], 100 * std::pow(0.5, 2.2), 1e-9);
    EXPECT_TRUE(get<QLabel>("colorTarget")->styleSheet().contains("#800000"));

    ChromaGamutSpec *spec = ChromaGamutSpec::instance();
    spec->setVideoMode(16, 235);
    EXPECT_EQ(colours.last().at(0).value<QColor>(), QColor(126, 16, 16));
    get<QComboBox>("comboIRE")->setCurrentText("100 IRE");
    get<QComboBox>("comboColor")->setCurrentText("White");
    EXPECT_EQ(window->target().colour, QColor(235, 235, 235));
    spec->setVideoMode(0, 255);

    // The RGB readouts compare with the target: a full white reading against
    // a 50 IRE white target is far above it.
    get<QComboBox>("comboUnits")->setCurrentIndex(ReadRgb);
    get<QComboBox>("comboIRE")->setCurrentText("50 IRE");
    window->on_measure(Measurement::fromRGB(100, 100, 100));
    const QString expected =
        QString::number(100 - 100 * std::pow(0.5, 2.2) + 100, 'f', 2) + QStringLiteral(" %");
    EXPECT_EQ(window->readoutText(0), expected);
}

TEST_F(MainWindowTest, SettingsChangeReshowsTheLastReading) {
    window->on_measure(d65());
    EXPECT_EQ(window->readoutText(2), "100 nits");
    appSettings().setValue("isNits", false);
    appSettings().setValue("sigFigs", 4);
    window->updateSettings();
    EXPECT_EQ(window->readoutText(2), "29.19 fL");
    EXPECT_EQ(window->readoutText(0), "0.3127");
    appSettings().remove("sigFigs");
}

TEST_F(MainWindowTest, RestoreWorksplaceGivesTheReadingsAThird) {
    window->resize(1500, 900);
    window->show();
    ASSERT_TRUE(waitUntil([this] { return window->isVisible(); }));
    auto *splitter = get<QSplitter>("splitter");
    splitter->setSizes({1000, 400});
    act("actionRestore_Worksplace")->trigger();
    const QList<int> sizes = splitter->sizes();
    ASSERT_EQ(sizes.size(), 2);
    EXPECT_NEAR(double(sizes[0]) / (sizes[0] + sizes[1]), 1.0 / 3.0, 0.02);
}

TEST_F(MainWindowTest, ClosingWithoutAColorimeterForgetsTheLastOne) {
    QSettings().setValue("mainwindow/lastTDevice", "TV-40:123");
    window->show();
    window->close();
    EXPECT_EQ(stored("lastTDevice").toString(), "");
}

TEST(AboutTest, TitleLogoAndLinksInTheLinkColour) {
    About about;
    EXPECT_EQ(about.windowTitle(), "About Torva Tintwell");
    auto *logo = child<QLabel>(&about, "labelLogo");
    EXPECT_FALSE(logo->pixmap(Qt::ReturnByValue).isNull());
    about.setLinkColor(QColor(200, 10, 20));
    EXPECT_TRUE(about.noticeText().contains("color:#c80a14"));
    EXPECT_TRUE(about.noticeText().contains("href="));
    EXPECT_FALSE(about.noticeText().contains("color:#4a9fe8"));
}

TEST(HelpTest, TheShippedHelpPageIsShown) {
    HelpViewer help;
    QTextBrowser *browser = help.browser();
    EXPECT_EQ(browser->documentTitle(), "Tintwell Help");
    const QString text = browser->toPlainText();
    EXPECT_TRUE(text.contains("Save Next Measurement"));
    EXPECT_TRUE(text.contains("Restore Worksplace"));
}
