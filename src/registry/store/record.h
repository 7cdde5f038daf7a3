// Byte-level access to registry records; every number is little-endian.
#pragma once

#include "byteorder.h"
#include "store.h"

#include <cstdint>

namespace zn {

inline uint32_t recordKey(const uint8_t *record) { return readLE32(record); }
inline uint32_t recordLength(const uint8_t *record) { return readLE32(record + 4); }
inline void setRecordLength(uint8_t *record, uint32_t length) { writeLE32(record + 4, length); }
inline size_t recordSize(const uint8_t *record) { return kRegHeaderSize + recordLength(record); }

inline void writeRecordHeader(uint8_t *record, uint32_t key, uint32_t length)
{
    writeLE32(record, key);
    writeLE32(record + 4, length);
}

} // namespace zn
