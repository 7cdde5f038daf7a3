// Registry blobs built byte by byte, and a registry as a controller of the
// family holds it, for the tests of everything that reads registries.
#pragma once

#include "testbytes.h"

#include <cstdint>

// A record with an explicit length field, which may lie about its payload.
inline QByteArray rawRecord(uint32_t key, uint32_t length, const QByteArray &payload = {})
{
    return le32(key) + le32(length) + payload;
}

inline QByteArray record(uint32_t key, const QByteArray &payload = {})
{
    return rawRecord(key, uint32_t(payload.size()), payload);
}

inline QByteArray rootBlob(const QByteArray &contents = {}) { return record(0xFFFFFFFFu, contents); }

// A controller's registry: every value type the built-in map uses, named
// values, a hexadecimal value, two numbered serial ports, and the IPv4 and
// UInt keys that share the tag 0xA70107.
inline QByteArray sampleDeviceRegistry()
{
    const QByteArray general = record(0x02A70001, hex("00")) + record(0x03A70003, "Europe/Berlin")
        + record(0x11A70004, le32(400000000)) + record(0x19A70005) + record(0x10A70006, le32(1))
        + record(0x03A70007, "Lobby") + record(0x22A70008, hex("2003 5802"));
    const QByteArray network = record(0x10A70100, le32(2)) + record(0x14A70101, hex("c0a80102"))
        + record(0x14A70102, hex("ffffff00")) + record(0x14A70103, hex("c0a80101"))
        + record(0x14A70107, hex("c0a80105")) + record(0x11A70107, le32(514)) + record(0x11A70109, le32(0))
        + record(0x03A7010A, "/api/v1");
    const QByteArray serial = record(0xFFA70200, record(0x11A70200, le32(115200)) + record(0x11A70201, le32(0)))
        + record(0xFFA70201, record(0x11A70200, le32(9600)) + record(0x11A70201, le32(17)));
    const QByteArray display = record(0x00A70300, hex("1f 00 e3 0f 2a 00 c1 0f")) + record(0x11A70301, le32(3));
    const QByteArray signage = record(0x21A70501, hex("0000 0000 8002 e001")) + record(0x11A70512, le32(0x00FFEEDD))
        + record(0x10A70516, le32(4));
    return rootBlob(record(0xFFA70000, general) + record(0xFFA70100, network) + record(0xFFA702FF, serial)
                    + record(0xFFA703FF, display) + record(0xFFA70500, signage));
}
