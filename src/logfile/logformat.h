#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tremolex {

// A graph log file: one count per line in decimal, each line ended by carriage return and
// line feed, nothing else. An empty series gives an empty file.
std::string formatLog(std::span<const std::int16_t> counts);

// Reads any text as a graph log, fed in pieces of any size. A line ends at a carriage
// return (a line feed right after it belongs to the same break) or at a line feed alone;
// the last line counts without a break, and an empty line is a line. Every line becomes
// one count: its leading number (blanks ignored, as settings are read), rounded to whole,
// halves to even. A number beyond -32768..32767 is set to the nearer limit.
class LogReader {
public:
    // A line longer than this makes the text no graph log: reading stops there, so a file
    // without line breaks (a disk image chosen by mistake) cannot fill the memory.
    static constexpr std::size_t kLongestLine = 64 * 1024;

    // Keeps the first `capacity` counts; further lines are only counted.
    explicit LogReader(std::size_t capacity);

    void feed(std::string_view text);
    // The file has ended.
    void finish();

    const std::vector<std::int16_t>& counts() const { return m_counts; }
    std::int64_t linesLeftOut() const { return m_linesLeftOut; }
    std::int64_t linesClamped() const { return m_linesClamped; }
    // The number (from 1) of the first line longer than kLongestLine, 0 when none is. Once
    // there is one the rest of the text is ignored and the counts are of no use.
    std::int64_t overlongLine() const { return m_overlongLine; }

private:
    void line(std::string_view text);
    std::size_t afterBreak(std::string_view text, std::size_t at);
    std::int16_t countOf(std::string_view text);
    std::int16_t clamped(double value);

    std::size_t m_capacity;
    std::vector<std::int16_t> m_counts;
    std::string m_partial;  // a line not yet ended by a break
    bool m_afterCarriageReturn = false;
    std::int64_t m_linesLeftOut = 0;
    std::int64_t m_linesClamped = 0;
    std::int64_t m_overlongLine = 0;
};

}  // namespace tremolex
