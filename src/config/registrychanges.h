// What an upload changes: two registries compared key by key, in the words
// and value texts the registry tree shows. Records are matched by their key
// within their section (a key a damaged blob repeats, by its place among the
// records with that key); sections are followed where the tree follows them.
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>

class TagMap;

struct RegistryChange
{
    enum Kind { Added, Removed, Changed };

    Kind kind;
    QList<uint32_t> path; // the keys from below the root down to the record's own
    QString name;         // the names along the path (the tag map's, else the key), joined by " / "
    QString before;       // display texts; empty for a section and for the side without the record
    QString after;

    uint32_t key() const { return path.last(); }
};

// The changes from before to after (registry blobs: their used bytes), each
// section's removed and changed records in their old order, then its added
// ones. A section added or removed comes with everything inside it. Nothing
// for two registries with the same records, in whatever order.
QList<RegistryChange> registryChanges(QByteArrayView before, QByteArrayView after, const TagMap *tagMap);

// One line: "changed Network / IP Address (IPv4 0x14A70101): 192.168.1.2 ->
// 10.0.0.1", "added ... = 514", "removed ... = 514"; a section has no value.
QString registryChangeText(const RegistryChange &change);
