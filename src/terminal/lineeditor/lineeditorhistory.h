// The editor's command history: zero-terminated entries, oldest first, in a
// buffer that grows while small and then drops its oldest entries.
#pragma once

#include <cstddef>

namespace zn {

struct LineEditor;

constexpr size_t kHistoryGrowStep = 4096;
constexpr size_t kHistoryGrowLimit = 4096; // grow only while at most this much is used

// Appends a line unless it is empty or equal to the newest entry; ends any
// browsing. False when nothing was recorded (also on allocation failure).
bool historyAdd(LineEditor *editor, const char *line, size_t length);
void historyClear(LineEditor *editor);
// The entry at index (0 = oldest), or null when there is none.
const char *historyEntry(const LineEditor *editor, int index, size_t *length);

} // namespace zn
