// The screen (characters and cursor) of the emulator under test and of the
// reference, fed the same operations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vtdiff {

struct Snapshot {
    int cols = 0;
    int rows = 0;
    std::vector<uint32_t> chars; // row by row; blanks are spaces
    int cursorX = 0;
    int cursorY = 0;

    bool operator==(const Snapshot &other) const = default;
    std::string row(int y) const;
};

Snapshot coreScreen(const std::vector<std::string> &ops, int cols, int rows);
Snapshot referenceScreen(const std::vector<std::string> &ops, int cols, int rows);

} // namespace vtdiff
