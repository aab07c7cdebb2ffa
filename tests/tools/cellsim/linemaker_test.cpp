#include "linemaker.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <vector>

#include "serial/countline.h"

namespace tremolex::cellsim {
namespace {

TEST(LineMaker, CountsAreRoundedAndHeldToTheConverterRange) {
    const std::pair<double, int> cases[] = {
        {0, 0},
        {2.5, 1023},
        {1.25, 512} /* 511.5 */,
        {1.2487, 511},
        {-0.3, 0},
        {3.1, 1023},
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 1023},
    };
    for (const auto& [volts, count] : cases) {
        EXPECT_EQ(countForVolts(volts), count) << volts;
    }
    EXPECT_EQ(LineMaker({.ending = LineEnding::LineFeed}).lines(1.25), "512\n");
    EXPECT_EQ(LineMaker({.ending = LineEnding::CrLf}).lines(1.25), "512\r\n");
    EXPECT_EQ(LineMaker({.ending = LineEnding::None}).lines(1.25), "512");
}

// An "invalid" line the program took as a reading would hide the very fault the option is
// there to show.
TEST(LineMaker, InvalidLinesAreRefusedByTheProgramAndComeAsOftenAsAsked) {
    for (const std::string_view line : LineMaker::invalidLines()) {
        EXPECT_EQ(parseCountLine(line), std::nullopt) << "\"" << line << "\"";
    }
    for (const double probability : {0.0, 0.1, 1.0}) {
        LineMaker maker({.garbage = probability, .seed = 3});
        int invalid = 0;
        constexpr int kReadings = 20000;
        for (int i = 0; i < kReadings; ++i) {
            std::istringstream lines(maker.lines(1.0));
            std::vector<std::string> got;
            for (std::string line; std::getline(lines, line);) {
                got.push_back(line);
            }
            ASSERT_TRUE(got.size() == 1 || got.size() == 2);
            ASSERT_EQ(parseCountLine(got.back()), 409) << "the reading itself comes every time";
            invalid += got.size() == 2;
        }
        EXPECT_NEAR(invalid / double(kReadings), probability, 0.015) << probability;
    }
}

// The readings among the lines made for `n` readings of 1.25 V.
std::vector<int> noisyCounts(LineMaker::Settings settings, int n) {
    LineMaker maker(settings);
    std::vector<int> counts;
    for (int i = 0; i < n; ++i) {
        std::string text = maker.lines(1.25);
        text.pop_back();
        counts.push_back(parseCountLine(text.substr(text.rfind('\n') + 1)).value_or(-1));
    }
    return counts;
}

TEST(LineMaker, NoiseHasTheAskedSpreadInCountsAndFollowsTheSeed) {
    const std::vector<int> counts = noisyCounts({.noise = 5, .seed = 11}, 20000);
    double sum = 0, squares = 0;
    for (const int count : counts) {
        sum += count;
        squares += double(count) * count;
    }
    const double mean = sum / counts.size();
    EXPECT_NEAR(mean, 511.5, 0.3);
    EXPECT_NEAR(std::sqrt(squares / counts.size() - mean * mean), 5, 0.3);

    const auto seeded = noisyCounts({.noise = 5, .seed = 11}, 100);
    EXPECT_EQ(seeded, noisyCounts({.noise = 5, .seed = 11}, 100));
    // Adding invalid lines must not change the readings a seed gives.
    EXPECT_EQ(seeded, noisyCounts({.noise = 5, .garbage = 0.5, .seed = 11}, 100));
}

}  // namespace
}  // namespace tremolex::cellsim
