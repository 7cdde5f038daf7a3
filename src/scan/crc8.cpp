#include "datagram.h"

#include <array>

namespace zn {
namespace {

// Table of the reflected CRC-8 (polynomial 0x31, reflected 0x8C) of every byte.
constexpr std::array<uint8_t, 256> makeCrc8Table()
{
    std::array<uint8_t, 256> table{};
    for (unsigned i = 0; i < table.size(); ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0x8C : crc >> 1;
        table[i] = static_cast<uint8_t>(crc);
    }
    return table;
}

constexpr std::array<uint8_t, 256> kCrc8Table = makeCrc8Table();
static_assert(kCrc8Table[0x01] == 0x5E && kCrc8Table[0x80] == 0x8C);

} // namespace

uint8_t crc8(const uint8_t *data, size_t len)
{
    uint8_t crc = 0xFF;
    for (size_t i = 0; i < len; ++i)
        crc = kCrc8Table[crc ^ data[i]];
    return crc;
}

} // namespace zn
