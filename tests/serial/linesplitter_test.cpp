#include "serial/linesplitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tremolex {
namespace {

std::vector<std::string> split(RxBuffer& pending, const std::vector<std::string>& chunks) {
    std::vector<std::string> lines;
    for (const std::string& chunk : chunks) {
        splitLines(pending, chunk, [&](std::string_view line) { lines.emplace_back(line); });
    }
    return lines;
}

TEST(SplitLines, SameLinesHoweverTheTextIsCut) {
    const std::string stream = "512\n\n1023\n-5\r\n  7 \nunfinished";
    const std::vector<std::string> expected = {"512", "", "1023", "-5\r", "  7 "};
    for (std::size_t size = 1; size <= stream.size(); ++size) {
        std::vector<std::string> chunks;
        for (std::size_t at = 0; at < stream.size(); at += size) {
            chunks.push_back(stream.substr(at, size));
        }
        RxBuffer pending;
        EXPECT_EQ(split(pending, chunks), expected) << "chunks of " << size;
        EXPECT_EQ(pending.text(), "unfinished");
    }
}

TEST(SplitLines, UnfinishedTextWaitsForTheNextEvent) {
    RxBuffer pending;
    EXPECT_TRUE(split(pending, {"51"}).empty());
    EXPECT_EQ(split(pending, {"2\n"}), std::vector<std::string>{"512"});
    EXPECT_TRUE(pending.empty());
}

// A device that never ends its line must not make memory grow, and the line it finally
// ends is dropped whole, not cut to a number.
TEST(SplitLines, OverlongLineIsDroppedWhateverTheChunks) {
    const std::string overlong = std::string(RxBuffer::kCapacity, ' ') + "512";
    for (const std::vector<std::string>& chunks :
         {std::vector<std::string>{overlong + "\n7\n"},
          std::vector<std::string>{overlong.substr(0, 100), overlong.substr(100), "\n7\n"},
          std::vector<std::string>{std::string(RxBuffer::kCapacity, ' '), "5", "12\n7\n"}}) {
        RxBuffer pending;
        EXPECT_EQ(split(pending, chunks), std::vector<std::string>{"7"});
    }
    RxBuffer pending;
    for (int i = 0; i < 1000; ++i) {
        split(pending, {std::string(1000, '1')});
    }
    EXPECT_TRUE(pending.overlong());
    EXPECT_EQ(split(pending, {"\n9\n"}), std::vector<std::string>{"9"});

    const std::string longest(RxBuffer::kCapacity, '1');
    EXPECT_EQ(split(pending, {longest.substr(0, 10), longest.substr(10) + "\n"}),
              std::vector<std::string>{longest});
}

}  // namespace
}  // namespace tremolex
