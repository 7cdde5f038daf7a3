// Opens stores over registry blobs for the registry tests.
#pragma once

#include "registryblob.h"
#include "store.h"

#include <QList>

#include <cstdint>

using KeyList = QList<uint32_t>;

// A store open over its own buffer of `capacity` bytes (the blob, then a fill
// pattern that the store must never touch), closed at the end of the scope.
struct OpenStore {
    QByteArray buffer;
    zn::RegistryHandle *root = nullptr;

    OpenStore(const QByteArray &blob, int capacity)
        : buffer(blob.leftJustified(capacity, char(0xEE), true))
        , root(zn::reg_open(reinterpret_cast<uint8_t *>(buffer.data()), size_t(buffer.size())))
    {
    }
    ~OpenStore() { zn::reg_close(root); }
    OpenStore(const OpenStore &) = delete;
    OpenStore &operator=(const OpenStore &) = delete;

    // Deep copies: the store writes through a raw pointer, which a shared copy would see.
    QByteArray blob() const { return QByteArray(buffer.constData(), int(zn::reg_used_size(root))); }
    QByteArray snapshot() const { return QByteArray(buffer.constData(), buffer.size()); }
};

inline KeyList keysOf(const zn::RegistryHandle *h)
{
    KeyList keys;
    for (int i = 0; i < zn::reg_count(h); ++i)
        keys.append(zn::reg_key_at(h, i));
    return keys;
}
