#include "serial/portconnection.h"

#include <gtest/gtest.h>

#include <tuple>

#include "app/state/rxbuffer.h"
#include "fakes/fakecommport.h"
#include "fakes/fakekeystore.h"
#include "fakes/fakewidgets.h"

namespace tremolex {
namespace {

class PortConnectionTest : public testing::Test {
protected:
    void portWorks(std::int32_t n) {
        comm.ports[n] = {CommPort::Failure::None, "/dev/ttyUSB0", "", ""};
    }

    std::int32_t portnum = 0;
    std::string baudrate, apptitle = "Tremolex";
    bool portready = false;
    RxBuffer rxbuffer;
    FakeCommPort comm;
    FakeLabel Label1;
    FakeDialogs dialogs;
    FakeKeyStore keys;
    Module1 settings{keys};
    FakeTimer retry;
    PortConnection port{
        {portnum, baudrate, portready, apptitle, rxbuffer}, comm, Label1, dialogs, settings, retry};
};

TEST_F(PortConnectionTest, FirstOpeningStoresTheDefaultsAndShowsReady) {
    portWorks(2);
    port.openport();
    EXPECT_EQ(Label1.caption, "Serial port 2 ready");
    EXPECT_EQ(Label1.backColor, PortConnection::kReadyColor);
    EXPECT_EQ(comm.settingsUsed.back(), "19200,n,8,1");
    EXPECT_EQ(settings.regread("Serial Port Number", "?"), "2");
    EXPECT_EQ(settings.regread("Serial Port Baud Rate", "?"), "19200");
    port.scanports();
    EXPECT_EQ(comm.opened.size(), 1u);  // nothing to search for
}

TEST_F(PortConnectionTest, StoredNumbersRoundHalvesToEven) {
    const std::pair<const char*, int> cases[] = {{"4.5", 4}, {"5.5", 6}, {"abc", 0}, {"1e30", 0}};
    for (const auto& [text, number] : cases) {
        settings.regwrite("Serial Port Number", text);
        port.openport();
        EXPECT_EQ(Label1.caption, "Serial port " + std::to_string(number) + " error!");
    }
    EXPECT_EQ(Label1.backColor, PortConnection::kErrorColor);
}

// Each search goes from 12 down and keeps the first port that opens, or else puts the
// stored number back (each opening reads the number it opens from the settings).
TEST_F(PortConnectionTest, SearchKeepsTheFirstPortThatOpens) {
    settings.regwrite("Serial Port Number", "7");
    port.openport();
    port.scanports();
    EXPECT_EQ(comm.opened,
              (std::vector<std::int32_t>{7, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 7}));

    portWorks(5);
    portWorks(3);
    comm.opened.clear();
    port.scanports();
    EXPECT_EQ(comm.opened, (std::vector<std::int32_t>{12, 11, 10, 9, 8, 7, 6, 5}));
    EXPECT_EQ(Label1.caption, "Serial port 5 ready");
}

// Answers in turn, from port 2; an answer that is no port number keeps the port and says so.
TEST_F(PortConnectionTest, PortDialogAnswers) {
    const std::tuple<std::string, std::int32_t, bool> cases[] = {
        {"", 2, false},   {"13", 2, true},   {"03", 2, true}, {" 7", 2, true},
        {"abc", 2, true}, {"12", 12, false}, {"7", 7, false}};
    port.openport();
    for (const auto& [answer, number, wrong] : cases) {
        dialogs = {};
        dialogs.answers = {answer};
        port.menuport_Click();
        EXPECT_EQ(comm.opened.back(), number) << answer;  // stored and reopened in every case
        EXPECT_EQ(dialogs.messages.size(), wrong ? 1u : 0u) << answer;
    }
    ASSERT_EQ(dialogs.inputs.size(), 1u);
    EXPECT_EQ(dialogs.inputs[0].text, "Please select Serial Port Number [1-12].");
    EXPECT_EQ(dialogs.inputs[0].title, "Tremolex");
    EXPECT_EQ(dialogs.inputs[0].defaultText, "12");
}

TEST_F(PortConnectionTest, TooltipSaysWhy) {
    comm.ports[2] = {CommPort::Failure::NoPermission, "/dev/ttyUSB0", "dialout", ""};
    port.openport();
    EXPECT_EQ(Label1.toolTip,
              "Serial port 2: /dev/ttyUSB0 - no permission: join the group dialout "
              "(sudo usermod -aG dialout $USER), then log in again");
    comm.ports[2] = {CommPort::Failure::InUse, "/dev/ttyUSB0", "", ""};
    port.openport();
    EXPECT_EQ(Label1.toolTip, "Serial port 2: /dev/ttyUSB0 - in use by another program");
}

TEST_F(PortConnectionTest, LostDeviceIsRetriedUntilItIsBack) {
    portWorks(2);
    port.openport();
    comm.ports.erase(2);
    port.portLost();
    EXPECT_FALSE(portready);
    EXPECT_EQ(Label1.caption, "Serial port 2 error!");
    EXPECT_EQ(retry.interval, PortConnection::kRetryInterval);
    retry.fire();
    EXPECT_TRUE(retry.onTick);  // still trying
    portWorks(2);
    retry.fire();
    EXPECT_EQ(Label1.caption, "Serial port 2 ready");
    EXPECT_FALSE(retry.onTick);  // stopped
}

}  // namespace
}  // namespace tremolex
