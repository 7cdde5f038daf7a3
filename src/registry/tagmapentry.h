// What a tag map says about one key, and about one named value of a key.
#pragma once

#include <QMap>
#include <QString>

#include <cstdint>

struct TagMapValue
{
    uint32_t key = 0;    // the key itself, or for a named value the value
    QString name;        // shown instead of the hexadecimal key or the number
    QString description;
    QString help;        // may hold HTML; the tooltip of the description
    QString icon;        // icon name overriding the type's icon
    bool hex = false;    // hexadecimal display preference
};

struct TagMapEntry : TagMapValue
{
    QMap<uint32_t, TagMapValue> values; // named values, ascending
};

using TagMapEntries = QMap<uint32_t, TagMapEntry>;
