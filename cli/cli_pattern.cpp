// tintwell-cli pattern: one command to a network pattern generator, or a
// discovery broadcast, with the reply printed as one JSON object.
#include "calibrationjson.h" // jsonString
#include "cliargs.h"
#include "clidevice.h"
#include "commands.h"
#include "measurementjson.h"
#include "patternfactories.h"
#include "patternwire.h"
#include "torvapattern.h"
#include "torvapatternfactory.h"

#include <QImage>

#include <cstdio>

namespace {

struct Options {
    std::string host;
    std::string action;
    std::vector<double> numbers;
    std::string file;
};

struct Action {
    const char *name;
    int numbers; // decimal arguments after the action
    bool needsFile;
};

const Action actions[] = {
    {"discover", 0, false}, {"info", 0, false}, {"color", 3, false},
    {"pattern", 1, false},  {"box", 4, false},  {"image", 0, true},
};

void printHelp() {
    std::printf(
        "usage: tintwell-cli pattern [--host H] [--port N] ACTION\n\n"
        "Drives a network pattern generator over TCP, or looks for one. ACTION is one of:\n"
        "  discover          broadcast \"getInfo\" and report the generator that answered\n"
        "                    last (about 4 s; no --host needed)\n"
        "  info              its identity and pattern area\n"
        "  color R G B       show a colour patch of these code values (0 to 255)\n"
        "  pattern N         select pattern N (0 black, 1 and 2 grey cells, 3 colour\n"
        "                    patch, 4 colour bars, 5 image, 6 checker board, 7 edge markers)\n"
        "  box X Y W H       position and size of the colour patch\n"
        "  image FILE        send an image (any format Qt reads; sent as PNG)\n\n"
        "  --host H          the generator's address (required but for discover)\n"
        "  --port N          command and discovery port (default TINTWELL_PATTERN_PORT\n"
        "                    or 8888)\n\n"
        "Prints one JSON object: the generator's identity, or each command sent and the\n"
        "reply it got. Exit codes: 0 done, 1 no generator answered, 2 bad arguments,\n"
        "3 the generator was lost.\n");
}

Options parseOptions(const CliArgs &args) {
    Options o;
    ArgCursor c(args);
    while (!c.atEnd()) {
        const std::string arg = c.take();
        if (arg == "--host") {
            o.host = c.takeValue(arg);
        } else if (arg == "--port") {
            const long long port = parseInteger(c.takeValue(arg), arg, 1, 65535);
            qputenv("TINTWELL_PATTERN_PORT", QByteArray::number(port));
        } else if (!o.action.empty()) {
            throw CliError("unexpected argument '" + arg + "'");
        } else {
            const Action *found = nullptr;
            for (const Action &a : actions)
                found = arg == a.name ? &a : found;
            if (!found)
                throw CliError("unknown action '" + arg + "'");
            o.action = arg;
            if (found->numbers > 0)
                o.numbers = c.takeNumbers(arg, found->numbers);
            if (found->needsFile)
                o.file = c.takeValue(arg);
        }
    }
    if (o.action.empty())
        throw CliError("give an action: discover, info, color, pattern, box or image");
    if (o.host.empty() && o.action != "discover")
        throw CliError("--host H is required");
    for (double v : o.numbers) {
        if (v != static_cast<int>(v) || v < 0 || v > 65535)
            throw CliError(o.action + " takes whole numbers from 0 to 65535");
    }
    if (o.action == "color" && (o.numbers[0] > 255 || o.numbers[1] > 255 || o.numbers[2] > 255))
        throw CliError("color values are 0 to 255");
    return o;
}

// An image command is shown by its start and length, not its hex.
std::string shortened(const QByteArray &command) {
    constexpr int shown = 24;
    if (command.size() <= shown)
        return command.toStdString();
    return command.left(shown).toStdString() + "...(" + std::to_string(command.size()) + " bytes)";
}

std::string identityJson(const QString &host, TorvaPattern *g) {
    return "{\"host\":" + jsonString(host.toLatin1().toStdString()) +
           ",\"model\":" + jsonString(g->model().toLatin1().toStdString()) +
           ",\"serialNumber\":" + jsonString(g->serialNumber().toLatin1().toStdString()) +
           ",\"manufacturer\":" + jsonString(g->manufacturer().toLatin1().toStdString()) +
           ",\"width\":" + std::to_string(g->width) + ",\"height\":" + std::to_string(g->height);
}

int discover() {
    TorvaPatternFactory factory;
    ConnectionInfo found;
    if (!factory.probe(QString(), &found)) {
        std::fprintf(stderr, "tintwell-cli pattern: no pattern generator answered\n");
        return 1;
    }
    std::printf("{\"host\":%s,\"model\":%s,\"serialNumber\":%s}\n",
                jsonString(found.port.toLatin1().toStdString()).c_str(),
                jsonString(found.model.toLatin1().toStdString()).c_str(),
                jsonString(found.serialNumber.toLatin1().toStdString()).c_str());
    return 0;
}

int run(const Options &o) {
    const CliDeviceContext context;
    registerNetworkPatternFactory();
    if (o.action == "discover")
        return discover();
    const QString host = QString::fromStdString(o.host);
    TorvaPattern g;
    if (!g.open(host)) {
        std::fprintf(stderr, "tintwell-cli pattern: no pattern generator answered at %s\n",
                     o.host.c_str());
        return 1;
    }
    std::string out = identityJson(host, &g);
    if (o.action != "info") {
        QList<QByteArray> commands;
        auto n = [&o](int i) { return static_cast<int>(o.numbers[i]); };
        if (o.action == "color") {
            commands = {patternwire::setColorCommand(QColor(n(0), n(1), n(2))),
                        patternwire::setPatternCommand(3)};
        } else if (o.action == "pattern") {
            commands = {patternwire::setPatternCommand(n(0))};
        } else if (o.action == "box") {
            commands = {patternwire::setBoxSizeCommand(QRect(n(0), n(1), n(2), n(3)))};
        } else {
            const QImage image(QString::fromStdString(o.file));
            if (image.isNull())
                throw CliError("cannot read an image from '" + o.file + "'");
            commands = {patternwire::sendImageCommand(image)};
        }
        out += ",\"replies\":[";
        for (int i = 0; i < commands.size(); ++i) {
            const QString reply = g.command(commands.at(i));
            out += (i ? "," : "") + std::string("{\"command\":") +
                   jsonString(shortened(commands.at(i))) +
                   ",\"reply\":" + jsonString(reply.toLatin1().toStdString()) + "}";
        }
        out += "]";
    }
    std::printf("%s}\n", out.c_str());
    if (!g.isConnected()) {
        std::fprintf(stderr, "tintwell-cli pattern: the generator closed the connection\n");
        return 3;
    }
    return 0;
}

} // namespace

int cliPattern(const CliArgs &args) {
    return runCommand("pattern", args, printHelp, parseOptions, run);
}
