// The text forms of typed registry values. formatPayload turns payload bytes
// into what the tree shows (display mode) or what an editor starts from (edit
// mode); parsePayload turns what an editor returns into payload bytes. A
// payload that cannot be shown in its type's form is shown as binary text.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QVariant>

#include <cstdint>

class TagMap;

namespace zn {
struct RegistryHandle;
}

// Display mode gives a text; edit mode gives the editor's value, or an
// invalid variant when the value cannot be edited. Named values of the tag
// map (may be null) are used in display mode only; hex is honoured by UInt
// and UInt64.
QVariant formatPayload(uint32_t key, QByteArrayView payload, bool editMode, bool hex,
                       const TagMap *tagMap = nullptr);

// The payload for an edited value; false refuses the edit (out unchanged).
bool parsePayload(uint32_t key, const QVariant &value, QByteArray *out);

// The same over a store: the record key inside the section of handle. A
// missing record formats as an invalid variant.
QVariant formatValue(zn::RegistryHandle *handle, uint32_t key, bool editMode, bool hex,
                     const TagMap *tagMap = nullptr);
// Writes the parsed payload with reg_set; false when refused or out of room,
// and then nothing is written.
bool parseValue(zn::RegistryHandle *handle, uint32_t key, const QVariant &value);
