#include "platform/posix/configdir.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace tremolex {

namespace {

std::filesystem::path homeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        return home;
    }
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/tmp";
}

}  // namespace

std::filesystem::path userConfigDirectory() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    return homeDirectory() / ".config";
}

std::filesystem::path settingsFilePath() {
    return userConfigDirectory() / (std::string(kConfigName) + ".conf");
}

}  // namespace tremolex
