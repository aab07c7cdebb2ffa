#include "app/apppath.h"

#include <algorithm>

namespace tremolex {

std::string appPathOf(std::string folder) {
#ifdef _WIN32
    constexpr char kSeparator = '\\';
    std::transform(folder.begin(), folder.end(), folder.begin(), [](char c) {
        if (c == '/') {
            return kSeparator;
        }
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
#else
    constexpr char kSeparator = '/';
#endif
    if (folder.empty() || folder.back() != kSeparator) {
        folder += kSeparator;
    }
    return folder;
}

}  // namespace tremolex
