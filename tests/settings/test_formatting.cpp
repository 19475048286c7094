// formatSigFigs across its magnitude bands, the unit word, and the hidden
// modes against the digests of the two access words.
#include "settingsfixture.h"

#include <QCryptographicHash>

namespace {

class Formatting : public EmptySettings {};

TEST_F(Formatting, SignificantDigitsFollowTheMagnitude) {
    const struct {
        double value;
        int sigFigs;
        const char *text;
    } rows[] = {
        {-1234.4, 3, "-1234"}, {-55.57, 3, "-56"},    {-0.5, 3, "-0.50"},   {0.0, 3, "0.000"},
        {5.5, 3, "5.50"},      {99.94, 3, "99.9"},    {-55.57, 4, "-55.6"}, {0.31271, 4, "0.3127"},
        {123.4, 4, "123.4"},   {999.96, 4, "1000.0"}, {5.5, 7, "5.50"}, // anything but 4 is 3
    };
    for (const auto &row : rows) {
        appSettings().setValue("sigFigs", row.sigFigs);
        EXPECT_EQ(formatSigFigs(row.value).toStdString(), row.text)
            << row.value << " with s = " << row.sigFigs;
    }
    EXPECT_EQ(unitsText(), "nits");
    appSettings().setValue("isNits", false);
    EXPECT_EQ(unitsText(), "fL");
}

QString md5(const char *word) {
    return QString::fromLatin1(QCryptographicHash::hash(word, QCryptographicHash::Md5).toHex());
}

TEST_F(Formatting, HiddenModesCompareTheStoredTextWithTheDigests) {
    EXPECT_EQ(md5("tumvex"), QLatin1String(factoryModeDigest));
    EXPECT_EQ(md5("sorbelt"), QLatin1String(betaModeDigest));
    EXPECT_FALSE(isBetaMode());
    appSettings().setValue("betamode", md5("sorbelt"));
    EXPECT_TRUE(isBetaMode());
    EXPECT_FALSE(isFactoryMode());
    appSettings().remove("betamode");
    appSettings().setValue("factorymode", md5("tumvex"));
    EXPECT_TRUE(isBetaMode()); // factory mode implies beta mode
    // The word itself or a digest in the other key does not count.
    appSettings().setValue("factorymode", "tumvex");
    appSettings().setValue("betamode", md5("tumvex"));
    EXPECT_FALSE(isFactoryMode());
    EXPECT_FALSE(isBetaMode());
}

} // namespace
