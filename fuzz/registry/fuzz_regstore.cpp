// Opens an arbitrary blob in a buffer of arbitrary capacity and runs a
// sequence of store operations decoded from the input. Checks after every
// operation: nothing is read or written outside the buffer (the buffer is its
// own allocation, so the sanitizer sees any stray access), a failed edit
// leaves the whole buffer and the dirty flag as they were, a successful one
// changes the used size by exactly what it wrote, every open handle still lies
// inside its parent, and a blob whose section lengths added up keeps them so.
// At the end a walk of the whole tree by reg_children meets every record at
// most once.
#include "fuzzcheck.h"
#include "store.h"

#include <cstdint>
#include <cstring>
#include <vector>

using namespace zn;

namespace {

class Input {
public:
    Input(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool empty() const { return m_pos >= m_size; }
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint16_t u16() { return uint16_t(byte() | byte() << 8); }
    uint32_t u32() { return uint32_t(u16()) | uint32_t(u16()) << 16; }
    // Up to `want` bytes straight from the input.
    const uint8_t *take(size_t want, size_t *got)
    {
        *got = want < m_size - m_pos ? want : m_size - m_pos;
        const uint8_t *start = m_data + m_pos;
        m_pos += *got;
        return start;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_pos = 0;
};

uint32_t le32(const uint8_t *p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// An independent reading of the format: every section's length is exactly
// the sum of its children, to any depth, with no hidden bytes.
bool sectionAddsUp(const uint8_t *section)
{
    const uint8_t *cursor = section + 8;
    uint32_t remaining = le32(section + 4);
    while (remaining > 0) {
        if (remaining < 8 || le32(cursor + 4) > remaining - 8)
            return false;
        if ((le32(cursor) >> 24) == 0xFF && !sectionAddsUp(cursor))
            return false;
        remaining -= 8 + le32(cursor + 4);
        cursor += 8 + le32(cursor + 4);
    }
    return true;
}

bool sameBytes(const uint8_t *p, const std::vector<uint8_t> &expected, size_t length)
{
    return length == 0 || std::memcmp(p, expected.data(), length) == 0;
}

struct Session {
    uint8_t *buffer = nullptr;
    size_t capacity = 0;
    std::vector<RegistryHandle *> handles; // [0] is the root
    bool clean = false;

    RegistryHandle *handle(Input &in) { return handles[in.byte() % handles.size()]; }

    uint32_t key(Input &in, const RegistryHandle *h)
    {
        static const uint8_t types[] = {0x00, 0x01, 0x02, 0x03, 0x11, 0x15, 0x20, 0xFF};
        const uint8_t choice = in.byte();
        switch (choice % 4) {
        case 0: // an existing record
            return reg_key_at(h, in.byte() % (reg_count(h) + 1));
        case 1: // a small key space, so that keys meet again
            return uint32_t(types[in.byte() % sizeof types]) << 24 | 0xA70000u | (in.byte() % 8);
        case 2:
            return choice & 0x80 ? kRegRootKey : 0;
        default:
            return in.u32();
        }
    }

    void remember(RegistryHandle *h)
    {
        if (!h)
            return;
        for (RegistryHandle *known : handles) {
            if (known == h)
                return;
        }
        handles.push_back(h);
    }

    // Open handles lie inside their parents, and the store's answers agree.
    void checkHandles() const
    {
        const size_t used = reg_used_size(handles[0]);
        FUZZ_CHECK(used >= 8 && used <= capacity);
        FUZZ_CHECK(reg_section_key(handles[0]) == kRegRootKey);
        for (RegistryHandle *h : handles) {
            const uint32_t sectionKey = reg_section_key(h);
            uint32_t length = 0;
            const uint8_t *payload = reg_get(h, kRegRootKey, &length);
            if (!sectionKey) {
                FUZZ_CHECK(!payload && reg_count(h) == 0);
                continue;
            }
            FUZZ_CHECK(payload && reg_is_section_key(sectionKey));
            FUZZ_CHECK(payload >= buffer + 8 && size_t(payload - buffer) + length <= used);
            RegistryHandle *parent = reg_open_section(h, kRegRootKey);
            if (parent) {
                uint32_t parentLength = 0;
                const uint8_t *parentPayload = reg_get(parent, kRegRootKey, &parentLength);
                FUZZ_CHECK(parentPayload && payload - 8 >= parentPayload);
                FUZZ_CHECK(payload + length <= parentPayload + parentLength);
                FUZZ_CHECK(reg_index_of(parent, sectionKey) >= 0);
                FUZZ_CHECK(reg_open_section(parent, sectionKey) == h);
            }
            const int count = reg_count(h);
            for (int i = 0; i < count; ++i) {
                const uint32_t k = reg_key_at(h, i);
                FUZZ_CHECK(reg_index_of(h, k) <= i);
                if (k == kRegRootKey || reg_index_of(h, k) != i)
                    continue; // a damaged blob may repeat keys; the first one counts
                uint32_t childLength = 0;
                const uint8_t *child = reg_get(h, k, &childLength);
                FUZZ_CHECK(child >= payload + 8 && child + childLength <= payload + length);
            }
            FUZZ_CHECK(reg_key_at(h, count) == 0);
        }
        if (clean)
            FUZZ_CHECK(sectionAddsUp(buffer));
    }

    // Runs one edit; returns its result after checking the all-or-nothing rule.
    template <typename Edit>
    bool edit(Edit &&run)
    {
        const std::vector<uint8_t> before(buffer, buffer + capacity);
        const int dirtyBefore = reg_is_dirty(handles[0]);
        const bool ok = run();
        if (!ok) {
            FUZZ_CHECK(std::memcmp(before.data(), buffer, capacity) == 0);
            FUZZ_CHECK(reg_is_dirty(handles[0]) == dirtyBefore);
        }
        return ok;
    }

    void set(Input &in, bool fromBlob)
    {
        RegistryHandle *h = handle(in);
        const uint32_t k = key(in, h);
        std::vector<uint8_t> expected;
        const uint8_t *data = nullptr;
        size_t length = 0;
        if (fromBlob) {
            // A payload of the blob itself, possibly running past the used end.
            uint32_t sourceLength = 0;
            RegistryHandle *from = handle(in);
            const uint8_t *source = reg_get(from, key(in, from), &sourceLength);
            const size_t offset = in.byte() % (sourceLength + 1);
            length = in.byte();
            if (!source)
                return;
            data = source + offset;
            const size_t room = capacity - size_t(data - buffer);
            length = length < room ? length : room;
        } else {
            data = in.take(in.byte() % 64, &length);
        }
        expected.assign(data, data + length);
        uint32_t oldLength = 0;
        const uint8_t *old = reg_get(h, k, &oldLength);
        const bool unchanged = old && k != kRegRootKey && oldLength == length && sameBytes(old, expected, length);
        const size_t usedBefore = reg_used_size(h);
        const int dirtyBefore = reg_is_dirty(h);
        const bool ok = edit([&] { return reg_set(h, k, data, uint32_t(length)) == 1; });
        if (!ok)
            return;
        FUZZ_CHECK(!reg_is_section_key(k) && reg_tag_of(k) != 0);
        uint32_t storedLength = 0;
        const uint8_t *stored = reg_get(h, k, &storedLength);
        FUZZ_CHECK(stored && storedLength == length && sameBytes(stored, expected, length));
        const size_t grown = old ? length - oldLength : 8 + length;
        FUZZ_CHECK(reg_used_size(h) == usedBefore + grown);
        FUZZ_CHECK(reg_is_dirty(h) == (unchanged ? dirtyBefore : 1));
    }

    void remove(Input &in)
    {
        RegistryHandle *h = handle(in);
        const uint32_t k = key(in, h);
        // A child keyed like the root can only be seen by its position; being
        // a section, it can only go when it is empty.
        uint32_t length = 0;
        if (k != kRegRootKey)
            reg_get(h, k, &length);
        const bool present = reg_index_of(h, k) >= 0;
        const size_t usedBefore = reg_used_size(h);
        if (!edit([&] { return reg_remove(h, k) == 1; }))
            return;
        FUZZ_CHECK(present && (!reg_is_section_key(k) || length == 0));
        FUZZ_CHECK(reg_used_size(h) == usedBefore - 8 - length);
        FUZZ_CHECK(reg_is_dirty(h) == 1);
    }

    void createSection(Input &in)
    {
        RegistryHandle *h = handle(in);
        const uint32_t k = key(in, h);
        const bool existed = reg_get(h, k) && k != kRegRootKey;
        const size_t usedBefore = reg_used_size(h);
        RegistryHandle *created = nullptr;
        if (!edit([&] { return (created = reg_create_section(h, k)) != nullptr; }))
            return;
        FUZZ_CHECK(reg_section_key(created) == k && k != kRegRootKey);
        FUZZ_CHECK(reg_used_size(h) == usedBefore + (existed ? 0 : 8));
        remember(created);
    }
};

// The records met by following the listed handles, agreeing with the lookups
// by position and key.
size_t walkTree(RegistryHandle *h)
{
    std::vector<RegChild> children;
    FUZZ_CHECK(reg_children(h, &children) && int(children.size()) == reg_count(h));
    size_t met = children.size();
    for (size_t i = 0; i < children.size(); ++i) {
        const RegChild &child = children[i];
        FUZZ_CHECK(child.key == reg_key_at(h, int(i)));
        if (child.section) {
            FUZZ_CHECK(child.section == reg_open_section(h, child.key));
            met += walkTree(child.section);
        }
    }
    return met;
}

void countLine(void *context, const char *line)
{
    FUZZ_CHECK(std::strlen(line) < 4096);
    ++*static_cast<int *>(context);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in(data, size);
    Session s;
    s.capacity = 8 + in.u16() % 1024;
    std::vector<uint8_t> storage(s.capacity);
    s.buffer = storage.data();
    size_t blobSize = 0;
    const uint8_t *blob = in.take(in.u16() % (s.capacity + 1), &blobSize);
    std::memcpy(s.buffer, blob, blobSize);
    std::memset(s.buffer + blobSize, 0xA5, s.capacity - blobSize);

    RegistryHandle *root = reg_open(s.buffer, s.capacity);
    FUZZ_CHECK(root);
    s.handles.push_back(root);
    s.clean = sectionAddsUp(s.buffer);
    s.checkHandles();

    for (int steps = 0; steps < 256 && !in.empty(); ++steps) {
        switch (in.byte() % 9) {
        case 0: {
            RegistryHandle *h = s.handle(in);
            s.remember(reg_open_section(h, s.key(in, h)));
            break;
        }
        case 1:
            s.createSection(in);
            break;
        case 2:
            s.set(in, false);
            break;
        case 3:
            s.set(in, true);
            break;
        case 4:
            s.remove(in);
            break;
        case 5: {
            int lines = 0;
            reg_dump(s.handle(in), countLine, &lines);
            FUZZ_CHECK(lines == 1 + int(s.handles.size()));
            break;
        }
        case 6:
            reg_set_dirty(s.handle(in));
            FUZZ_CHECK(reg_is_dirty(root) == 1);
            break;
        case 7: {
            RegistryHandle *h = s.handle(in);
            const uint32_t k = s.key(in, h);
            const int index = reg_index_of(h, k);
            FUZZ_CHECK(index < 0 || reg_key_at(h, index) == k);
            FUZZ_CHECK((index >= 0) == (k != kRegRootKey ? reg_get(h, k) != nullptr : index >= 0));
            break;
        }
        default: { // a brand-new key in an open section, until the buffer is full
            RegistryHandle *h = s.handle(in);
            const uint32_t k = 0x03000000u | (in.u32() & 0xFFFFFF);
            if (reg_tag_of(k) && !reg_get(h, k))
                s.edit([&] { return reg_set(h, k, "", 0) == 1; });
            break;
        }
        }
        s.checkHandles();
    }
    FUZZ_CHECK(walkTree(root) <= (reg_used_size(root) - 8) / 8);
    reg_close(root);
    return 0;
}
