#include "portlink.h"

#include <gtest/gtest.h>

#include "platform/posix/portdevice.h"

namespace tremolex::cellsim {
namespace {

namespace fs = std::filesystem;

class PortLinkTest : public testing::Test {
protected:
    PortLinkTest() { fs::remove_all(portsDirectory()); }
    ~PortLinkTest() override { fs::remove_all(portsDirectory()); }

    static fs::path entry(int port) { return portsDirectory() / ("com" + std::to_string(port)); }
    static fs::path linked(int port) { return fs::read_symlink(entry(port)); }
};

TEST_F(PortLinkTest, AutomaticPortIsTheHighestFreeOneUpToTwelve) {
    fs::create_directories(portsDirectory());
    fs::create_symlink("/dev/ttyUSB0", entry(12));
    fs::create_symlink("/absent", entry(11));  // a dangling entry is still taken
    PortLink link;
    ASSERT_EQ(link.claim(std::nullopt, "/dev/pts/91"), PortLink::Outcome::Made);
    EXPECT_EQ(link.port(), 10);
    EXPECT_EQ(linked(10), "/dev/pts/91");

    for (int n = 1; n <= 9; ++n) {
        fs::create_symlink("/absent", entry(n));
    }
    PortLink none;
    EXPECT_EQ(none.claim(std::nullopt, "/dev/pts/93"), PortLink::Outcome::NoneFree);
    EXPECT_FALSE(fs::exists(fs::symlink_status(entry(13))));
}

TEST_F(PortLinkTest, AnEntryPutInItsPlaceIsLeftAlone) {
    for (const bool retargetFirst : {true, false}) {
        PortLink link;
        ASSERT_EQ(link.claim(2, "/dev/pts/91"), PortLink::Outcome::Made);
        fs::remove(entry(2));
        fs::create_symlink("/dev/ttyUSB1", entry(2));
        if (retargetFirst) {
            EXPECT_FALSE(link.retarget("/dev/pts/92"));
            EXPECT_FALSE(link.held());
        }
        link.release();
        EXPECT_EQ(linked(2), "/dev/ttyUSB1");
        fs::remove(entry(2));
    }
}

}  // namespace
}  // namespace tremolex::cellsim
