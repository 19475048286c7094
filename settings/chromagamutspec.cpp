#include "chromagamutspec.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPointer>
#include <QVariant>

#include <cmath>

namespace {

const char *const builtInNames[GamutSpec::builtInCount] = {"NTSC",    "EBU",   "REC709",
                                                           "REC2020", "SMPTE", "DCIP3"};

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

    for (int i = 0; i < GamutSpec::builtInCount; ++i)
        m_gamuts.append(
            {QString::fromLatin1(builtInNames[i]), GamutSpec::standardSpec(i, m_maxBigY)});
    m_userGamuts = parseUserGamutSpecs(readListText(m_settings, "userGamutSpec"));
    for (const UserGamutEntry &entry : qAsConst(m_userGamuts))
        m_gamuts.append({entry.name, buildGamut(entry, m_maxBigY)});
    m_currentGamut =
        storedGamut >= 0 && storedGamut < m_gamuts.size() ? storedGamut : defaultGamutIndex;

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
                               ? GamutSpec::standardSpec(i, maxBigY)
                               : buildGamut(m_userGamuts.at(i - GamutSpec::builtInCount), maxBigY);
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

void ChromaGamutSpec::setCurrentGamut(int index) {
    if (index < 0 || index >= m_gamuts.size() || index == m_currentGamut)
        return;
    m_currentGamut = index;
    m_settings.setValue("gamutSpecIndex", index);
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
    m_userGamuts.removeAt(index - GamutSpec::builtInCount);
    storeUserGamuts();
    // Keep the same standard current; if it was the one removed, fall back.
    const int previous = m_currentGamut;
    if (m_currentGamut == index)
        m_currentGamut = defaultGamutIndex;
    else if (m_currentGamut > index)
        --m_currentGamut;
    if (m_currentGamut != previous)
        m_settings.setValue("gamutSpecIndex", m_currentGamut);
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
