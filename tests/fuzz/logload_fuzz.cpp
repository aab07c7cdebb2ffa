// Any file contents as a graph log: through the streaming reader, whole and in pieces
// of 0..4 bytes chosen by the contents, with full and with tiny room; then through Load
// Graph itself, on a real file, into a window state fenced by guard bytes. Every line
// (ended by CR, CR LF or LF; the last one also without a break) must give one count, the
// value of its leading number as settings are read, rounded and kept in range.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "app/state/form1state.h"
#include "fakes/fakeclock.h"
#include "fakes/fakekeystore.h"
#include "fakes/fakewidgets.h"
#include "fuzzcheck.h"
#include "logfile/logfiles.h"
#include "logfile/logformat.h"
#include "settings/textnum.h"

namespace tremolex {
namespace {

namespace fs = std::filesystem;

struct Expected {
    std::vector<std::int16_t> counts;  // of every line, none left out
    std::vector<bool> clamped;         // whether each line's number was out of range
    std::int64_t overlongLine = 0;     // the first line too long for a graph log, from 1
};

Expected expectedOf(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\r' || text[at] == '\n') {
            lines.push_back(text.substr(start, at - start));
            if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
                ++at;
            }
            start = at + 1;
        }
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    Expected expected;
    for (std::size_t i = 0; i < lines.size() && expected.overlongLine == 0; ++i) {
        if (lines[i].size() > LogReader::kLongestLine) {
            expected.overlongLine = static_cast<std::int64_t>(i) + 1;
        }
    }
    for (const std::string_view line : lines) {
        const double value = std::nearbyint(textnum(line));
        const double kept = std::clamp(value, -32768.0, 32767.0);
        expected.counts.push_back(static_cast<std::int16_t>(kept));
        expected.clamped.push_back(kept != value);
    }
    return expected;
}

void checkReader(const LogReader& reader, const Expected& expected, std::size_t capacity) {
    FUZZ_CHECK(reader.overlongLine() == expected.overlongLine);
    if (expected.overlongLine > 0) {
        return;  // no graph log: what was counted before is of no use
    }
    const std::size_t kept = std::min(capacity, expected.counts.size());
    FUZZ_CHECK(reader.counts().size() == kept);
    FUZZ_CHECK(std::equal(reader.counts().begin(), reader.counts().end(), expected.counts.begin()));
    FUZZ_CHECK(static_cast<std::size_t>(reader.linesLeftOut()) == expected.counts.size() - kept);
    FUZZ_CHECK(reader.linesClamped() ==
               std::count(expected.clamped.begin(),
                          expected.clamped.begin() + static_cast<std::ptrdiff_t>(kept), true));
}

// Pieces of 0..4 bytes, sizes taken from the contents in turn; never two empty ones in a
// row.
void feedInPieces(LogReader& reader, std::string_view text) {
    std::string_view rest = text;
    bool lastEmpty = false;
    for (std::size_t turn = 0; !rest.empty(); ++turn) {
        std::size_t length = static_cast<unsigned char>(text[turn % text.size()]) % 5;
        length = std::min(lastEmpty ? std::max<std::size_t>(length, 1) : length, rest.size());
        lastEmpty = length == 0;
        const std::string piece(rest.substr(0, length));  // reading past it is caught
        rest.remove_prefix(length);
        reader.feed(piece);
    }
    reader.finish();
}

// A folder of this process's own for the log file, removed at exit.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string name = "tremolex-logload-fuzz-";
        name += std::to_string(std::random_device()());
        path = fs::temp_directory_path() / name;
        fs::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path path;
};

const fs::path& scratchFolder() {
    static const ScratchFolder folder;
    return folder.path;
}

// The window's state with guard bytes on both sides; Load Graph may change only the
// samples, the times and the last folder.
struct GuardedState {
    std::array<unsigned char, 64> before;
    Form1State state;
    std::array<unsigned char, 64> after;
};

void checkLoadGraph(std::string_view text, const Expected& expected) {
    // A new file each time: truncating one makes some file systems flush it to disk.
    const fs::path file = scratchFolder() / "graph.log";
    fs::remove(file);
    std::ofstream(file, std::ios::binary)
        .write(text.data(), static_cast<std::streamsize>(text.size()));

    // Made once and copied: making a store takes a while under the sanitizers.
    static const auto pristine = [] {
        auto made = std::make_unique<GuardedState>();
        made->before.fill(0xa5);
        made->after.fill(0x5a);
        made->state.portnum = 3;
        made->state.apptitle = "Tremolex";
        made->state.rxbuffer.append("12");
        made->state.window = {1.5f, 0.9f, 0.6f};
        made->state.fullscale = 1023;
        for (const std::int16_t count : {7, 8, 9}) {
            made->state.samples.append(count);
        }
        return made;
    }();
    static const auto guarded = std::make_unique<GuardedState>();
    *guarded = *pristine;
    Form1State& state = guarded->state;

    FakeFileDialog fileDialog;
    fileDialog.answers = {file.string()};
    FakeDialogs dialogs;
    FakeKeyStore keys;
    const Module1 settings(keys);
    FakeClock clock;
    clock.now = 500;
    int grids = 0;
    LogFiles logFiles({state.lastpath, state.samples, state.times, state.apptitle}, fileDialog,
                      dialogs, settings, clock, [&] { ++grids; });
    logFiles.menuload_Click();

    FUZZ_CHECK(std::all_of(guarded->before.begin(), guarded->before.end(),
                           [](unsigned char b) { return b == 0xa5; }));
    FUZZ_CHECK(std::all_of(guarded->after.begin(), guarded->after.end(),
                           [](unsigned char b) { return b == 0x5a; }));
    FUZZ_CHECK(state.portnum == 3 && state.apptitle == "Tremolex" &&
               state.rxbuffer.text() == "12" && state.window.scaletop == 1.5f &&
               state.window.scalebottom == 0.9f && state.window.scalerange == 0.6f &&
               state.fullscale == 1023);

    if (expected.overlongLine > 0) {  // refused, and the graph shown stays
        FUZZ_CHECK(std::equal(state.samples.samples().begin(), state.samples.samples().end(),
                              pristine->state.samples.samples().begin(),
                              pristine->state.samples.samples().end()));
        FUZZ_CHECK(grids == 0 && dialogs.messages.size() == 1);
        return;
    }
    const std::size_t kept =
        std::min(expected.counts.size(), static_cast<std::size_t>(SampleStore::kCapacity));
    FUZZ_CHECK(static_cast<std::size_t>(state.samples.samplecount()) == kept);
    FUZZ_CHECK(std::equal(state.samples.samples().begin(), state.samples.samples().end(),
                          expected.counts.begin()));
    FUZZ_CHECK(state.times.starttime == 500 && state.times.lasttime == 500 && grids == 1);
    const auto keptEnd = expected.clamped.begin() + static_cast<std::ptrdiff_t>(kept);
    const bool reported = kept < expected.counts.size() ||
                          std::find(expected.clamped.begin(), keptEnd, true) != keptEnd;
    FUZZ_CHECK(dialogs.messages.size() == (reported ? 1u : 0u));
}

}  // namespace
}  // namespace tremolex

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tremolex;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Expected expected = expectedOf(text);
    constexpr auto kFull = static_cast<std::size_t>(SampleStore::kCapacity);

    LogReader whole(kFull);
    whole.feed(text);
    whole.finish();
    checkReader(whole, expected, kFull);

    LogReader pieces(kFull);
    feedInPieces(pieces, text);
    checkReader(pieces, expected, kFull);

    // Room for a few lines only, so lines beyond it are left out and counted.
    const std::size_t room = size == 0 ? 0 : data[0] % 8;
    LogReader small(room);
    feedInPieces(small, text);
    checkReader(small, expected, room);

    checkLoadGraph(text, expected);
    return 0;
}
