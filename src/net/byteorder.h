// Big-endian readers for the controller datagrams: the first byte is the most significant.
#pragma once

#include <cstdint>

inline int readBE16(const unsigned char *p)
{
    return (int(p[0]) << 8) | int(p[1]);
}

inline uint32_t readBE32(const unsigned char *p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

inline uint64_t readBE64(const unsigned char *p)
{
    return (uint64_t(readBE32(p)) << 32) | readBE32(p + 4);
}
