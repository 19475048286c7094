#pragma once
// The three runs of profile creation over the pattern sequence: White, Red,
// Green and Blue measured by the reference (run 0), by the colorimeter on
// its factory profile (run 1), and by the colorimeter through the new
// profile (run 2). Keeps one list per run and says when a list is complete;
// an aborted run keeps the patches it measured, as an incomplete list that
// gives no profile and no verdict. No widgets: the
// profile window, the command line and the tests drive this same logic.

#include "measurement.h"
#include "profileverify.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QVector>

class GenMeasure;
class PatternSequence;

class ProfileRuns : public QObject {
    Q_OBJECT
public:
    // The values the pattern manager passes back with every result.
    enum Run { ReferenceRun = 0, TorvaRun = 1, VerifyRun = 2 };

    explicit ProfileRuns(PatternSequence *sequence, QObject *parent = nullptr);

    // White, red, green and blue at the full code value.
    static const QList<QColor> &patchColors();

    // Empties the run's list; the colorimeter run first switches the
    // colorimeter to its factory profile (slot 0), so the new profile is
    // computed from uncorrected readings.
    void prepare(Run run, GenMeasure *device);
    // prepare(), then starts the sequence on the four patches. False when the
    // sequence is busy or could not start (no generator).
    bool start(Run run, GenMeasure *device);

    const QVector<Measurement> &list(Run run) const { return m_lists[run]; }
    bool complete(Run run) const { return m_complete[run]; }
    // A reference taken earlier (the settings) or built from a gamut standard.
    void setReference(const QVector<Measurement> &colors);
    // X, Y, Z of White, Red, Green and Blue: twelve numbers, empty unless complete.
    QVector<double> tristimulus(Run run) const;
    // Reference against the verification run.
    profiles::Verdict verdict() const;

signals:
    void measured(int run, int index, const Measurement &m);
    void runFinished(int run);
    void runAborted(int run);

private:
    void onMeasured(const Measurement &m, int tag, int index);
    void onFinished(int tag);
    void onAborted(int tag);
    static bool isRun(int tag) { return tag >= ReferenceRun && tag <= VerifyRun; }

    QPointer<PatternSequence> m_sequence;
    QVector<Measurement> m_lists[3];
    bool m_complete[3] = {false, false, false};
};
