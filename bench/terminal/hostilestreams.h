// Inputs chosen for their cost rather than their content: each is a short
// unit (one or a few control functions) repeated to the stream's size, after
// a setup that puts the cursor, margins and modes where the unit hurts most.
// Plain text of the same size is the yardstick they are measured against.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace znbench {

struct HostileCase {
    std::string name;
    std::string setup; // fed before timing starts
    std::string unit;  // repeated to the stream size
};

std::vector<HostileCase> hostileCases(uint32_t cols, uint32_t rows);

// `unit` repeated to exactly `size` bytes (the last copy may be cut short).
std::string repeatTo(const std::string &unit, size_t size);

// Lines exactly `cols` wide, every one different, ended by CR LF: fills the
// screen and `lines` lines of history so that every cell holds a character.
std::string fullLines(uint32_t cols, uint32_t lines);

} // namespace znbench
