// Any file contents as a recording: through the reader whole and in pieces of 0..4 bytes
// chosen by the contents, with room for every reading and for a few. The reader must give
// what splitting the text at line feeds and reading each whole line alone gives, and every
// line it takes must be one the formatter writes the same way again.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fuzzcheck.h"
#include "fuzzpieces.h"
#include "recording/recordingformat.h"
#include "recording/recordingreader.h"

namespace tremolex {
namespace {

struct Expected {
    bool hasHeader = false;
    std::vector<RecordedReading> readings;
    RecordingReader::LeftOut leftOut;
    std::uint64_t soundBytes = 0;
};

// A sound line says what the formatter writes for its reading at the line's own offset
// (the volts aside: they need not agree with the count).
void checkCanonical(std::string_view line, const RecordedReading& reading) {
    const std::string_view offset = line.substr(23, 6);
    const int minutes = ((offset[1] - '0') * 10 + (offset[2] - '0')) * 60 + (offset[4] - '0') * 10 +
                        (offset[5] - '0');
    std::array<char, kRecordingLineCapacity> again{};
    const std::size_t length =
        formatRecordingLine(reading, offset[0] == '-' ? -minutes : minutes, again);
    const std::string_view written(again.data(), length);
    FUZZ_CHECK(length > 0);
    FUZZ_CHECK(line.substr(0, line.rfind(',')) == written.substr(0, written.rfind(',')));
}

Expected expectedOf(std::string_view text) {
    Expected expected;
    const std::size_t firstEnd = text.find('\n');
    std::string_view header = text.substr(0, firstEnd);
    if (header.ends_with('\r')) {
        header.remove_suffix(1);
    }
    if (firstEnd == std::string_view::npos || header != kRecordingHeader) {
        return expected;
    }
    expected.hasHeader = true;
    expected.soundBytes = firstEnd + 1;
    std::optional<double> lastCharge;
    for (std::size_t start = firstEnd + 1; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            ++expected.leftOut.torn;
            break;
        }
        const std::string_view line = text.substr(start, end + 1 - start);
        start = end + 1;
        const std::optional<RecordedReading> reading = parseRecordingLine(line);
        if (line.size() > kRecordingLineCapacity) {
            FUZZ_CHECK(!reading);
            ++expected.leftOut.overlong;
        } else if (!reading) {
            ++expected.leftOut.malformed;
        } else if (lastCharge && reading->chargeSeconds < *lastCharge) {
            ++expected.leftOut.backwards;
        } else {
            checkCanonical(line, *reading);
            lastCharge = reading->chargeSeconds;
            expected.readings.push_back(*reading);
            expected.soundBytes = start;
        }
    }
    return expected;
}

void checkReader(std::string_view text, const Expected& expected, std::size_t room, bool inPieces) {
    RecordingReader reader(room);
    feedInPieces(text, inPieces, [&reader](const std::string& piece) { reader.feed(piece); });
    reader.finish();

    FUZZ_CHECK(reader.hasHeader() == expected.hasHeader);
    FUZZ_CHECK(reader.leftOut() == expected.leftOut);
    FUZZ_CHECK(reader.soundBytes() == expected.soundBytes);
    const std::span<const RecordedReading> all = expected.readings;
    FUZZ_CHECK(reader.soundLines() == static_cast<std::int64_t>(all.size()));
    FUZZ_CHECK(reader.firstReading() == (all.empty() ? std::nullopt : std::optional(all.front())));
    FUZZ_CHECK(reader.lastReading() == (all.empty() ? std::nullopt : std::optional(all.back())));
    FUZZ_CHECK(std::ranges::equal(reader.takeReadings(), all.last(std::min(room, all.size()))));
}

}  // namespace
}  // namespace tremolex

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tremolex;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Expected expected = expectedOf(text);
    checkReader(text, expected, size, false);
    checkReader(text, expected, size, true);
    // Room for a few readings only, so the ring wraps.
    checkReader(text, expected, size == 0 ? 0 : data[0] % 8, true);
    return 0;
}
