#include <cstdio>
#include <string>

#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"
#include "settings/module1.h"
#include "settings/settingnames.h"

// The main window is not built yet. Until it is, the program shows the settings that
// the window will start with, read as the window will read them.
int main() {
    using namespace tremolex;
    namespace names = settingnames;

    IniFileKeyStore keys(settingsFilePath());
    const Module1 settings(keys);
    std::printf("Tremolex: the main window is not part of this version yet.\n");
    std::printf("Settings in %s:\n", keys.file().c_str());
    const std::pair<std::string_view, std::string_view> values[] = {
        {names::kWindowLeft, names::kWindowLeftDefault},
        {names::kWindowTop, names::kWindowTopDefault},
        {names::kWindowWidth, names::kWindowWidthDefault},
        {names::kWindowHeight, names::kWindowHeightDefault},
        {names::kRange, names::kRangeDefault},
        {names::kPortNumber, names::kPortNumberDefault},
        {names::kBaudRate, names::kBaudRateDefault},
    };
    for (const auto& [name, fallback] : values) {
        const std::string text = settings.regread(name, fallback);
        std::printf("  %.*s = %s\n", static_cast<int>(name.size()), name.data(), text.c_str());
    }
    return 0;
}
