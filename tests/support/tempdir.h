#pragma once
// A fresh directory for one test's port links, under the test's private home.

#include <cstdlib>
#include <string>
#include <unistd.h>

inline std::string makeTempDir() {
    const char *base = std::getenv("TINTWELL_TEST_HOME");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/simXXXXXX";
    char *dir = ::mkdtemp(&tmpl[0]);
    return dir ? std::string(dir) : std::string();
}
