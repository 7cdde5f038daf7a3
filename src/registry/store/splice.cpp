#include "splice.h"

#include "record.h"

#include <cassert>
#include <cstring>

namespace zn {

namespace {

size_t usedSize(const RegistryStore *store) { return kRegHeaderSize + recordLength(store->buffer); }

uintptr_t address(const void *p) { return reinterpret_cast<uintptr_t>(p); }

} // namespace

bool spliceFits(const RegistryHandle *h, const uint8_t *at, size_t oldSize, size_t newSize)
{
    const RegistryStore *store = h->store;
    const size_t capacity = size_t(store->end - store->buffer);
    const size_t used = usedSize(store);
    const size_t position = size_t(at - store->buffer);
    if (used > capacity || position > used || oldSize > used - position)
        return false;
    if (newSize <= oldSize)
        return true;
    const size_t growth = newSize - oldSize;
    // The root holds every other section, so its length field overflows first.
    return growth <= capacity - used && recordLength(store->buffer) <= UINT32_MAX - growth;
}

bool splice(RegistryHandle *h, uint8_t *at, size_t oldSize, size_t newSize)
{
    assert(h->section);
    if (!spliceFits(h, at, oldSize, newSize))
        return false;
    RegistryStore *store = h->store;
    if (newSize != oldSize) {
        const bool growing = newSize > oldSize;
        const size_t delta = growing ? newSize - oldSize : oldSize - newSize;
        uint8_t *usedEnd = store->buffer + usedSize(store);
        for (RegistryHandle *a = h; a; a = a->parent) {
            if (a->section) {
                const uint32_t length = recordLength(a->section);
                assert(growing || length >= delta);
                setRecordLength(a->section, uint32_t(growing ? length + delta : length - delta));
            }
        }
        const uint8_t *firstMoved = growing ? at : at + delta;
        for (RegistryHandle *x = store->root; x; x = handleNext(x)) {
            if (x->section && x->section >= firstMoved)
                x->section = growing ? x->section + delta : x->section - delta;
        }
        if (growing)
            std::memmove(at + delta, at, size_t(usedEnd - at));
        else
            std::memmove(at, firstMoved, size_t(usedEnd - firstMoved));
    }
    store->dirty = 1;
    return true;
}

DataPlace dataPlace(const RegistryStore *store, const void *data, size_t length)
{
    const uintptr_t begin = address(data);
    const uintptr_t bufferBegin = address(store->buffer);
    if (length == 0 || begin >= address(store->end) || begin + length <= bufferBegin)
        return DataPlace::Outside;
    if (begin >= bufferBegin && begin + length <= bufferBegin + usedSize(store))
        return DataPlace::InBlob;
    return DataPlace::InFreeSpace;
}

} // namespace zn
