#pragma once
// The Qt side of a command that talks to devices through the device layer:
// an application object (sockets and device objects need one), the
// records that cross threads registered, and the pattern generator factory
// handed to the factory list before anything uses it.

#include "devicetypes.h"
#include "patternfactories.h"

#include <QCoreApplication>

class CliQtContext {
public:
    CliQtContext() : m_app(m_argc, m_argv) {
        registerDeviceMetaTypes();
        registerNetworkPatternFactory();
    }
    QCoreApplication &app() { return m_app; }

private:
    int m_argc = 1;
    char m_name[13] = "tintwell-cli";
    char *m_argv[2] = {m_name, nullptr};
    QCoreApplication m_app;
};
