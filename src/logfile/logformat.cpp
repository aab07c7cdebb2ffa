#include "logfile/logformat.h"

#include <charconv>
#include <limits>

#include "settings/textnum.h"

namespace tremolex {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A plain whole number of up to five digits with blanks around it, from `at` up to the
// first character that is none of those; how most lines look, as saved.
struct PlainNumber {
    int value = 0;
    std::size_t end = 0;  // where the blanks after it stop
    bool found = false;
};

inline PlainNumber plainNumberAt(std::string_view text, std::size_t at) {
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    const bool negative = at < text.size() && text[at] == '-';
    const std::size_t digits = negative ? at + 1 : at;
    std::size_t end = digits;
    int whole = 0;
    while (end < text.size() && end - digits < 5 && text[end] >= '0' && text[end] <= '9') {
        whole = whole * 10 + (text[end++] - '0');
    }
    const bool found = end > digits;
    while (end < text.size() && isBlank(text[end])) {
        ++end;
    }
    return {negative ? -whole : whole, end, found};
}

}  // namespace

std::string formatLog(std::span<const std::int16_t> counts) {
    std::string text;
    text.resize(counts.size() * 8);  // "-32768\r\n" is the longest line
    char* out = text.data();
    for (const std::int16_t count : counts) {
        out = std::to_chars(out, out + 6, count).ptr;
        *out++ = '\r';
        *out++ = '\n';
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    return text;
}

LogReader::LogReader(std::size_t capacity) : m_capacity(capacity) {
    m_counts.reserve(capacity);
}

void LogReader::feed(std::string_view text) {
    if (text.empty()) {
        return;  // keeps a carriage return that ended the last piece waiting for its line feed
    }
    if (m_overlongLine > 0) {
        return;  // no graph log: the rest is not read
    }
    std::size_t pos = 0;
    if (m_afterCarriageReturn && text.front() == '\n') {
        pos = 1;  // the rest of a break that the previous piece began
    }
    m_afterCarriageReturn = false;
    while (pos < text.size()) {
        if (m_partial.empty() && m_counts.size() < m_capacity) {
            // The common line, read in the same pass that finds its end.
            const PlainNumber number = plainNumberAt(text, pos);
            if (number.found && number.end < text.size() && number.end - pos <= kLongestLine &&
                (text[number.end] == '\r' || text[number.end] == '\n')) {
                m_counts.push_back(clamped(number.value));
                pos = afterBreak(text, number.end);
                continue;
            }
        }
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') {
            ++end;
        }
        const std::string_view piece = text.substr(pos, end - pos);
        if (m_partial.size() + piece.size() > kLongestLine) {
            m_overlongLine = static_cast<std::int64_t>(m_counts.size()) + m_linesLeftOut + 1;
            m_partial = std::string();
            return;
        }
        if (end == text.size()) {
            m_partial += piece;
            return;
        }
        if (m_partial.empty()) {
            line(piece);
        } else {
            m_partial += piece;
            line(m_partial);
            m_partial.clear();
        }
        pos = afterBreak(text, end);
    }
}

// Where the next line starts, given the break at `at`: a line feed right after a carriage
// return belongs to it, also when it comes only with the next piece.
std::size_t LogReader::afterBreak(std::string_view text, std::size_t at) {
    if (text[at] == '\r') {
        if (at + 1 == text.size()) {
            m_afterCarriageReturn = true;
        } else if (text[at + 1] == '\n') {
            ++at;
        }
    }
    return at + 1;
}

void LogReader::finish() {
    if (!m_partial.empty() && m_overlongLine == 0) {
        line(m_partial);
        m_partial.clear();
    }
}

void LogReader::line(std::string_view text) {
    if (m_counts.size() == m_capacity) {
        ++m_linesLeftOut;
        return;
    }
    m_counts.push_back(countOf(text));
}

std::int16_t LogReader::countOf(std::string_view text) {
    const PlainNumber number = plainNumberAt(text, 0);
    if (number.found && number.end == text.size()) {
        return clamped(number.value);
    }
    return clamped(roundHalfEven(textnum(text)));
}

std::int16_t LogReader::clamped(double value) {
    if (value < std::numeric_limits<std::int16_t>::min()) {
        ++m_linesClamped;
        return std::numeric_limits<std::int16_t>::min();
    }
    if (value > std::numeric_limits<std::int16_t>::max()) {
        ++m_linesClamped;
        return std::numeric_limits<std::int16_t>::max();
    }
    return static_cast<std::int16_t>(value);
}

}  // namespace tremolex
