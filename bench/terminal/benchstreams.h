// The byte streams the terminal benchmark feeds: generated from a fixed seed,
// so every run and every emulator sees exactly the same bytes.
#pragma once

#include <cstddef>
#include <string>

namespace znbench {

// Text lines of words, each ended by CR LF: the screen scrolls on every line.
std::string plainLines(size_t size);
// Message lines as the application prints them: "[Scan] ..." and "[Socket] ..."
// with yellow warnings and red errors, and the odd line long enough to wrap.
std::string colouredLogLines(size_t size);
// A full-screen program redrawing an 80 x 24 screen: cursor addressing,
// erasing in line and display, renditions, scroll regions with IL and DL.
std::string cursorAddressing(size_t size);

} // namespace znbench
