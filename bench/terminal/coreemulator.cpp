#include "emulators.h"

#include "terminalcore.h"

namespace znbench {

namespace {

// The frame's callbacks reduced to what costs nothing but a call: the
// benchmark measures the core, not the painting.
struct CoreCounters {
    unsigned updates = 0;
    unsigned scrolls = 0;
};

const zn::TerminalCallbacks kCallbacks = {
    [](zn::TerminalCore *t) { ++static_cast<CoreCounters *>(t->owner)->updates; },
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    [](zn::TerminalCore *t) { ++static_cast<CoreCounters *>(t->owner)->scrolls; },
};

class CoreEmulator : public Emulator {
public:
    CoreEmulator() : core(zn::terminalCoreCreate(&kCallbacks, &counters))
    {
        // As the frame creates it: LNM on by default, 80 x 24, full scrollback.
        core->defaultModes = core->modes | zn::kModeLnm;
        zn::terminalCoreResize(core, 80, 24, zn::kTerminalHistoryLines);
        zn::terminalCoreFullReset(core);
    }
    ~CoreEmulator() override { zn::terminalCoreDestroy(core); }
    CoreEmulator(const CoreEmulator &) = delete;
    CoreEmulator &operator=(const CoreEmulator &) = delete;

    void feed(const char *bytes, size_t length) override { zn::terminalCoreFeed(core, bytes, length); }

private:
    CoreCounters counters;
    zn::TerminalCore *core;
};

} // namespace

std::unique_ptr<Emulator> makeCoreEmulator()
{
    return std::make_unique<CoreEmulator>();
}

} // namespace znbench
