#pragma once
// The application-wide settings object and the free helpers that read it on
// every call, so a change made in the Settings dialog shows at once.

#include <QSettings>
#include <QString>

// Created on first use (after start-up has made INI the default format), so
// every reader sees the same file the Settings dialog writes.
QSettings &appSettings();

// Fixed-point text with decimals chosen from "sigFigs" (3 or 4) and the
// value's magnitude; a negative value gets one decimal fewer.
QString formatSigFigs(double value);
int sigFigDecimals(double value, int sigFigs);

bool isNits();
QString unitsText(); // "nits" or "fL"

bool isFactoryMode();
bool isBetaMode();
// Digests of the two access words, as stored in "factorymode"/"betamode".
extern const char *const factoryModeDigest;
extern const char *const betaModeDigest;
