// Long captures through a pseudo-terminal paced as the serial line would carry them, into
// the real program, checked reading by reading through a saved graph log file.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <utility>

#include "pacer.h"
#include "realprogram.h"
#include "support/files.h"

namespace tremolex {
namespace {

using namespace std::chrono_literals;

constexpr int kCapacity = 100000;  // readings the program keeps

// At a line speed (baud), a number of readings; beyond the store's capacity some are turned
// away.
class Soak : public testing::TestWithParam<std::pair<int, int>>, protected RealProgram {};

TEST_P(Soak, EveryReadingArrivesUnchanged) {
    const auto [baud, readings] = GetParam();
    const auto program = start();
    const std::string window = windowNamed("Bramwick Tremolex");
    ASSERT_TRUE(eventually([&] { return statusPixels(window, kLightGreen) > 500; }));

    // The device sends every reading, the whole range in an order that repeats from run to
    // run; the log holds those the store had room for.
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> count(0, 1023);
    std::string stream, expected;
    for (int i = 0; i < readings; ++i) {
        const std::string reading = std::to_string(count(random));
        stream += reading + "\n";
        expected += i < kCapacity ? reading + "\r\n" : "";
    }

    // In small slices at the line's pace, never ahead of the line and never faster than the
    // program takes them.
    std::atomic<std::size_t> sent = 0;
    const auto started = std::chrono::steady_clock::now();
    const auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };
    std::thread writer([&] {
        cellsim::Pacer line({.baud = baud});
        while (sent < stream.size()) {
            std::this_thread::sleep_for(
                std::chrono::duration<double>(line.lineFreeAt() - seconds()));
            const std::size_t taken = device.write(std::string_view(stream).substr(sent, 64));
            line.sent(seconds(), taken);
            sent += taken;
            if (taken == 0) {
                std::this_thread::sleep_for(2ms);  // the program is behind
            }
        }
    });
    // Half way the store is not full, and the label says nothing.
    eventually([&] { return sent >= stream.size() / 2; }, 10min);
    EXPECT_FALSE(storeFullShown(window));
    writer.join();
    const double took = seconds();
    ASSERT_TRUE(eventually([&] { return device.unread() == 0; }, 30s))
        << "the program stopped reading";
    EXPECT_TRUE(eventually([&] { return storeFullShown(window) == (readings > kCapacity); }))
        << "store-full notice wrong after " << readings << " readings";

    const std::string log = std::string(std::getenv("HOME")) + "/soak.log";
    desktop.keys(window, {"alt+f", "Return"});  // Save Graph, in Qt's own dialog
    desktop.enter(windowNamed("Select Graph LOG File"), log);
    EXPECT_TRUE(eventually([&] { return contentOf(log).size() >= expected.size(); }, 30s));
    const std::string saved = contentOf(log);
    const auto differs =
        std::mismatch(saved.begin(), saved.end(), expected.begin(), expected.end()).first;
    EXPECT_TRUE(saved == expected)
        << "first difference at reading " << std::count(saved.begin(), differs, '\n') + 1
        << "; saved " << std::count(saved.begin(), saved.end(), '\n');

    const Usage used = usage(program->pid());
    std::cout << "[   SOAK   ] " << readings << " readings at " << baud << " baud in " << took
              << " s: program CPU " << used.cpuSeconds << " s, peak memory " << used.peakKiB / 1024
              << " MiB\n";
    EXPECT_LT(used.peakKiB, 2L * 1024 * 1024);  // runaway growth, far above any real use
}

INSTANTIATE_TEST_SUITE_P(LineSpeeds, Soak,
                         testing::Values(std::pair{115200, kCapacity + 200},
                                         std::pair{19200, 10000}),
                         [](const auto& info) { return "At" + std::to_string(info.param.first); });

}  // namespace
}  // namespace tremolex
