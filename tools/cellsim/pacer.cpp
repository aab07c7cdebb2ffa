#include "pacer.h"

#include <algorithm>

namespace tremolex::cellsim {

namespace {

constexpr double kBitsPerByte = 10;

}  // namespace

double Pacer::lineSeconds(std::size_t bytes, int baud) {
    return static_cast<double>(bytes) * kBitsPerByte / baud;
}

double Pacer::scheduledOffset(std::uint64_t index) const {
    const auto burst = static_cast<std::uint64_t>(std::max(m_settings.burst, 1));
    const std::uint64_t lastOfGroup = index / burst * burst + (burst - 1);
    return static_cast<double>(lastOfGroup) * period();
}

double Pacer::dueAt(std::uint64_t index) const {
    return std::max(m_origin + scheduledOffset(index), m_lineFreeAt);
}

void Pacer::sent(double start, std::size_t bytes) {
    m_lineFreeAt = std::max(start, m_lineFreeAt) + lineSeconds(bytes, m_settings.baud);
}

void Pacer::restart(std::uint64_t index, double now) {
    m_origin = now - scheduledOffset(index);
}

}  // namespace tremolex::cellsim
