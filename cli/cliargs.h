#pragma once
// Argument helpers shared by the tintwell-cli commands: strict number
// parsing and a cursor over the arguments that knows the option it is
// reading for. Failures throw CliError; a command catches it once, prints
// the message as one line on stderr and exits with 2 (see runCommand).

#include "commands.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

struct CliError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Plain decimal numbers only ("12", "-0.5", "1e-3"): no words, NaN,
// infinity, hex, surrounding spaces or trailing characters; a value that
// overflows a double is refused too. `what` names the value in the message.
double parseNumber(const std::string &text, const std::string &what);
// Decimal integer in [min, max].
long long parseInteger(const std::string &text, const std::string &what, long long min,
                       long long max);

// True for "--help" or "-h" anywhere in the arguments.
bool wantsHelp(const CliArgs &args);

class ArgCursor {
public:
    explicit ArgCursor(const CliArgs &args) : args_(args) {}

    bool atEnd() const { return pos_ >= args_.size(); }
    const std::string &peek() const { return args_.at(pos_); }
    const std::string &take();

    // The `count` arguments after `option`, each parsed as a number. Values
    // may start with '-' (negative numbers), so they are never mistaken for
    // options.
    std::vector<double> takeNumbers(const std::string &option, int count);
    // The single argument after `option`. An option given a value twice is
    // refused: which of the two was meant cannot be known.
    std::string takeValue(const std::string &option);

private:
    const CliArgs &args_;
    size_t pos_ = 0;
    std::vector<std::string> valued_; // options already given their value
};

// --stable SECONDS (0 to 3600) and --avg N (0 to 126), shared by the
// commands that run patch sequences; false when arg is neither.
bool takeSequenceOption(ArgCursor &c, const std::string &arg, double &stable, int &averages);

// Runs `body` and turns a CliError into "tintwell-cli <command>: <message>"
// on stderr with exit code 2.
int runCommand(const char *command, const std::function<int()> &body);

// The same for a command with options: --help prints `help` and exits 0,
// otherwise the options are parsed and run.
template <typename Options>
int runCommand(const char *command, const CliArgs &args, void (*help)(),
               Options (*parse)(const CliArgs &), int (*run)(const Options &)) {
    return runCommand(command, [&]() -> int {
        if (wantsHelp(args)) {
            help();
            return 0;
        }
        return run(parse(args));
    });
}
