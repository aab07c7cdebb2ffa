#include "portlink.h"

#include <gtest/gtest.h>

#include "platform/posix/portdevice.h"

namespace tremolex::cellsim {
namespace {

namespace fs = std::filesystem;

// Someone put their own entry in place of the link while cellsim ran: stopping must leave
// it alone. (The process tests cover the links cellsim makes and removes.)
TEST(PortLink, AnEntryPutInItsPlaceIsLeftAlone) {
    const fs::path entry = portsDirectory() / "com3";
    fs::remove_all(portsDirectory());
    {
        PortLink link;
        ASSERT_EQ(link.claim(3, "/dev/pts/92"), PortLink::Outcome::Made);
        fs::remove(entry);
        fs::create_symlink("/dev/ttyUSB1", entry);
    }
    EXPECT_EQ(fs::read_symlink(entry), "/dev/ttyUSB1");
    fs::remove_all(portsDirectory());
}

}  // namespace
}  // namespace tremolex::cellsim
