#include "spectrumdata.h"

#include <cmath>

namespace spectrum {

namespace {

struct Reason {
    quint32 bits;
    const char *text;
};
// In order of what matters most to the operator.
const Reason reasons[] = {
    {0x2000000, "This device does not measure spectra."},
    {0x1, "The spectroradiometer's port was closed or the instrument was unplugged."},
    {0x2, "The spectroradiometer did not answer."},
    {0x8, "The spectroradiometer returned fewer values than wavelengths."},
    {0x4, "The spectroradiometer's reply could not be used."},
};

} // namespace

QString problem(const QList<double> &values, quint32 errorCode) {
    for (const Reason &r : reasons) {
        if (errorCode & r.bits)
            return QString::fromLatin1(r.text);
    }
    if (values.size() <= lastNm)
        return QStringLiteral("The spectroradiometer returned fewer values than wavelengths.");
    for (int nm = firstNm; nm <= lastNm; ++nm) {
        if (!std::isfinite(values.at(nm)))
            return QStringLiteral("The spectroradiometer's reply could not be used.");
    }
    return QString();
}

double peak(const QList<double> &values) {
    double top = 0;
    for (int nm = firstNm; nm <= lastNm && nm < values.size(); ++nm) {
        if (std::isfinite(values.at(nm)) && values.at(nm) > top)
            top = values.at(nm);
    }
    return top;
}

QString csv(const QList<double> &values, const QDateTime &when) {
    QString out = when.toString(QStringLiteral("M/d/yyyy h:m:s AP")) + QStringLiteral("\n\n");
    out += QStringLiteral("Wavelength(nm),Energy\n");
    for (int nm = firstNm; nm <= lastNm; ++nm)
        out += QStringLiteral("%1,%2\n").arg(nm).arg(values.value(nm));
    return out;
}

} // namespace spectrum
