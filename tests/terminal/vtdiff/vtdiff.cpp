// Differential check: random VT100 streams through the terminal core and
// through libvterm must leave the same characters and cursor. A disagreement
// is narrowed down to a short byte sequence and printed.
//
//   vtdiff [--streams N] [--ops N] [--seed S]
//
// Exits 0 when all agree, 1 on a disagreement, 77 (skipped) without libvterm.
#include <cstdio>

#if ZN_HAVE_VTERM

#include "screens.h"
#include "vt100stream.h"

#include <cstdlib>
#include <cstring>
#include <set>

namespace {

using Ops = std::vector<std::string>;

struct Size {
    int cols;
    int rows;
};

bool agree(const Ops &ops, Size size)
{
    return vtdiff::coreScreen(ops, size.cols, size.rows) == vtdiff::referenceScreen(ops, size.cols, size.rows);
}

// The shortest prefix of ops that already disagrees.
Ops firstDisagreement(const Ops &ops, Size size)
{
    Ops prefix;
    for (const std::string &op : ops) {
        prefix.push_back(op);
        if (!agree(prefix, size))
            break;
    }
    return prefix;
}

// Drops operations and shortens text runs while the disagreement stays.
Ops minimise(Ops ops, Size size)
{
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t i = ops.size(); i-- > 0;) {
            Ops fewer = ops;
            fewer.erase(fewer.begin() + std::ptrdiff_t(i));
            if (!fewer.empty() && !agree(fewer, size)) {
                ops = fewer;
                changed = true;
                continue;
            }
            while (ops[i].size() > 1 && ops[i][0] >= 0x20) {
                Ops shorter = ops;
                shorter[i].resize(ops[i].size() / 2);
                if (agree(shorter, size))
                    break;
                ops = shorter;
                changed = true;
            }
        }
    }
    return ops;
}

void report(const Ops &ops, Size size)
{
    std::string bytes;
    for (const std::string &op : ops)
        bytes += op;
    const vtdiff::Snapshot core = vtdiff::coreScreen(ops, size.cols, size.rows);
    const vtdiff::Snapshot reference = vtdiff::referenceScreen(ops, size.cols, size.rows);
    std::printf("DISAGREEMENT on %dx%d after %s\n", size.cols, size.rows, vtdiff::quoted(bytes).c_str());
    std::printf("  cursor: core (%d,%d), libvterm (%d,%d)  [column,row]\n", core.cursorX, core.cursorY,
                reference.cursorX, reference.cursorY);
    for (int y = 0; y < size.rows; ++y) {
        if (core.row(y) == reference.row(y))
            continue;
        std::printf("  row %2d core     |%s|\n", y, core.row(y).c_str());
        std::printf("  row %2d libvterm |%s|\n", y, reference.row(y).c_str());
    }
}

} // namespace

int main(int argc, char **argv)
{
    int streams = 500;
    int opsPerStream = 200;
    uint64_t seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--streams") == 0)
            streams = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--ops") == 0)
            opsPerStream = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--seed") == 0)
            seed = std::strtoull(argv[i + 1], nullptr, 10);
    }

    const Size sizes[] = {{80, 24}, {13, 7}, {40, 10}};
    std::set<std::string> reported;
    int disagreements = 0;
    for (const Size size : sizes) {
        for (int s = 0; s < streams; ++s) {
            const Ops ops = vtdiff::vt100Operations(seed + uint64_t(s), opsPerStream, size.cols, size.rows);
            if (agree(ops, size))
                continue;
            ++disagreements;
            const Ops small = minimise(firstDisagreement(ops, size), size);
            std::string key;
            for (const std::string &op : small)
                key += op;
            if (reported.size() < 8 && reported.insert(key).second)
                report(small, size);
        }
    }
    std::printf("%d of %d streams disagree (%d operations each, seeds from %llu)\n", disagreements,
                streams * int(std::size(sizes)), opsPerStream, static_cast<unsigned long long>(seed));
    return disagreements == 0 ? 0 : 1;
}

#else

int main()
{
    std::printf("libvterm (pkg-config vterm, Debian libvterm-dev) not found: differential check skipped\n");
    return 77;
}

#endif
