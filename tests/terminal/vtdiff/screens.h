// The screen (characters and cursor) and the scrollback of the emulator
// under test and of the reference, fed the same operations.
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
    // Lines scrolled off the top, oldest first, as row() gives them. Blank
    // ones are left out: this terminal keeps them out of an empty history,
    // and a DL count past the region pushes more of them.
    std::vector<std::string> history;

    bool operator==(const Snapshot &other) const = default;
    std::string row(int y) const { return text(&chars[size_t(y * cols)], cols); }
    static std::string text(const uint32_t *chars, int count);
    void scrolledOff(const std::string &line)
    {
        if (line.find_first_not_of(' ') != std::string::npos)
            history.push_back(line);
    }
};

Snapshot coreScreen(const std::vector<std::string> &ops, int cols, int rows);
Snapshot referenceScreen(const std::vector<std::string> &ops, int cols, int rows);

} // namespace vtdiff
