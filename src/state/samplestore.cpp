#include "state/samplestore.h"

#include <algorithm>

namespace tremolex {

SampleStore::SampleStore()
    : m_entries(static_cast<std::size_t>(kCapacity) + 1, 0),
      m_times(static_cast<std::size_t>(kCapacity) + 1) {}

void SampleStore::clear() {
    std::fill(m_entries.begin() + 1, m_entries.end(), std::int16_t{0});
    std::fill(m_times.begin() + 1, m_times.begin() + m_samplecount + 1, ReadingTime{});
    m_samplecount = 0;
    m_rejected = 0;
}

}  // namespace tremolex
