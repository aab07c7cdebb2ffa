// Device text through the receive path, cut into receive events as the input says. The
// samples stored are checked against a list worked out here from the line protocol
// alone, after every event.
//
// Input: byte 0 says whether the store starts nearly full (bit 7; the low six bits are
// the places left), byte 1 how many chunk sizes follow (1..8), then the chunk sizes
// (below 200 a size in bytes, from 200 on (b - 199) * 256 bytes, used in turn), then the
// text the device sends.

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fakes/fakeclock.h"
#include "fuzzcheck.h"
#include "serial/samplereception.h"

namespace tremolex {
namespace {

constexpr std::size_t kLineLimit = 4096;  // longer lines are dropped whole

// The count a line (line feed removed) stands for: spaces around a number written
// exactly as printf("%d") writes it, in -32768..32767.
std::optional<std::int16_t> countOf(std::string_view line) {
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view number = line.substr(first, line.find_last_not_of(' ') - first + 1);
    long long value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() ||
        std::to_string(value) != number || value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

// The protocol over the whole text so far, with no limit on the unfinished line.
struct Expected {
    std::vector<std::int16_t> counts;
    std::string partial;

    void feed(std::string_view text) {
        for (const char c : text) {
            if (c != '\n') {
                partial += c;
                continue;
            }
            if (partial.size() <= kLineLimit) {
                if (const auto count = countOf(partial)) {
                    counts.push_back(*count);
                }
            }
            partial.clear();
        }
    }
};

struct Chunking {
    std::vector<std::size_t> sizes;
    std::string_view text;
};

Chunking chunkingOf(std::string_view input) {
    Chunking chunking;
    if (input.size() < 2) {
        chunking.sizes = {input.size()};
        return chunking;
    }
    const std::size_t count =
        std::min<std::size_t>(static_cast<unsigned char>(input[1]) % 8 + 1, input.size() - 2);
    for (const char c : input.substr(2, count)) {
        const auto b = static_cast<std::size_t>(static_cast<unsigned char>(c));
        chunking.sizes.push_back(b < 200 ? b : (b - 199) * 256);
    }
    if (std::all_of(chunking.sizes.begin(), chunking.sizes.end(),
                    [](std::size_t size) { return size == 0; })) {
        chunking.sizes = {0, std::string_view::npos};  // one empty event, then the rest
    }
    chunking.text = input.substr(2 + count);
    return chunking;
}

}  // namespace
}  // namespace tremolex

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tremolex;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // Made once and copied: making, clearing and filling a store take a while under the
    // sanitizers.
    static SampleStore store;
    static const SampleStore empty;
    static const SampleStore nearlyFull = [] {
        SampleStore made;
        while (made.samplecount() < SampleStore::kCapacity - 63) {
            made.append(static_cast<std::int16_t>(made.samplecount() % 1024));
        }
        return made;
    }();
    store = empty;
    std::int32_t prefilled = 0;
    if (!input.empty() && (static_cast<unsigned char>(input[0]) & 0x80) != 0) {
        store = nearlyFull;
        prefilled = SampleStore::kCapacity - (static_cast<unsigned char>(input[0]) & 0x3f);
        while (store.samplecount() < prefilled) {
            store.append(1);
        }
    }

    RxBuffer rxbuffer;
    ChargeTimes times;
    FakeClock clock;
    clock.now = 1000;
    clock.step = 1;
    SampleReception reception(rxbuffer, store, times, clock);

    const Chunking chunking = chunkingOf(input);
    Expected expected;
    std::int32_t checked = prefilled;
    std::string_view rest = chunking.text;
    for (std::size_t turn = 0; !rest.empty() || turn == 0; ++turn) {
        const std::size_t length =
            std::min(chunking.sizes[turn % chunking.sizes.size()], rest.size());
        // A buffer of its own, so reading past the event's end is caught.
        const auto chunk = std::make_unique<char[]>(length);
        std::copy_n(rest.data(), length, chunk.get());
        rest.remove_prefix(length);
        reception.receive({chunk.get(), length});
        expected.feed({chunk.get(), length});

        const auto total = static_cast<std::int64_t>(prefilled) +
                           static_cast<std::int64_t>(expected.counts.size());
        const std::int64_t stored = std::min<std::int64_t>(total, SampleStore::kCapacity);
        FUZZ_CHECK(store.samplecount() <= SampleStore::kCapacity);
        FUZZ_CHECK(store.samplecount() == stored);
        FUZZ_CHECK(store.rejected() == total - stored);
        for (; checked < store.samplecount(); ++checked) {
            FUZZ_CHECK(store.sample(checked + 1) ==
                       expected.counts[static_cast<std::size_t>(checked - prefilled)]);
        }

        FUZZ_CHECK(rxbuffer.text().size() <= RxBuffer::kCapacity);
        if (expected.partial.size() <= RxBuffer::kCapacity) {
            FUZZ_CHECK(!rxbuffer.overlong() && rxbuffer.text() == expected.partial);
        } else {
            FUZZ_CHECK(rxbuffer.overlong() && rxbuffer.text().empty());
        }

        // One clock reading per stored sample, and one more for the start of a capture.
        const std::int64_t received = stored - prefilled;
        const bool capture = prefilled == 0 && received > 0;
        FUZZ_CHECK(clock.readings == received + (capture ? 1 : 0));
        if (received > 0) {
            FUZZ_CHECK(times.lasttime == clock.now - clock.step);
        }
        if (capture) {
            FUZZ_CHECK(times.starttime == static_cast<float>(1000.0 - 0.1));
        }
    }
    return 0;
}
