// Local line editing inside the terminal: a "> " prompt, control-key editing,
// a kill buffer and a command history. The editor draws only by writing escape
// sequences through its show callback, so it needs nothing of the screen model.
#pragma once

#include "hoststream.h"

#include <cstddef>
#include <cstdint>

namespace zn {

// Every entry may be null. Byte pointers are valid only during the call.
struct LineEditorCallbacks {
    // Writes into the terminal display without passing through the editor.
    void (*show)(void *owner, const char *bytes, size_t length);
    // Sends bytes to the host (keys typed while the editor is inactive).
    void (*send)(void *owner, const char *bytes, size_t length);
    // Delivers an entered line, without terminator.
    void (*lineFinished)(void *owner, const char *bytes, size_t length);
};

constexpr uint32_t kLineEditorDefaultCapacity = 1000; // used when 0 is requested
constexpr size_t kLineEditorEscMax = 14;
constexpr size_t kLineEditorHistoryLoadMax = 10485760;

// Key codes beyond the byte range, produced from escape sequences.
enum LineEditorKey : int {
    KeyInsert = 265,
    KeyPageUp = 278,
};

struct LineEditor {
    void *owner;
    const LineEditorCallbacks *callbacks;
    int overwrite;  // 0 insert mode, 1 overwrite mode
    int shown;      // prompt and line are on the screen
    int active;     // keys are edited here instead of going to the host
    char *line;     // capacity bytes, zero-terminated
    uint32_t capacity;
    int cursor;     // edit position, 0 ... length
    int length;
    char *killBuffer; // capacity bytes, zero-terminated
    int killLength;
    int escLength;  // bytes of an incoming escape sequence collected, 0 = none
    char escBytes[kLineEditorEscMax];
    int historyIndex; // entry shown while browsing; historyCount when not browsing
    int historyCount;
    char *history;    // entries, oldest first, each followed by a zero byte
    uint32_t historyCapacity;
    uint32_t historyUsed;
    int textEchoed; // the last output was line text: the terminal may be waiting to wrap
    HostStream host; // where the host's output left the terminal
};

// Creates an inactive, hidden editor whose line holds capacity - 1 bytes
// (kLineEditorDefaultCapacity when 0). Null on allocation failure. The
// callbacks table must outlive the editor.
LineEditor *lineEditorCreate(void *owner, const LineEditorCallbacks *callbacks, uint32_t capacity);
void lineEditorDestroy(LineEditor *editor);

// Bytes typed by the user: edited while active, passed to the host otherwise.
void lineEditorKeys(LineEditor *editor, const char *bytes, size_t length);
// Bytes for the display. The prompt line is taken away before them and comes
// back only where the host's output is complete and at the start of a line
// (never inside a sequence or character); a chunk ending in SUB (0x1A)
// activates the editor and brings the prompt back at once.
void lineEditorHostOutput(LineEditor *editor, const char *bytes, size_t length);
// Activates the editor and shows the prompt: on a fresh line when the host's
// line is unfinished, after the host's sequence when one is cut off.
void lineEditorTrigger(LineEditor *editor);

// Replaces the history by the zero-separated entries of bytes, oldest first.
// Returns 0 (history unchanged) when size exceeds kLineEditorHistoryLoadMax.
int lineEditorLoadHistory(LineEditor *editor, const char *bytes, size_t size);
// The history as zero-terminated entries, oldest first; *size gets its bytes.
const char *lineEditorHistory(const LineEditor *editor, size_t *size);

} // namespace zn
