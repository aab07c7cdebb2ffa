#include "platform/posix/deviceidentity.h"

#include <system_error>

namespace tremolex {

namespace fs = std::filesystem;

std::string DeviceIdentity::nameOf(const fs::path& device) const {
    std::error_code error;
    const fs::path node = fs::canonical(device, error);
    if (error) {
        return {};
    }
    std::string found;
    for (fs::directory_iterator entry(m_folder, error), end; !error && entry != end;
         entry.increment(error)) {
        // udev makes only links here; anything else names no device.
        std::error_code unreadable;
        if (!entry->is_symlink(unreadable)) {
            continue;
        }
        const fs::path target = fs::canonical(entry->path(), unreadable);
        if (unreadable || target != node) {
            continue;
        }
        const std::string name = entry->path().filename().string();
        if (found.empty() || name < found) {
            found = name;
        }
    }
    return found;
}

fs::path DeviceIdentity::deviceNamed(const std::string& name) const {
    const fs::path entry = m_folder / name;
    if (name.empty() || name == "." || name == ".." || entry.filename() != name) {
        return {};
    }
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(entry, error))) {
        return {};
    }
    fs::path node = fs::canonical(entry, error);
    return error ? fs::path{} : node;
}

}  // namespace tremolex
