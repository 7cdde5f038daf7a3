// Reading and writing value records.
#include "record.h"
#include "splice.h"
#include "walk.h"

#include <cassert>
#include <cstring>

namespace zn {

const uint8_t *reg_get(const RegistryHandle *handle, uint32_t key, uint32_t *length)
{
    const uint8_t *record = nullptr;
    if (key == kRegRootKey)
        record = handle->section;
    else
        record = walkFind(handle->section, key);
    if (length)
        *length = record ? recordLength(record) : 0;
    return record ? record + kRegHeaderSize : nullptr;
}

// Changes the payload of an existing record. Only the tail of the payload
// grows or shrinks, so bytes that stay keep their place; a shrink copies the
// data before the move, while every source byte is still where the caller saw it.
static int resizeValue(RegistryHandle *handle, uint8_t *record, const void *data, uint32_t length)
{
    uint8_t *payload = record + kRegHeaderSize;
    const uint32_t oldLength = recordLength(record);
    if (length < oldLength) {
        if (!spliceFits(handle, payload + length, oldLength - length, 0))
            return 0;
        std::memmove(payload, data, length);
        splice(handle, payload + length, oldLength - length, 0);
    } else {
        uint8_t *tail = payload + oldLength;
        if (!splice(handle, tail, 0, length - oldLength))
            return 0;
        copyAcrossInsert(handle->store, payload, data, length, tail, length - oldLength);
    }
    setRecordLength(record, length);
    return 1;
}

static int appendValue(RegistryHandle *handle, uint32_t key, const void *data, uint32_t length)
{
    uint8_t *at = const_cast<uint8_t *>(walkEnd(handle->section));
    const size_t size = kRegHeaderSize + size_t(length);
    if (!splice(handle, at, 0, size))
        return 0;
    writeRecordHeader(at, key, length);
    copyAcrossInsert(handle->store, at + kRegHeaderSize, data, length, at, size);
    return 1;
}

int reg_set(RegistryHandle *handle, uint32_t key, const void *data, uint32_t length)
{
    if (reg_is_section_key(key) || reg_tag_of(key) == 0 || !handle->section)
        return 0;
    if ((length && !data) || !sourceUsable(handle->store, data, length))
        return 0;
    auto *record = const_cast<uint8_t *>(walkFind(handle->section, key));
    int ok = 0;
    if (!record) {
        ok = appendValue(handle, key, data, length);
    } else if (recordLength(record) == length) {
        if (length == 0 || std::memcmp(record + kRegHeaderSize, data, length) == 0)
            return 1; // unchanged: the dirty flag stays as it was
        if (!splice(handle, record + kRegHeaderSize, length, length))
            return 0;
        std::memmove(record + kRegHeaderSize, data, length);
        ok = 1;
    } else {
        ok = resizeValue(handle, record, data, length);
    }
    assert(storeInvariantsHold(handle->store));
    return ok;
}

} // namespace zn
