#pragma once

#include <cmath>
#include <cstdint>

namespace tremolex::cellsim {

// A small, fast generator (xoshiro256**, seeded through splitmix64): the simulated charges
// draw one number or more per reading, millions of times in a test run. One seed gives the
// same numbers on every platform, which the standard distributions do not promise.
class FastRandom {
public:
    explicit FastRandom(std::uint64_t seed) {
        for (std::uint64_t& word : m_state) {
            seed += 0x9e3779b97f4a7c15ULL;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            word = z ^ (z >> 31);
        }
    }

    std::uint64_t next() {
        const std::uint64_t result = rotate(m_state[1] * 5, 7) * 9;
        const std::uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = rotate(m_state[3], 45);
        return result;
    }

    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    // Uniform in [low, high).
    double between(double low, double high) { return low + (high - low) * unit(); }
    // Log-uniform in [low, high), both > 0: as many draws in each decade.
    double logBetween(double low, double high) {
        return low * std::exp(std::log(high / low) * unit());
    }
    // -1 or +1.
    double sign() { return (next() >> 63) != 0 ? 1.0 : -1.0; }
    // Exponential with the given mean: the wait for the next event of a Poisson process.
    double exponential(double mean) { return -mean * std::log1p(-unit()); }

private:
    static std::uint64_t rotate(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::uint64_t m_state[4] = {};
};

}  // namespace tremolex::cellsim
