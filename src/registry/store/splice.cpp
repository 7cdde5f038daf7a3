#include "splice.h"

#include "record.h"

#include <algorithm>
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

bool sourceUsable(const RegistryStore *store, const void *data, size_t length)
{
    if (length == 0)
        return true;
    const uintptr_t begin = address(data);
    const uintptr_t bufferBegin = address(store->buffer);
    const uintptr_t bufferEnd = address(store->end);
    if (begin >= bufferEnd || begin + length <= bufferBegin)
        return true;
    return begin >= bufferBegin && begin + length <= bufferBegin + usedSize(store);
}

void copyAcrossInsert(const RegistryStore *store, uint8_t *dest, const void *data, size_t length,
                      const uint8_t *at, size_t gap)
{
    if (length == 0)
        return;
    const uintptr_t begin = address(data);
    if (begin < address(store->buffer) || begin >= address(store->end)) {
        std::memcpy(dest, data, length);
        return;
    }
    // Inside the blob: the part before `at` stayed, the rest moved by `gap`.
    // The part that stayed goes first; its destination ends before the moved part begins.
    const uint8_t *source = store->buffer + (begin - address(store->buffer));
    const size_t stayed = source < at ? std::min(length, size_t(at - source)) : 0;
    std::memmove(dest, source, stayed);
    std::memmove(dest + stayed, source + stayed + gap, length - stayed);
}

} // namespace zn
