#pragma once
// The shared gamut standards, white offsets and display-target parameters
// (video range, gamma, maximum Y). Every window reads the one process-wide
// object and follows its change signals; every change is stored at once.

#include "gamutspec.h"

#include <QList>
#include <QObject>
#include <QSettings>
#include <QString>
#include <QStringList>

struct NamedGamut {
    QString name;
    GamutSpec spec; // built with the current maximum Y as white luminance
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
    static bool isBuiltInGamut(int index) { return index >= 0 && index < GamutSpec::builtInCount; }

    const QList<WhiteOffSet> &offSets() const { return m_offSets; }
    int currentOffSetIndex() const { return m_currentOffSet; }
    const WhiteOffSet &currentOffSet() const { return m_offSets.at(m_currentOffSet); }
    static bool isBuiltInOffSet(int index) { return index >= 0 && index < builtInOffSetCount; }

    int videoMin() const { return m_videoMin; }
    int videoMax() const { return m_videoMax; }
    double gamma() const { return m_gamma; }
    double maxBigY() const { return m_maxBigY; } // cd/m²

    void setGamma(double gamma);
    // Non-positive or non-finite values are refused: they would make every
    // standard's matrices singular.
    void setMaxBigY(double maxBigY);
    void setVideoMode(int minimum, int maximum);
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

private:
    static GamutSpec buildGamut(const UserGamutEntry &entry, double maxBigY);
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
};
