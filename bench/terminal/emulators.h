// The emulators the benchmark compares, behind one feeding interface. Each is
// set up as the message window uses its terminal: 80 x 24, 10000 lines of
// scrollback, and the owner's per-chunk update step after every feed.
#pragma once

#include <cstddef>
#include <memory>

namespace znbench {

class Emulator {
public:
    virtual ~Emulator() = default;
    // One chunk of host output, followed by the update step.
    virtual void feed(const char *bytes, size_t length) = 0;
};

std::unique_ptr<Emulator> makeCoreEmulator();
// libvterm's screen layer alone: no callbacks, lines scrolled off are dropped.
// The strict reference. Null when the program was built without libvterm.
std::unique_ptr<Emulator> makeVtermEmulator();
// libvterm with what an owner adds to match the core's work: damage reports
// flushed after every chunk and a 10000-line scrollback kept by copying each
// line pushed off the top.
std::unique_ptr<Emulator> makeVtermScrollbackEmulator();

} // namespace znbench
