// tintwell-sim: instruments on pseudo-terminals for demos, scripts and tests.
//
//   tintwell-sim [--dir DIR] [--colorimeter MODEL[:SERIAL]] [--fast] [--no-noise]
//                [--seed N] [--ideal] [--state FILE] [--firmware older|newer]
//                [--pattern-generator SERIAL [--address 127.0.0.N] [--width W] [--height H]]
//                [--display MODEL | --display-spectra FILE.csv]
//                [--display-peak NITS] [--display-gamma G] [--display-black NITS]
//                [--reference MODEL[:SERIAL]]... [--bm7-footlamberts]
//
// Prints "<name> <port path>" per instrument and then "ready" on standard
// output, then reads commands from standard input, answering each with one
// line ("ok ..." or "error ..."). Ends when standard input closes or on
// SIGINT/SIGTERM, removing its port links.
#include "filecheck.h"
#include "simulator.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int signalPipe[2] = {-1, -1};
// The longest command line read; a light spectrum is given by file name.
constexpr std::size_t maxLineBytes = 64 * 1024;

// A command that fails inside (out of memory, say) answers "error", and the
// simulator goes on, so its port links are always removed at the end.
std::string execute(sim::Simulator &simulator, const std::string &line) {
    try {
        return simulator.execute(line);
    } catch (const std::exception &e) {
        return std::string("error ") + e.what();
    }
}

void onSignal(int) {
    char c = 1;
    ssize_t r = ::write(signalPipe[1], &c, 1);
    (void)r;
}

void usage(FILE *out) {
    std::fprintf(out,
                 "usage: tintwell-sim [--dir DIR] [--colorimeter MODEL[:SERIAL]] [--fast] "
                 "[--no-noise] [--state FILE]\n"
                 "                    [--seed N] [--ideal] [--firmware older|newer]\n"
                 "                    [--reference MODEL[:SERIAL]]... [--bm7-footlamberts]\n"
                 "                    [--pattern-generator SERIAL [--address A] [--width W]\n"
                 "                     [--height H] [--display MODEL | --display-spectra FILE]\n"
                 "                     [--display-peak NITS] [--display-gamma G]\n"
                 "                     [--display-black NITS]]\n"
                 "  --dir DIR        where the port links go (default %s)\n"
                 "  --colorimeter    model:",
                 sim::defaultPortDir().c_str());
    for (const std::string &m : sim::colorimeterModels())
        std::fprintf(out, " %s", m.c_str());
    std::fprintf(out,
                 " (default TV-40)\n"
                 "  --fast           answer at once instead of in instrument time\n"
                 "  --no-noise       readings without noise (the optics' errors remain)\n"
                 "  --seed N         fix every random draw (default: a new seed each run,\n"
                 "                   printed on stderr)\n"
                 "  --ideal          idealised instruments: the colorimeter reads the light's\n"
                 "                   X, Y, Z through a fixed matrix error whatever its\n"
                 "                   spectrum, the references read it exactly\n"
                 "  --firmware AGE   older or newer (default): newer streams flicker at\n"
                 "                   384 samples/s and 19200 baud, older at 256 samples/s\n"
                 "  --state FILE     keep the colorimeter's profiles and stored black level\n"
                 "                   in FILE across runs (created on the first change; a file\n"
                 "                   that cannot be read is refused, never replaced); the\n"
                 "                   CS-2000 keeps its channel and sync in FILE.cs2000\n"
                 "  --reference MODEL[:SERIAL]  add a reference instrument (repeatable):\n"
                 "                   CS-2000, PR-650 or BM-7, on DIR/cs2000, pr650, bm7\n"
                 "                   (a CS-2000 serial number has 7 digits)\n"
                 "  --bm7-footlamberts  the BM-7 reports in foot-lamberts\n"
                 "  --pattern-generator SERIAL  a network pattern generator on loopback\n"
                 "                   (port TINTWELL_PATTERN_PORT, default 8888), driving\n"
                 "                   the display under test\n"
                 "  --address A      its address, 127.0.0.N (default 127.0.0.1)\n"
                 "  --width W, --height H  its pattern area (default 1920 x 1080)\n"
                 "  --display MODEL  the display under test (default rec709), one of\n"
                 "                   %s\n"
                 "  --display-spectra FILE.csv  a display of your own: header nm,red,green,blue,\n"
                 "                   relative radiance of each primary, steps up to 5 nm\n"
                 "  --display-peak NITS   its white (default the display's own; 120 for a file)\n"
                 "  --display-gamma G     its transfer curve's exponent (own; 2.4 for a file)\n"
                 "  --display-black NITS  its black level (own; 0.1 for a file)\n"
                 "One simulator per DIR: a second one on the same DIR refuses to start.\n"
                 "Commands on standard input: type 'help'.\n",
                 sim::displayModelNames().c_str());
}

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// A display's primaries from a spectra file; the message names the file.
bool loadDisplaySpectra(const std::string &path, sim::SimulatorOptions &o, std::string *error) {
    constexpr std::size_t maxBytes = 4 * 1024 * 1024; // 1 nm over 380 to 780 nm is 20 KiB
    std::string text, why;
    auto model = std::make_shared<sim::DisplayModel>();
    if (!sim::readSmallFile(path, maxBytes, &text, &why) ||
        !sim::parseDisplaySpectra(text, *model, &why)) {
        *error = "--display-spectra " + path + ": " + why;
        return false;
    }
    o.displaySpectra = model;
    return true;
}

// A seed as printed: decimal, 32 bits.
bool parseSeed(const std::string &text, uint32_t &seed) {
    if (text.empty() || text.size() > 10 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const unsigned long long n = std::strtoull(text.c_str(), nullptr, 10);
    if (n > 0xffffffffULL)
        return false;
    seed = static_cast<uint32_t>(n);
    return true;
}

// MODEL[:SERIAL] of a reference instrument, each model at most once.
bool parseReference(const std::string &spec, sim::SimulatorOptions &o, std::string *error) {
    const std::size_t colon = spec.find(':');
    sim::ReferenceConfig r;
    r.model = spec.substr(0, colon);
    if (colon != std::string::npos)
        r.serial = spec.substr(colon + 1);
    if (sim::referencePortName(r.model).empty()) {
        *error = "unknown reference model '" + r.model + "'";
        return false;
    }
    const bool printable = std::all_of(r.serial.begin(), r.serial.end(),
                                       [](char c) { return c > ' ' && c < 127 && c != ','; });
    if ((colon != std::string::npos && r.serial.empty()) || r.serial.size() > 16 || !printable) {
        *error = "serial number must be 1 to 16 printable characters without commas";
        return false;
    }
    const std::string problem = sim::referenceSerialProblem(r.model, r.serial);
    if (!problem.empty()) {
        *error = problem;
        return false;
    }
    for (const sim::ReferenceConfig &other : o.references) {
        if (other.model == r.model) {
            *error = r.model + " given twice";
            return false;
        }
    }
    o.references.push_back(r);
    return true;
}

// False with the reason in *error (one line, naming the option).
bool parseArgs(int argc, char **argv, sim::SimulatorOptions &o, std::string *error) {
    bool bm7FootLamberts = false;
    bool seeded = false;
    uint32_t seed = 0;
    std::vector<std::string> seen;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string &out) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                *error = a + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        // --reference is repeatable; its models are checked one by one.
        if (a != "--reference" && std::find(seen.begin(), seen.end(), a) != seen.end()) {
            *error = a + " given twice";
            return false;
        }
        seen.push_back(a);
        if (a == "--dir") {
            if (!value(o.dir))
                return false;
        } else if (a == "--colorimeter") {
            std::string spec;
            if (!value(spec))
                return false;
            std::size_t colon = spec.find(':');
            o.colorimeter.model = spec.substr(0, colon);
            if (colon != std::string::npos) {
                o.colorimeter.serial = spec.substr(colon + 1);
                if (o.colorimeter.serial.empty() || o.colorimeter.serial.size() > 9) {
                    *error = "serial number must be 1 to 9 characters";
                    return false;
                }
            }
            const auto &models = sim::colorimeterModels();
            if (std::find(models.begin(), models.end(), o.colorimeter.model) == models.end()) {
                *error = "unknown colorimeter model '" + o.colorimeter.model + "'";
                return false;
            }
        } else if (a == "--state") {
            if (!value(o.colorimeter.stateFile))
                return false;
            if (!sim::isRegularOrAbsent(o.colorimeter.stateFile)) {
                *error = "--state must name a regular file, not '" + o.colorimeter.stateFile + "'";
                return false;
            }
        } else if (a == "--firmware") {
            std::string age;
            if (!value(age))
                return false;
            if (age != "older" && age != "newer") {
                *error = "--firmware must be older or newer, not '" + age + "'";
                return false;
            }
            o.colorimeter.olderFirmware = age == "older";
        } else if (a == "--pattern-generator") {
            if (!value(o.patternGenerator.serial) || o.patternGenerator.serial.empty() ||
                o.patternGenerator.serial.find_first_of(",:\r\n") != std::string::npos) {
                *error = "--pattern-generator needs a serial number without ',' or ':'";
                return false;
            }
            o.withPatternGenerator = true;
        } else if (a == "--address") {
            in_addr parsed{};
            if (!value(o.patternGenerator.address) ||
                ::inet_pton(AF_INET, o.patternGenerator.address.c_str(), &parsed) != 1 ||
                o.patternGenerator.address.compare(0, 4, "127.") != 0) {
                *error = "--address must be a loopback address (127.0.0.N), not '" +
                         o.patternGenerator.address + "'";
                return false;
            }
        } else if (a == "--width" || a == "--height") {
            std::string v;
            int n = 0;
            if (!value(v))
                return false;
            if (!sim::parseInt(v, n) || n < 1 || n > 65535) {
                *error = a + " must be 1 to 65535";
                return false;
            }
            (a == "--width" ? o.patternGenerator.width : o.patternGenerator.height) = n;
        } else if (a == "--display") {
            if (!value(o.display))
                return false;
            if (!sim::findDisplayModel(o.display)) {
                *error = "--display must be one of " + sim::displayModelNames();
                return false;
            }
        } else if (a == "--display-spectra") {
            std::string path;
            if (!value(path) || !loadDisplaySpectra(path, o, error))
                return false;
        } else if (a == "--display-peak" || a == "--display-gamma" || a == "--display-black") {
            std::string v;
            double n = 0;
            if (!value(v))
                return false;
            const bool peak = a == "--display-peak", gamma = a == "--display-gamma";
            const double low = peak ? 0.5 : gamma ? 1.0 : 0.0;
            const double high = peak ? 10000 : gamma ? 4.0 : 1000;
            if (!sim::parseNumber(v, n) || !(n >= low && n <= high)) {
                *error =
                    a + " must be " + number(low) + " to " + number(high) + ", not '" + v + "'";
                return false;
            }
            (peak    ? o.displayLevels.peak
             : gamma ? o.displayLevels.gamma
                     : o.displayLevels.black) = n;
        } else if (a == "--seed") {
            std::string v;
            if (!value(v))
                return false;
            // Any seed an unseeded run prints must be accepted back.
            if (!parseSeed(v, seed)) {
                *error = "--seed must be a whole number from 0 to 4294967295, not '" + v + "'";
                return false;
            }
            seeded = true;
        } else if (a == "--ideal") {
            o.colorimeter.ideal = true;
        } else if (a == "--reference") {
            std::string spec;
            if (!value(spec) || !parseReference(spec, o, error))
                return false;
        } else if (a == "--bm7-footlamberts") {
            bm7FootLamberts = true;
        } else if (a == "--fast") {
            o.colorimeter.timeScale = 0;
        } else if (a == "--no-noise") {
            o.colorimeter.noise = 0;
        } else {
            *error = (a.size() > 1 && a[0] == '-' ? "unknown option '" : "unexpected argument '") +
                     a + "'";
            return false;
        }
    }
    if (o.displaySpectra && !o.display.empty()) {
        *error = "give --display or --display-spectra, not both";
        return false;
    }
    const sim::DisplayLevels &l = o.displayLevels;
    if (l.peak >= 0 || l.black >= 0) {
        const sim::DisplayModel *m =
            o.displaySpectra ? o.displaySpectra.get()
                             : sim::findDisplayModel(o.display.empty() ? "rec709" : o.display);
        if (!(sim::withLevels(*m, l).blackY < sim::withLevels(*m, l).whiteY)) {
            *error = "--display-black must be below the display's white";
            return false;
        }
    }
    if (!seeded) {
        seed = std::random_device{}();
        std::fprintf(stderr, "tintwell-sim: seed %u (--seed %u repeats this run's noise)\n", seed,
                     seed);
    }
    o.colorimeter.seed = seed;
    // The bench-wide options reach the reference instruments too.
    uint32_t referenceSeed = seed;
    for (sim::ReferenceConfig &r : o.references) {
        r.seed = ++referenceSeed;
        r.ideal = o.colorimeter.ideal;
        r.timeScale = o.colorimeter.timeScale;
        r.noise = o.colorimeter.noise;
        r.footLamberts = bm7FootLamberts;
        if (!o.colorimeter.stateFile.empty())
            r.stateFile = o.colorimeter.stateFile + "." + sim::referencePortName(r.model);
        if (!sim::isRegularOrAbsent(r.stateFile)) {
            *error = "--state: " + r.stateFile + " is not a regular file";
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            usage(stdout);
            return 0;
        }
    }
    sim::SimulatorOptions options;
    // The same redirection the application reads, so both meet off port 8888.
    if (const char *p = std::getenv("TINTWELL_PATTERN_PORT")) {
        int port = 0;
        if (sim::parseInt(p, port) && port > 0 && port <= 65535)
            options.patternGenerator.port = port;
    }
    if (const char *a = std::getenv("TINTWELL_DISCOVERY_ADDRESS"); a && *a)
        options.patternGenerator.discoveryAddress = a;
    std::string argError;
    if (!parseArgs(argc, argv, options, &argError)) {
        std::fprintf(stderr, "tintwell-sim: %s\n", argError.c_str());
        usage(stderr);
        return 2;
    }
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return 1;
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    ::sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    sim::Simulator simulator(options);
    std::string error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "tintwell-sim: %s\n", error.c_str());
        return 1;
    }
    std::string ports;
    for (sim::SerialInstrument *i : simulator.instruments()) {
        std::printf("%s %s\n", i->name().c_str(), i->linkPath().c_str());
        ports += (ports.empty() ? "" : ":") + i->linkPath();
    }
    std::fprintf(stderr, "tintwell-sim: to use these ports: export TINTWELL_EXTRA_PORTS=%s\n",
                 ports.c_str());
    if (sim::PatternGenSim *g = simulator.patternGenerator())
        std::printf("pattern-generator %s\n", g->endpoint().c_str());
    std::printf("ready\n");
    std::fflush(stdout);

    std::string pending;
    bool running = true;
    bool overlong = false; // inside a line past maxLineBytes
    while (running) {
        pollfd p[2] = {{STDIN_FILENO, POLLIN, 0}, {signalPipe[0], POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (p[1].revents)
            break;
        if (!p[0].revents)
            continue;
        char buf[1024];
        ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            break; // standard input closed
        }
        const std::size_t before = pending.size();
        pending.append(buf, static_cast<std::size_t>(n));
        std::size_t nl, from = before; // only the new bytes can end a line
        while ((nl = pending.find('\n', from)) != std::string::npos) {
            std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            from = 0;
            if (overlong) { // the end of a line already refused
                overlong = false;
                continue;
            }
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.find_first_not_of(" \t") == std::string::npos)
                continue;
            if (line == "quit" || line == "exit") {
                std::printf("ok bye\n");
                running = false;
                break;
            }
            std::printf("%s\n", execute(simulator, line).c_str());
            std::fflush(stdout);
        }
        if (pending.size() > maxLineBytes) {
            // No command is this long: the rest of the line is skipped unread.
            pending.clear();
            if (!overlong)
                std::printf("error line longer than %zu bytes ignored\n", maxLineBytes);
            std::fflush(stdout);
            overlong = true;
        }
    }
    simulator.stop();
    std::fflush(stdout);
    return 0;
}
