// The registry that the configuration dialog edits: a working copy of a
// device's registry with a store open over it, the registry as it was
// downloaded (what an upload is compared with), and the files exported from
// and imported into the copy. A model shown over the store is told whenever
// the store is replaced.
#pragma once

#include "registrychanges.h"

#include <QByteArray>
#include <QPointer>

#include <cstddef>
#include <cstdint>
#include <vector>

class RegistryModel;
class TagMap;

namespace zn {
struct RegistryHandle;
}

class RegistryWorkingCopy
{
public:
    // The buffer holds registryCapacity bytes, the size of a device's registry.
    explicit RegistryWorkingCopy(size_t registryCapacity);
    ~RegistryWorkingCopy();
    RegistryWorkingCopy(const RegistryWorkingCopy &) = delete;
    RegistryWorkingCopy &operator=(const RegistryWorkingCopy &) = delete;

    // Shows the store in model (may be null) from now on; an earlier model
    // is emptied.
    void setModel(RegistryModel *model);

    // Starts over on a downloaded registry (its used bytes): a clean store.
    void load(QByteArrayView downloaded);
    // Replaces the copy with the registry of a configuration file; it counts
    // as an unsaved change even where it equals the device's. On failure
    // nothing changes and *error says why.
    bool importFile(const QString &path, QString *error);
    bool exportFile(const QString &path, QString *error) const;

    // The root of the open store; null before load.
    zn::RegistryHandle *root() const { return m_root; }
    // The copy's used bytes: what an upload sends.
    QByteArray blob() const;
    // What uploading the copy would change on the device, key by key.
    QList<RegistryChange> changes(const TagMap *tagMap) const;

private:
    void open(QByteArrayView blob);

    // Not a QByteArray: the store writes through a raw pointer, which a
    // shared copy would see.
    std::vector<uint8_t> m_buffer;
    QByteArray m_downloaded;
    zn::RegistryHandle *m_root = nullptr;
    QPointer<RegistryModel> m_model;
};
