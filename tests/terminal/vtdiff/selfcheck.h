// The core against itself, on any operations: fed one operation per call,
// in one call, with every counted sequence spelt out as single steps, and in
// pieces of one byte to several operations (painted now and then, the view
// moved now and then, compared wherever a piece ends an operation), it must
// end with the same screen and history. Throughout, every cell that differs
// from what was last painted must be marked for repaint, and the bookkeeping
// of the lines and their slots must match their cells.
#pragma once

#include <string>
#include <vector>

namespace vtdiff {

// Empty when all holds, else what went wrong.
std::string selfCheck(const std::vector<std::string> &ops, int cols, int rows);

} // namespace vtdiff
