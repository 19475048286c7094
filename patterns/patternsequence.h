#pragma once
// Steps the display under test through a list of colours: for each one the
// generator shows the patch, the worker waits for the display to settle,
// measures once with the given instrument and judges the reading; a problem
// is put to the operator (Retry, Ignore, Abort) through a handler. No
// widgets: the pattern manager window, the command line and the tests all
// drive this same logic.

#include "measurement.h"
#include "patchcheck.h"
#include "patchdepth.h"
#include "stablizetimer.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class GenMeasure;
class GenPattern;

class PatternSequence : public QObject {
    Q_OBJECT
public:
    // Decides a problem on the GUI thread. A window offers problem.choices;
    // a script may also ignore what a person could only retry.
    using ProblemHandler = std::function<patchcheck::Answer(const patchcheck::Problem &)>;

    explicit PatternSequence(QObject *parent = nullptr);
    ~PatternSequence() override;

    void setColors(const QList<QColor> &colors);
    const QList<QColor> &colors() const { return m_colors; }
    // Code values deeper than 8 bits, one per colour, in range (the colours
    // become their nearest 8-bit ones, for show). A generator that takes
    // their depth is told the largest code for the run and shows them as
    // they are; another gets its nearest codes. Empty: the colours as they are.
    void setCodes(const QList<Codes> &codes, const CodeRange &range);
    bool hasCodes() const { return !m_codes.isEmpty(); }
    // What the current generator shows for patch index: the codes of the
    // patch at the depth it takes (8-bit colours as they are).
    ShownCodes shownCodes(int index) const;
    // Followed until it closes or is destroyed; null for none.
    void setGenerator(GenPattern *generator);
    GenPattern *generator() const { return m_generator; }
    bool generatorConnected() const;
    void setStableTime(double seconds) { m_stableSeconds = qMax(0.0, seconds); }
    double stableTime() const { return m_stableSeconds; }
    // 0 = the device's own automatic averaging, limited by maxAverage.
    void setAverages(int averages) { m_averages = qMax(0, averages); }
    void setMaxAverage(int maxAverage) { m_maxAverage = qMax(1, maxAverage); }
    // Sent to the generator now and kept for the next one.
    void setMaxColor(int max);
    int maxColor() const { return m_maxColor; }
    // Without a handler a problem is ignored when that is offered, else aborted.
    void setProblemHandler(ProblemHandler handler) { m_handler = std::move(handler); }

    // False without colours, or (generatorMissing() emitted) without a
    // generator.
    bool start(GenMeasure *device, int tag);
    // Stops a running patch, cancelling a measurement under way when the
    // instrument allows; the run ends with Aborted. False when idle.
    bool abort();
    bool isRunning() const { return m_running; }
    int currentIndex() const { return m_index; }
    QColor currentColor() const { return m_color; }
    int answer() const { return m_answer; }
    // Shows colour index on the generator (ignored while a run is active
    // when onlyWhenIdle is set); -1 shows nothing.
    void selectColor(int index, bool onlyWhenIdle = true);

signals:
    void Measured(const Measurement &result, int tag, int index);
    void Aborted(int tag);
    void finished(int tag);
    void isRunningChanged(bool running);
    void changedColor();
    void changedColorIndex(int index);
    // Stabilising progress of the current patch; finished at the end of a run.
    void progress(int elapsedMs, bool finished);
    void busy();
    // The instrument announced how long its measurement of the current
    // patch will take (ms).
    void measuring(int ms);
    // A run needed a generator and none was selected.
    void generatorMissing();
    // A patch is about to be shown and measured (the window may step aside).
    void patchStarting();
    // The run ended, either way (the window comes back).
    void runEnded(bool completed);

private:
    void launchPatch();
    void showPatch(int index);
    void onProblem(const patchcheck::Problem &problem);
    void onPatchDone(const Measurement &result, bool aborted);
    void onProgress(int elapsedMs);
    void nextPatch();
    void finishRun(bool completed);

    StablizeTimer m_worker;
    QPointer<GenPattern> m_generator;
    QPointer<GenMeasure> m_device;
    QMetaObject::Connection m_announced; // the device's measuring time, relayed
    QList<QColor> m_colors;
    QList<Codes> m_codes; // deeper than 8 bits, or empty
    CodeRange m_codeRange;
    int m_generatorBits = 8; // of the generator the run started with
    QColor m_color = Qt::white;
    int m_index = 0;
    int m_tag = 0;
    int m_answer = patchcheck::NoAnswer;
    int m_maxColor = 255;
    double m_stableSeconds = 8.0;
    int m_averages = 8;
    int m_maxAverage = 32;
    bool m_running = false;
    ProblemHandler m_handler;
    // What the generator said about the colour shown last.
    QString m_shownProblem;
    bool m_generatorLost = false;
};
