#pragma once
// A fresh directory for one test (port links, state files, CSV files), under
// the test's private home, removed with everything in it when the object goes.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

class TempDir {
public:
    TempDir() {
        const char *base = std::getenv("TINTWELL_TEST_HOME");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/tmpXXXXXX";
        if (::mkdtemp(&pattern[0]))
            path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    bool valid() const { return !path_.empty(); }
    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};
