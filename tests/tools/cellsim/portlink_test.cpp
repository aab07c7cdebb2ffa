#include "portlink.h"

#include <gtest/gtest.h>

#include "platform/posix/portdevice.h"

namespace tremolex::cellsim {
namespace {

// Someone put their own entry in place of the link while cellsim ran: stopping must leave
// it alone. (The process tests cover the links cellsim makes and removes.)
TEST(PortLink, AnEntryPutInItsPlaceIsLeftAlone) {
    const std::filesystem::path entry = portsDirectory() / "com3";
    std::filesystem::remove_all(portsDirectory());
    {
        PortLink link;
        ASSERT_EQ(link.claim(3, "/dev/pts/92"), PortLink::Outcome::Made);
        std::filesystem::remove(entry);
        std::filesystem::create_symlink("/dev/ttyUSB1", entry);
    }
    EXPECT_EQ(std::filesystem::read_symlink(entry), "/dev/ttyUSB1");
}

}  // namespace
}  // namespace tremolex::cellsim
