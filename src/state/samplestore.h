#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "state/readingtime.h"

namespace tremolex {

// The readings of one capture, in arrival order: raw counts as the device sends them, each
// with the moment it arrived when that is known. Room for all of them is taken once, when
// the store is made (under 2 MB); appending, clearing and reading never allocate. Positions
// count from 1, as in the log files and the chart.
class SampleStore {
public:
    static constexpr std::int32_t kCapacity = 100000;

    SampleStore();

    // Number of samples held, 0..kCapacity.
    std::int32_t samplecount() const { return m_samplecount; }

    // The samples held, first to latest (element 0 is sample 1).
    std::span<const std::int16_t> samples() const {
        return {m_entries.data() + 1, static_cast<std::size_t>(m_samplecount)};
    }

    // The sample at position 1..samplecount().
    std::int16_t sample(std::int32_t position) const {
        return m_entries[static_cast<std::size_t>(position)];
    }

    // The latest sample; only when samplecount() > 0.
    std::int16_t latest() const { return sample(m_samplecount); }

    // When the sample at position 1..samplecount() arrived; not known() for one loaded
    // without times.
    ReadingTime time(std::int32_t position) const {
        return m_times[static_cast<std::size_t>(position)];
    }

    // Stores `count` behind the others, with the moment it arrived. When the store is full
    // the count is not stored, nothing is overwritten, rejected() grows, and false is
    // returned.
    bool append(std::int16_t count, ReadingTime time = {}) {
        if (m_samplecount == kCapacity) {
            ++m_rejected;
            return false;
        }
        const auto position = static_cast<std::size_t>(++m_samplecount);
        m_entries[position] = count;
        m_times[position] = time;
        return true;
    }

    // Empties the store (all entries become 0) and forgets the rejected count.
    void clear();

    bool full() const { return m_samplecount == kCapacity; }

    // Samples turned away because the store was full, since it was last cleared.
    std::int64_t rejected() const { return m_rejected; }

private:
    std::vector<std::int16_t> m_entries;  // kCapacity + 1 entries; entry 0 is never used
    std::vector<ReadingTime> m_times;     // the same
    std::int32_t m_samplecount = 0;
    std::int64_t m_rejected = 0;
};

}  // namespace tremolex
