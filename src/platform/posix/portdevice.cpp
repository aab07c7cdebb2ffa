#include "platform/posix/portdevice.h"

#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>
#include <vector>

#include "platform/posix/configdir.h"

namespace tremolex {

namespace fs = std::filesystem;

namespace {

constexpr int kDefaultsPerFamily = 4;

fs::path defaultDevice(int port) {
    static constexpr std::array<const char*, 3> kFamilies = {"/dev/ttyS", "/dev/ttyUSB",
                                                             "/dev/ttyACM"};
    if (port < 1 || port > kDefaultsPerFamily * static_cast<int>(kFamilies.size())) {
        return {};
    }
    const int index = port - 1;
    return kFamilies[index / kDefaultsPerFamily] + std::to_string(index % kDefaultsPerFamily);
}

// Where a link that cannot be followed to the end points: the last target that can be
// named, so the user sees which device is missing.
fs::path lastTarget(const fs::path& entry) {
    fs::path current = entry;
    // Bounded like the kernel's own limit, so a loop of links ends.
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error))) {
            break;
        }
        const fs::path target = fs::read_symlink(current, error);
        if (error) {
            break;
        }
        current = (current.parent_path() / target).lexically_normal();
    }
    return current;
}

}  // namespace

fs::path portsDirectory() {
    return userConfigDirectory() / kConfigName / "ports";
}

PortDevice portDevice(int port) {
    if (port < 1) {
        return {};
    }
    const fs::path entry = portsDirectory() / ("com" + std::to_string(port));
    std::error_code error;
    const fs::file_status status = fs::symlink_status(entry, error);
    if (status.type() == fs::file_type::not_found) {
        fs::path device = defaultDevice(port);
        if (device.empty()) {
            return {};
        }
        return {device, fs::exists(device, error)};
    }
    if (error) {
        // The folder cannot be read: a default device could be the wrong one.
        return {entry, false};
    }
    fs::path device = fs::canonical(entry, error);
    if (error) {
        return {lastTarget(entry), false};
    }
    return {device, true};
}

std::string deviceGroup(const fs::path& device) {
    struct stat info {};
    if (stat(device.c_str(), &info) != 0) {
        return {};
    }
    long size = sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 4096);
    group entry{};
    group* found = nullptr;
    int result = 0;
    while ((result = getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found)) ==
               ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (result == 0 && found != nullptr && found->gr_name != nullptr) {
        return found->gr_name;
    }
    return std::to_string(info.st_gid);
}

bool hungUp(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, 0) > 0 && (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool mayRead(const fs::path& device) {
    return access(device.c_str(), R_OK) == 0;
}

}  // namespace tremolex
