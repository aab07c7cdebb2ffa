#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "recording/recordedreading.h"
#include "recording/recordingformat.h"

namespace tremolex {

// Reads a recording fed in pieces of any size, in memory bounded by the capacity whatever
// the file's size: keeps the last `capacity` sound readings and counts the rest. A line ends
// at a line feed (a carriage return before it is part of the ending). A line is sound when
// it is whole and parseRecordingLine reads it, and its charge time is not before the
// previous sound line's; any other line is left out, counted by why, and reading goes on
// with the next. Never holds more than one line's worth of a line that is not yet ended.
class RecordingReader {
public:
    // Lines left out, by why.
    struct LeftOut {
        std::int64_t torn = 0;       // the last line, not ended by a line feed: 0 or 1
        std::int64_t malformed = 0;  // a whole line that is no reading (damage, zeros, text)
        std::int64_t overlong = 0;   // longer than any reading's line: skipped, not buffered
        std::int64_t backwards = 0;  // charge time before the previous sound line's

        std::int64_t total() const { return torn + malformed + overlong + backwards; }
        bool operator==(const LeftOut&) const = default;
    };

    // Keeps the last `capacity` sound readings (room for them is taken here, once).
    explicit RecordingReader(std::size_t capacity);

    void feed(std::string_view chunk);
    // The file has ended: a line not ended by then is torn.
    void finish();

    // Whether the first line is the header, whole. When it is not, the text is no recording
    // and nothing after it is read: every count below stays 0.
    bool hasHeader() const { return m_state == State::Readings; }

    // Sound reading lines in the whole text, kept or not.
    std::int64_t soundLines() const { return m_soundLines; }
    const LeftOut& leftOut() const { return m_leftOut; }
    std::optional<RecordedReading> firstReading() const { return m_first; }
    std::optional<RecordedReading> lastReading() const { return m_last; }

    // The offset just past the line ending of the last sound line (or of the header when no
    // reading is sound; 0 when there is no header): a writer that cuts the file there and
    // appends has a sound recording again, without a torn tail or garbage appended.
    std::uint64_t soundBytes() const { return m_soundBytes; }

    // The last min(soundLines(), capacity) sound readings, first to last. Hands over the
    // room taken at the start: the reader keeps no readings afterwards.
    std::vector<RecordedReading> takeReadings();

private:
    enum class State { Header, Readings, NotRecording };

    void append(std::string_view piece);
    void line(std::string_view text);
    void reading(std::string_view text);
    void keep(const RecordedReading& reading);

    State m_state = State::Header;
    std::vector<RecordedReading> m_ring;  // the kept readings; m_next is where the next goes
    std::size_t m_next = 0;
    std::size_t m_kept = 0;

    // The start of a line not yet ended; once longer than any reading's line, only skipped.
    std::array<char, kRecordingLineCapacity> m_pending{};
    std::size_t m_pendingSize = 0;
    bool m_skipping = false;

    std::uint64_t m_offset = 0;  // bytes fed so far
    std::uint64_t m_soundBytes = 0;
    std::int64_t m_soundLines = 0;
    LeftOut m_leftOut;
    std::optional<RecordedReading> m_first;
    std::optional<RecordedReading> m_last;
};

}  // namespace tremolex
