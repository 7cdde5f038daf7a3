// Opening, creating and removing records by key within a section.
#include "record.h"
#include "splice.h"
#include "walk.h"

#include <cassert>

namespace zn {

static RegistryHandle *openChildHandle(const RegistryHandle *handle, uint32_t key)
{
    for (RegistryHandle *child = handle->firstChild; child; child = child->next) {
        if (child->section && recordKey(child->section) == key)
            return child;
    }
    return nullptr;
}

RegistryHandle *reg_open_section(RegistryHandle *handle, uint32_t key)
{
    if (key == kRegRootKey)
        return handle->parent;
    if (!reg_is_section_key(key))
        return nullptr;
    if (RegistryHandle *open = openChildHandle(handle, key))
        return open;
    auto *record = const_cast<uint8_t *>(walkFind(handle->section, key));
    return record ? handleCreate(handle, record) : nullptr;
}

RegistryHandle *reg_create_section(RegistryHandle *handle, uint32_t key)
{
    if (!reg_is_section_key(key) || key == kRegRootKey || !handle->section)
        return nullptr;
    // An existing section is opened, never duplicated, even when no handle can be had for it.
    if (walkFind(handle->section, key))
        return reg_open_section(handle, key);
    // The handle comes first so that running out of memory leaves the blob alone;
    // without a section yet, the splice does not move it.
    RegistryHandle *created = handleCreate(handle, nullptr);
    if (!created)
        return nullptr;
    uint8_t *at = const_cast<uint8_t *>(walkEnd(handle->section));
    if (!splice(handle, at, 0, kRegHeaderSize)) {
        handleDestroyLeaf(created);
        return nullptr;
    }
    writeRecordHeader(at, key, 0);
    created->section = at;
    assert(storeInvariantsHold(handle->store));
    return created;
}

int reg_remove(RegistryHandle *handle, uint32_t key)
{
    auto *record = const_cast<uint8_t *>(walkFind(handle->section, key));
    if (!record)
        return 0;
    RegistryHandle *holder = nullptr;
    if (reg_is_section_key(key)) {
        if (recordLength(record) != 0)
            return 0;
        holder = handleChildAt(handle, record);
    }
    if (!splice(handle, record, recordSize(record), 0))
        return 0;
    // Detached only now: a failed splice must leave the handle working.
    if (holder)
        holder->section = nullptr;
    assert(storeInvariantsHold(handle->store));
    return 1;
}

} // namespace zn
