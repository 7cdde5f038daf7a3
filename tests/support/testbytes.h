// Byte builders shared by the tests: hexadecimal text and little-endian words.
#pragma once

#include <QByteArray>

#include <cstdint>

// Hexadecimal text such as "0a 0B ff"; characters that are not hex digits are skipped.
inline QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

inline QByteArray le32(uint32_t value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char(value >> (8 * i));
    return bytes;
}
