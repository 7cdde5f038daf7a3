// How a log replay at a given line speed is cut into timer ticks.
#pragma once

#include <cstdint>

struct ReplayPace {
    uint32_t bytes;      // shown per tick
    uint32_t intervalMs; // between ticks
};

// Ten bits per character (start, eight data bits, stop). Picks the shortest
// interval from 20 ms up whose byte count is within a tenth of a character of
// the exact figure, so that the speed comes out right on average.
ReplayPace replayPace(uint32_t bitsPerSecond);
