#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tremolex {

// The bytes of a file, "" when it cannot be read.
inline std::string contentOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace tremolex
