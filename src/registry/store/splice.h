// The one primitive under every edit of the blob.
#pragma once

#include "storetypes.h"

#include <cstddef>

namespace zn {

// Whether the `oldSize` bytes at `at`, inside the section of `h`, can become
// `newSize` bytes without leaving the buffer or overflowing a length field.
bool spliceFits(const RegistryHandle *h, const uint8_t *at, size_t oldSize, size_t newSize);

// Replaces the `oldSize` bytes at `at` by `newSize` bytes: moves the tail of
// the blob with one overlapping move, corrects the length of the section of
// `h` and of every enclosing section, moves every handle behind the change and
// sets the dirty flag. When growing, the gap [at, at + newSize - oldSize) is
// left for the caller to fill; when shrinking, the bytes [at, at + oldSize -
// newSize) are dropped. False, with nothing changed, when it does not fit.
bool splice(RegistryHandle *h, uint8_t *at, size_t oldSize, size_t newSize);

// False when `data` overlaps the buffer without lying inside the blob: such
// bytes would be overwritten by the move.
bool sourceUsable(const RegistryStore *store, const void *data, size_t length);

// Copies `length` bytes that lay at `data` before `gap` bytes were inserted at
// `at`: source bytes inside the blob behind `at` have moved with the tail.
void copyAcrossInsert(const RegistryStore *store, uint8_t *dest, const void *data, size_t length,
                      const uint8_t *at, size_t gap);

} // namespace zn
