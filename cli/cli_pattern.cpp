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

// A command the generator refused or did not answer in time.
constexpr int exitNotConfirmed = 5;

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
        "Prints one JSON object: the generator's identity, or each command sent with the\n"
        "reply that answered it and its status: ok, refused (\"ERR\"), no reply (none within\n"
        "1 s), late (its reply came while a later command waited) or lost.\n"
        "Exit codes: 0 done, 1 no generator answered, 2 bad arguments, 3 the generator was\n"
        "lost, 5 a command was refused or not answered in time.\n");
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
    const int largest = o.action == "color" ? 255 : 65535;
    for (double v : o.numbers) {
        if (v != static_cast<int>(v) || v < 0 || v > largest)
            throw CliError(o.action + " takes whole numbers from 0 to " + std::to_string(largest));
    }
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

const char *statusText(TorvaPattern::Outcome outcome) {
    switch (outcome) {
    case TorvaPattern::Outcome::Confirmed:
        return "ok";
    case TorvaPattern::Outcome::Refused:
        return "refused";
    case TorvaPattern::Outcome::NoReply:
        return "no reply";
    case TorvaPattern::Outcome::Lost:
        break;
    }
    return "lost";
}

// Each command with the reply that answered it: a reply that came after its
// command gave up waiting is shown with that command, as late.
std::string exchanges(TorvaPattern &g, const QList<QByteArray> &commands) {
    struct Sent {
        QByteArray command;
        std::string status;
        QString reply;
        bool replied;
    };
    std::vector<Sent> sent;
    for (const QByteArray &c : commands) {
        const TorvaPattern::Exchange x = g.exchange(c);
        const bool replied = x.outcome == TorvaPattern::Outcome::Confirmed ||
                             x.outcome == TorvaPattern::Outcome::Refused;
        sent.push_back({c, statusText(x.outcome), x.reply, replied});
        for (const TorvaPattern::LateReply &late : g.takeLateReplies()) {
            for (Sent &s : sent) {
                if (!s.replied && s.command == late.command) {
                    s = {s.command, "late", late.reply, true};
                    break;
                }
            }
        }
    }
    std::string out;
    for (const Sent &s : sent)
        out += (out.empty() ? "" : ",") + std::string("{\"command\":") +
               jsonString(shortened(s.command)) + ",\"reply\":" +
               (s.replied ? jsonString(s.reply.toLatin1().toStdString()) : std::string("null")) +
               ",\"status\":" + jsonString(s.status) + "}";
    return out;
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
        out += ",\"replies\":[" + exchanges(g, commands) + "]";
    }
    std::printf("%s}\n", out.c_str());
    std::fflush(stdout);
    const QString problem = g.takeCommandProblem();
    if (!g.isConnected()) {
        std::fprintf(stderr, "tintwell-cli pattern: %s\n",
                     problem.isEmpty() ? "the generator closed the connection"
                                       : problem.toUtf8().constData());
        return 3;
    }
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "tintwell-cli pattern: %s\n", problem.toUtf8().constData());
        return exitNotConfirmed;
    }
    return 0;
}

} // namespace

int cliPattern(const CliArgs &args) {
    return runCommand("pattern", args, printHelp, parseOptions, run);
}
