// The main window without an instrument: its menus, readings fed straight
// into on_measure (readouts, status, chart, comparison table, the expected
// luminance), the error check and its box, saving the next reading, units and
// charts following each other, settings changes, About and help.
#include "windowtesting.h"

#include "about.h"
#include "appsettings.h"
#include "displaycorrection.h"
#include "helpviewer.h"
#include "mainwindow.h"
#include "qcomparetable.h"
#include "qcopytable.h"
#include "qgraphbox.h"
#include "qlineeditresize.h"
#include "qportmenu.h"
#include "scripteddialogs.h"
#include "tempdir.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QTimer>

#include <cmath>
#include <functional>
#include <memory>

namespace {

Measurement d65(int avgCount = 1) {
    Measurement m = Measurement::fromxyY(0.3127, 0.329, 100.0);
    m.avgCount = avgCount;
    return m;
}

QStringList entries(const QMenu *menu) {
    QStringList out;
    for (QAction *a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("|") : a->text());
    return out;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Answers like ScriptedDialogs, and can run something while a warning is
// "open", as the box's own event loop would deliver queued readings.
class ReentrantDialogs : public ScriptedDialogs {
public:
    std::function<void()> duringWarning;
    QMessageBox::StandardButton warning(QWidget *w, const QString &title, const QString &text,
                                        QMessageBox::StandardButtons b,
                                        QMessageBox::StandardButton d) override {
        if (auto during = std::exchange(duringWarning, nullptr))
            during();
        return ScriptedDialogs::warning(w, title, text, b, d);
    }
};

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
        appSettings().remove("sigFigs");
    }
    template <typename T> T *get(const char *name) { return child<T>(window.get(), name); }
    QAction *act(const char *name) { return get<QAction>(name); }
    QGraphBox *graph() { return get<QGraphBox>("graphBox"); }
    QCopyTable *table() { return get<QCompareTable>("compareTable")->table(); }
    QStringList readouts() {
        return {window->readoutText(0), window->readoutText(1), window->readoutText(2)};
    }
    QStringList captions() { return {window->caption(0), window->caption(1), window->caption(2)}; }

    ReentrantDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

} // namespace

TEST_F(MainWindowTest, MenusInOrderAndWindowsNotBuiltNeverOffered) {
    EXPECT_EQ(window->windowTitle(), "Torva Tintwell");
    QStringList menus;
    for (QAction *a : window->menuBar()->actions())
        menus << a->text() + ": " + (a->menu() ? entries(a->menu()).join(", ") : QString());
    EXPECT_EQ(menus.mid(0, 2),
              QStringList({"File: Save Next Measurement, Exit", "View: Restore Workspace"}));
    EXPECT_EQ(menus.mid(4), // after the two device menus
              QStringList({"Setup: Ignore Errors, Graph Setup, Settings, Select Profile",
                           "Calibration: View Cal Matrix, |, Black Level "
                           "Calibration, Create Color Profile, Screen Calibration, "
                           "Pre/Post Report",
                           "Tools: Kelvin Calculator, Test Panel, Logging Tool, "
                           "Spectral Scan, Test Color Batch, Display Correction",
                           "Help: Help File, About"}));
    EXPECT_EQ(window->colorimeterMenu()->disabledMask(), 6);    // enabling colorimeters (1)
    EXPECT_FALSE(act("actionScreen_Calibration")->isVisible()); // beta mode is off
    window->setButtons(false);                                  // as if a colorimeter were there
    EXPECT_TRUE(get<QPushButton>("pushMeasure")->isEnabled());
    EXPECT_TRUE(get<QPushButton>("pushMeasureFlicker")->isEnabled());
    EXPECT_TRUE(act("actionKelvin_Calculator")->isEnabled()); // the tools need no colorimeter
    EXPECT_TRUE(act("actionSpectral_Scan")->isEnabled());
    EXPECT_TRUE(act("actionTest_Color_Batch")->isEnabled());
    // The correction window is built when first asked for, and kept.
    EXPECT_EQ(window->findChild<DisplayCorrection *>(), nullptr);
    act("actionDisplay_Correction")->trigger();
    DisplayCorrection *correction = window->findChild<DisplayCorrection *>();
    ASSERT_NE(correction, nullptr);
    EXPECT_TRUE(correction->isVisible());
    act("actionDisplay_Correction")->trigger();
    EXPECT_EQ(window->findChildren<DisplayCorrection *>().size(), 1);
    correction->close();
    for (const char *name : {"actionSelect_Cal_File", "actionView_Cal_Matrix",
                             "actionBlack_Level_Calibration", "actionCreate_Cal_File"})
        EXPECT_TRUE(act(name)->isEnabled()) << name; // the profile windows need a colorimeter
    About about;                                     // the About box and the help page
    EXPECT_EQ(about.windowTitle(), "About Torva Tintwell");
    EXPECT_EQ(HelpViewer().browser()->documentTitle(), "Tintwell Help");
    QSettings().setValue("mainwindow/lastTDevice", "TV-40:123");
    window->show();
    window->close(); // without a colorimeter: forgets the last one
    EXPECT_EQ(QSettings().value("mainwindow/lastTDevice").toString(), "");
}

TEST_F(MainWindowTest, ADarkReadingSaysSoAndShowsNoNumbersPointOrComparison) {
    window->on_measure(d65());
    ASSERT_NE(table()->item(QCompareTable::MeasureA, 0), nullptr);
    const QString lastY = table()->item(QCompareTable::MeasureY, 0)->text();
    // The sensor covered: noise around zero.
    window->on_measure(Measurement::fromXYZ(0.0004, 0.00001, 0.00002));
    EXPECT_EQ(readouts(), QStringList({"--", "--", "<0.001 nits"}));
    EXPECT_EQ(window->temperatureText(), "--");
    EXPECT_EQ(window->statusText(), "Too dark to measure: the light is below 0.001 nits");
    EXPECT_FALSE(window->hasMeasurement()); // nothing to save
    EXPECT_TRUE(graph()->luminanceComparisonText().isEmpty());
    const QPointF point = graph()->plots().value(0).points.value(0);
    EXPECT_TRUE(std::isnan(point.x()) && std::isnan(point.y()));
    EXPECT_EQ(table()->item(QCompareTable::MeasureY, 0)->text(), lastY); // no ΔE of noise
    window->on_measure(d65());                                           // light again
    EXPECT_EQ(readouts(), QStringList({"0.313", "0.329", "100 nits"}));
    EXPECT_EQ(graph()->plots().value(0).points.value(0), QPointF(0.3127, 0.329));
}

TEST_F(MainWindowTest, ReadingFillsReadoutsChartTableStatusAndTheLuminanceComparison) {
    get<QComboBox>("comboIRE")->setCurrentText("50 IRE");
    window->on_measure(d65());
    EXPECT_EQ(readouts(), QStringList({"0.313", "0.329", "100 nits"}));
    EXPECT_EQ(window->temperatureText(), "6504 K");
    EXPECT_EQ(window->duvText(), "0.0032");
    EXPECT_EQ(graph()->plots().value(0).points.value(0), QPointF(0.3127, 0.329));
    ASSERT_NE(table()->item(QCompareTable::MeasureA, 0), nullptr); // the White column
    EXPECT_EQ(table()->item(QCompareTable::MeasureA, 0)->text(), "0.3127");
    // The target's expected luminance: white Y 100 at 50 IRE, gamma 2.2.
    const double expected = 100 * std::pow(0.5, 2.2);
    EXPECT_DOUBLE_EQ(window->target().expectedLuminance, expected);
    EXPECT_DOUBLE_EQ(graph()->expectedLuminance(), expected);
    EXPECT_DOUBLE_EQ(graph()->measuredLuminance(), 100.0);
    EXPECT_DOUBLE_EQ(get<QCompareTable>("compareTable")->expectedLuminance(), expected);

    window->on_measure(d65(4));
    EXPECT_EQ(window->statusText(), "Low light averaging 4 samples");
    Measurement unstable = d65(5); // unstable, with bits that never matter
    unstable.errorCode = 0x80 | 0x20;
    window->on_measure(unstable);
    EXPECT_EQ(readouts(), QStringList({"--", "--", "--"}));
    EXPECT_EQ(window->temperatureText(), "--");
    EXPECT_EQ(window->statusText(), "Low light average unstable.");
    EXPECT_EQ(window->lastMeasurement().avgCount, 4); // the last good reading is kept
    Measurement empty = d65();
    empty.x = 0; // carries nothing: not shown and not kept
    window->on_measure(empty);
    EXPECT_FALSE(window->hasMeasurement());
    EXPECT_EQ(dialogs.count(), 0);
}

TEST_F(MainWindowTest, ErrorsAreReportedOnceUnlessIgnored) {
    Measurement aimed = d65();
    aimed.errorCode = 0x40 | 0x20; // aiming lights, plus a bit that never matters
    Measurement range = d65();
    range.errorCode = 0x200;
    // Readings that arrive while the box is open are dropped: no second box.
    dialogs.duringWarning = [&] { window->on_measure(range); };
    window->on_measure(aimed);
    ASSERT_EQ(dialogs.count(), 1);
    EXPECT_EQ(dialogs.last().title, "Measurement Error");
    EXPECT_EQ(dialogs.last().text, "The Aiming lights are on.\n");
    EXPECT_FALSE(window->hasMeasurement());

    act("actionAiming_Light_Error")->setChecked(true);
    act("actionRange_Cal_Error")->setChecked(true);
    Measurement both = Measurement::fromxyY(0.3, 0.6, 50);
    both.errorCode = 0x40 | 0x400;
    window->on_measure(both);
    EXPECT_EQ(dialogs.count(), 1);
    EXPECT_EQ(readouts(), QStringList({"0.300", "0.600", "50.0 nits"}));
    both.errorCode = 0x40 | 0x2;
    window->on_measure(both);
    EXPECT_EQ(dialogs.last().text, "The Torva device has been unplugged\n");
}

TEST_F(MainWindowTest, SaveNextMeasurementAppendsOneRowEachTime) {
    TempDir dir;
    const QString file = QString::fromStdString(dir.file("log.csv"));
    QAction *save = act("actionSave_Next_Measurement");
    for (int row = 1; row <= 2; ++row) {
        save->setChecked(true);
        dialogs.queueFileName(file);
        window->on_measure(d65());
        EXPECT_FALSE(save->isChecked());
        EXPECT_EQ(dialogs.last().title, "Save Measure");
        EXPECT_EQ(readAll(file).count('\n'), row + 1); // one header
    }
    save->setChecked(true);
    dialogs.queueFileName(QString::fromStdString(dir.path())); // a directory cannot be opened
    window->on_measure(d65());
    EXPECT_EQ(dialogs.last().title, "Measurement Save");
    EXPECT_EQ(dialogs.last().text, "The file you have selected couldn't be open.1");
}

TEST_F(MainWindowTest, UnitsSetCaptionsTemplatesAndChartAndComeBack) {
    QComboBox *units = get<QComboBox>("comboUnits");
    QComboBox *chart = get<QComboBox>("comboChart");
    window->on_measure(d65());
    units->setCurrentIndex(ReadRgb);
    EXPECT_EQ(captions(), QStringList({"R%", "G%", "B%"}));
    EXPECT_EQ(get<QLineEditResize>("lineMeasure2")->widthTemplate(), "x.xx %");
    EXPECT_EQ(graph()->backgroundMode(), QGraphBox::BarMode);
    EXPECT_EQ(readouts(), QStringList({"100.00 %", "100.00 %", "100.00 %"}));
    units->setCurrentIndex(ReadHsv);
    chart->setCurrentIndex(int(ChartKind::Bars));
    EXPECT_EQ(graph()->xLabels(), QStringList({"H", "S", "V"}));
    units->setCurrentIndex(ReadNmDuvY);
    EXPECT_EQ(graph()->cieChart(), QGraphBox::CIE1976);
    EXPECT_NEAR(graph()->plots().value(0).points.value(0).x(), 0.19783, 1e-5); // u'
    EXPECT_EQ(table()->item(QCompareTable::TargetA, 0)->text(), "0.19783");

    MainWindow second; // the stored choices come back
    EXPECT_EQ(child<QComboBox>(&second, "comboUnits")->currentIndex(), ReadNmDuvY);
    EXPECT_EQ(child<QComboBox>(&second, "comboChart")->currentIndex(), int(ChartKind::CIE1976));
    EXPECT_EQ(second.caption(0), "nm");
}

TEST_F(MainWindowTest, SettingsAcceptedInTheDialogReshowTheLastReading) {
    window->on_measure(d65());
    QTimer accept; // answers the modal dialog once it is up
    QObject::connect(&accept, &QTimer::timeout, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        dialog->findChild<QRadioButton *>("radioFootLamberts")->setChecked(true);
        dialog->findChild<QRadioButton *>("radio4Digits")->setChecked(true);
        dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->click();
    });
    accept.start(10);
    act("actionDevices_Setup")->trigger();
    accept.stop();
    EXPECT_EQ(readouts(), QStringList({"0.3127", "0.3290", "29.19 fL"}));
}
