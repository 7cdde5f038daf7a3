// Compares two arbitrary blobs as "znscan-cli config diff" and the
// configuration dialog do. The input's first two bytes say where the first
// blob ends. A blob never differs from itself; the comparison each way round
// finds the same changes with added and removed swapped; and every change
// names a record of one of the blobs, so there are at most as many changes
// as 8-byte headers in the two.
#include "fuzzcheck.h"
#include "registrychanges.h"
#include "tagmap.h"

#include <cstdint>

namespace {

struct Counts {
    qsizetype added = 0;
    qsizetype removed = 0;
    qsizetype changed = 0;
};

Counts count(const QList<RegistryChange> &changes)
{
    Counts counts;
    for (const RegistryChange &change : changes) {
        FUZZ_CHECK(!change.path.isEmpty() && !registryChangeText(change).isEmpty());
        switch (change.kind) {
        case RegistryChange::Added:
            ++counts.added;
            break;
        case RegistryChange::Removed:
            ++counts.removed;
            break;
        case RegistryChange::Changed:
            ++counts.changed;
            break;
        }
    }
    return counts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const TagMap tagMap = [] {
        TagMap map;
        map.loadFile(QStringLiteral(":/maps/znmap.csv"));
        return map;
    }();
    if (size < 2)
        return 0;
    const size_t split = qMin(size_t(data[0] | data[1] << 8), size - 2);
    const QByteArrayView a(data + 2, qsizetype(split));
    const QByteArrayView b(data + 2 + split, qsizetype(size - 2 - split));

    FUZZ_CHECK(registryChanges(a, a, &tagMap).isEmpty());
    const Counts forth = count(registryChanges(a, b, &tagMap));
    const Counts back = count(registryChanges(b, a, &tagMap));
    FUZZ_CHECK(forth.added == back.removed && forth.removed == back.added && forth.changed == back.changed);
    FUZZ_CHECK(forth.added + forth.removed + forth.changed <= (a.size() + b.size()) / 8);
    return 0;
}
