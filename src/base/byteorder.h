// Fixed-width integers read and written byte by byte, so the host's byte
// order and alignment never matter. Big-endian for the controller datagrams
// (first byte most significant), little-endian for registry records.
#pragma once

#include <cstddef>
#include <cstdint>

// The first `size` bytes (at most 8) as a big-endian number.
inline uint64_t readBE(const uint8_t *p, size_t size)
{
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value = value << 8 | p[i];
    return value;
}

inline int readBE16(const unsigned char *p)
{
    return int(readBE(p, 2));
}

inline uint32_t readBE32(const unsigned char *p)
{
    return uint32_t(readBE(p, 4));
}

inline uint64_t readBE64(const unsigned char *p)
{
    return readBE(p, 8);
}

// The low `size` bytes of value, most significant first.
inline void writeBE(uint8_t *p, uint64_t value, size_t size)
{
    for (size_t i = size; i-- > 0; value >>= 8)
        p[i] = uint8_t(value);
}

// The first `size` bytes (at most 8) as a little-endian number.
inline uint64_t readLE(const uint8_t *p, size_t size)
{
    uint64_t value = 0;
    for (size_t i = size; i-- > 0;)
        value = value << 8 | p[i];
    return value;
}

inline uint32_t readLE32(const uint8_t *p)
{
    return uint32_t(readLE(p, 4));
}

// The low `size` bytes of value, least significant first.
inline void writeLE(uint8_t *p, uint64_t value, size_t size)
{
    for (size_t i = 0; i < size; ++i, value >>= 8)
        p[i] = uint8_t(value);
}

inline void writeLE32(uint8_t *p, uint32_t value)
{
    writeLE(p, value, 4);
}
