#include "portlink.h"

#include <gtest/gtest.h>

#include "platform/posix/portdevice.h"

namespace tremolex::cellsim {
namespace {

namespace fs = std::filesystem;

// Someone replaced the link while the device was away: neither coming back nor stopping
// may touch their entry. (The process tests cover the links cellsim makes and removes.)
TEST(PortLink, AnEntryPutInItsPlaceIsLeftAlone) {
    const auto entry = [](int n) { return portsDirectory() / ("com" + std::to_string(n)); };
    fs::remove_all(portsDirectory());
    PortLink comingBack, stopping;
    ASSERT_EQ(comingBack.claim(2, "/dev/pts/91"), PortLink::Outcome::Made);
    ASSERT_EQ(stopping.claim(3, "/dev/pts/92"), PortLink::Outcome::Made);
    for (const int n : {2, 3}) {
        fs::remove(entry(n));
        fs::create_symlink("/dev/ttyUSB1", entry(n));
    }
    EXPECT_FALSE(comingBack.retarget("/dev/pts/93"));
    EXPECT_FALSE(comingBack.held());
    comingBack.release();
    stopping.release();
    for (const int n : {2, 3}) {
        EXPECT_EQ(fs::read_symlink(entry(n)), "/dev/ttyUSB1") << n;
    }
    fs::remove_all(portsDirectory());
}

}  // namespace
}  // namespace tremolex::cellsim
