#include "startup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <memory>

namespace {

void saveScreenshot(QWidget *window, const QString &shot) {
    if (shot.isEmpty())
        return;
    const QPixmap picture = window->grab();
    if (picture.save(shot, "PNG"))
        std::printf("Screenshot of the main window saved to %s\n",
                    qPrintable(QDir(shot).absolutePath()));
    else
        std::fprintf(stderr, "Could not save the screenshot to %s\n", qPrintable(shot));
    std::fflush(stdout);
}

// Ends the run with an exit code: closing the last window quits with 0, so a
// failure is set after the close.
void finish(QWidget *window, int exitCode) {
    window->close();
    if (exitCode != 0)
        QCoreApplication::exit(exitCode);
}

void armDemo(QWidget *window, DemoWindow *demo, int seconds, const QString &shot) {
    bool ok = false;
    int connectMs = qEnvironmentVariableIntValue("TINTWELL_DEMO_CONNECT_MS", &ok);
    if (!ok || connectMs <= 0)
        connectMs = 30000; // ms: a scan plus a connection take a few seconds
    std::printf("Demo: waiting for the colorimeter (at most %d s)\n", connectMs / 1000);
    std::fflush(stdout);

    auto *poll = new QTimer(window);
    poll->setInterval(100); // ms
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    QObject::connect(poll, &QTimer::timeout, window, [=]() {
        if (!demo->isDemoReady()) {
            if (elapsed->elapsed() < connectMs)
                return;
            poll->stop();
            std::fprintf(stderr, "Demo: no colorimeter became ready within %d s\n",
                         connectMs / 1000);
            saveScreenshot(window, shot);
            finish(window, 1);
            return;
        }
        poll->stop();
        if (!demo->startDemoMeasuring()) {
            std::fprintf(stderr, "Demo: the colorimeter did not start measuring\n");
            saveScreenshot(window, shot);
            finish(window, 1);
            return;
        }
        std::printf("Demo: connected; measuring for %d s\n", seconds);
        std::fflush(stdout);
        auto *report = new QTimer(window);
        auto count = std::make_shared<int>(0);
        auto readings = std::make_shared<long>(demo->demoReadingCount());
        QObject::connect(report, &QTimer::timeout, window, [=]() {
            ++*count;
            const QString shown = demo->demoReadouts();
            const long total = demo->demoReadingCount();
            std::printf("  %2d s  %s  (%ld readings)\n", *count,
                        shown.isEmpty() ? "(no reading yet)" : qPrintable(shown),
                        total - *readings);
            *readings = total;
            std::fflush(stdout);
            if (*count < seconds)
                return;
            report->stop();
            if (shown.isEmpty()) {
                std::fprintf(stderr, "Demo: no reading was shown\n");
                saveScreenshot(window, shot);
                finish(window, 1);
                return;
            }
            std::printf("Demo: the main window showed %s\n", qPrintable(shown));
            saveScreenshot(window, shot);
            finish(window, 0);
        });
        report->start(1000); // ms
    });
    poll->start();
}

} // namespace

void armUnattendedRun(QWidget *mainWindow, DemoWindow *demo) {
    const QString shot = qEnvironmentVariable("TINTWELL_SCREENSHOT");
    bool ok = false;
    const int demoSeconds = qEnvironmentVariableIntValue("TINTWELL_DEMO_SECONDS", &ok);
    if (ok && demoSeconds > 0 && demo) {
        armDemo(mainWindow, demo, demoSeconds, shot);
        return;
    }
    int exitAfter = qEnvironmentVariableIntValue("TINTWELL_EXIT_AFTER_MS", &ok);
    if (!ok && shot.isEmpty())
        return;
    if (!ok)
        exitAfter = 1500; // ms: long enough for the first layout and paint
    QTimer::singleShot(exitAfter, mainWindow, [mainWindow, shot]() {
        saveScreenshot(mainWindow, shot);
        mainWindow->close();
    });
}
