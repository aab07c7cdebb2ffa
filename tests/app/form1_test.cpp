#include "app/form1.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <algorithm>
#include <fstream>
#include <functional>
#include <random>

#include "chart/captions.h"
#include "fakes/fakeclock.h"
#include "fakes/fakewidgets.h"
#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"
#include "platform/qt/qtcommport.h"
#include "platform/qt/qtinstancelock.h"
#include "platform/qt/qtlabel.h"
#include "platform/qt/qtmainwindow.h"
#include "platform/qt/qtsurface.h"
#include "state/countvolts.h"
#include "support/eventloop.h"
#include "support/files.h"
#include "support/pseudoterminal.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;

// The window's logic on the Qt window, as the program puts them together.
struct QtForm1 : QtMainWindow, Form1 {
    explicit QtForm1(Form1Services services) : Form1(*this, std::move(services)) {}
    using Form1::state;
    using QtMainWindow::label;
};

// The whole window on the offscreen platform, with a pseudo-terminal as the device.
class Form1Test : public testing::Test {
protected:
    Form1Test() {
        fs::remove_all(userConfigDirectory());
        mapAllPortsAway();
        mapPort(2, device.slavePath());
    }

    static std::unique_ptr<QtForm1> newForm() {
        Form1Services services;
        services.fileDialog = std::make_unique<FakeFileDialog>();
        services.keys = std::make_unique<IniFileKeyStore>(settingsFilePath());
        services.comm = std::make_unique<QtCommPort>();
        services.clock = std::make_unique<FakeClock>();
        services.instanceLock = std::make_unique<QtInstanceLock>();
        services.dialogs = std::make_unique<FakeDialogs>();
        services.programFolder = "/opt/Tremolex/bin";
        return std::make_unique<QtForm1>(std::move(services));
    }
    PseudoTerminal device;
};

TEST_F(Form1Test, FirstStartStoresEverySettingWithItsDefault) {
    auto form = newForm();
    ASSERT_TRUE(form->Form_Load());
    IniFileKeyStore keys(settingsFilePath());
    // clang-format off
    const std::pair<const char*, const char*> expected[] = {
        {"Last Path", "/opt/Tremolex/bin/"}, {"Window Left", "4000"}, {"Window Top", "3000"},
        {"Window Width", "8000"}, {"Window Height", "8000"}, {"Range", "0.6"},
        {"Serial Port Number", "2"}, {"Serial Port Baud Rate", "19200"}};
    // clang-format on
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(SettingsStore(keys).regread(name, "<none>"), value) << name;
    }
}

// CTest runs this again under each desktop font and scale (tests/CMakeLists.txt): every
// caption is whole, and every label stays in its place beside its neighbours.
TEST_F(Form1Test, EveryCaptionFitsItsLabel) {
    if (const char* font = std::getenv("TREMOLEX_EXPECTED_FONT")) {  // the desktop theme's
        const QFont used = QApplication::font();
        ASSERT_EQ(used.family() + "," + QString::number(used.pointSize()), font);
    }
    auto form = newForm();
    ASSERT_TRUE(form->Form_Load());
    form->show();
    const auto cut = [&](const char* name, const std::vector<std::string>& captions) {
        QtLabel& label = form->label(name);
        for (const std::string& caption : captions) {
            label.setCaption(caption);
            if (!label.rect().contains(QRect(QPoint(), label.sizeHint()))) {
                return caption;
            }
        }
        return std::string();
    };
    std::vector<std::string> values, times, scales = {"--V"};
    for (int count = -32768; count <= 32767; ++count) {
        const auto sample = static_cast<std::int16_t>(count);
        values.emplace_back(valueCaption(countToVolts(sample, 1023), sample).view());
    }
    for (const float seconds : {0.f, 599.f, 5999.f, 59999.f, 599999.f, 5999999.f, 1e9f}) {
        times.emplace_back(chargeTimeCaption({0, seconds}).view());
    }
    for (int hundredths = -9999; hundredths <= 9999; ++hundredths) {
        scales.push_back(scaleLabelText(static_cast<float>(hundredths) / 100, "."));
    }
    EXPECT_EQ(cut("labstatus", PortConnection::statusCaptions()), "");
    EXPECT_EQ(cut("labvalue", values), "");
    EXPECT_EQ(cut("labtime", times), "");
    EXPECT_EQ(cut("lab1", scales), "");
    FakeLabel notices;  // every notice at once, the widest there is
    NoticeStrip strip(notices);
    strip.show(NoticeStrip::Notice::StoreFull, storeFullCaption(12345678901).view());
    strip.show(NoticeStrip::Notice::EndOfCharge, endOfChargeCaption(16.28f, 6e6, ".").view());
    strip.show(NoticeStrip::Notice::Stalled, stallCaption(6e6).view());
    EXPECT_EQ(cut("labstorefull", {notices.caption}), "");
    for (const char* fixed : {"labstatuscaption", "labvaluecaption", "labtimecaption"}) {
        EXPECT_EQ(cut(fixed, {form->label(fixed).text().toStdString()}), "") << fixed;
    }

    const auto rect = [&](const char* name) { return form->label(name).geometry(); };
    const auto px = [&](int twips) { return twipsToPixels(form->widget(), twips); };
    EXPECT_LT(rect("labvalue").right(), rect("labtime").left());
    EXPECT_LT(rect("labtime").right(), rect("labstatus").left());
    EXPECT_EQ(rect("labstatus").topLeft(), QPoint(px(4860), px(600)));
    EXPECT_LE(rect("labstatus").right(), px(7000) - 4);  // a minimum-size window, thin borders
    for (const char* lab : {"lab1", "lab4", "lab7"}) {
        EXPECT_EQ(rect(lab).right(), px(795) - 1) << lab;  // beside the grid lines
        EXPECT_GE(rect(lab).left(), 0) << lab;
    }
    const QtSurface& chart = form->surface();
    EXPECT_NEAR(rect("lab1").center().y(), chart.y() + chart.height() * 13 / 14, 2);
    // The times under the chart: whole, and within the window beside the chart's corners.
    const QRect client(QPoint(), QSize(form->clientSize().width, form->clientSize().height));
    for (const char* under : {"labgridtime0", "labgridtime10"}) {
        EXPECT_EQ(cut(under, {std::string(axisTimeText(359999).view()), "100000"}), "");
        EXPECT_TRUE(client.contains(rect(under))) << under;
        EXPECT_GE(rect(under).bottom(), chart.geometry().bottom()) << under;
    }
}

TEST_F(Form1Test, SecondCopyEndsAtOnceAndTouchesNoSetting) {
    auto first = newForm();
    ASSERT_TRUE(first->Form_Load());
    fs::remove(settingsFilePath());
    EXPECT_FALSE(newForm()->Form_Load());
    EXPECT_FALSE(fs::exists(settingsFilePath()));
}

void writeFile(const fs::path& file, const std::string& content) {
    std::ofstream(file, std::ios::binary) << content;
}

std::string garbage(std::size_t size) {
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    // Any byte but CR (13): a lone CR before a line feed is not kept.
    std::ranges::generate(bytes, [&] { return static_cast<char>(random() % 255 + 14); });
    return bytes + std::string(4096, '\0') + '\n';  // a crash can leave a block of zeros
}

struct DamagedSettings {
    const char* name;
    std::function<void(const fs::path&)> make;
    std::vector<std::string> keptLines = {};  // the user's lines still there after the run
    bool keepsAllText = false;                // the old text is still there, whole, at the start
    const char* bottomLabel = "1.00V";        // lab1: the window's width at work
    const char* lastPath = "/opt/Tremolex/bin/";
};

const std::string kUserLines = "Range=.3\nLast Path=/bench/logs/\n";
const std::vector<std::string> kUserLinesKept = {"Range=.3", "Last Path=/bench/logs/"};
const bool kRoot = geteuid() == 0;

const DamagedSettings kCases[] = {
    // Must not wait for a writer.
    {"PipeInItsPlace", [](const fs::path& file) { mkfifo(file.c_str(), 0600); }},
    // Root reads it all the same; either way nothing of it may be lost.
    {"Unreadable",
     [](const fs::path& file) {
         writeFile(file, kUserLines);
         chmod(file.c_str(), 0);
     },
     kUserLinesKept, true, kRoot ? "1.30V" : "1.00V",
     kRoot ? "/bench/logs/" : "/opt/Tremolex/bin/"},
    {"BinaryGarbageAroundValues",
     [](const fs::path& file) { writeFile(file, garbage(8192) + kUserLines + garbage(100)); },
     kUserLinesKept, true, "1.30V", "/bench/logs/"},
    // Infinite as single precision: the default width.
    {"RangeBeyondSinglePrecision",
     [](const fs::path& file) { writeFile(file, "Range=1e40\n"); },
     {"Range=1e40"}},
    // A range this wide puts every scale label beyond what a label shows.
    {"ValuesOf100KBAndNumbersNotFiniteOrHuge",
     [](const fs::path& file) {
         const std::string huge(100'000, '9');
         writeFile(file, "Last Path=" + huge + "\nWindow Left=" + huge +
                             "\nSerial Port Number=" + huge + "\nSerial Port Baud Rate=" + huge +
                             "\nWindow Top=-1e30\nWindow Width=1e999\nWindow Height=NaN\n"
                             "Range=1e30\n; mine\n");
     },
     {"; mine", "Range=1e30", "Serial Port Number=2"},
     false,
     "--V"},
};

// Start-up on a settings file a person or a crash has damaged: the window starts, takes
// the default of each value it cannot use, and never loses the values it could not read.
class Form1SettingsTest : public Form1Test, public testing::WithParamInterface<DamagedSettings> {
protected:
    ~Form1SettingsTest() override {
        chmod(file.c_str(), 0600);
        fs::remove_all(file);
    }

    fs::path file = settingsFilePath();
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
        EXPECT_EQ(form->label("labstatus").text(), "Serial port 2 ready");
        EXPECT_EQ(form->label("lab1").text(), damage.bottomLabel);
        EXPECT_EQ(form->state().lastpath, damage.lastPath);
        EXPECT_GE(std::min(form->Width(), form->Height()), 1000);
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
    EXPECT_TRUE(!damage.keepsAllText || after.starts_with('\n' + before));
}

INSTANTIATE_TEST_SUITE_P(Damage, Form1SettingsTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tremolex
