#include "storetypes.h"

#include <new>

namespace zn {

RegistryHandle *handleCreate(RegistryHandle *parent, uint8_t *section)
{
    auto *h = new (std::nothrow) RegistryHandle;
    if (!h)
        return nullptr;
    h->section = section;
    h->parent = parent;
    h->store = parent->store;
    h->prev = parent->lastChild;
    if (parent->lastChild)
        parent->lastChild->next = h;
    else
        parent->firstChild = h;
    parent->lastChild = h;
    return h;
}

static void unlinkFromParent(RegistryHandle *h)
{
    RegistryHandle *parent = h->parent;
    (h->prev ? h->prev->next : parent->firstChild) = h->next;
    (h->next ? h->next->prev : parent->lastChild) = h->prev;
}

void handleDestroyLeaf(RegistryHandle *h)
{
    unlinkFromParent(h);
    delete h;
}

void handleFreeAll(RegistryStore *store)
{
    RegistryHandle *h = store->root;
    while (h) {
        if (h->firstChild) {
            h = h->firstChild;
            continue;
        }
        RegistryHandle *parent = h->parent;
        if (parent)
            unlinkFromParent(h);
        delete h;
        h = parent;
    }
    store->root = nullptr;
}

RegistryHandle *handleNext(const RegistryHandle *h, int *depth)
{
    int level = 0;
    if (h->firstChild) {
        h = h->firstChild;
        level = 1;
    } else {
        while (h && !h->next) {
            h = h->parent;
            --level;
        }
        if (h)
            h = h->next;
    }
    if (depth)
        *depth += level;
    return const_cast<RegistryHandle *>(h);
}

RegistryHandle *handleChildAt(const RegistryHandle *parent, const uint8_t *section)
{
    for (RegistryHandle *child = parent->firstChild; child; child = child->next) {
        if (child->section == section)
            return child;
    }
    return nullptr;
}

} // namespace zn
