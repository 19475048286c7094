// The environment-driven demo run: it waits for the window's instrument,
// starts measuring, saves the screenshot and ends with 0; without an
// instrument, or without a reading shown, it ends with 1.
#include "startup.h"
#include "tempdir.h"

#include <QApplication>
#include <QFile>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class FakeDemoWindow : public QWidget, public DemoWindow {
public:
    bool ready = true;
    bool measuring = false;
    QString shown = QStringLiteral("x 0.313");
    bool isDemoReady() const override { return ready; }
    bool startDemoMeasuring() override { return measuring = true; }
    QString demoReadouts() const override { return measuring ? shown : QString(); }
    long demoReadingCount() const override { return 0; }
};

int runDemo(FakeDemoWindow &window, const QString &shot) {
    qputenv("TINTWELL_DEMO_SECONDS", "1");
    qputenv("TINTWELL_DEMO_CONNECT_MS", "300");
    qputenv("TINTWELL_SCREENSHOT", shot.toLocal8Bit());
    window.resize(200, 100);
    window.show();
    armUnattendedRun(&window, &window);
    const int code = QApplication::exec();
    qunsetenv("TINTWELL_DEMO_SECONDS");
    qunsetenv("TINTWELL_DEMO_CONNECT_MS");
    qunsetenv("TINTWELL_SCREENSHOT");
    return code;
}

} // namespace

TEST(DemoRunTest, MeasuresThenSavesTheScreenshotAndEndsWithZero) {
    TempDir dir;
    const QString shot = QString::fromStdString(dir.file("shot.png"));
    FakeDemoWindow window;
    EXPECT_EQ(runDemo(window, shot), 0);
    EXPECT_TRUE(window.measuring);
    EXPECT_TRUE(QFile::exists(shot));
}

TEST(DemoRunTest, NoInstrumentOrNoReadingEndsWithOne) {
    FakeDemoWindow absent, silent;
    absent.ready = false;
    silent.shown.clear();
    EXPECT_EQ(runDemo(absent, QString()), 1);
    EXPECT_EQ(runDemo(silent, QString()), 1);
    EXPECT_TRUE(silent.measuring);
}
