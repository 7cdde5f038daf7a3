// Little-endian integers inside value payloads, and the day that date
// payloads count from.
#pragma once

#include "byteorder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>

#include <algorithm>
#include <cstdint>

// The first min(size, 8) bytes from offset as an unsigned number; missing
// bytes read as zero.
inline uint64_t readPayloadLE(QByteArrayView payload, qsizetype offset = 0, qsizetype width = 8)
{
    const qsizetype end = std::min(payload.size(), offset + std::min<qsizetype>(width, 8));
    if (end <= offset)
        return 0;
    return readLE(reinterpret_cast<const uint8_t *>(payload.data()) + offset, size_t(end - offset));
}

inline void appendPayloadLE(QByteArray *out, uint64_t value, int width)
{
    Q_ASSERT(width >= 0 && width <= 8);
    uint8_t bytes[8];
    writeLE(bytes, value, size_t(width));
    out->append(reinterpret_cast<const char *>(bytes), width);
}

// Day 0 of Date and DateTime payloads.
inline QDate payloadEpoch()
{
    return QDate(1990, 1, 1);
}
