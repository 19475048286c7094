#pragma once
// A fresh directory for one test (port links, state files, CSV files), under
// the test's private home, removed with everything in it when the object goes.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
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
    // Writes `bytes` as file `name` here and gives its path.
    std::string write(const std::string &name, const std::string &bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }
    // A whole file's bytes; empty when it cannot be read.
    static std::string read(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    std::string path_;
};
