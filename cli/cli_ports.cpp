// tintwell-cli ports: what a device scan finds, one line per port or device.
#include "calibrationjson.h"
#include "cliargs.h"
#include "clidevice.h"
#include "commands.h"
#include "devicetypes.h"
#include "factories.h"
#include "genfactory.h"
#include "portaccess.h"
#include "portlisting.h"
#include "portmanager.h"

#include <QFile>
#include <QtConcurrent>

#include <cstdio>

namespace {

struct Options {
    bool json = false;
    bool all = false;
};

void printHelp() {
    std::printf("usage: tintwell-cli ports [--json] [--all]\n\n"
                "Scans like the application does: every serial port (and those named in\n"
                "TINTWELL_EXTRA_PORTS) for the colorimeter and the reference instruments the\n"
                "settings enable, the network pattern generator if enabled, and the manual\n"
                "devices. Prints one line per port or device: kind, model, serial number, port;\n"
                "with --json one object per line with the keys type (the kind's name, \"\" when\n"
                "nothing answered), model, serialNumber, port and status (found, busy, none).\n\n"
                "  --all    probe every serial port for every kind, whatever the settings say\n\n"
                "A port this user may not open is named on stderr with the group to join.\n"
                "Exit codes: 0 done, 2 bad arguments.\n");
}

Options parseOptions(const CliArgs &args) {
    Options o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (arg == "--json")
            o.json = true;
        else if (arg == "--all")
            o.all = true;
        else
            throw CliError("unknown option '" + arg + "'");
    }
    return o;
}

// The port cannot be opened for lack of permission: say who may.
void checkPermission(const QString &port) {
    const std::string denied = portPermissionProblem(QFile::encodeName(port).toStdString());
    if (!denied.empty())
        std::fprintf(stderr, "tintwell-cli ports: %s\n", denied.c_str());
}

QStringList serialKinds() {
    QStringList all;
    for (GenFactory *f : factories()) {
        if (f->connectionKind() == SerialConnection)
            all.append(f->name());
    }
    return all;
}

void printEntry(const ConnectionInfo &e, bool json) {
    const char *status = e.type == BusyPort ? "busy" : (e.factory ? "found" : "none");
    const std::string type = e.factory ? e.factory->name().toStdString() : std::string();
    const std::string model = e.model.toStdString(), serial = e.serialNumber.toStdString(),
                      port = e.port.toStdString();
    if (json) {
        std::printf(
            "{\"type\":%s,\"model\":%s,\"serialNumber\":%s,\"port\":%s,\"status\":\"%s\"}\n",
            jsonString(type).c_str(), jsonString(model).c_str(), jsonString(serial).c_str(),
            jsonString(port).c_str(), status);
        return;
    }
    const std::string kind = e.factory ? type : "(" + std::string(status) + ")";
    std::printf("%-24s %-10s %-12s %s\n", kind.c_str(), model.c_str(), serial.c_str(),
                port.c_str());
}

int run(const Options &o) {
    CliDeviceContext qt;
    const PortSelection selection = selectPorts(enumerateSerialPorts(), extraPorts(), &portIsHeld);
    for (const QString &port : selection.toProbe)
        checkPermission(port);

    ScanSettings settings = ScanSettings::fromSettings();
    if (o.all)
        settings.cs2000 = settings.pr650 = settings.bm7 = true;
    const QStringList kinds = settings.serialKinds();
    // Every port, the network and the manual devices at once, as the
    // application's scan does.
    QList<ConnectionInfo> found = selection.busy;
    found.append(PortManager::scanDevices(selection.toProbe, 0, settings));

    for (const ConnectionInfo &e : found)
        printEntry(e, o.json);
    std::fflush(stdout);

    QStringList off;
    for (const QString &kind : serialKinds()) {
        if (!kinds.contains(kind))
            off.append(kind);
    }
    if (!off.isEmpty())
        std::fprintf(stderr,
                     "tintwell-cli ports: not probed for %s (enable them in Settings, or "
                     "use --all)\n",
                     off.join(QStringLiteral(", ")).toUtf8().constData());
    return 0;
}

} // namespace

int cliPorts(const CliArgs &args) {
    return runCommand("ports", args, printHelp, parseOptions, run);
}
