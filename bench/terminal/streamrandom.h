// SplitMix64: small and fully specified, so a seed gives the same stream on
// every machine (the standard distributions do not). Shared by the benchmark
// streams and the differential check's generator.
#pragma once

#include <cstdint>

namespace znbench {

class StreamRandom {
public:
    explicit StreamRandom(uint64_t seed) : state(seed) {}
    uint64_t next()
    {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [low, high].
    int range(int low, int high) { return low + int(next() % uint64_t(high - low + 1)); }
    bool chance(int percent) { return range(0, 99) < percent; }

private:
    uint64_t state;
};

} // namespace znbench
