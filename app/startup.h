#pragma once
// The unattended demo run of the main window, shared by the program and its tests.

#include <QString>

class QWidget;

// A window that can take part in an unattended demo: it reports when its
// instrument is ready, starts live measurement and says what it shows.
class DemoWindow {
public:
    virtual ~DemoWindow() = default;
    virtual bool isDemoReady() const = 0;
    virtual bool startDemoMeasuring() = 0;
    virtual QString demoReadouts() const = 0;  // one line
    virtual long demoReadingCount() const = 0; // readings received so far
};

// Unattended runs for demos and headless machines, driven by the environment:
// TINTWELL_SCREENSHOT=path saves a picture of the window, TINTWELL_EXIT_AFTER_MS
// quits after that many milliseconds (default 1500 when a screenshot is asked).
// TINTWELL_DEMO_SECONDS=N (with a demo window) waits for the instrument (at
// most TINTWELL_DEMO_CONNECT_MS, default 30000), measures live for N seconds,
// printing what the window shows once a second, then saves the screenshot and
// quits; the exit code is 1 when the instrument never became ready.
void armUnattendedRun(QWidget *mainWindow, DemoWindow *demo = nullptr);
