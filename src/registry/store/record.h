// Byte-level access to registry records. Every number is little-endian and
// read byte by byte, so the host's byte order and alignment never matter.
#pragma once

#include "store.h"

#include <cstdint>

namespace zn {

inline uint32_t readLe32(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

inline void writeLe32(uint8_t *p, uint32_t value)
{
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

inline uint32_t recordKey(const uint8_t *record) { return readLe32(record); }
inline uint32_t recordLength(const uint8_t *record) { return readLe32(record + 4); }
inline void setRecordLength(uint8_t *record, uint32_t length) { writeLe32(record + 4, length); }
inline size_t recordSize(const uint8_t *record) { return kRegHeaderSize + recordLength(record); }

inline void writeRecordHeader(uint8_t *record, uint32_t key, uint32_t length)
{
    writeLe32(record, key);
    writeLe32(record + 4, length);
}

} // namespace zn
