// The store object and its section handles (private to the store).
#pragma once

#include "store.h"

namespace zn {

struct RegistryHandle {
    RegistryHandle *parent = nullptr;
    RegistryHandle *firstChild = nullptr; // handles opened from this one, in opening order
    RegistryHandle *lastChild = nullptr;
    RegistryHandle *prev = nullptr; // links in the parent's children list
    RegistryHandle *next = nullptr;
    uint8_t *section = nullptr; // record header in the buffer; null once detached
    RegistryStore *store = nullptr;
};

struct RegistryStore {
    uint8_t *buffer = nullptr;
    uint8_t *end = nullptr;
    RegistryHandle *root = nullptr;
    int dirty = 0;
};

// A new handle for `section`, appended to the children of `parent`; null when
// memory runs out.
RegistryHandle *handleCreate(RegistryHandle *parent, uint8_t *section);
// Unlinks and frees a handle that has no children.
void handleDestroyLeaf(RegistryHandle *h);
// Frees every handle of the store, children before their parent.
void handleFreeAll(RegistryStore *store);
// Depth-first, parent before children: the handle after `h`, or null.
// `depth` (optional) is updated by the change of level.
RegistryHandle *handleNext(const RegistryHandle *h, int *depth = nullptr);
// The child handle of `parent` that holds `section` open, or null.
RegistryHandle *handleChildAt(const RegistryHandle *parent, const uint8_t *section);

// Debug builds check these after every edit.
bool storeInvariantsHold(const RegistryStore *store);

} // namespace zn
