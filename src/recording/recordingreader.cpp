#include "recording/recordingreader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tremolex {

RecordingReader::RecordingReader(std::size_t capacity) : m_ring(capacity) {}

void RecordingReader::feed(std::string_view chunk) {
    while (!chunk.empty() && m_state != State::NotRecording) {
        const std::size_t end = chunk.find('\n');
        if (end == std::string_view::npos) {
            append(chunk);
            m_offset += chunk.size();
            return;
        }
        const std::string_view piece = chunk.substr(0, end + 1);
        m_offset += piece.size();
        chunk.remove_prefix(piece.size());
        if (m_pendingSize == 0 && !m_skipping) {
            line(piece);  // the common case: the whole line is in this chunk
            continue;
        }
        append(piece);
        line(m_skipping ? std::string_view() : std::string_view(m_pending.data(), m_pendingSize));
        m_pendingSize = 0;
        m_skipping = false;
    }
}

void RecordingReader::append(std::string_view piece) {
    if (m_skipping) {
        return;
    }
    if (piece.size() > m_pending.size() - m_pendingSize) {
        m_skipping = true;  // too long to be a reading: no need to hold any of it
        m_pendingSize = 0;
        return;
    }
    std::memcpy(m_pending.data() + m_pendingSize, piece.data(), piece.size());
    m_pendingSize += piece.size();
}

void RecordingReader::finish() {
    if (m_pendingSize > 0 || m_skipping) {
        if (m_state == State::Readings) {
            ++m_leftOut.torn;
        }
        m_pendingSize = 0;
        m_skipping = false;
    }
    if (m_state == State::Header) {
        m_state = State::NotRecording;  // the header never ended
    }
}

// A whole line, its line feed included; empty for one that was skipped as too long.
void RecordingReader::line(std::string_view text) {
    if (m_state == State::Header) {
        text.remove_suffix(text.empty() ? 0 : 1);
        if (text.ends_with('\r')) {
            text.remove_suffix(1);
        }
        m_state = text == kRecordingHeader ? State::Readings : State::NotRecording;
        m_soundBytes = m_state == State::Readings ? m_offset : 0;
        return;
    }
    if (text.empty() || text.size() > kRecordingLineCapacity) {
        ++m_leftOut.overlong;
        return;
    }
    reading(text);
}

void RecordingReader::reading(std::string_view text) {
    const std::optional<RecordedReading> parsed = parseRecordingLine(text);
    if (!parsed) {
        ++m_leftOut.malformed;
        return;
    }
    if (m_last && parsed->chargeSeconds < m_last->chargeSeconds) {
        ++m_leftOut.backwards;
        return;
    }
    if (!m_first) {
        m_first = parsed;
    }
    m_last = parsed;
    ++m_soundLines;
    m_soundBytes = m_offset;
    keep(*parsed);
}

void RecordingReader::keep(const RecordedReading& reading) {
    if (m_ring.empty()) {
        return;
    }
    m_ring[m_next] = reading;
    m_next = m_next + 1 == m_ring.size() ? 0 : m_next + 1;
    m_kept = std::min(m_kept + 1, m_ring.size());
}

std::vector<RecordedReading> RecordingReader::takeReadings() {
    if (m_kept < m_ring.size()) {
        m_ring.resize(m_kept);  // never wrapped: already in order
    } else {
        std::rotate(m_ring.begin(), m_ring.begin() + static_cast<std::ptrdiff_t>(m_next),
                    m_ring.end());
    }
    m_next = 0;
    m_kept = 0;
    return std::exchange(m_ring, {});
}

}  // namespace tremolex
