// formatSigFigs over its whole magnitude table, the unit helpers, and the
// hidden-mode checks against the digests of the two access words.
#include "settingsfixture.h"

#include <QCryptographicHash>

namespace {

struct SigFigRow {
    double value;
    int sigFigs;
    const char *text;
};

class Formatting : public EmptySettings {};

TEST_F(Formatting, FormatSigFigsFollowsTheMagnitudeTable) {
    const SigFigRow rows[] = {
        // s = 3. Below -100: no decimals.
        {-1234.4, 3, "-1234"},
        {-100.4, 3, "-100"},
        // -100 <= v < -10: s - 3
        {-55.57, 3, "-56"},
        {-10.4, 3, "-10"},
        // -10 <= v < -1: s - 2
        {-10.0, 3, "-10.0"},
        {-5.5, 3, "-5.5"},
        // -1 <= v < 0: s - 1
        {-1.0, 3, "-1.00"},
        {-0.5, 3, "-0.50"},
        {-0.123, 3, "-0.12"},
        // 0 <= v < 1: s
        {0.0, 3, "0.000"},
        {0.31271, 3, "0.313"},
        // 1 <= v < 10: s - 1
        {1.0, 3, "1.00"},
        {5.5, 3, "5.50"},
        // 10 <= v < 100: s - 2
        {10.0, 3, "10.0"},
        {99.94, 3, "99.9"},
        // 100 <= v < 1000: s - 3
        {100.0, 3, "100"},
        {123.4, 3, "123"},
        // 1000 and above: none
        {1000.0, 3, "1000"},
        {65432.1, 3, "65432"},
        // s = 4, one row per band
        {-1234.4, 4, "-1234"},
        {-55.57, 4, "-55.6"},
        {-5.5, 4, "-5.50"},
        {-0.5, 4, "-0.500"},
        {0.31271, 4, "0.3127"},
        {5.5, 4, "5.500"},
        {12.346, 4, "12.35"},
        {123.4, 4, "123.4"},
        {999.96, 4, "1000.0"},
        {1000.0, 4, "1000"},
    };
    for (const SigFigRow &row : rows) {
        appSettings().setValue("sigFigs", row.sigFigs);
        EXPECT_EQ(formatSigFigs(row.value).toStdString(), row.text)
            << row.value << " with s = " << row.sigFigs;
    }
}

TEST_F(Formatting, SigFigsOtherThanFourMeansThree) {
    appSettings().setValue("sigFigs", 7);
    EXPECT_EQ(formatSigFigs(5.5), "5.50");
    appSettings().remove("sigFigs");
    EXPECT_EQ(formatSigFigs(5.5), "5.50");
}

TEST_F(Formatting, UnitsFollowIsNitsWithNitsByDefault) {
    EXPECT_TRUE(isNits());
    EXPECT_EQ(unitsText(), "nits");
    appSettings().setValue("isNits", false);
    EXPECT_FALSE(isNits());
    EXPECT_EQ(unitsText(), "fL");
}

QString md5(const char *word) {
    return QString::fromLatin1(QCryptographicHash::hash(word, QCryptographicHash::Md5).toHex());
}

TEST_F(Formatting, DigestsAreTheLowerCaseMd5OfTheAccessWords) {
    EXPECT_EQ(md5("tumvex"), QLatin1String(factoryModeDigest));
    EXPECT_EQ(md5("sorbelt"), QLatin1String(betaModeDigest));
}

TEST_F(Formatting, HiddenModesCompareTheStoredTextWithTheDigests) {
    EXPECT_FALSE(isFactoryMode());
    EXPECT_FALSE(isBetaMode());

    appSettings().setValue("betamode", md5("sorbelt"));
    EXPECT_TRUE(isBetaMode());
    EXPECT_FALSE(isFactoryMode());

    // Factory mode implies beta mode.
    appSettings().remove("betamode");
    appSettings().setValue("factorymode", md5("tumvex"));
    EXPECT_TRUE(isFactoryMode());
    EXPECT_TRUE(isBetaMode());

    // The words themselves, a digest in the other key or upper case do not count.
    appSettings().setValue("factorymode", "tumvex");
    appSettings().setValue("betamode", md5("tumvex"));
    EXPECT_FALSE(isFactoryMode());
    EXPECT_FALSE(isBetaMode());
    appSettings().setValue("betamode", md5("sorbelt").toUpper());
    EXPECT_FALSE(isBetaMode());
}

} // namespace
