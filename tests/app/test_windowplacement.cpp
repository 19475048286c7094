// Every window of the application opens wholly on the screen, frame
// included: the first time, when it is reopened, after a restart that finds
// it left half off the screen, and when it is bigger than the screen; a
// window left on the screen comes back exactly where it was.
#include "windowtesting.h"

#include "mainwindow.h"
#include "qmemorymainwindow.h"
#include "scripteddialogs.h"
#include "settingsfixture.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// The main window's openers, by slot; each opens one window.
const char *const openers[] = {"on_actionKelvin_Calculator_triggered",
                               "on_actionTest_Panel_triggered",
                               "on_actionLogging_Tool_triggered",
                               "on_actionSpectral_Scan_triggered",
                               "on_actionTest_Color_Batch_triggered",
                               "on_actionSelect_Cal_File_triggered",
                               "on_actionBlack_Level_Calibration_triggered",
                               "on_actionCreate_Cal_File_triggered",
                               "on_actionScreen_Calibration_triggered",
                               "on_actionReports_triggered",
                               "on_pushMeasureFlicker_clicked",
                               "on_actionHelp_File_triggered"};

QRect screenArea() {
    return QGuiApplication::primaryScreen()->availableGeometry();
}

std::string describe(const QWidget *w) {
    const QRect f = w->frameGeometry();
    return QStringLiteral("%1 frame %2,%3 %4x%5 on %6x%7")
        .arg(w->windowTitle())
        .arg(f.x())
        .arg(f.y())
        .arg(f.width())
        .arg(f.height())
        .arg(screenArea().width())
        .arg(screenArea().height())
        .toStdString();
}

class WindowPlacement : public EmptySettings {
protected:
    void SetUp() override {
        EmptySettings::SetUp();
        isolatePortManager();
        startMain();
    }
    void TearDown() override {
        main.reset();
        EmptySettings::TearDown();
    }
    void startMain() {
        main = std::make_unique<MainWindow>();
        main->show();
        QTest::qWait(20); // the deferred check of the frame
    }
    // Opens the window of one opener and returns it, shown.
    QWidget *open(const char *slot) {
        const QWidgetList before = QApplication::topLevelWidgets();
        QWidgetList shownBefore;
        for (QWidget *w : before)
            if (w->isVisible())
                shownBefore << w;
        EXPECT_TRUE(QMetaObject::invokeMethod(main.get(), slot)) << slot;
        QTest::qWait(20);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && !shownBefore.contains(w) && w != main.get())
                return w;
        return nullptr;
    }

    ScriptedDialogs dialogs;
    std::unique_ptr<MainWindow> main;
};

} // namespace

TEST_F(WindowPlacement, EveryWindowOpensAndReopensWhollyOnTheScreen) {
    EXPECT_TRUE(screenArea().contains(main->frameGeometry())) << describe(main.get());
    for (const char *slot : openers) {
        QWidget *w = open(slot);
        ASSERT_NE(w, nullptr) << slot;
        EXPECT_TRUE(screenArea().contains(w->frameGeometry())) << slot << " " << describe(w);
        w->close();
        w = open(slot);
        ASSERT_NE(w, nullptr) << slot;
        EXPECT_TRUE(screenArea().contains(w->frameGeometry()))
            << slot << " reopened: " << describe(w);
        w->close();
    }
    // The profile matrix is a modal box.
    QTimer::singleShot(50, [] {
        QWidget *box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(screenArea().contains(box->frameGeometry())) << describe(box);
        box->close();
    });
    QMetaObject::invokeMethod(main.get(), "on_actionView_Cal_Matrix_triggered");
}

TEST_F(WindowPlacement, AWindowComesBackWhereItWasOrOnTheScreenAfterARestart) {
    // Left on the screen: the same place after the restart, frame and all.
    QWidget *kelvin = open("on_actionKelvin_Calculator_triggered");
    ASSERT_NE(kelvin, nullptr);
    kelvin->setGeometry(QRect(screenArea().topLeft() + QPoint(30, 40), QSize(500, 400)));
    const QRect kelvinFrame = kelvin->frameGeometry();
    const QRect mainFrame = main->frameGeometry();
    // Left half off the screen, and made bigger than the screen.
    QWidget *batch = open("on_actionTest_Color_Batch_triggered");
    ASSERT_NE(batch, nullptr);
    batch->setGeometry(
        QRect(screenArea().topLeft() - QPoint(60, 40), screenArea().size() + QSize(300, 200)));
    main->close();
    main.reset();

    startMain();
    EXPECT_EQ(main->frameGeometry(), mainFrame);
    kelvin = open("on_actionKelvin_Calculator_triggered");
    ASSERT_NE(kelvin, nullptr);
    EXPECT_EQ(kelvin->frameGeometry(), kelvinFrame);
    batch = open("on_actionTest_Color_Batch_triggered");
    ASSERT_NE(batch, nullptr);
    EXPECT_TRUE(screenArea().contains(batch->frameGeometry())) << describe(batch);
}
