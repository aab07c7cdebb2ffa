// Runs a fuzz target once over every file of the folders given, in name order, so the
// seed corpus and the inputs that once failed are checked in every ordinary test run,
// without libFuzzer.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        // A missing folder throws, which fails the run; a folder's README is no input.
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            if (!entry.path().filename().string().starts_with("README")) {
                inputs.push_back(entry.path());
            }
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const std::filesystem::path& path : inputs) {
        std::fprintf(stderr, "%s\n", path.string().c_str());
        const std::string bytes = tremolex::contentOf(path);
        // A buffer of the input's size, as libFuzzer gives, so reading past it is caught.
        const auto input = std::make_unique<std::uint8_t[]>(bytes.size());
        std::copy(bytes.begin(), bytes.end(), input.get());
        LLVMFuzzerTestOneInput(input.get(), bytes.size());
    }
    std::fprintf(stderr, "%zu inputs replayed\n", inputs.size());
}
