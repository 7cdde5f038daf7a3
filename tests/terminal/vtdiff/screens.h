// The screen (characters and cursor) and the scrollback of the emulator
// under test and of the reference, fed the same operations.
#pragma once

#include <string>
#include <vector>

namespace vtdiff {

struct Snapshot {
    std::vector<std::string> rows; // characters outside printable ASCII as '?'
    int cursorX = 0;
    int cursorY = 0;
    // Lines scrolled off the top, oldest first. Blank ones are left out: this
    // terminal keeps them out of an empty history, and a DL count past the
    // region pushes more of them.
    std::vector<std::string> history;

    bool operator==(const Snapshot &other) const = default;
};

Snapshot coreScreen(const std::vector<std::string> &ops, int cols, int rows);
Snapshot referenceScreen(const std::vector<std::string> &ops, int cols, int rows);

} // namespace vtdiff
