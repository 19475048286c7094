#pragma once
// Measures one patch on a thread of its own: waits the stabilising time
// (reporting progress and polling its abort flag every 10 ms), takes one
// averaged measurement, judges it, and when it has a problem asks the GUI
// thread what to do and waits for the answer.

#include "measurement.h"
#include "metatypes.h"
#include "patchcheck.h"

#include <QPointer>
#include <QThread>

#include <atomic>

class GenMeasure;

class StablizeTimer : public QThread {
    Q_OBJECT
public:
    // What one patch needs, copied before the thread starts.
    struct Job {
        GenMeasure *device = nullptr;
        double stableSeconds = 0;
        int averages = 0;   // passed to measure(); 0 = the device's own averaging
        int maxAverage = 1; // the device's averaging limit during the measurement
        // Why the generator may not be showing the patch (empty: it confirmed
        // it); with generatorLost it cannot, and nothing is measured.
        QString patternProblem;
        bool generatorLost = false;
    };

    explicit StablizeTimer(QObject *parent = nullptr);
    ~StablizeTimer() override;

    // Starts one patch (the previous one must have finished). The device is
    // moved here for the measurement when it can be, and back afterwards.
    void startPatch(const Job &job);
    void requestAbort() { m_abort = true; }
    bool abortRequested() const { return m_abort; }

signals:
    void setProgressBars(int elapsedMs);
    void setBusy();
    // Blocking: the thread waits until the receiver has decided.
    void messBox(const patchcheck::Problem &problem);
    // The patch is over: measured (aborted false) or given up.
    void patchDone(const Measurement &result, bool aborted);

protected:
    void run() override;

private:
    // Asks about the result's problem, if it has one, and waits for the answer.
    void reportProblem(const Measurement &result);

    Job m_job;
    QThread *m_home = nullptr; // where a moved device goes back to
    bool m_moved = false;
    std::atomic<bool> m_abort{false};
};

Q_DECLARE_METATYPE(patchcheck::Problem)
