// Consistency of the store, checked by assertions in debug builds.
#include "record.h"
#include "storetypes.h"
#include "walk.h"

namespace zn {

static bool isVisibleChild(const uint8_t *parentSection, const uint8_t *record)
{
    for (SectionWalk walk(parentSection); walk.atChild(); walk.advance()) {
        if (walk.child() == record)
            return true;
    }
    return false;
}

bool storeInvariantsHold(const RegistryStore *store)
{
    const size_t capacity = size_t(store->end - store->buffer);
    if (recordKey(store->buffer) != kRegRootKey || recordLength(store->buffer) > capacity - kRegHeaderSize)
        return false;
    if (!store->root || store->root->section != store->buffer)
        return false;
    // Every open section is a visible child of its parent's section, so each
    // handle's records lie inside the blob.
    for (const RegistryHandle *h = store->root->firstChild; h; h = handleNext(h)) {
        if (!h->section)
            continue;
        if (!reg_is_section_key(recordKey(h->section)) || !h->parent->section
            || !isVisibleChild(h->parent->section, h->section))
            return false;
    }
    return true;
}

} // namespace zn
