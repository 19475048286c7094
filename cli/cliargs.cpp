#include "cliargs.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// [+-] digits [. digits] [(e|E) [+-] digits], with at least one mantissa digit.
bool isDecimal(const std::string &s) {
    size_t i = 0;
    const size_t n = s.size();
    auto digits = [&]() {
        const size_t start = i;
        while (i < n && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        return i - start;
    };
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    size_t mantissa = digits();
    if (i < n && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == n;
}

} // namespace

double parseNumber(const std::string &text, const std::string &what) {
    if (!isDecimal(text))
        throw CliError(what + " must be a number, got '" + text + "'");
    const double v = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(v))
        throw CliError(what + " is out of range: '" + text + "'");
    return v;
}

long long parseInteger(const std::string &text, const std::string &what, long long min,
                       long long max) {
    size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    bool ok = i < text.size();
    for (; ok && i < text.size(); ++i)
        ok = std::isdigit(static_cast<unsigned char>(text[i]));
    if (!ok)
        throw CliError(what + " must be a whole number, got '" + text + "'");
    errno = 0;
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || v < min || v > max)
        throw CliError(what + " must be between " + std::to_string(min) + " and " +
                       std::to_string(max) + ", got '" + text + "'");
    return v;
}

bool wantsHelp(const CliArgs &args) {
    for (const std::string &a : args)
        if (a == "--help" || a == "-h")
            return true;
    return false;
}

const std::string &ArgCursor::take() {
    if (atEnd())
        throw CliError("missing argument");
    return args_[pos_++];
}

std::vector<double> ArgCursor::takeNumbers(const std::string &option, int count) {
    std::vector<double> values;
    for (int k = 0; k < count; ++k) {
        if (atEnd())
            throw CliError(option + " needs " + std::to_string(count) + " numbers, got " +
                           std::to_string(k));
        const std::string &text = args_[pos_];
        // Another option where a value belongs means too few values.
        if (text.size() > 2 && text[0] == '-' && text[1] == '-')
            throw CliError(option + " needs " + std::to_string(count) + " numbers, got " +
                           std::to_string(k));
        values.push_back(parseNumber(text, option + " value " + std::to_string(k + 1)));
        ++pos_;
    }
    return values;
}

std::string ArgCursor::takeValue(const std::string &option) {
    if (std::find(valued_.begin(), valued_.end(), option) != valued_.end())
        throw CliError(option + " given twice");
    if (atEnd())
        throw CliError(option + " needs a value");
    valued_.push_back(option);
    return args_[pos_++];
}

int runCommand(const char *command, const std::function<int()> &body) {
    try {
        return body();
    } catch (const CliError &e) {
        std::fprintf(stderr, "tintwell-cli %s: %s (see --help)\n", command, e.what());
        return 2;
    }
}

bool takeSequenceOption(ArgCursor &c, const std::string &arg, double &stable, int &averages) {
    if (arg == "--stable") {
        stable = parseNumber(c.takeValue(arg), arg);
        if (stable < 0 || stable > 3600)
            throw CliError("--stable must be 0 to 3600 seconds");
        return true;
    }
    if (arg == "--avg") {
        averages = static_cast<int>(parseInteger(c.takeValue(arg), arg, 0, 126));
        return true;
    }
    return false;
}
