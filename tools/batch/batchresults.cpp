#include "batchresults.h"

#include "batchfile.h" // csvQuoted

namespace {

QString number(double v) {
    return QString::number(v, 'g', 6);
}

double unitValue(double cdm2, bool nits) {
    return nits ? cdm2 : nitsToFootLamberts(cdm2);
}

// One group's header fields and values; the L of LCh only stands alone.
struct GroupColumns {
    BatchColumns::Group group;
    QStringList (*header)(const BatchColumns &c);
    QList<double> (*values)(const Measurement &m, const BatchColumns &c);
};

QString unitSuffix(const BatchColumns &c) {
    return c.nits ? QStringLiteral(" nits") : QStringLiteral(" fL");
}

const GroupColumns groupTable[] = {
    {BatchColumns::XY,
     [](const BatchColumns &) {
         return QStringList{"x", "y"};
     },
     [](const Measurement &m, const BatchColumns &) {
         return QList<double>{m.x, m.y};
     }},
    {BatchColumns::UV,
     [](const BatchColumns &) {
         return QStringList{"u", "v"};
     },
     [](const Measurement &m, const BatchColumns &) {
         return QList<double>{m.uPrime, m.vPrime};
     }},
    {BatchColumns::RGB,
     [](const BatchColumns &) {
         return QStringList{"red", "green", "blue"};
     },
     [](const Measurement &m, const BatchColumns &) {
         return QList<double>{m.redPercent, m.greenPercent, m.bluePercent};
     }},
    {BatchColumns::HSV,
     [](const BatchColumns &) {
         return QStringList{"hue", "saturation", "value"};
     },
     [](const Measurement &m, const BatchColumns &) {
         return QList<double>{m.hue, m.saturation, m.value};
     }},
    {BatchColumns::Temperature,
     [](const BatchColumns &) {
         return QStringList{"temp", "tempduv"};
     },
     [](const Measurement &m, const BatchColumns &) {
         return QList<double>{m.temp, m.tempDuv};
     }},
    {BatchColumns::Nanometers,
     [](const BatchColumns &) {
         return QStringList{"nm", "nmduv"};
     },
     [](const Measurement &m, const BatchColumns &) {
         return QList<double>{m.nm, m.nmDuv};
     }},
    {BatchColumns::Lab,
     [](const BatchColumns &) {
         return QStringList{"L", "a", "b"};
     },
     [](const Measurement &m, const BatchColumns &) {
         return QList<double>{m.labL, m.labA, m.labB};
     }},
    {BatchColumns::LCh,
     [](const BatchColumns &c) {
         return c.has(BatchColumns::Lab) ? QStringList{"C", "h"} : QStringList{"L", "C", "h"};
     },
     [](const Measurement &m, const BatchColumns &c) {
         return c.has(BatchColumns::Lab) ? QList<double>{m.labC, m.labH}
                                         : QList<double>{m.labL, m.labC, m.labH};
     }},
    {BatchColumns::BigXZ,
     [](const BatchColumns &c) {
         return QStringList{"Big X" + unitSuffix(c), "Big Z" + unitSuffix(c)};
     },
     [](const Measurement &m, const BatchColumns &c) {
         return QList<double>{unitValue(m.bigX, c.nits), unitValue(m.bigZ, c.nits)};
     }},
};

// The chooser's flag index for each batch group.
struct FlagOfGroup {
    BatchColumns::Group group;
    int flag; // XY, UV, BigY, BigXZ, Temperature, Nanometers, RGB, HSV, Lab, LCh
};
const FlagOfGroup chooserFlags[] = {
    {BatchColumns::XY, 0},          {BatchColumns::UV, 1},         {BatchColumns::BigXZ, 3},
    {BatchColumns::Temperature, 4}, {BatchColumns::Nanometers, 5}, {BatchColumns::RGB, 6},
    {BatchColumns::HSV, 7},         {BatchColumns::Lab, 8},        {BatchColumns::LCh, 9},
};

} // namespace

BatchColumns BatchColumns::fromChooserFlags(const QList<bool> &flags, bool nits) {
    BatchColumns c;
    c.nits = nits;
    for (const FlagOfGroup &f : chooserFlags)
        c.selected[f.group] = flags.value(f.flag, false);
    return c;
}

QStringList BatchColumns::header() const {
    QStringList out{QStringLiteral("Name"), "Big Y" + unitSuffix(*this)};
    for (const GroupColumns &g : groupTable) {
        if (has(g.group))
            out += g.header(*this);
    }
    out << QStringLiteral("AvgBy") << QStringLiteral("Error");
    if (targets)
        out << QStringLiteral("Target x") << QStringLiteral("Target y")
            << "Target Y" + unitSuffix(*this) << QStringLiteral("DeltaE2000")
            << QStringLiteral("DeltaITP");
    return out;
}

QStringList BatchColumns::row(const QString &name, const Measurement &m,
                              const PatchJudgement *judged) const {
    QStringList out{name, number(unitValue(m.bigY, nits))};
    for (const GroupColumns &g : groupTable) {
        if (!has(g.group))
            continue;
        for (double v : g.values(m, *this))
            out << number(v);
    }
    out << QString::number(m.avgCount) << QString::number(m.errorCode);
    if (targets && judged) {
        const Measurement &t = judged->target.measurement;
        out << number(t.x) << number(t.y) << number(unitValue(t.bigY, nits))
            << number(judged->deltaE2000) << number(judged->deltaItp);
    } else if (targets) {
        for (int i = 0; i < 5; ++i)
            out << QString();
    }
    return out;
}

QString csvLine(const QStringList &fields) {
    QStringList quoted;
    for (const QString &f : fields)
        quoted << csvQuoted(f);
    return quoted.join(QLatin1Char(',')) + QLatin1Char('\n');
}

bool BatchResultsFile::open(const QString &path, const BatchColumns &columns) {
    m_file.close();
    m_file.setFileName(path);
    m_columns = columns;
    m_rows = 0;
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    if (!write(csvLine(columns.header()))) {
        m_file.close();
        return false;
    }
    return true;
}

bool BatchResultsFile::append(const QString &name, const Measurement &m,
                              const PatchJudgement *judged) {
    if (!m_file.isOpen() || !write(csvLine(m_columns.row(name, m, judged))))
        return false;
    ++m_rows;
    return true;
}

bool BatchResultsFile::write(const QString &line) {
    const QByteArray bytes = line.toUtf8();
    return m_file.write(bytes) == bytes.size() && m_file.flush();
}
