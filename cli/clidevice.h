#pragma once
// What the tintwell-cli commands built on the device layer share: a Qt
// application object with the program's settings identity and every device
// kind registered, opening one instrument through its factory, and turning
// a failed reading into a message and an exit code.

#include "genmeasure.h"

#include <QCoreApplication>

#include <memory>
#include <string>

class CliDeviceContext {
public:
    CliDeviceContext();
    ~CliDeviceContext();

private:
    std::unique_ptr<QCoreApplication> m_app;
};

// Why nothing could be used at port, on stderr: why the port will not open
// (missing, in use by another program, no permission), else
// "<command>: no <what> answered at <port>".
void reportNoAnswer(const char *command, const char *what, const std::string &port);

// The device of the factory named `kind` (one of DeviceNames) opened on
// port; null, with reportNoAnswer() on stderr, when it did not open.
std::unique_ptr<GenMeasure> openInstrument(const char *command, const char *kind,
                                           const std::string &port);

// The measuring device on the port, found the way a scan finds it (any
// serial kind); null when nothing there answered.
std::unique_ptr<GenMeasure> identifyInstrument(const QString &port);

// The network pattern generator at host, connected; null, with
// "<command>: no pattern generator answered at <host>" on stderr, when none did.
std::unique_ptr<GenDevice> openPatternGenerator(const char *command, const std::string &host);

// 0 for a usable reading; otherwise says why on stderr and returns 3.
int checkReading(const char *command, GenMeasure &device, quint32 errorCode);
