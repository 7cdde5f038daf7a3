#include "lineeditorhistory.h"

#include "lineeditor.h"

#include <cstdlib>
#include <cstring>

namespace zn {

static const char *newestEntry(const LineEditor *editor, size_t *length)
{
    if (editor->historyCount == 0)
        return nullptr;
    // The last byte in use is the newest entry's terminator.
    const char *end = editor->history + editor->historyUsed - 1;
    const char *start = end;
    while (start > editor->history && start[-1] != 0)
        --start;
    *length = size_t(end - start);
    return start;
}

static void dropOldest(LineEditor *editor)
{
    const size_t size = std::strlen(editor->history) + 1;
    std::memmove(editor->history, editor->history + size, editor->historyUsed - size);
    editor->historyUsed -= uint32_t(size);
    --editor->historyCount;
}

static bool grow(LineEditor *editor, size_t need)
{
    const size_t capacity = (need / kHistoryGrowStep + 1) * kHistoryGrowStep;
    if (capacity > UINT32_MAX)
        return false;
    char *grown = static_cast<char *>(std::realloc(editor->history, capacity));
    if (!grown)
        return false;
    editor->history = grown;
    editor->historyCapacity = uint32_t(capacity);
    return true;
}

bool historyAdd(LineEditor *editor, const char *line, size_t length)
{
    editor->historyIndex = editor->historyCount;
    if (length == 0)
        return false;
    size_t newestLength = 0;
    const char *newest = newestEntry(editor, &newestLength);
    if (newest && newestLength == length && std::memcmp(newest, line, length) == 0)
        return false;

    // The entry, its terminator and one spare byte.
    const size_t entrySize = length + 2;
    if (editor->historyUsed + entrySize > editor->historyCapacity) {
        // An entry longer than the whole buffer gets its room rather than
        // emptying the history and still not fitting.
        if (editor->historyUsed <= kHistoryGrowLimit || entrySize > editor->historyCapacity) {
            if (!grow(editor, editor->historyUsed + entrySize))
                return false;
        } else {
            while (editor->historyUsed + entrySize > editor->historyCapacity)
                dropOldest(editor);
        }
    }
    std::memcpy(editor->history + editor->historyUsed, line, length);
    editor->history[editor->historyUsed + length] = 0;
    editor->historyUsed += uint32_t(length + 1);
    editor->historyIndex = editor->historyCount = editor->historyCount + 1;
    return true;
}

void historyClear(LineEditor *editor)
{
    editor->historyUsed = 0;
    editor->historyCount = 0;
    editor->historyIndex = 0;
}

const char *historyEntry(const LineEditor *editor, int index, size_t *length)
{
    if (index < 0 || index >= editor->historyCount)
        return nullptr;
    const char *entry = editor->history;
    for (int i = 0; i < index; ++i)
        entry += std::strlen(entry) + 1;
    *length = std::strlen(entry);
    return entry;
}

} // namespace zn
