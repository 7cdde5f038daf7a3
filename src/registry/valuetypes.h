// The fixed table of value types: the type code in bits 31..24 of every
// registry key, its name, its icon and the payload a new value starts with.
#pragma once

#include <QString>

#include <cstdint>

namespace ValueType {
enum Code : uint8_t {
    Binary = 0x00,
    Int = 0x01,
    Bool = 0x02,
    String = 0x03,
    Date = 0x04,
    Time = 0x05,
    DateTime = 0x06,
    BitArray = 0x07,
    Int64 = 0x08,
    Enum = 0x10,
    UInt = 0x11,
    IPv4 = 0x14,
    MAC = 0x15,
    IPv6 = 0x16,
    UInt64 = 0x18,
    Password = 0x19,
    Point = 0x20,
    Rect = 0x21,
    Size = 0x22,
    Section = 0xFF,
};
} // namespace ValueType

struct ValueTypeInfo
{
    uint8_t code;
    const char *name;     // "" for the geometry types
    const char *iconName; // "" when the type has no icon
    int newPayloadSize;   // zero bytes of a new value; -1 for a section
};

inline uint8_t valueTypeOf(uint32_t key) { return uint8_t(key >> 24); }

// The table row of a type code, or null for a code the table does not list.
const ValueTypeInfo *valueTypeInfo(uint8_t code);

// The type name of a key ("Section" for every section key), empty when the
// type has none. Fixed strings, never translated.
QString valueTypeName(uint32_t key);
// The icon name of a key's type, empty when it has none.
QString valueTypeIconName(uint32_t key);
// "0x" and the eight upper-case hexadecimal digits of a key: how a key
// without a name is shown.
QString hexKeyText(uint32_t key);
// Number of zero bytes a new value of the key's type starts with; -1 for
// sections and for codes that cannot be created.
int newValueSize(uint32_t key);
