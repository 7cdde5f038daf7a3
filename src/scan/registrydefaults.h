// The entries every controller registry is expected to hold, added to a
// downloaded one where they are missing so that the editor always offers
// them. Plain C++ over the registry store.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zn {

// Opens the blob in buffer (capacity bytes) and appends each missing section
// and value; existing records are never changed. Returns the used size
// afterwards (capacity when the store reports more), or 0 when the buffer
// cannot be opened, in which case nothing has changed.
size_t completeRegistryDefaults(uint8_t *buffer, size_t capacity);

} // namespace zn
