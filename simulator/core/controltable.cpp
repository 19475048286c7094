#include "controltable.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace sim {

void ControlTable::add(const std::string &name, const std::string &usage,
                       const std::string &summary, Handler handler) {
    entries_[name] = Entry{usage, summary, std::move(handler)};
}

std::string ControlTable::execute(const std::string &line) const {
    std::istringstream in(line);
    Args words;
    for (std::string w; in >> w;)
        words.push_back(w);
    if (words.empty())
        return "error empty command";
    auto it = entries_.find(words[0]);
    if (it == entries_.end())
        return "error unknown command '" + words[0] + "' (try help)";
    Args args(words.begin() + 1, words.end());
    ControlResult r = it->second.handler(args);
    std::string text = r.text;
    for (char &c : text) {
        if (c == '\n' || c == '\r')
            c = ';'; // always exactly one line
    }
    std::string out = r.ok ? "ok" : "error";
    if (!text.empty())
        out += " " + text;
    return out;
}

std::string ControlTable::helpText() const {
    std::string out;
    for (const auto &e : entries_) {
        if (!out.empty())
            out += "; ";
        out += e.first;
        if (!e.second.usage.empty())
            out += " " + e.second.usage;
        out += ": " + e.second.summary;
    }
    return out;
}

bool parseNumber(const std::string &s, double &out) {
    if (s.empty() || std::isspace(static_cast<unsigned char>(s[0])))
        return false;
    char *end = nullptr;
    errno = 0;
    double v = std::strtod(s.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

bool parseInt(const std::string &s, int &out) {
    if (s.empty() || std::isspace(static_cast<unsigned char>(s[0])))
        return false;
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < -1000000000L || v > 1000000000L)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool parseOnOff(const std::string &s, bool &out) {
    if (s == "on") {
        out = true;
        return true;
    }
    if (s == "off") {
        out = false;
        return true;
    }
    return false;
}

} // namespace sim
