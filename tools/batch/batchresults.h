#pragma once
// The results file of a batch run: which column groups it holds, its header,
// one row per measured patch, and the file itself, which gets each row
// written through to disk as it is measured so that an aborted or crashed
// run keeps every patch measured before it.

#include "measurement.h"
#include "patchjudge.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>

struct BatchColumns {
    // Groups 1 to 9, in header order: x,y; u,v; RGB; HSV; temperature;
    // wavelength; L*a*b*; LCh; Big X and Big Z.
    enum Group { XY = 1, UV, RGB, HSV, Temperature, Nanometers, Lab, LCh, BigXZ };
    static constexpr int groupCount = 9;

    bool selected[groupCount + 1] = {}; // index 0 unused
    bool nits = true;
    // After "Error": "Target x", "Target y", "Target Y", "DeltaE2000",
    // "DeltaITP" (ITU-R BT.2124) of each patch against the run's standard.
    bool targets = false;

    // From the ten flags of the logging column chooser, in its order.
    static BatchColumns fromChooserFlags(const QList<bool> &flags, bool nits);
    bool has(Group g) const { return selected[g]; }

    QStringList header() const;
    // Luminance-like values follow the unit; numbers have six significant
    // digits. The target columns, when chosen, come from `judged` (empty
    // without one).
    QStringList row(const QString &name, const Measurement &m,
                    const PatchJudgement *judged = nullptr) const;
};

// A comma-joined line ending in "\n"; fields holding commas or quotes are quoted.
QString csvLine(const QStringList &fields);

class BatchResultsFile {
public:
    // Creates or truncates path and writes the header; false when it cannot.
    bool open(const QString &path, const BatchColumns &columns);
    bool isOpen() const { return m_file.isOpen(); }
    // Written and flushed before returning; false when the disk refused it.
    bool append(const QString &name, const Measurement &m, const PatchJudgement *judged = nullptr);
    void close() { m_file.close(); }
    QString path() const { return m_file.fileName(); }
    int rows() const { return m_rows; }

private:
    bool write(const QString &line);

    QFile m_file;
    BatchColumns m_columns;
    int m_rows = 0;
};
