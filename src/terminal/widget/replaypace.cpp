#include "replaypace.h"

#include <algorithm>

namespace {

constexpr uint64_t kBitsPerCharacterMs = 10 * 1000; // ten bits a character, speed per second
constexpr uint32_t kFirstMs = 20;
constexpr uint32_t kLastMs = 1000;

} // namespace

ReplayPace replayPace(uint32_t bitsPerSecond)
{
    for (uint32_t ms = kFirstMs; ms <= kLastMs; ++ms) {
        const uint64_t scaled = uint64_t(bitsPerSecond) * ms;
        const uint64_t bytes = scaled / kBitsPerCharacterMs;
        const uint64_t rest = scaled % kBitsPerCharacterMs;
        if (bytes >= 1 && (rest < kBitsPerCharacterMs / 10 || rest > kBitsPerCharacterMs * 9 / 10))
            return {uint32_t(bytes), ms};
    }
    const uint64_t bytes = uint64_t(bitsPerSecond) * kLastMs / kBitsPerCharacterMs;
    return {uint32_t(std::max<uint64_t>(bytes, 1)), kLastMs + 1};
}
