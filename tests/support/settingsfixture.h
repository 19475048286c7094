#pragma once
// Every test here starts from an empty settings file (the test main has
// pointed QSettings at a throw-away directory).

#include "appsettings.h"

#include <QSettings>
#include <gtest/gtest.h>

class EmptySettings : public ::testing::Test {
protected:
    void SetUp() override { clearSettings(); }
    void TearDown() override { clearSettings(); }

    static void clearSettings() {
        QSettings settings;
        settings.clear();
        settings.sync();
        appSettings().sync();
    }
    static QStringList storedKeys() { return QSettings().allKeys(); }
};
