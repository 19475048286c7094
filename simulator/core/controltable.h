#pragma once
// The simulator's line commands: "name arg arg ..." in, one line out that
// starts with "ok" or "error". Instruments and later features add entries.

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sim {

struct ControlResult {
    bool ok = true;
    std::string text;
    static ControlResult success(std::string t = {}) { return {true, std::move(t)}; }
    static ControlResult failure(std::string t) { return {false, std::move(t)}; }
};

class ControlTable {
public:
    using Args = std::vector<std::string>;
    using Handler = std::function<ControlResult(const Args &)>;

    // usage shows the arguments ("xyY x y Y | XYZ X Y Z"); summary one phrase.
    void add(const std::string &name, const std::string &usage, const std::string &summary,
             Handler handler);
    bool has(const std::string &name) const { return entries_.count(name) != 0; }

    // One reply line without the newline.
    std::string execute(const std::string &line) const;
    // One line per command, for "help".
    std::string helpText() const;

private:
    struct Entry {
        std::string usage, summary;
        Handler handler;
    };
    std::map<std::string, Entry> entries_;
};

// Helpers for handlers: strict number parsing and on/off words.
bool parseNumber(const std::string &s, double &out);
bool parseInt(const std::string &s, int &out);
bool parseOnOff(const std::string &s, bool &out);

} // namespace sim
