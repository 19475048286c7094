#include "profileruns.h"

#include "genmeasure.h"
#include "genpattern.h"
#include "patternsequence.h"

ProfileRuns::ProfileRuns(PatternSequence *sequence, QObject *parent)
    : QObject(parent), m_sequence(sequence) {
    connect(sequence, &PatternSequence::Measured, this, &ProfileRuns::onMeasured);
    connect(sequence, &PatternSequence::finished, this, &ProfileRuns::onFinished);
    connect(sequence, &PatternSequence::Aborted, this, &ProfileRuns::onAborted);
}

const QList<QColor> &ProfileRuns::patchColors() {
    static const QList<QColor> colors = {QColor(255, 255, 255), QColor(255, 0, 0),
                                         QColor(0, 255, 0), QColor(0, 0, 255)};
    return colors;
}

void ProfileRuns::prepare(Run run, GenMeasure *device) {
    if (run == TorvaRun && device)
        device->setCalFile(0);
    m_lists[run].clear();
    m_complete[run] = false;
}

bool ProfileRuns::start(Run run, GenMeasure *device) {
    if (!m_sequence || m_sequence->isRunning() || !device)
        return false;
    prepare(run, device);
    if (m_sequence->colors() != patchColors())
        m_sequence->setColors(patchColors());
    return m_sequence->start(device, run);
}

void ProfileRuns::setReference(const QVector<Measurement> &colors) {
    m_lists[ReferenceRun] = colors.mid(0, profiles::patchCount);
    m_complete[ReferenceRun] = m_lists[ReferenceRun].size() == profiles::patchCount;
}

QVector<double> ProfileRuns::tristimulus(Run run) const {
    QVector<double> out;
    if (!m_complete[run])
        return out;
    for (const Measurement &m : m_lists[run])
        out << m.bigX << m.bigY << m.bigZ;
    return out;
}

profiles::Verdict ProfileRuns::verdict() const {
    if (!m_complete[ReferenceRun] || !m_complete[VerifyRun])
        return profiles::verifyProfile({}, {});
    return profiles::verifyProfile(m_lists[ReferenceRun], m_lists[VerifyRun]);
}

void ProfileRuns::onMeasured(const Measurement &m, int tag, int index) {
    if (!isRun(tag) || index < 0 || index >= profiles::patchCount)
        return;
    QVector<Measurement> &list = m_lists[tag];
    if (list.size() <= index)
        list.resize(index + 1);
    list[index] = m;
    emit measured(tag, index, m);
}

void ProfileRuns::onFinished(int tag) {
    if (!isRun(tag))
        return;
    // A run that ended without all four (a sequence of other colours) is
    // not a complete list.
    m_complete[tag] = m_lists[tag].size() == profiles::patchCount;
    if (!m_complete[tag]) {
        onAborted(tag);
        return;
    }
    emit runFinished(tag);
}

void ProfileRuns::onAborted(int tag) {
    if (!isRun(tag))
        return;
    // The patches measured before the stop stay on show; an incomplete list
    // is never used for a profile or a verdict.
    m_complete[tag] = false;
    emit runAborted(tag);
}
