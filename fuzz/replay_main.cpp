// Replays every file of the given corpus directories (or single files)
// through the fuzz target, so a normal build checks the saved inputs.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace fs = std::filesystem;

static int replay(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 1;
}

int main(int argc, char **argv) {
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path p(argv[i]);
        if (fs::is_directory(p)) {
            for (const auto &entry : fs::recursive_directory_iterator(p))
                if (entry.is_regular_file())
                    count += replay(entry.path());
        } else if (fs::is_regular_file(p)) {
            count += replay(p);
        }
    }
    std::printf("replayed %d inputs\n", count);
    return 0;
}
