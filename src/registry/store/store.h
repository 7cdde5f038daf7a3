// The registry store: reads and edits a registry blob in place, inside a
// caller-owned buffer of fixed capacity. Plain C++, no toolkit types.
//
// Blob: one root section record at offset 0. A record is an 8-byte
// little-endian header (32-bit key, 32-bit payload length) and its payload.
// Key bits 31..24 are the type code (0xFF = section, payload = child records),
// bits 23..0 the tag. The root key is 0xFFFFFFFF; used size = root length + 8.
//
// API summary (every call but reg_close needs a valid handle):
//   reg_open(buffer, capacity)        root handle, repairs a malformed root; null on bad args/no memory
//   reg_close(any handle)             frees the store and all handles; null is ignored
//   reg_open_section(h, key)          child section handle (same handle each time); 0xFFFFFFFF = parent
//   reg_create_section(h, key)        open or append an empty section
//   reg_get(h, key, &len)             pointer to the payload inside the buffer; 0xFFFFFFFF = own section
//   reg_set(h, key, data, len)        1/0; write or append a value; identical bytes do not set dirty
//   reg_remove(h, key)                1/0; a section must be empty; its handle is detached
//   reg_count / reg_key_at / reg_index_of / reg_section_key
//   reg_children(h, &list)            every record in one walk, with the sections a tree walk may follow
//   reg_used_size / reg_capacity / reg_buffer / reg_is_dirty / reg_set_dirty
//   reg_dump(h, sink, context)        debug listing, one line per sink call
//
// Failures are reported only by the result (null, 0, -1). An edit that does
// not fit changes nothing. Pointers from reg_get are valid until the next edit.
// Records damaged inside the blob hide themselves and everything after them in
// their section (the walk rule); they are never read beyond.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zn {

struct RegistryStore;
struct RegistryHandle;

constexpr uint32_t kRegRootKey = 0xFFFFFFFFu;
constexpr uint8_t kRegSectionType = 0xFF;
constexpr size_t kRegHeaderSize = 8;

constexpr uint8_t reg_type_of(uint32_t key) { return uint8_t(key >> 24); }
constexpr uint32_t reg_tag_of(uint32_t key) { return key & 0x00FFFFFFu; }
constexpr bool reg_is_section_key(uint32_t key) { return reg_type_of(key) == kRegSectionType; }

// Opening and closing.
RegistryHandle *reg_open(uint8_t *buffer, size_t capacity);
void reg_close(RegistryHandle *handle);

// Sections. reg_create_section refuses 0xFFFFFFFF and keys whose type is not 0xFF.
RegistryHandle *reg_open_section(RegistryHandle *handle, uint32_t key);
RegistryHandle *reg_create_section(RegistryHandle *handle, uint32_t key);

// Values. `length` may be null. `data` may point into the blob itself (for
// instance a payload from reg_get; such bytes are copied aside before the
// edit moves them), but not into the free space behind the blob.
const uint8_t *reg_get(const RegistryHandle *handle, uint32_t key, uint32_t *length = nullptr);
int reg_set(RegistryHandle *handle, uint32_t key, const void *data, uint32_t length);
int reg_remove(RegistryHandle *handle, uint32_t key);

// Enumeration by the walk rule. Key 0 means "none"; a detached handle has no records.
int reg_count(const RegistryHandle *handle);
uint32_t reg_key_at(const RegistryHandle *handle, int index);
int reg_index_of(const RegistryHandle *handle, uint32_t key);
uint32_t reg_section_key(const RegistryHandle *handle);

// One record of a section, for walkers of the whole tree.
struct RegChild {
    uint32_t key;
    const uint8_t *payload; // the raw bytes inside the buffer, valid until the next edit
    uint32_t length;
    RegistryHandle *section; // the handle to follow, or null: a value, or a section never followed
};

// Every record of the handle's section by the walk rule, in order, at a cost
// of n log n. A section is given the handle that reg_open_section returns for
// its key, except where following would loop or visit a section twice, so any
// walk that follows only these handles ends: a record keyed 0xFFFFFFFF (the
// key opens the parent) and a section repeating an earlier key of the same
// section (the key opens the first) are listed with their raw bytes only.
// False, with the list empty, when memory runs out.
bool reg_children(RegistryHandle *handle, std::vector<RegChild> *children);

// The store as a whole.
size_t reg_used_size(const RegistryHandle *handle);
size_t reg_capacity(const RegistryHandle *handle);
uint8_t *reg_buffer(const RegistryHandle *handle);
int reg_is_dirty(const RegistryHandle *handle);
void reg_set_dirty(RegistryHandle *handle);

// Debug listing: "Registry %p: buf=%p:%lu dirty=%d", then one
// "Handle %p: parent=%p key=0x%08X section=%p:%u" line per open handle,
// depth first, indented by one space per level (the root at level 1).
using RegDumpSink = void (*)(void *context, const char *line);
void reg_dump(const RegistryHandle *handle, RegDumpSink sink, void *context);

} // namespace zn
