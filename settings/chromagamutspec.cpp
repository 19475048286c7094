#include "chromagamutspec.h"

#include "transfer.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QVariant>

#include <cmath>

namespace {

const char *const builtInNames[ChromaGamutSpec::builtInGamutCount] = {
    "NTSC", "EBU", "REC709", "REC2020", "SMPTE", "DCIP3", "REC2100 PQ", "REC2100 HLG"};

constexpr int rollOffPeaks[] = {1000, 4000, 10000}; // cd/m²
constexpr double maxBlack = 50.0;                   // cd/m²

// A stored list written by hand without quotes reads back as a string list.
QString readListText(const QSettings &settings, const QString &key) {
    const QVariant value = settings.value(key, QString());
    if (value.type() == QVariant::StringList)
        return value.toStringList().join(',');
    return value.toString();
}

int readInt(const QSettings &settings, const QString &key, int fallback) {
    bool ok = false;
    const int value = settings.value(key, fallback).toInt(&ok);
    return ok ? value : fallback;
}

double readDouble(const QSettings &settings, const QString &key, double fallback) {
    bool ok = false;
    const double value = settings.value(key, fallback).toDouble(&ok);
    return ok && std::isfinite(value) ? value : fallback;
}

bool parseNumber(const QString &text, double &out) {
    bool ok = false;
    out = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(out);
}

bool validMaxBigY(double value) {
    return std::isfinite(value) && value > 0;
}

bool validGamma(double value) {
    return value >= ChromaGamutSpec::minGamma && value <= ChromaGamutSpec::maxGamma;
}

bool validHdrPeak(double value) {
    return value >= ChromaGamutSpec::minHdrPeak && value <= transfer::pqPeak;
}

bool validBlack(double value) {
    return value >= 0 && value <= maxBlack;
}

} // namespace

ChromaGamutSpec::ChromaGamutSpec(QObject *parent) : QObject(parent) {
    m_videoMin = 0;
    m_videoMax = 255;

    const int storedGamut = readInt(m_settings, "gamutSpecIndex", defaultGamutIndex);
    m_maxBigY = readDouble(m_settings, "maxBigY", defaultMaxBigY);
    if (!validMaxBigY(m_maxBigY))
        m_maxBigY = defaultMaxBigY;
    if (readInt(m_settings, "VideoMode", 2) == 1) {
        m_videoMin = 16;
        m_videoMax = 235;
    }
    m_gamma = readDouble(m_settings, "gamma", defaultGamma);
    if (!validGamma(m_gamma))
        m_gamma = defaultGamma;
    m_minBigY = readDouble(m_settings, "minBigY", 0.0);
    if (!validBlack(m_minBigY))
        m_minBigY = 0.0;
    m_bt1886 = m_settings.value("bt1886", false).toBool();
    m_hdrPeak = readDouble(m_settings, "hdrPeak", defaultHdrPeak);
    if (!validHdrPeak(m_hdrPeak))
        m_hdrPeak = defaultHdrPeak;
    m_hdrRollOff = readInt(m_settings, "hdrRollOff", 0);
    if (!isRollOff(m_hdrRollOff))
        m_hdrRollOff = 0;

    for (int i = 0; i < builtInGamutCount; ++i)
        m_gamuts.append({QString::fromLatin1(builtInNames[i]), builtInGamut(i)});
    m_gamuts[pqGamutIndex].transfer = Transfer::Pq;
    m_gamuts[hlgGamutIndex].transfer = Transfer::Hlg;
    m_userGamuts = parseUserGamutSpecs(readListText(m_settings, "userGamutSpec"));
    for (const UserGamutEntry &entry : qAsConst(m_userGamuts))
        m_gamuts.append({entry.name, buildGamut(entry, m_maxBigY)});
    const int stored = listIndexOfStored(storedGamut, m_gamuts.size());
    m_currentGamut = stored >= 0 ? stored : defaultGamutIndex;

    m_offSets.append({QStringLiteral("Sony OLED"), -0.002, -0.011});
    m_offSets.append({QStringLiteral("None"), 0.0, 0.0});
    m_offSets.append(parseUserOffSets(readListText(m_settings, "userOffsets")));
    const int storedOffSet = readInt(m_settings, "offSetIndex", 0);
    m_currentOffSet = storedOffSet >= 0 && storedOffSet < m_offSets.size() ? storedOffSet : 0;
}

ChromaGamutSpec *ChromaGamutSpec::instance() {
    static QPointer<ChromaGamutSpec> shared;
    if (!shared)
        shared = new ChromaGamutSpec(QCoreApplication::instance());
    return shared;
}

int ChromaGamutSpec::listIndexOfStored(int stored, int listSize) {
    int index = -1;
    if (stored == storedPqIndex)
        index = pqGamutIndex;
    else if (stored == storedHlgIndex)
        index = hlgGamutIndex;
    else if (stored >= 0 && stored < GamutSpec::builtInCount)
        index = stored;
    else if (stored >= GamutSpec::builtInCount)
        index = stored - GamutSpec::builtInCount + builtInGamutCount;
    return index >= 0 && index < listSize ? index : -1;
}

int ChromaGamutSpec::storedIndexOf(int listIndex) {
    if (listIndex == pqGamutIndex)
        return storedPqIndex;
    if (listIndex == hlgGamutIndex)
        return storedHlgIndex;
    if (listIndex >= builtInGamutCount)
        return listIndex - builtInGamutCount + GamutSpec::builtInCount;
    return listIndex;
}

int ChromaGamutSpec::gamutIndexOfName(const QString &name) const {
    for (int i = 0; i < m_gamuts.size(); ++i)
        if (m_gamuts.at(i).name.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool ChromaGamutSpec::isRollOff(int masteringPeak) {
    for (int p : rollOffPeaks)
        if (p == masteringPeak)
            return true;
    return masteringPeak == 0;
}

GamutSpec ChromaGamutSpec::builtInGamut(int index) const {
    if (index < GamutSpec::builtInCount)
        return GamutSpec::standardSpec(index, m_maxBigY);
    // BT.2020 primaries and D65, judged against the HDR reference white.
    TargetCurve curve;
    curve.transfer = index == pqGamutIndex ? Transfer::Pq : Transfer::Hlg;
    curve.peakNits = m_hdrPeak;
    curve.blackNits = m_minBigY;
    return GamutSpec::standardSpec(3, curve.referenceWhite(m_maxBigY));
}

void ChromaGamutSpec::rebuildHdrGamuts() {
    m_gamuts[pqGamutIndex].spec = builtInGamut(pqGamutIndex);
    m_gamuts[hlgGamutIndex].spec = builtInGamut(hlgGamutIndex);
}

VideoStandard ChromaGamutSpec::videoStandard(int index) const {
    VideoStandard s;
    if (index < 0 || index >= m_gamuts.size())
        index = defaultGamutIndex;
    const NamedGamut &g = m_gamuts.at(index);
    s.spec = g.spec;
    s.curve.transfer = g.transfer;
    if (g.transfer == Transfer::Gamma && m_bt1886)
        s.curve.transfer = Transfer::Bt1886;
    s.curve.gamma = m_bt1886 && !s.curve.isHdr() ? 2.4 : m_gamma;
    s.curve.blackNits = m_minBigY;
    s.curve.peakNits = m_hdrPeak;
    s.curve.masteringPeak = m_hdrRollOff;
    s.range = {m_videoMin, m_videoMax, 8};
    return s;
}

QStringList ChromaGamutSpec::gamutNames() const {
    QStringList names;
    for (const NamedGamut &gamut : m_gamuts)
        names << gamut.name;
    return names;
}

GamutSpec ChromaGamutSpec::buildGamut(const UserGamutEntry &e, double maxBigY) {
    return GamutSpec(e.redX, e.redY, e.greenX, e.greenY, e.blueX, e.blueY, e.whiteX, e.whiteY,
                     maxBigY);
}

void ChromaGamutSpec::setGamma(double gamma) {
    if (!validGamma(gamma) || gamma == m_gamma)
        return;
    m_gamma = gamma;
    m_settings.setValue("gamma", gamma);
    emit gammaChanged();
}

void ChromaGamutSpec::setMaxBigY(double maxBigY) {
    if (!validMaxBigY(maxBigY) || maxBigY == m_maxBigY)
        return;
    m_maxBigY = maxBigY;
    m_settings.setValue("maxBigY", maxBigY);
    for (int i = 0; i < m_gamuts.size(); ++i)
        m_gamuts[i].spec = isBuiltInGamut(i)
                               ? builtInGamut(i)
                               : buildGamut(m_userGamuts.at(i - builtInGamutCount), maxBigY);
    emit GamutSpecChanged();
    emit CurrentGamutChanged();
    emit MaxBigYChanged();
}

void ChromaGamutSpec::setVideoMode(int minimum, int maximum) {
    if (minimum < 0 || maximum > 255 || minimum >= maximum)
        return;
    if (minimum == m_videoMin && maximum == m_videoMax)
        return;
    m_videoMin = minimum;
    m_videoMax = maximum;
    int code = 0;
    if (minimum == 16 && maximum == 235)
        code = 1;
    else if (minimum == 0 && maximum == 255)
        code = 2;
    m_settings.setValue("VideoMode", code);
    emit videoModeChanged();
}

void ChromaGamutSpec::setMinBigY(double black) {
    if (!validBlack(black) || black == m_minBigY)
        return;
    m_minBigY = black;
    m_settings.setValue("minBigY", black);
    rebuildHdrGamuts(); // HLG's reference white sits on the black
    emit MinBigYChanged();
}

void ChromaGamutSpec::setBt1886(bool on) {
    if (on == m_bt1886)
        return;
    m_bt1886 = on;
    m_settings.setValue("bt1886", on);
    emit transferChanged();
}

void ChromaGamutSpec::setHdrPeak(double peak) {
    if (!validHdrPeak(peak) || peak == m_hdrPeak)
        return;
    m_hdrPeak = peak;
    m_settings.setValue("hdrPeak", peak);
    rebuildHdrGamuts();
    emit transferChanged();
}

void ChromaGamutSpec::setHdrRollOff(int masteringPeak) {
    if (!isRollOff(masteringPeak) || masteringPeak == m_hdrRollOff)
        return;
    m_hdrRollOff = masteringPeak;
    m_settings.setValue("hdrRollOff", masteringPeak);
    emit transferChanged();
}

void ChromaGamutSpec::setCurrentGamut(int index) {
    if (index < 0 || index >= m_gamuts.size() || index == m_currentGamut)
        return;
    m_currentGamut = index;
    m_settings.setValue("gamutSpecIndex", storedIndexOf(index));
    emit CurrentGamutChanged();
}

void ChromaGamutSpec::setCurrentOffSet(int index) {
    if (index < 0 || index >= m_offSets.size() || index == m_currentOffSet)
        return;
    m_currentOffSet = index;
    m_settings.setValue("offSetIndex", index);
    emit CurrentOffSetChanged();
}

bool ChromaGamutSpec::isStorableName(const QString &name) {
    return !name.trimmed().isEmpty() && !name.contains(',') && !name.contains(';');
}

bool ChromaGamutSpec::addGamutSpec(const UserGamutEntry &newEntry) {
    if (!isStorableName(newEntry.name))
        return false;
    UserGamutEntry entry = newEntry;
    entry.name = entry.name.trimmed(); // as it will read back
    m_userGamuts.append(entry);
    m_gamuts.append({entry.name, buildGamut(entry, m_maxBigY)});
    storeUserGamuts();
    emit GamutSpecsListChanged();
    return true;
}

bool ChromaGamutSpec::removeGamutSpec(int index) {
    if (isBuiltInGamut(index) || index < 0 || index >= m_gamuts.size())
        return false;
    m_gamuts.removeAt(index);
    m_userGamuts.removeAt(index - builtInGamutCount);
    storeUserGamuts();
    // Keep the same standard current; if it was the one removed, fall back.
    const int previous = m_currentGamut;
    if (m_currentGamut == index)
        m_currentGamut = defaultGamutIndex;
    else if (m_currentGamut > index)
        --m_currentGamut;
    if (m_currentGamut != previous)
        m_settings.setValue("gamutSpecIndex", storedIndexOf(m_currentGamut));
    emit GamutSpecsListChanged();
    if (previous == index)
        emit CurrentGamutChanged();
    return true;
}

bool ChromaGamutSpec::addOffSet(const WhiteOffSet &newOffSet) {
    if (!isStorableName(newOffSet.name) || !std::isfinite(newOffSet.dx) ||
        !std::isfinite(newOffSet.dy))
        return false;
    WhiteOffSet offSet = newOffSet;
    offSet.name = offSet.name.trimmed();
    m_offSets.append(offSet);
    storeUserOffSets();
    emit OffSetListChanged();
    return true;
}

bool ChromaGamutSpec::removeOffSet(int index) {
    if (isBuiltInOffSet(index) || index < 0 || index >= m_offSets.size())
        return false;
    m_offSets.removeAt(index);
    storeUserOffSets();
    const int previous = m_currentOffSet;
    if (m_currentOffSet == index)
        m_currentOffSet = 0;
    else if (m_currentOffSet > index)
        --m_currentOffSet;
    if (m_currentOffSet != previous)
        m_settings.setValue("offSetIndex", m_currentOffSet);
    emit OffSetListChanged();
    if (previous == index)
        emit CurrentOffSetChanged();
    return true;
}

void ChromaGamutSpec::storeUserGamuts() {
    m_settings.setValue("userGamutSpec", formatUserGamutSpecs(m_userGamuts));
}

void ChromaGamutSpec::storeUserOffSets() {
    m_settings.setValue("userOffsets", formatUserOffSets(m_offSets.mid(builtInOffSetCount)));
}

QString ChromaGamutSpec::shortestNumber(double value) {
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QList<UserGamutEntry> ChromaGamutSpec::parseUserGamutSpecs(const QString &text) {
    QList<UserGamutEntry> entries;
    const QStringList parts = text.split(';');
    for (const QString &part : parts) {
        if (part.trimmed().isEmpty())
            continue;
        const QStringList f = part.split(',');
        if (f.size() != 9 || f.at(0).trimmed().isEmpty())
            continue;
        UserGamutEntry e;
        e.name = f.at(0).trimmed();
        double *const targets[8] = {&e.whiteX, &e.whiteY, &e.redX,  &e.redY,
                                    &e.greenX, &e.greenY, &e.blueX, &e.blueY};
        bool ok = true;
        for (int i = 0; i < 8 && ok; ++i)
            ok = parseNumber(f.at(i + 1), *targets[i]);
        if (ok)
            entries.append(e);
    }
    return entries;
}

QString ChromaGamutSpec::formatUserGamutSpecs(const QList<UserGamutEntry> &entries) {
    QStringList parts;
    for (const UserGamutEntry &e : entries) {
        QStringList f{e.name};
        for (double v : {e.whiteX, e.whiteY, e.redX, e.redY, e.greenX, e.greenY, e.blueX, e.blueY})
            f << shortestNumber(v);
        parts << f.join(',');
    }
    return parts.join(';');
}

QList<WhiteOffSet> ChromaGamutSpec::parseUserOffSets(const QString &text) {
    QList<WhiteOffSet> offSets;
    const QStringList parts = text.split(';');
    for (const QString &part : parts) {
        if (part.trimmed().isEmpty())
            continue;
        const QStringList f = part.split(',');
        WhiteOffSet o;
        if (f.size() != 3 || f.at(0).trimmed().isEmpty() || !parseNumber(f.at(1), o.dx) ||
            !parseNumber(f.at(2), o.dy))
            continue;
        o.name = f.at(0).trimmed();
        offSets.append(o);
    }
    return offSets;
}

QString ChromaGamutSpec::formatUserOffSets(const QList<WhiteOffSet> &offSets) {
    QStringList parts;
    for (const WhiteOffSet &o : offSets)
        parts << QStringList{o.name, shortestNumber(o.dx), shortestNumber(o.dy)}.join(',');
    return parts.join(';');
}
