// Opening and closing a store, and the questions about a store as a whole.
#include "record.h"
#include "storetypes.h"
#include "walk.h"

#include <cassert>
#include <new>

namespace zn {

// A root that does not fit the buffer, or is no section, makes the blob an
// empty registry. A root section with a key other than 0xFFFFFFFF keeps its
// contents and gets the root key, so that it can be written to a file and read back.
static void repairRoot(RegistryStore *store)
{
    uint8_t *root = store->buffer;
    const size_t capacity = size_t(store->end - store->buffer);
    if (reg_type_of(recordKey(root)) != kRegSectionType || recordLength(root) > capacity - kRegHeaderSize) {
        writeRecordHeader(root, kRegRootKey, 0);
        store->dirty = 1;
    } else if (recordKey(root) != kRegRootKey) {
        writeLE32(root, kRegRootKey);
        store->dirty = 1;
    }
}

RegistryHandle *reg_open(uint8_t *buffer, size_t capacity)
{
    if (!buffer || capacity < kRegHeaderSize)
        return nullptr;
    auto *store = new (std::nothrow) RegistryStore;
    if (!store)
        return nullptr;
    store->buffer = buffer;
    store->end = buffer + capacity;
    repairRoot(store);
    store->root = new (std::nothrow) RegistryHandle;
    if (!store->root) {
        delete store;
        return nullptr;
    }
    store->root->section = buffer;
    store->root->store = store;
    assert(storeInvariantsHold(store));
    return store->root;
}

void reg_close(RegistryHandle *handle)
{
    if (!handle)
        return;
    RegistryStore *store = handle->store;
    handleFreeAll(store);
    delete store;
}

int reg_count(const RegistryHandle *handle) { return walkCount(handle->section); }

uint32_t reg_key_at(const RegistryHandle *handle, int index) { return walkKeyAt(handle->section, index); }

int reg_index_of(const RegistryHandle *handle, uint32_t key) { return walkIndexOf(handle->section, key); }

uint32_t reg_section_key(const RegistryHandle *handle)
{
    return handle->section ? recordKey(handle->section) : 0;
}

size_t reg_used_size(const RegistryHandle *handle)
{
    return kRegHeaderSize + recordLength(handle->store->buffer);
}

size_t reg_capacity(const RegistryHandle *handle) { return size_t(handle->store->end - handle->store->buffer); }

uint8_t *reg_buffer(const RegistryHandle *handle) { return handle->store->buffer; }

int reg_is_dirty(const RegistryHandle *handle) { return handle->store->dirty; }

void reg_set_dirty(RegistryHandle *handle) { handle->store->dirty = 1; }

} // namespace zn
