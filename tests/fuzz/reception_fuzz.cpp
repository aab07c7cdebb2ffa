// Device text through the receive path, cut into receive events as the input says. The
// samples stored are checked against a list worked out here from the line protocol
// alone, after every event.
//
// Input: byte 0 says whether the store starts nearly full (bit 7; the low six bits are
// the places left), byte 1 how many chunk sizes follow (1..8), then the chunk sizes
// (below 200 a size in bytes, from 200 on (b - 199) * 256 bytes, used in turn), then the
// text the device sends.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
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

// The count a line (line feed removed) stands for: spaces around a number written
// exactly as printf("%d") writes it, in -32768..32767. Longer lines are dropped whole.
std::optional<std::int16_t> countOf(std::string_view line) {
    const std::size_t first = std::min(line.find_first_not_of(' '), line.size());
    const std::string number(line.substr(first, line.find_last_not_of(' ') + 1 - first));
    const long long value = std::strtoll(number.c_str(), nullptr, 10);
    if (line.size() > 4096 || std::to_string(value) != number || value < -32768 || value > 32767) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

}  // namespace
}  // namespace tremolex

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tremolex;
    const std::size_t sizeCount = size < 2 ? 0 : std::min<std::size_t>(data[1] % 8 + 1, size - 2);
    std::vector<std::size_t> sizes;
    for (std::size_t i = 2; i < 2 + sizeCount; ++i) {
        sizes.push_back(data[i] < 200 ? data[i] : (data[i] - 199u) * 256);
    }
    if (std::all_of(sizes.begin(), sizes.end(), [](std::size_t s) { return s == 0; })) {
        sizes = {0, std::string_view::npos};  // one empty event, then the rest
    }
    std::string_view rest = std::string_view(reinterpret_cast<const char*>(data), size)
                                .substr(std::min<std::size_t>(2 + sizeCount, size));

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
    const bool prefill = size > 0 && (data[0] & 0x80) != 0;
    const std::int32_t prefilled = prefill ? SampleStore::kCapacity - (data[0] & 0x3f) : 0;
    store = prefill ? nearlyFull : empty;
    while (store.samplecount() < prefilled) {
        store.append(1);
    }

    RxBuffer rxbuffer;
    ChargeTimes times;
    FakeClock clock;
    clock.now = 1000;
    clock.step = 1;
    SampleReception reception(rxbuffer, store, times, clock);
    std::vector<std::int16_t> counts;  // the protocol over the text so far
    std::string partial;               // with no limit on the unfinished line
    std::int32_t checked = prefilled;
    for (std::size_t turn = 0; !rest.empty() || turn == 0; ++turn) {
        const std::size_t length = std::min(sizes[turn % sizes.size()], rest.size());
        // A buffer of its own, so reading past the event's end is caught.
        const auto chunk = std::make_unique<char[]>(length);
        std::copy_n(rest.data(), length, chunk.get());
        rest.remove_prefix(length);
        reception.receive({chunk.get(), length});
        partial.append(chunk.get(), length);
        std::size_t start = 0;
        for (std::size_t end; (end = partial.find('\n', start)) != partial.npos; start = end + 1) {
            if (const auto count = countOf(std::string_view(partial).substr(start, end - start))) {
                counts.push_back(*count);
            }
        }
        partial.erase(0, start);

        const auto total = prefilled + static_cast<std::int64_t>(counts.size());
        const std::int64_t stored = std::min<std::int64_t>(total, SampleStore::kCapacity);
        FUZZ_CHECK(store.samplecount() == stored && store.rejected() == total - stored);
        for (; checked < store.samplecount(); ++checked) {
            FUZZ_CHECK(store.sample(checked + 1) ==
                       counts[static_cast<std::size_t>(checked - prefilled)]);
        }

        const bool overlong = partial.size() > RxBuffer::kCapacity;
        FUZZ_CHECK(rxbuffer.overlong() == overlong && rxbuffer.text() == (overlong ? "" : partial));

        // One clock reading per reading, stored or turned away; the first of a capture
        // starts it, which a store already holding samples (a loaded log) does not.
        const std::int64_t received = stored - prefilled;
        const bool capture = prefilled == 0 && received > 0;
        FUZZ_CHECK(clock.readings == static_cast<std::int64_t>(counts.size()));
        FUZZ_CHECK(received == 0 || times.lasttime == 1000.0 + static_cast<double>(received - 1));
        FUZZ_CHECK(times.starttime == (capture ? 1000.0 - 0.1 : 0.0));
        FUZZ_CHECK(received == 0 || store.time(static_cast<std::int32_t>(stored)).chargeSeconds ==
                                        times.lasttime - times.starttime);
    }
    return 0;
}
