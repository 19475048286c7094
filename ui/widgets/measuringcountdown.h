#pragma once
// Shows on a progress bar the time an instrument announced for the
// measurement under way, counting down ("Measuring... 12 s to go") until
// stopped, so a window that waits minutes for a dim reading says how long.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QProgressBar;

class MeasuringCountdown : public QObject {
    Q_OBJECT
public:
    static constexpr int tickMs = 250; // ms between updates

    explicit MeasuringCountdown(QObject *parent = nullptr);

    // Takes over the bar for ms from now; the bar stays full once the time
    // is up (the instrument may still be finishing).
    void start(QProgressBar *bar, int ms);
    // Leaves the bar as it is, for its owner to reset.
    void stop();
    bool isRunning() const { return m_timer.isActive(); }

    // "Measuring... 12 s to go" (whole seconds, rounded up).
    static QString text(int msLeft);

private:
    void tick();

    QPointer<QProgressBar> m_bar;
    QTimer m_timer;
    QElapsedTimer m_clock;
    int m_ms = 0;
};
