// The debug listing of a store and its open handles.
#include "record.h"
#include "storetypes.h"

#include <cstdio>
#include <string>

namespace zn {

void reg_dump(const RegistryHandle *handle, RegDumpSink sink, void *context)
{
    const RegistryStore *store = handle->store;
    // Wide enough for 64-bit pointers, so no line is ever cut.
    char line[160];
    std::snprintf(line, sizeof line, "Registry %p: buf=%p:%lu dirty=%d", static_cast<const void *>(store),
                  static_cast<const void *>(store->buffer), static_cast<unsigned long>(store->end - store->buffer),
                  store->dirty);
    sink(context, line);
    std::string indented;
    int depth = 1;
    for (const RegistryHandle *h = store->root; h; h = handleNext(h, &depth)) {
        const uint8_t *section = h->section;
        std::snprintf(line, sizeof line, "Handle %p: parent=%p key=0x%08X section=%p:%u",
                      static_cast<const void *>(h), static_cast<const void *>(h->parent),
                      section ? recordKey(section) : 0u, static_cast<const void *>(section),
                      section ? recordLength(section) : 0u);
        indented.assign(size_t(depth), ' ');
        indented += line;
        sink(context, indented.c_str());
    }
}

} // namespace zn
