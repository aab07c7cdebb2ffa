// Start-up on a settings file a person or a crash has damaged: the window starts, takes
// the default of each value it cannot use, and never loses the values it could not read.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "app/form1.h"
#include "fakes/fakeclock.h"
#include "fakes/fakewidgets.h"
#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"
#include "platform/qt/qtcommport.h"
#include "platform/qt/qtinstancelock.h"
#include "support/eventloop.h"
#include "support/files.h"
#include "support/pseudoterminal.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;

void writeFile(const fs::path& file, const std::string& content) {
    std::ofstream(file, std::ios::binary) << content;
}

std::string garbage(std::size_t size) {
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
        byte = byte == '\r' ? '\0' : byte;  // a lone CR before a line feed is not kept
    }
    return bytes + std::string(4096, '\0') + '\n';  // a crash can leave a block of zeros
}

struct DamagedSettings {
    const char* name;
    std::function<void(const fs::path&)> make;
    const char* bottomLabel;  // lab1: the window's width at work
    const char* lastPath;
    bool keepsAllText;                   // the old text is still there, whole, at the start
    std::vector<std::string> keptLines;  // the user's lines still there after the run
};

const std::string kUserLines = "Range=.3\nLast Path=/bench/logs/\n";

const DamagedSettings kCases[] = {
    {"FolderInItsPlace",
     [](const fs::path& file) { fs::create_directories(file / "x"); },
     "1.00V",
     "/opt/Tremolex/bin/",
     false,
     {}},
    {"PipeInItsPlace",  // must not wait for a writer
     [](const fs::path& file) { mkfifo(file.c_str(), 0600); },
     "1.00V",
     "/opt/Tremolex/bin/",
     false,
     {}},
    // Root reads it all the same; either way nothing of it may be lost.
    {"Unreadable",
     [](const fs::path& file) {
         writeFile(file, kUserLines);
         chmod(file.c_str(), 0);
     },
     geteuid() == 0 ? "1.30V" : "1.00V",
     geteuid() == 0 ? "/bench/logs/" : "/opt/Tremolex/bin/",
     true,
     {"Range=.3", "Last Path=/bench/logs/"}},
    {"BinaryGarbageAroundValues",
     [](const fs::path& file) { writeFile(file, garbage(8192) + kUserLines + garbage(100)); },
     "1.30V",
     "/bench/logs/",
     true,
     {"Range=.3", "Last Path=/bench/logs/"}},
    {"ValuesOf100KB",
     [](const fs::path& file) {
         const std::string huge(100'000, '9');
         writeFile(file, "Last Path=" + huge + "\nWindow Left=" + huge + "\nRange=" + huge +
                             "\nSerial Port Number=" + huge + "\nSerial Port Baud Rate=" + huge +
                             "\n; mine\n");
     },
     "1.00V",
     "/opt/Tremolex/bin/",
     false,
     {"; mine", "Range=0.6", "Serial Port Number=2"}},
    {"NumbersFarOutOfRange",
     [](const fs::path& file) {
         writeFile(file,
                   "Window Left=1e30\nWindow Top=-1e30\nWindow Width=1e999\n"
                   "Window Height=NaN\nRange=1e40\nSerial Port Number=-7\n");
     },
     "1.00V",
     "/opt/Tremolex/bin/",
     false,
     {"Range=1e40", "Serial Port Number=2"}},
    {"HugeButFiniteRangeAndSillyPort",
     [](const fs::path& file) {
         writeFile(file, "Range=1e30\nSerial Port Number=1e999\nWindow Width=-1e5\n");
     },
     "--V",
     "/opt/Tremolex/bin/",
     false,
     {"Range=1e30", "Serial Port Number=2"}},
};

class Form1SettingsTest : public testing::TestWithParam<DamagedSettings> {
protected:
    Form1SettingsTest() {
        fs::remove_all(userConfigDirectory());
        mapAllPortsAway();
        mapPort(2, device.slavePath());
    }
    ~Form1SettingsTest() override {
        chmod(file.c_str(), 0600);
        fs::remove_all(file);
    }

    std::unique_ptr<Form1> newForm() {
        Form1Services services;
        services.fileDialog = std::make_unique<FakeFileDialog>();
        services.keys = std::make_unique<IniFileKeyStore>(file);
        services.comm = std::make_unique<QtCommPort>();
        services.clock = std::make_unique<FakeClock>();
        services.instanceLock = std::make_unique<QtInstanceLock>();
        services.dialogs = std::make_unique<FakeDialogs>();
        services.programFolder = "/opt/Tremolex/bin";
        return std::make_unique<Form1>(std::move(services));
    }

    fs::path file = settingsFilePath();
    PseudoTerminal device;
};

TEST_P(Form1SettingsTest, StartsWithDefaultsAndKeepsWhatItCouldNotRead) {
    const DamagedSettings& damage = GetParam();
    damage.make(file);
    const fs::file_status statusBefore = fs::status(file);
    const bool plainFile = fs::is_regular_file(statusBefore);
    const std::string before = plainFile ? contentOf(file) : "";
    {
        auto form = newForm();
        ASSERT_TRUE(form->Form_Load());
        form->show();
        EXPECT_EQ(form->label("Label1").text(), "Serial port 2 ready");
        EXPECT_EQ(form->label("lab1").text(), damage.bottomLabel);
        EXPECT_EQ(form->state().lastpath, damage.lastPath);
        EXPECT_GE(form->Width(), 1000);
        EXPECT_GE(form->Height(), 1000);
        // A capture runs and is drawn in whatever window the settings gave.
        device.write("512\n");
        ASSERT_TRUE(waitFor([&] { return form->state().samples.samplecount() == 1; }));
        form->Timer1_Timer();
        EXPECT_EQ(form->label("labvalue").text(), "1.251V [512]");
        form->close();  // stores the window's place
    }
    ASSERT_EQ(fs::status(file).type(), statusBefore.type());
    EXPECT_EQ(fs::status(file).permissions(), statusBefore.permissions());
    if (!plainFile) {
        return;
    }
    chmod(file.c_str(), 0600);
    const std::string after = '\n' + contentOf(file);
    for (const std::string& line : damage.keptLines) {
        EXPECT_NE(after.find('\n' + line + '\n'), std::string::npos) << line;
    }
    if (damage.keepsAllText) {
        EXPECT_TRUE(after.starts_with('\n' + before));
    }
}

INSTANTIATE_TEST_SUITE_P(Damage, Form1SettingsTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tremolex
