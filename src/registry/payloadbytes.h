// Little-endian integers inside value payloads, read and written byte by
// byte, and the day that date payloads count from.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>

#include <algorithm>
#include <cstdint>

// The first min(size, 8) bytes from offset as an unsigned number; missing
// bytes read as zero.
inline uint64_t readPayloadLE(QByteArrayView payload, qsizetype offset = 0, qsizetype width = 8)
{
    uint64_t value = 0;
    const qsizetype end = std::min(payload.size(), offset + std::min<qsizetype>(width, 8));
    for (qsizetype i = end - 1; i >= offset; --i)
        value = (value << 8) | uint8_t(payload[i]);
    return value;
}

inline void appendPayloadLE(QByteArray *out, uint64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        out->append(char(uint8_t(value >> (8 * i))));
}

// Day 0 of Date and DateTime payloads.
inline QDate payloadEpoch()
{
    return QDate(1990, 1, 1);
}
