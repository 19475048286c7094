#include "stablizetimer.h"

#include "genmeasure.h"
#include "tsanhandover.h"

#include <QElapsedTimer>

namespace {
constexpr int tickMs = 10;
}

StablizeTimer::StablizeTimer(QObject *parent) : QThread(parent) {
    qRegisterMetaType<patchcheck::Problem>("patchcheck::Problem");
    qRegisterMetaType<Measurement>("Measurement");
}

StablizeTimer::~StablizeTimer() {
    m_abort = true;
    wait();
}

void StablizeTimer::startPatch(const Job &job) {
    wait(); // the previous patch has finished; this only lets its thread end
    m_job = job;
    m_abort = false;
    m_home = job.device ? job.device->thread() : nullptr;
    // A device owned by another object cannot change threads on its own; it
    // is then measured from here where it lives, as a forwarding wrapper does.
    m_moved = job.device && !job.device->parent() && m_home == QThread::currentThread();
    if (m_moved)
        job.device->moveToThread(this);
    start(QThread::TimeCriticalPriority);
}

// Every signal goes to the sequence on its own thread: each emit hands over
// what this thread wrote before it.
void StablizeTimer::run() {
    Measurement result;
    const qint64 stableMs = static_cast<qint64>(m_job.stableSeconds * 1000.0);
    QElapsedTimer timer;
    timer.start();
    auto giveBack = [this] {
        if (m_moved && m_job.device)
            m_job.device->moveToThread(m_home);
        m_moved = false;
    };
    if (m_job.generatorLost) {
        // The patch was never shown: no reading could be of it.
        giveBack();
        result.errorCode = ErrorBits::PatternNotShown;
        reportProblem(result);
        handOverRelease(this);
        emit patchDone(result, m_abort);
        return;
    }
    for (qint64 elapsed = timer.elapsed(); elapsed < stableMs; elapsed = timer.elapsed()) {
        if (m_abort) {
            giveBack();
            handOverRelease(this);
            emit patchDone(result, true);
            return;
        }
        handOverRelease(this);
        emit setProgressBars(static_cast<int>(elapsed));
        msleep(tickMs);
    }
    if (m_abort) {
        giveBack();
        handOverRelease(this);
        emit patchDone(result, true);
        return;
    }
    handOverRelease(this);
    emit setProgressBars(static_cast<int>(stableMs));
    handOverRelease(this);
    emit setBusy();

    if (GenMeasure *d = m_job.device) {
        const int remembered = d->maxAverage();
        d->setMaxAverage(m_job.maxAverage);
        result = d->measure(m_job.averages);
        d->setMaxAverage(remembered);
    } else {
        result.errorCode = 1; // nothing to measure with: reads as unplugged
    }
    giveBack();
    result.errorCode = patchcheck::relevantBits(result.errorCode);
    if (!m_job.patternProblem.isEmpty())
        result.errorCode |= ErrorBits::PatternNotShown;
    reportProblem(result);
    handOverRelease(this);
    emit patchDone(result, m_abort);
}

void StablizeTimer::reportProblem(const Measurement &result) {
    patchcheck::Problem problem;
    if (m_abort || !patchcheck::findProblem(result, &problem))
        return;
    if (!m_job.patternProblem.isEmpty())
        problem.text += m_job.patternProblem + QLatin1Char('\n');
    if (m_job.generatorLost)
        problem.choices = {patchcheck::Abort}; // showing it again needs a generator
    handOverRelease(this);
    emit messBox(problem);
    handOverAcquire(this); // the answer, given on the sequence's thread
}
