// Listing a section for walkers of the whole tree.
#include "record.h"
#include "storetypes.h"
#include "walk.h"

#include <algorithm>
#include <new>

namespace zn {

namespace {

struct Listed {
    RegChild child;
    bool follow;
};

bool byKeyThenPlace(const Listed &a, const Listed &b)
{
    return a.child.key != b.child.key ? a.child.key < b.child.key : a.child.payload < b.child.payload;
}

bool byPlace(const Listed &a, const Listed &b)
{
    return a.child.payload < b.child.payload;
}

// Sorting by key keeps the cost at n log n for any section, where asking
// reg_open_section record by record would walk the section again each time.
bool listChildren(RegistryHandle *handle, std::vector<RegChild> *children)
{
    std::vector<Listed> list;
    for (SectionWalk walk(handle->section); walk.atChild(); walk.advance()) {
        const uint8_t *record = walk.child();
        list.push_back({{recordKey(record), record + kRegHeaderSize, recordLength(record), nullptr}, false});
    }
    std::sort(list.begin(), list.end(), byKeyThenPlace);
    for (size_t i = 0; i < list.size(); ++i) {
        const uint32_t key = list[i].child.key;
        list[i].follow = reg_is_section_key(key) && key != kRegRootKey && (i == 0 || list[i - 1].child.key != key);
    }
    // reg_open_section gives the first open child handle with the key.
    for (RegistryHandle *open = handle->firstChild; open; open = open->next) {
        if (!open->section)
            continue;
        const uint32_t key = recordKey(open->section);
        const auto first = std::lower_bound(list.begin(), list.end(), key,
                                            [](const Listed &l, uint32_t k) { return l.child.key < k; });
        if (first != list.end() && first->child.key == key && first->follow && !first->child.section)
            first->child.section = open;
    }
    std::sort(list.begin(), list.end(), byPlace);
    children->reserve(list.size());
    for (Listed &l : list) {
        if (l.follow && !l.child.section) {
            l.child.section = handleCreate(handle, const_cast<uint8_t *>(l.child.payload - kRegHeaderSize));
            if (!l.child.section)
                return false;
        }
        children->push_back(l.child);
    }
    return true;
}

} // namespace

bool reg_children(RegistryHandle *handle, std::vector<RegChild> *children)
{
    children->clear();
    try {
        if (listChildren(handle, children))
            return true;
    } catch (const std::bad_alloc &) {
    }
    children->clear();
    return false;
}

} // namespace zn
