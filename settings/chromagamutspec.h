#pragma once
// The shared gamut standards, white offsets and display-target parameters
// (video range, gamma, maximum Y). Every window reads the one process-wide
// object and follows its change signals; every change is stored at once.

#include "gamutspec.h"
#include "videotarget.h"

#include <QList>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>

struct NamedGamut {
    QString name;
    // Built with the current maximum Y as white luminance; an HDR standard's
    // white is its reference white.
    GamutSpec spec;
    // Gamma: the shared gamma (or BT.1886 when chosen); PQ and HLG their own.
    Transfer transfer = Transfer::Gamma;
};

struct WhiteOffSet {
    QString name;
    double dx = 0;
    double dy = 0;
};

// One user standard as it is written to "userGamutSpec".
struct UserGamutEntry {
    QString name;
    double whiteX = 0, whiteY = 0, redX = 0, redY = 0;
    double greenX = 0, greenY = 0, blueX = 0, blueY = 0;
};

class ChromaGamutSpec : public QObject {
    Q_OBJECT
public:
    static constexpr int defaultGamutIndex = 2; // REC709
    // The HDR standards follow the six SDR ones; user standards follow them.
    static constexpr int pqGamutIndex = 6;  // "REC2100 PQ"
    static constexpr int hlgGamutIndex = 7; // "REC2100 HLG"
    static constexpr int builtInGamutCount = 8;
    // "gamutSpecIndex" keeps the numbers it always had (0 to 5 built in, 6
    // on the user standards), so files written before the HDR standards
    // read the same; the HDR standards are stored as these, which older
    // builds read as out of the list (REC709).
    static constexpr int storedPqIndex = -1;
    static constexpr int storedHlgIndex = -2;
    static constexpr double defaultHdrPeak = 1000.0; // cd/m²
    static constexpr double minHdrPeak = 100.0;      // cd/m²
    static constexpr int builtInOffSetCount = 2;
    static constexpr double defaultMaxBigY = 100.0; // cd/m²
    static constexpr double defaultGamma = 2.2;
    static constexpr double minGamma = 1.8;
    static constexpr double maxGamma = 2.7;

    // Reads everything from the settings; writes nothing.
    explicit ChromaGamutSpec(QObject *parent = nullptr);

    // The process-wide object, created on first use.
    static ChromaGamutSpec *instance();

    const QList<NamedGamut> &gamutSpecs() const { return m_gamuts; }
    QStringList gamutNames() const;
    int currentGamutIndex() const { return m_currentGamut; }
    const NamedGamut &currentGamut() const { return m_gamuts.at(m_currentGamut); }
    static bool isBuiltInGamut(int index) { return index >= 0 && index < builtInGamutCount; }
    // The list index a stored "gamutSpecIndex" means (-1 when none), and back.
    static int listIndexOfStored(int stored, int listSize);
    static int storedIndexOf(int listIndex);
    // A standard by its name as listed (case ignored); -1 when none.
    int gamutIndexOfName(const QString &name) const;

    const QList<WhiteOffSet> &offSets() const { return m_offSets; }
    int currentOffSetIndex() const { return m_currentOffSet; }
    const WhiteOffSet &currentOffSet() const { return m_offSets.at(m_currentOffSet); }
    static bool isBuiltInOffSet(int index) { return index >= 0 && index < builtInOffSetCount; }

    int videoMin() const { return m_videoMin; }
    int videoMax() const { return m_videoMax; }
    double gamma() const { return m_gamma; }
    double maxBigY() const { return m_maxBigY; } // cd/m²
    // The display's black (cd/m²), which BT.1886 lifts its curve to.
    double minBigY() const { return m_minBigY; }
    // SDR standards follow BT.1886 with that black instead of the gamma.
    bool bt1886() const { return m_bt1886; }
    // The display's peak (cd/m²) for PQ and HLG targets.
    double hdrPeak() const { return m_hdrPeak; }
    // PQ above the display's peak: 0 clips; 1000, 4000 or 10000 rolls off
    // (BT.2390) for content mastered at that peak.
    int hdrRollOff() const { return m_hdrRollOff; }
    static bool isRollOff(int masteringPeak);

    // Everything a target needs: the standard's primaries and white, its
    // curve with the shared parameters, and the video range at 8 bits.
    VideoStandard videoStandard(int index) const;
    VideoStandard currentVideoStandard() const { return videoStandard(m_currentGamut); }

    void setGamma(double gamma);
    // Non-positive or non-finite values are refused: they would make every
    // standard's matrices singular.
    void setMaxBigY(double maxBigY);
    void setVideoMode(int minimum, int maximum);
    // Refused outside 0 to 50 cd/m² or when not finite.
    void setMinBigY(double black);
    void setBt1886(bool on);
    // Refused outside 100 to 10000 cd/m².
    void setHdrPeak(double peak);
    // Refused unless isRollOff or 0.
    void setHdrRollOff(int masteringPeak);
    void setCurrentGamut(int index);
    void setCurrentOffSet(int index);

    // Names may not contain "," or ";" (the separators of the stored lists);
    // such an entry is refused and false returned.
    bool addGamutSpec(const UserGamutEntry &entry);
    bool removeGamutSpec(int index); // user standards only
    bool addOffSet(const WhiteOffSet &offSet);
    bool removeOffSet(int index); // user offsets only

    static bool isStorableName(const QString &name);

    // The stored text forms; malformed entries are skipped when parsing.
    static QList<UserGamutEntry> parseUserGamutSpecs(const QString &text);
    static QString formatUserGamutSpecs(const QList<UserGamutEntry> &entries);
    static QList<WhiteOffSet> parseUserOffSets(const QString &text);
    static QString formatUserOffSets(const QList<WhiteOffSet> &offSets);
    // Shortest text that reads back as exactly the same double.
    static QString shortestNumber(double value);

signals:
    void GamutSpecChanged();
    void CurrentGamutChanged();
    void CurrentOffSetChanged();
    void OffSetListChanged();
    void GamutSpecsListChanged();
    void videoModeChanged();
    void gammaChanged();
    void MaxBigYChanged();
    // No minimum luminance is kept yet; the signal completes the set so
    // windows can connect to it without change when one is added.
    void MinBigYChanged();
    // The SDR curve, the HDR peak or the roll-off changed.
    void transferChanged();

private:
    static GamutSpec buildGamut(const UserGamutEntry &entry, double maxBigY);
    GamutSpec builtInGamut(int index) const;
    void rebuildHdrGamuts();
    void storeUserGamuts();
    void storeUserOffSets();

    QSettings m_settings;
    QList<NamedGamut> m_gamuts;
    QList<UserGamutEntry> m_userGamuts; // the user part of m_gamuts, as entered
    QList<WhiteOffSet> m_offSets;
    int m_currentGamut = defaultGamutIndex;
    int m_currentOffSet = 0;
    int m_videoMin = 0;
    int m_videoMax = 255;
    double m_gamma = defaultGamma;
    double m_maxBigY = defaultMaxBigY;
    double m_minBigY = 0.0;
    bool m_bt1886 = false;
    double m_hdrPeak = defaultHdrPeak;
    int m_hdrRollOff = 0;
};
