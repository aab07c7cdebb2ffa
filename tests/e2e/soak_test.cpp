// Long captures through a pseudo-terminal paced as the serial line would carry them, into
// the real program, checked reading by reading through a saved graph log file.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <iostream>
#include <random>
#include <thread>

#include "pacer.h"
#include "realprogram.h"
#include "support/files.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kCapacity = 100000;                   // readings the program keeps
constexpr long kMemoryBoundKiB = 2L * 1024 * 1024;  // runaway growth, far above any real use

struct Capture {
    const char* name;
    int baud;
    int readings;  // beyond the store's capacity: some are turned away
};

class Soak : public testing::TestWithParam<Capture>, protected RealProgram {
protected:
    // Sends `bytes` at the line's pace in small slices, never ahead of the line and never
    // faster than the reader takes them; `sent` follows the progress.
    void sendPaced(const std::string& bytes, int baud, std::atomic<std::size_t>& sent) {
        constexpr std::size_t kSlice = 64;
        cellsim::Pacer line({.baud = baud});
        const auto origin = std::chrono::steady_clock::now();
        const auto now = [&] {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - origin).count();
        };
        while (sent < bytes.size()) {
            std::this_thread::sleep_until(
                origin + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(line.lineFreeAt())));
            const std::size_t taken = device.write(std::string_view(bytes).substr(sent, kSlice));
            line.sent(now(), taken);
            sent += taken;
            if (taken == 0) {
                std::this_thread::sleep_for(2ms);  // the reader is behind
            }
        }
    }
};

// The whole range of counts in an order that repeats from run to run.
std::vector<int> readings(int n) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> count(0, 1023);
    std::vector<int> result;
    for (int i = 0; i < n; ++i) {
        result.push_back(count(random));
    }
    return result;
}

// Where the saved log first differs from the expected one, as a reading number.
std::string firstDifference(const std::string& saved, const std::string& expected) {
    const auto at = std::mismatch(saved.begin(), saved.end(), expected.begin(), expected.end());
    const auto lines = std::count(expected.begin(), at.second, '\n');
    return "reading " + std::to_string(lines + 1) + " of " +
           std::to_string(std::count(expected.begin(), expected.end(), '\n')) + "; saved " +
           std::to_string(std::count(saved.begin(), saved.end(), '\n'));
}

TEST_P(Soak, EveryReadingArrivesUnchanged) {
    const Capture capture = GetParam();
    const auto program = start();
    const std::string window = windowNamed("Bramwick Tremolex");
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(eventually([&] { return statusPixels(window, kLightGreen) > 500; }));

    // The device sends every reading; the log holds those the store had room for.
    std::string stream, expected;
    const std::vector<int> counts = readings(capture.readings);
    for (std::size_t i = 0; i < counts.size(); ++i) {
        stream += std::to_string(counts[i]);
        stream += '\n';
        if (i < static_cast<std::size_t>(kCapacity)) {
            expected += std::to_string(counts[i]);
            expected += "\r\n";
        }
    }

    std::atomic<std::size_t> sent = 0;
    const auto started = std::chrono::steady_clock::now();
    std::thread writer([&] { sendPaced(stream, capture.baud, sent); });
    // Half way the store is not full, and the label says nothing.
    eventually([&] { return sent >= stream.size() / 2; }, 10min);
    EXPECT_FALSE(storeFullShown(window));
    writer.join();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ASSERT_TRUE(eventually([&] { return device.unread() == 0; }, 30s))
        << "the program stopped reading";

    const bool fills = capture.readings > kCapacity;
    EXPECT_EQ(eventually([&] { return storeFullShown(window); }, fills ? 10s : 2s), fills);

    const fs::path log = fs::path(std::getenv("HOME")) / "soak.log";
    desktop.menu(window, "alt+f", 1);
    ASSERT_TRUE(answer("Select Graph LOG File", log.string()));
    EXPECT_TRUE(eventually([&] { return contentOf(log).size() >= expected.size(); }, 30s));
    const std::string saved = contentOf(log);
    EXPECT_TRUE(saved == expected) << "first difference at " << firstDifference(saved, expected);

    const Process::Usage usage = program->usage();
    std::cout << "[   SOAK   ] " << capture.readings << " readings at " << capture.baud
              << " baud in " << seconds << " s: program CPU " << usage.cpuSeconds
              << " s, peak memory " << usage.peakKiB / 1024 << " MiB\n";
    RecordProperty("cpu_seconds", std::to_string(usage.cpuSeconds));
    RecordProperty("peak_memory_kib", std::to_string(usage.peakKiB));
    RecordProperty("capture_seconds", std::to_string(seconds));
    EXPECT_LT(usage.peakKiB, kMemoryBoundKiB);
}

INSTANTIATE_TEST_SUITE_P(LineSpeeds, Soak,
                         testing::Values(Capture{"FullStoreAt115200", 115200, kCapacity + 200},
                                         Capture{"ShortAt19200", 19200, 10000}),
                         [](const testing::TestParamInfo<Capture>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tremolex
