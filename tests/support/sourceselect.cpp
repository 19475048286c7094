#include "sourceselect.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fnmatch.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

std::string baseName(const char *path) {
    const char *slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

// GoogleTest's filter syntax: positive patterns, then optionally '-' and
// negative ones, each list separated by ':'.
bool matchesFilter(const std::string &name, const std::string &filter) {
    const size_t dash = filter.find('-');
    const std::string positive = filter.substr(0, dash);
    const std::string negative =
        dash == std::string::npos ? std::string() : filter.substr(dash + 1);
    auto any = [&](const std::string &list) {
        for (const std::string &pattern : split(list, ':'))
            if (fnmatch(pattern.c_str(), name.c_str(), 0) == 0)
                return true;
        return false;
    };
    return (positive.empty() || any(positive)) && !any(negative);
}

} // namespace

bool selectTestsFromSources(int &argc, char **argv) {
    static const char option[] = "--tintwell_sources=";
    std::set<std::string> files;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], option, sizeof option - 1) == 0) {
            for (const std::string &f : split(argv[i] + sizeof option - 1, ','))
                files.insert(f);
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    if (files.empty())
        return true;

    const std::string userFilter = GTEST_FLAG_GET(filter);
    std::set<std::string> defining;
    std::string chosen;
    const testing::UnitTest &unit = *testing::UnitTest::GetInstance();
    for (int s = 0; s < unit.total_test_suite_count(); ++s) {
        const testing::TestSuite &suite = *unit.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t) {
            const testing::TestInfo &info = *suite.GetTestInfo(t);
            const std::string file = baseName(info.file());
            if (!files.count(file))
                continue;
            defining.insert(file);
            const std::string name = std::string(suite.name()) + "." + info.name();
            if (matchesFilter(name, userFilter))
                chosen += (chosen.empty() ? "" : ":") + name;
        }
    }
    for (const std::string &f : files) {
        if (!defining.count(f)) {
            std::fprintf(stderr, "%s defines no test case in this executable\n", f.c_str());
            return false;
        }
    }
    // An empty positive list would mean "everything": name a case that cannot exist.
    GTEST_FLAG_SET(filter, chosen.empty() ? std::string("-*") : chosen);
    return true;
}
