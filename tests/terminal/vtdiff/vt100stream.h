// Random host output restricted to what the VT100 defines the same way in
// every emulator: printable ASCII, CR, LF, VT and FF, cursor movement, ED, EL
// and ECH, IL and DL, ICH and DCH, scroll regions, IND, RI and NEL, tab stops
// (HT, CHT, CBT) and autowrap.
// Each element is one operation, so a disagreement can be narrowed down to a
// few of them. Cases where the terminals themselves differ are avoided (see
// the generator): CUU and CUD across margins, ICH and DCH outside the scroll
// region, and what follows a character printed into the last column.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vtdiff {

std::vector<std::string> vt100Operations(uint64_t seed, int count, int cols, int rows);
// Anything the screen buffer handles, for the check of the core against itself.
std::vector<std::string> richOperations(uint64_t seed, int count, int cols, int rows);

// The bytes as a C string literal, for reports.
std::string quoted(const std::string &bytes);

} // namespace vtdiff
