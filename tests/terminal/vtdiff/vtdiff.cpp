// Differential checks of the terminal core on random streams: against itself
// on anything the screen buffer does (see selfcheck.h), and against libvterm
// on VT100 streams (characters and cursor), when built with it. A
// disagreement is narrowed down to a short byte sequence and printed.
//
//   vtdiff [--streams N] [--ops N] [--seed S]
//
// Exits 0 when all agree, 1 on a disagreement.
#include "selfcheck.h"
#include "vt100stream.h"

#if ZN_HAVE_VTERM
#include "screens.h"
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <numeric>
#include <set>

namespace {

using Ops = std::vector<std::string>;
using Agrees = std::function<bool(const Ops &)>;

// Drops operations, last first, while the disagreement stays.
Ops minimise(Ops ops, const Agrees &agrees)
{
    for (size_t i = ops.size(); i-- > 0;) {
        Ops fewer = ops;
        fewer.erase(fewer.begin() + std::ptrdiff_t(i));
        if (!fewer.empty() && !agrees(fewer))
            ops = fewer;
    }
    return ops;
}

std::string joined(const Ops &ops)
{
    return std::accumulate(ops.begin(), ops.end(), std::string());
}

struct Size {
    int cols;
    int rows;
};

struct Settings {
    int streams = 100;
    int ops = 200;
    uint64_t seed = 1;
};

// Runs one check over the streams of each size; prints the first few
// distinct disagreements, minimised. Returns how many streams disagreed.
int check(const char *name, std::initializer_list<Size> sizes, const Settings &settings,
          Ops (*generate)(uint64_t, int, int, int), const std::function<bool(const Ops &, Size)> &agrees,
          const std::function<void(const Ops &, Size)> &explain)
{
    std::set<std::string> reported;
    int disagreements = 0;
    int streams = 0;
    for (const Size size : sizes) {
        const Agrees agreesHere = [&](const Ops &ops) { return agrees(ops, size); };
        for (int s = 0; s < settings.streams; ++s, ++streams) {
            const Ops ops = generate(settings.seed + uint64_t(s), settings.ops, size.cols, size.rows);
            if (agreesHere(ops))
                continue;
            ++disagreements;
            const Ops small = minimise(ops, agreesHere);
            if (reported.size() < 8 && reported.insert(joined(small)).second) {
                std::printf("DISAGREEMENT (%s) on %dx%d after %s\n", name, size.cols, size.rows,
                            vtdiff::quoted(joined(small)).c_str());
                explain(small, size);
            }
        }
    }
    std::printf("%s: %d of %d streams disagree (%d operations each, seeds from %llu)\n", name, disagreements,
                streams, settings.ops, static_cast<unsigned long long>(settings.seed));
    return disagreements;
}

#if ZN_HAVE_VTERM
void explainScreens(const Ops &ops, Size size)
{
    const vtdiff::Snapshot core = vtdiff::coreScreen(ops, size.cols, size.rows);
    const vtdiff::Snapshot reference = vtdiff::referenceScreen(ops, size.cols, size.rows);
    std::printf("  cursor: core (%d,%d), libvterm (%d,%d)  [column,row]\n", core.cursorX, core.cursorY,
                reference.cursorX, reference.cursorY);
    for (const vtdiff::Snapshot *s : {&core, &reference}) {
        const char *name = s == &core ? "core    " : "libvterm";
        for (const std::string &line : s->history)
            std::printf("  history %s |%s|\n", name, line.c_str());
        for (const std::string &row : s->rows)
            std::printf("  screen  %s |%s|\n", name, row.c_str());
    }
}
#endif

} // namespace

int main(int argc, char **argv)
{
    Settings settings;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--streams") == 0)
            settings.streams = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--ops") == 0)
            settings.ops = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--seed") == 0)
            settings.seed = std::strtoull(argv[i + 1], nullptr, 10);
    }

    // 300 columns: moves longer than the core's move buffer.
    int disagreements = check(
        "core against itself", {{13, 7}, {40, 10}, {8, 3}, {300, 4}}, settings, vtdiff::richOperations,
        [](const Ops &ops, Size size) { return vtdiff::selfCheck(ops, size.cols, size.rows).empty(); },
        [](const Ops &ops, Size size) { std::printf("  %s\n", vtdiff::selfCheck(ops, size.cols, size.rows).c_str()); });
#if ZN_HAVE_VTERM
    disagreements += check(
        "core against libvterm", {{80, 24}, {13, 7}, {40, 10}}, settings, vtdiff::vt100Operations,
        [](const Ops &ops, Size size) {
            return vtdiff::coreScreen(ops, size.cols, size.rows) == vtdiff::referenceScreen(ops, size.cols, size.rows);
        },
        explainScreens);
#else
    std::printf("libvterm (pkg-config vterm, Debian libvterm-dev) not found: the comparison with it is skipped\n");
#endif
    return disagreements == 0 ? 0 : 1;
}
