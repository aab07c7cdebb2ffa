// Any file contents as a graph log: through the streaming reader, whole and in pieces
// of 0..4 bytes chosen by the contents, with full and with tiny room; then through Load
// Graph itself, on a real file, over a graph shown before. Every line (ended by CR,
// CR LF or LF; the last one also without a break) must give one count, the value of its
// leading number as settings are read, rounded and kept in range. A text that begins with
// a recording's header is loaded as a recording instead (its reader has a fuzz target of
// its own): Load Graph must then show what that reader gives.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/fakeclock.h"
#include "fakes/fakekeystore.h"
#include "fakes/fakewidgets.h"
#include "fuzzcheck.h"
#include "fuzzpieces.h"
#include "logfile/logfiles.h"
#include "logfile/logformat.h"
#include "recording/recordingreader.h"
#include "settings/textnum.h"

namespace tremolex {
namespace {

struct Expected {
    std::vector<std::int16_t> counts;      // of every line, none left out
    std::vector<std::int64_t> clamped{0};  // [n]: how many of the first n lines were out of range
    std::int64_t overlongLine = 0;         // the first line too long for a graph log, from 1
};

Expected expectedOf(std::string_view text) {
    Expected expected;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        if (end - start > LogReader::kLongestLine && expected.overlongLine == 0) {
            expected.overlongLine = static_cast<std::int64_t>(expected.counts.size()) + 1;
        }
        const double value = std::nearbyint(textnum(text.substr(start, end - start)));
        const double kept = std::clamp(value, -32768.0, 32767.0);
        expected.counts.push_back(static_cast<std::int16_t>(kept));
        expected.clamped.push_back(expected.clamped.back() + (kept != value ? 1 : 0));
        start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    }
    return expected;
}

// Reads the text with room for `room` counts, whole or in pieces (feedInPieces).
void checkReader(std::string_view text, const Expected& expected, std::size_t room, bool inPieces) {
    LogReader reader(room);
    feedInPieces(text, inPieces, [&reader](const std::string& piece) { reader.feed(piece); });
    reader.finish();

    FUZZ_CHECK(reader.overlongLine() == expected.overlongLine);
    if (expected.overlongLine > 0) {
        return;  // no graph log: what was counted before is of no use
    }
    const std::size_t kept = std::min(room, expected.counts.size());
    FUZZ_CHECK(std::ranges::equal(reader.counts(), std::span(expected.counts).first(kept)));
    FUZZ_CHECK(static_cast<std::size_t>(reader.linesLeftOut()) == expected.counts.size() - kept);
    FUZZ_CHECK(reader.linesClamped() == expected.clamped[kept]);
}

void checkLoadGraph(std::string_view text, const Expected& expected) {
    // A file of this process's own, made anew each time: truncating one makes some file
    // systems flush it to disk.
    static const auto file = std::filesystem::temp_directory_path() /
                             ("tremolex-logload-" + std::to_string(std::random_device()()));
    std::ofstream(file, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));

    static SampleStore samples;  // made once: making one takes a while under the sanitizers
    const std::array<std::int16_t, 3> shown = {7, 8, 9};
    samples.clear();
    for (const std::int16_t count : shown) {
        samples.append(count);
    }
    std::string lastpath, apptitle = "Tremolex";
    ChargeTimes times{1, 2};
    FakeFileDialog fileDialog;
    fileDialog.answers = {file.string()};
    FakeDialogs dialogs;
    FakeKeyStore keys;
    const SettingsStore settings(keys);
    FakeClock clock;
    clock.now = 500;
    int grids = 0;
    LogFiles({lastpath, samples, times, apptitle}, fileDialog, dialogs, settings, clock, [&] {
        ++grids;
    }).menuload_Click();
    std::filesystem::remove(file);

    RecordingReader recording(static_cast<std::size_t>(SampleStore::kCapacity));
    recording.feed(text);
    recording.finish();
    if (recording.hasHeader()) {
        const auto last = recording.lastReading();
        if (!last) {  // a recording without readings is refused, and the graph shown stays
            FUZZ_CHECK(std::ranges::equal(samples.samples(), shown) && times.starttime == 1 &&
                       grids == 0 && dialogs.messages.size() == 1);
            return;
        }
        const std::vector<RecordedReading> readings = recording.takeReadings();
        FUZZ_CHECK(
            std::ranges::equal(samples.samples(), readings, {}, {}, &RecordedReading::count));
        FUZZ_CHECK(times.starttime == 500 - last->chargeSeconds && times.lasttime == 500 &&
                   grids == 1);
        const bool reported =
            recording.soundLines() > std::ssize(readings) || recording.leftOut().total() > 0;
        FUZZ_CHECK(dialogs.messages.size() == (reported ? 1u : 0u));
        return;
    }
    if (expected.overlongLine > 0) {  // refused, and the graph shown stays
        FUZZ_CHECK(std::ranges::equal(samples.samples(), shown) && times.starttime == 1 &&
                   grids == 0 && dialogs.messages.size() == 1);
        return;
    }
    const std::size_t kept =
        std::min(expected.counts.size(), static_cast<std::size_t>(SampleStore::kCapacity));
    FUZZ_CHECK(std::ranges::equal(samples.samples(), std::span(expected.counts).first(kept)));
    FUZZ_CHECK(times.starttime == 500 && times.lasttime == 500 && grids == 1);
    const bool reported = kept < expected.counts.size() || expected.clamped[kept] > 0;
    FUZZ_CHECK(dialogs.messages.size() == (reported ? 1u : 0u));
}

}  // namespace
}  // namespace tremolex

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tremolex;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Expected expected = expectedOf(text);
    constexpr auto kFull = static_cast<std::size_t>(SampleStore::kCapacity);
    checkReader(text, expected, kFull, false);
    checkReader(text, expected, kFull, true);
    // Room for a few lines only, so lines beyond it are left out and counted.
    checkReader(text, expected, size == 0 ? 0 : data[0] % 8, true);
    checkLoadGraph(text, expected);
    return 0;
}
