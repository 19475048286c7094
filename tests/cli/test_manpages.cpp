// The manual pages keep step with the programs: every command tintwell-cli
// lists has a section in its page naming every option its --help names, and
// every option and standard-input command of tintwell-sim is in its page.
#include "childprocess.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace {

// The page's text with the roff escapes that hide plain words undone.
std::string readPage(const std::string &name) {
    std::ifstream in(std::string(TINTWELL_MAN_DIR) + "/" + name);
    std::stringstream raw;
    raw << in.rdbuf();
    std::string text = std::regex_replace(raw.str(), std::regex(R"(\\f[BIRP])"), "");
    text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
    return text;
}

std::string helpOf(std::vector<std::string> args) {
    ChildProcess p(std::move(args));
    p.closeInput();
    EXPECT_EQ(p.wait(), 0) << p.err();
    return p.out();
}

std::set<std::string> optionsIn(const std::string &text) {
    std::set<std::string> found;
    const std::regex option(R"(--[a-z][a-z0-9-]*)");
    for (std::sregex_iterator i(text.begin(), text.end(), option), end; i != end; ++i)
        found.insert(i->str());
    return found;
}

// The part of the page from `.SS "name` to the next section heading.
std::string section(const std::string &page, const std::string &heading) {
    const std::size_t start = page.find(heading);
    if (start == std::string::npos)
        return std::string();
    const std::size_t end = page.find("\n.S", start + heading.size());
    return page.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// A bold or italic line of the page (".B", ".BR", ".BI") names the word.
bool markedUp(const std::string &part, const std::string &word) {
    std::istringstream lines(part);
    const std::regex whole("\\b" + word + "\\b");
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(".B", 0) == 0 && std::regex_search(line, whole))
            return true;
    }
    return false;
}

TEST(ManualPages, EveryCliCommandAndOptionIsDocumented) {
    const std::string page = readPage("tintwell-cli.1");
    ASSERT_FALSE(page.empty());
    // The commands are the indented lines between "commands:" and the blank line.
    std::istringstream list(helpOf({"tintwell-cli", "--help"}));
    std::vector<std::string> commands;
    bool inList = false;
    for (std::string line; std::getline(list, line);) {
        if (line == "commands:")
            inList = true;
        else if (inList && line.empty())
            break;
        else if (inList)
            commands.push_back(line.substr(2, line.find(' ', 2) - 2));
    }
    ASSERT_GE(commands.size(), 10u);
    for (const std::string &command : commands) {
        const std::string part = section(page, ".SS \"" + command);
        EXPECT_FALSE(part.empty()) << "no section for " << command;
        for (const std::string &option : optionsIn(helpOf({"tintwell-cli", command, "--help"}))) {
            EXPECT_TRUE(option == "--help" || part.find(option) != std::string::npos)
                << command << " " << option;
        }
    }
    EXPECT_NE(section(page, ".SH EXIT STATUS").find(".B 3"), std::string::npos);
}

TEST(ManualPages, EverySimulatorOptionAndCommandIsDocumented) {
    const std::string page = readPage("tintwell-sim.1");
    ASSERT_FALSE(page.empty());
    const std::string options = section(page, ".SH OPTIONS");
    for (const std::string &option : optionsIn(helpOf({"tintwell-sim", "--help"})))
        EXPECT_NE(options.find(option), std::string::npos) << option;

    TempDir dir;
    ChildProcess sim({"tintwell-sim", "--dir", dir.path(), "--fast"});
    std::string line;
    for (int i = 0; i < 10 && line != "ready"; ++i)
        line = sim.readLine();
    ASSERT_EQ(line, "ready") << sim.err();
    const std::string help = sim.ask("help");
    ASSERT_EQ(help.rfind("ok ", 0), 0u) << help;
    const std::string commands = section(page, ".SH COMMANDS");
    // Items are "name arguments: what it does", separated by "; ".
    const std::string list = help.substr(3);
    const std::regex item(R"((?:^|; )([a-z]+))");
    int seen = 0;
    for (std::sregex_iterator i(list.begin(), list.end(), item), end; i != end; ++i, ++seen)
        EXPECT_TRUE(markedUp(commands, (*i)[1].str())) << "command " << (*i)[1].str();
    EXPECT_GE(seen, 10);
}

} // namespace
