// SplitMix64: small and fully specified, so a seed gives the same stream on
// every machine (the standard distributions do not). Used wherever a run must
// be repeatable: simulated devices, benchmark streams, differential checks.
#pragma once

#include <cstdint>

class SeededRandom {
public:
    explicit SeededRandom(uint64_t seed) : m_state(seed) {}

    uint64_t next()
    {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, bound).
    uint32_t below(uint32_t bound) { return uint32_t(next() % bound); }
    // Uniform in [low, high].
    int range(int low, int high) { return low + int(next() % uint64_t(high - low + 1)); }
    bool oneIn(uint32_t n) { return below(n) == 0; }
    bool chance(int percent) { return range(0, 99) < percent; }

private:
    uint64_t m_state;
};
