#include "app/form1.h"

#include <gtest/gtest.h>

#include <QMenuBar>
#include <fstream>
#include <functional>

#include "fakes/fakeclock.h"
#include "fakes/fakewidgets.h"
#include "platform/posix/configdir.h"
#include "platform/posix/inifilekeystore.h"
#include "platform/qt/qtcommport.h"
#include "platform/qt/qtinstancelock.h"
#include "support/eventloop.h"
#include "support/pseudoterminal.h"

namespace tremolex {
namespace {

// The whole window on the offscreen platform, with a pseudo-terminal as the device.
class Form1Test : public testing::Test {
protected:
    Form1Test() {
        std::filesystem::remove_all(userConfigDirectory());
        mapAllPortsAway();
        mapPort(2, device.slavePath());
    }

    static std::unique_ptr<Form1> newForm(FakeFileDialog** fileDialog = nullptr) {
        Form1Services services;
        auto files = std::make_unique<FakeFileDialog>();
        if (fileDialog != nullptr) {
            *fileDialog = files.get();
        }
        services.fileDialog = std::move(files);
        services.keys = std::make_unique<IniFileKeyStore>(settingsFilePath());
        services.comm = std::make_unique<QtCommPort>();
        services.clock = std::make_unique<FakeClock>();
        services.instanceLock = std::make_unique<QtInstanceLock>();
        services.dialogs = std::make_unique<FakeDialogs>();
        services.programFolder = "/opt/Tremolex/bin";
        return std::make_unique<Form1>(std::move(services));
    }
    static std::string setting(const char* name) {
        return Module1(*std::make_unique<IniFileKeyStore>(settingsFilePath()))
            .regread(name, "<none>");
    }
    PseudoTerminal device;
};

TEST_F(Form1Test, FirstStartStoresEverySettingWithItsDefault) {
    auto form = newForm();
    ASSERT_TRUE(form->Form_Load());
    const std::pair<const char*, const char*> expected[] = {{"Last Path", "/opt/Tremolex/bin/"},
                                                            {"Window Left", "4000"},
                                                            {"Window Top", "3000"},
                                                            {"Window Width", "8000"},
                                                            {"Window Height", "8000"},
                                                            {"Range", "0.6"},
                                                            {"Serial Port Number", "2"},
                                                            {"Serial Port Baud Rate", "19200"}};
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(setting(name), value) << name;
    }
    EXPECT_EQ(form->label("Label1").text(), "Serial port 2 ready");
    EXPECT_EQ(form->label("lab7").text(), "1.60V");
    EXPECT_EQ(form->windowTitle(), "Bramwick Tremolex");
}

TEST_F(Form1Test, DeviceLinesReachTheStoreAndAfterATickTheChart) {
    auto form = newForm();
    ASSERT_TRUE(form->Form_Load());
    form->show();
    device.write("512\n60");
    device.write("0\n");
    ASSERT_TRUE(waitFor([&] { return form->state().samples.samplecount() == 2; }));
    EXPECT_EQ(form->state().samples.latest(), 600);
    form->Timer1_Timer();
    EXPECT_EQ(form->label("labvalue").text(), "1.466V [600]");
    EXPECT_EQ(form->label("labtime").text(), "0 min, 0 sec");
    const QImage& chart = form->grafik().image();
    int green = 0;
    for (int y = 0; y < chart.height(); ++y) {
        for (int x = 0; x < chart.width(); ++x) {
            green += chart.pixel(x, y) == qRgb(192, 255, 192) ? 1 : 0;
        }
    }
    EXPECT_EQ(green, 2);
}

TEST_F(Form1Test, GeometryComesBackAfterARestart) {
    {
        auto form = newForm();
        ASSERT_TRUE(form->Form_Load());
        form->show();
        form->setLeft(1500);
        form->setWidth(9000);
        form->close();
    }
    EXPECT_EQ(setting("Window Left"), "1500");
    auto form = newForm();
    ASSERT_TRUE(form->Form_Load());
    form->show();
    EXPECT_EQ(form->Left(), 1500);
    EXPECT_EQ(form->Width(), 9000);
}

TEST_F(Form1Test, SecondCopyEndsAtOnceAndTouchesNoSetting) {
    auto first = newForm();
    ASSERT_TRUE(first->Form_Load());
    const std::string before = setting("Window Left");
    std::filesystem::remove(settingsFilePath());
    auto second = newForm();
    EXPECT_FALSE(second->Form_Load());
    EXPECT_FALSE(second->isVisible());
    EXPECT_FALSE(std::filesystem::exists(settingsFilePath()));
    EXPECT_EQ(second->state().apptitle, "");
    EXPECT_EQ(before, "4000");
}

TEST_F(Form1Test, DeviceThatGoesAwayIsShownAndPickedUpAgain) {
    auto form = newForm();
    ASSERT_TRUE(form->Form_Load());
    device.write("512\n");
    ASSERT_TRUE(waitFor([&] { return form->state().samples.samplecount() == 1; }));

    device.hangUp();
    ASSERT_TRUE(waitFor([&] { return form->label("Label1").text() == "Serial port 2 error!"; }));
    EXPECT_FALSE(form->state().portready);
    EXPECT_EQ(form->state().samples.samplecount(), 1);

    device.reopen();
    mapPort(2, device.slavePath());
    ASSERT_TRUE(waitFor([&] { return form->state().portready; }, 8000));
    EXPECT_EQ(form->label("Label1").text(), "Serial port 2 ready");
    device.write("600\n");
    ASSERT_TRUE(waitFor([&] { return form->state().samples.samplecount() == 2; }));
}

void trigger(Form1& form, const QString& command) {
    for (QAction* menu : form.menuBar()->actions()) {
        for (QAction* action : menu->menu()->actions()) {
            if (action->text() == command) {
                action->trigger();
                return;
            }
        }
    }
    FAIL() << "no menu command " << command.toStdString();
}

TEST_F(Form1Test, GraphLogsLoadAndSaveThroughTheFileMenu) {
    const auto folder = std::filesystem::path(std::getenv("HOME"));
    std::ofstream(folder / "in.log") << "512\r\n655\r\n";
    FakeFileDialog* files = nullptr;
    auto form = newForm(&files);
    ASSERT_TRUE(form->Form_Load());
    EXPECT_EQ(files->openedIn.size(), 0u);

    files->answers = {(folder / "in.log").string(), (folder / "out.log").string()};
    trigger(*form, "Load Graph");
    EXPECT_EQ(form->state().samples.samplecount(), 2);
    form->Timer1_Timer();
    EXPECT_EQ(form->label("labvalue").text(), "1.600V [655]");
    trigger(*form, "Save Graph");
    EXPECT_EQ(files->openedIn.back(), folder.string() + "/");
    std::ifstream saved(folder / "out.log", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), "512\r\n655\r\n");
}

}  // namespace
}  // namespace tremolex
