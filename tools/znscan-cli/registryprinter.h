// A registry as a tree for people (indented text) or for programs (nested
// JSON objects), with names, types and descriptions from a tag map and the
// values in their display form.
#pragma once

#include <QJsonObject>
#include <QString>

class TagMap;

namespace zn {
struct RegistryHandle;
}

// { "key": "0x%08X", "type": type name or "", "name": the map's name or the
// hexadecimal key, "description": text or "", then "value" (display text)
// for a value or "children" (array) for a section }. The root is named "Root".
// A section that is never followed (keyed like the root, or repeating a key of
// its section) has a "value": its raw bytes.
QJsonObject registryToJson(zn::RegistryHandle *root, const TagMap &tagMap);

// One line per record, indented two spaces per level:
//   name (type 0xKEY) = value  -- description
// Sections have no "= value" unless they are never followed; records without
// a type name show "Tag".
QString registryToText(zn::RegistryHandle *root, const TagMap &tagMap);
