// Worst-case inputs: how long 64 KiB of each hostile stream takes through the
// emulator core, as a multiple of 64 KiB of plain text on the same screen.
// The core is set up as the frame sets it up (LNM, 10000 lines of scrollback)
// and every case runs twice: from a fresh screen, and from a screen whose rows
// and whole scrollback are full of text (whose destruction some streams pay
// for once). Each stream is one feed call; the time is the thread's CPU time,
// the best of the runs. A case whose first 4 KiB already exceed the time
// budget is estimated from them (marked ~).
//
//   cmake --preset default && cmake --build --preset default --target bench_hostile
//   build/default/bench/terminal/bench_hostile [--size 80x24]... [--case TEXT] [--runs N] [--budget S]
#include "benchstreams.h"
#include "hostilestreams.h"

#include "terminalcore.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr size_t kStreamBytes = 65536;
constexpr size_t kProbeBytes = 4096;

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

struct Size {
    uint32_t cols;
    uint32_t rows;
};

struct Settings {
    std::vector<Size> sizes;
    std::string filter;
    int runs = 3;
    double budget = 5.0;
};

const zn::TerminalCallbacks kNoCallbacks{};

class Core {
public:
    Core(Size size, const std::string &fill) : t(zn::terminalCoreCreate(&kNoCallbacks, nullptr))
    {
        t->defaultModes = t->modes | zn::kModeLnm;
        zn::terminalCoreResize(t, size.cols, size.rows, zn::kTerminalHistoryLines);
        zn::terminalCoreFullReset(t);
        feed(fill);
    }
    ~Core() { zn::terminalCoreDestroy(t); }
    Core(const Core &) = delete;
    Core &operator=(const Core &) = delete;

    void feed(const std::string &bytes) { feed(bytes.data(), bytes.size()); }
    void feed(const char *bytes, size_t length) { zn::terminalCoreFeed(t, bytes, length); }

private:
    zn::TerminalCore *t;
};

struct Timing {
    double seconds;
    bool estimated;
};

// Best of the runs; a run whose first 4 KiB exceed the budget share ends them.
Timing timeStream(Size size, const std::string &fill, const std::string &setup, const std::string &stream,
                  const Settings &settings)
{
    Timing best{1e30, false};
    for (int run = 0; run < settings.runs; ++run) {
        Core core(size, fill);
        core.feed(setup);
        const double start = cpuSeconds();
        core.feed(stream.data(), kProbeBytes);
        const double probe = cpuSeconds() - start;
        if (probe * double(kStreamBytes / kProbeBytes) > settings.budget)
            return {probe * double(kStreamBytes / kProbeBytes), true};
        core.feed(stream.data() + kProbeBytes, stream.size() - kProbeBytes);
        best.seconds = std::min(best.seconds, cpuSeconds() - start);
    }
    return best;
}

// One column of the table: a starting state and its plain-text yardstick.
struct Start {
    std::string fill;
    double plainSeconds;
};

std::string cell(const Timing &timing, double plainSeconds, double *worst)
{
    const double ratio = timing.seconds / plainSeconds;
    *worst = std::max(*worst, ratio);
    char text[64];
    std::snprintf(text, sizeof text, "%s%10.3f %7.1f%s", timing.estimated ? "~" : " ", timing.seconds * 1e3, ratio,
                  ratio > 10 ? "!" : " ");
    return text;
}

bool parseSize(const char *text, Size *size)
{
    unsigned cols = 0;
    unsigned rows = 0;
    if (std::sscanf(text, "%ux%u", &cols, &rows) != 2 || cols < 8 || rows < 4 || cols > 4096 || rows > 4096)
        return false;
    *size = {cols, rows};
    return true;
}

void benchSize(Size size, const Settings &settings)
{
    const std::string plain = znbench::plainLines(kStreamBytes).substr(0, kStreamBytes);
    Start starts[2] = {{std::string(), 0}, {znbench::fullLines(size.cols, size.rows + zn::kTerminalHistoryLines), 0}};
    for (Start &start : starts)
        start.plainSeconds = timeStream(size, start.fill, "", plain, settings).seconds;
    std::printf("\n%ux%u: plain text %.3f ms per 64 KiB from a fresh screen, %.3f ms from a full one\n", size.cols,
                size.rows, starts[0].plainSeconds * 1e3, starts[1].plainSeconds * 1e3);
    std::printf("%-26s %19s %19s\n", "stream (ms, x plain)", "fresh", "full");
    double worst = 0;
    for (const znbench::HostileCase &c : znbench::hostileCases(size.cols, size.rows)) {
        if (!settings.filter.empty() && c.name.find(settings.filter) == std::string::npos)
            continue;
        const std::string stream = znbench::repeatTo(c.unit, kStreamBytes);
        std::printf("%-26s", c.name.c_str());
        for (const Start &start : starts)
            std::printf(" %s", cell(timeStream(size, start.fill, c.setup, stream, settings), start.plainSeconds,
                                    &worst).c_str());
        std::printf("\n");
        std::fflush(stdout);
    }
    std::printf("worst: %.1f x plain text (! marks more than 10x)\n", worst);
}

} // namespace

int main(int argc, char **argv)
{
    Settings settings;
    for (int i = 1; i + 1 < argc; i += 2) {
        const char *value = argv[i + 1];
        if (std::strcmp(argv[i], "--size") == 0) {
            Size size{};
            if (!parseSize(value, &size)) {
                std::fprintf(stderr, "bad size %s (COLSxROWS, 8x4 to 4096x4096)\n", value);
                return 2;
            }
            settings.sizes.push_back(size);
        } else if (std::strcmp(argv[i], "--case") == 0) {
            settings.filter = value;
        } else if (std::strcmp(argv[i], "--runs") == 0) {
            settings.runs = std::max(1, std::atoi(value));
        } else if (std::strcmp(argv[i], "--budget") == 0) {
            settings.budget = std::max(0.1, std::atof(value));
        }
    }
    if (settings.sizes.empty())
        settings.sizes = {{80, 24}, {200, 60}};
#ifndef __OPTIMIZE__
    std::printf("warning: built without optimisation; the figures mean nothing\n");
#endif
    for (const Size size : settings.sizes)
        benchSize(size, settings);
    return 0;
}
