// Reading and writing value records.
#include "record.h"
#include "splice.h"
#include "walk.h"

#include <cassert>
#include <cstring>
#include <memory>
#include <new>

namespace zn {

namespace {

// The bytes to store. Bytes taken from the blob itself (a payload from
// reg_get, say) would be moved or have length fields rewritten under them by
// the splice, so they are copied aside first; caller memory is used as it is.
class ValueData {
public:
    ValueData(const RegistryStore *store, const void *data, uint32_t length)
        : m_bytes(static_cast<const uint8_t *>(data))
    {
        switch (dataPlace(store, data, length)) {
        case DataPlace::Outside:
            m_valid = data || length == 0;
            break;
        case DataPlace::InBlob:
            m_copy.reset(new (std::nothrow) uint8_t[length]);
            if (m_copy)
                std::memcpy(m_copy.get(), data, length);
            m_bytes = m_copy.get();
            m_valid = m_copy != nullptr;
            break;
        case DataPlace::InFreeSpace:
            m_valid = false;
            break;
        }
    }

    bool valid() const { return m_valid; }
    const uint8_t *bytes() const { return m_bytes; }

private:
    std::unique_ptr<uint8_t[]> m_copy;
    const uint8_t *m_bytes = nullptr;
    bool m_valid = false;
};

void copyValue(uint8_t *dest, const ValueData &data, uint32_t length)
{
    if (length)
        std::memcpy(dest, data.bytes(), length);
}

// Only the tail of the payload grows or shrinks, so bytes that stay keep their place.
int resizeValue(RegistryHandle *handle, uint8_t *record, const ValueData &data, uint32_t length)
{
    uint8_t *payload = record + kRegHeaderSize;
    const uint32_t oldLength = recordLength(record);
    const bool done = length < oldLength ? splice(handle, payload + length, oldLength - length, 0)
                                         : splice(handle, payload + oldLength, 0, length - oldLength);
    if (!done)
        return 0;
    setRecordLength(record, length);
    copyValue(payload, data, length);
    return 1;
}

int appendValue(RegistryHandle *handle, uint32_t key, const ValueData &data, uint32_t length)
{
    uint8_t *at = const_cast<uint8_t *>(walkEnd(handle->section));
    if (!splice(handle, at, 0, kRegHeaderSize + size_t(length)))
        return 0;
    writeRecordHeader(at, key, length);
    copyValue(at + kRegHeaderSize, data, length);
    return 1;
}

} // namespace

const uint8_t *reg_get(const RegistryHandle *handle, uint32_t key, uint32_t *length)
{
    const uint8_t *record = key == kRegRootKey ? handle->section : walkFind(handle->section, key);
    if (length)
        *length = record ? recordLength(record) : 0;
    return record ? record + kRegHeaderSize : nullptr;
}

int reg_set(RegistryHandle *handle, uint32_t key, const void *data, uint32_t length)
{
    if (reg_is_section_key(key) || reg_tag_of(key) == 0 || !handle->section)
        return 0;
    const ValueData value(handle->store, data, length);
    if (!value.valid())
        return 0;
    auto *record = const_cast<uint8_t *>(walkFind(handle->section, key));
    int ok = 0;
    if (!record) {
        ok = appendValue(handle, key, value, length);
    } else if (recordLength(record) != length) {
        ok = resizeValue(handle, record, value, length);
    } else if (length == 0 || std::memcmp(record + kRegHeaderSize, value.bytes(), length) == 0) {
        return 1; // unchanged: the dirty flag stays as it was
    } else if (splice(handle, record + kRegHeaderSize, length, length)) {
        copyValue(record + kRegHeaderSize, value, length);
        ok = 1;
    }
    assert(storeInvariantsHold(handle->store));
    return ok;
}

} // namespace zn
