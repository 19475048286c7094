#include "patternsequence.h"

#include "genmeasure.h"
#include "genpattern.h"
#include "tsanhandover.h"

#include <QCoreApplication>

namespace {
constexpr int patchPattern = 3; // the colour patch
}

PatternSequence::PatternSequence(QObject *parent) : QObject(parent) {
    connect(&m_worker, &StablizeTimer::setProgressBars, this, &PatternSequence::onProgress);
    connect(&m_worker, &StablizeTimer::setBusy, this, &PatternSequence::busy);
    connect(&m_worker, &StablizeTimer::messBox, this, &PatternSequence::onProblem,
            Qt::BlockingQueuedConnection);
    connect(&m_worker, &StablizeTimer::patchDone, this, &PatternSequence::onPatchDone,
            Qt::QueuedConnection);
}

PatternSequence::~PatternSequence() {
    m_worker.requestAbort();
    if (m_device)
        m_device->cancelMeasurement();
    // A worker blocked on a problem question is released when its pending
    // question is thrown away.
    disconnect(&m_worker, nullptr, this, nullptr);
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    m_worker.wait();
}

void PatternSequence::setColors(const QList<QColor> &colors) {
    m_colors = colors;
    m_codes.clear();
}

void PatternSequence::setCodes(const QList<Codes> &codes, const CodeRange &range) {
    m_codes = codes;
    m_codeRange = range;
    m_colors.clear();
    for (const Codes &c : codes)
        m_colors << previewColor(c, range.bits);
}

ShownCodes PatternSequence::shownCodes(int index) const {
    if (m_codes.isEmpty()) {
        const QColor c = m_colors.value(index);
        ShownCodes shown;
        shown.code = {c.red(), c.green(), c.blue()};
        shown.range = CodeRange::full(8);
        return shown;
    }
    const int bits = m_generator ? m_generator->codeBits() : m_generatorBits;
    return ::shownCodes(m_codes.value(index), m_codeRange, bits);
}

void PatternSequence::setGenerator(GenPattern *generator) {
    if (m_generator)
        disconnect(m_generator, nullptr, this, nullptr);
    m_generator = generator;
    if (generator) {
        // A generator that goes away mid-run ends the run at the next patch.
        connect(generator, &GenDevice::closed, this, [this] { setGenerator(nullptr); });
    }
}

bool PatternSequence::generatorConnected() const {
    return m_generator && m_generator->isConnected();
}

void PatternSequence::setMaxColor(int max) {
    m_maxColor = max;
    if (m_generator)
        m_generator->setMaxColor(max);
}

bool PatternSequence::start(GenMeasure *device, int tag) {
    if (m_running || m_colors.isEmpty())
        return false;
    if (!m_generator) {
        emit generatorMissing();
        return false;
    }
    emit progress(0, false);
    m_tag = tag;
    disconnect(m_announced);
    m_device = device;
    // Announced on the worker thread, shown on this one; another window's
    // measurement with the same instrument is not this run's.
    if (device)
        m_announced = connect(device, &GenMeasure::measuringTime, this, [this](int ms) {
            if (m_running)
                emit measuring(ms);
        });
    // Deep codes: the generator learns the largest code of the depth it shows.
    m_generatorBits = m_generator->codeBits();
    if (m_codeRange.bits > 8 && !m_codes.isEmpty())
        m_generator->setMaxColor(shownCodes(0).range.maxCode());
    selectColor(0, false);
    m_answer = patchcheck::NoAnswer;
    m_running = true;
    emit patchStarting();
    launchPatch();
    emit isRunningChanged(true);
    return true;
}

bool PatternSequence::abort() {
    // Also between two patches, while the finished one is on its way here:
    // the answer ends the run when it arrives.
    if (!m_running)
        return false;
    m_answer = patchcheck::Abort;
    m_worker.requestAbort();
    if (m_device)
        m_device->cancelMeasurement(); // a measurement of minutes ends now
    return true;
}

void PatternSequence::launchPatch() {
    StablizeTimer::Job job;
    job.device = m_device;
    job.stableSeconds = m_stableSeconds;
    job.averages = m_averages;
    job.maxAverage = m_maxAverage;
    job.patternProblem = m_shownProblem;
    job.generatorLost = m_generatorLost;
    m_worker.startPatch(job);
}

void PatternSequence::selectColor(int index, bool onlyWhenIdle) {
    if (onlyWhenIdle && m_running)
        return;
    m_index = index;
    if (index >= 0 && index < m_colors.size())
        showPatch(index);
    emit changedColorIndex(index);
}

void PatternSequence::showPatch(int index) {
    const QColor color = m_colors.at(index);
    m_color = color;
    m_shownProblem.clear();
    m_generatorLost = false;
    if (generatorConnected()) {
        // It may announce its loss during the first command, and its owner
        // may let it go then.
        const QPointer<GenPattern> g = m_generator.data();
        g->takeCommandProblem(); // what came before is not this patch's
        const ShownCodes shown = shownCodes(index);
        if (shown.range.bits > 8)
            g->setCodes(shown.code[0], shown.code[1], shown.code[2]);
        else
            g->setColor(QColor(shown.code[0], shown.code[1], shown.code[2]));
        if (m_generator)
            g->setPattern(patchPattern);
        if (g)
            m_shownProblem = g->takeCommandProblem();
        m_generatorLost = !g || !m_generator || !g->isConnected();
    } else {
        m_generatorLost = true;
    }
    if (m_generatorLost && m_shownProblem.isEmpty())
        m_shownProblem = QStringLiteral("the pattern generator is gone");
    emit changedColor();
}

void PatternSequence::onProgress(int elapsedMs) {
    handOverAcquire(&m_worker);
    if (!m_running)
        return;
    emit progress(elapsedMs, false);
    if (m_generator)
        m_generator->showProgress(static_cast<int>(m_stableSeconds * 1000), elapsedMs, m_index,
                                  m_colors);
}

void PatternSequence::onProblem(const patchcheck::Problem &problem) {
    // The worker waits on this answer and reads it when the slot returns.
    handOverAcquire(&m_worker);
    if (m_worker.abortRequested()) {
        // the run is being stopped; nobody is asked any more
    } else if (m_handler) {
        m_answer = m_handler(problem);
    } else {
        m_answer =
            problem.choices.contains(patchcheck::Ignore) ? patchcheck::Ignore : patchcheck::Abort;
    }
    handOverRelease(&m_worker);
}

void PatternSequence::onPatchDone(const Measurement &result, bool aborted) {
    handOverAcquire(&m_worker);
    if (!m_running)
        return;
    m_worker.wait();
    if (aborted)
        m_answer = patchcheck::Abort;
    switch (m_answer) {
    case patchcheck::Abort:
        if (m_device)
            m_device->isConnected(); // lets a lost instrument notice and announce it
        selectColor(0, false);
        finishRun(false);
        emit Aborted(m_tag);
        return;
    case patchcheck::Retry:
        selectColor(m_index - 1, false);
        break;
    default:
        emit Measured(result, m_tag, m_index);
        break;
    }
    nextPatch();
}

void PatternSequence::nextPatch() {
    m_answer = patchcheck::NoAnswer;
    if (m_index + 1 >= m_colors.size()) {
        selectColor(0, false);
        finishRun(true);
        emit finished(m_tag);
        return;
    }
    if (!m_generator) {
        emit generatorMissing();
        selectColor(0, false);
        finishRun(false);
        emit Aborted(m_tag);
        return;
    }
    selectColor(m_index + 1, false);
    emit progress(0, false);
    emit patchStarting();
    launchPatch();
}

void PatternSequence::finishRun(bool completed) {
    m_running = false;
    if (m_codeRange.bits > 8 && !m_codes.isEmpty() && m_generator)
        m_generator->setMaxColor(m_maxColor); // back to what the window asked for
    emit progress(completed ? static_cast<int>(m_stableSeconds * 1000) : 0, completed);
    if (m_generator)
        m_generator->showProgress(0, 0, 0, m_colors);
    emit runEnded(completed);
    emit isRunningChanged(false);
}
