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

// Where caller data lies: outside the buffer, inside the blob (where a
// splice would move or rewrite it), or touching the free space behind the
// blob, which the store never reads.
enum class DataPlace { Outside, InBlob, InFreeSpace };
DataPlace dataPlace(const RegistryStore *store, const void *data, size_t length);

} // namespace zn
