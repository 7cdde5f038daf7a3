// The line editor between keys and host output, drawing into a real
// terminal core. After every step: cursor, line, kill buffer and escape
// collection stay inside their buffers; the history holds distinct
// neighbouring, non-empty entries without control bytes that load back to
// the same bytes; and, in the checked mode, while the prompt is shown the
// screen holds "> " and the line with the terminal cursor at the edit
// position.
//
// The checked mode builds keys, host output and history from tokens:
// everything the editor is meant to draw around (text, line ends,
// renditions, sequences and characters cut anywhere, cursor moves, resets),
// but no host mode that would draw the editor's own text differently (insert
// mode, no autowrap, other character sets, double-width lines, scroll
// regions), and lines of ASCII only (the editor counts bytes, which a UTF-8
// terminal shows in fewer cells). The raw mode takes any bytes and only
// checks the buffers.
//
// Input: flags (bit 0 checked mode, bit 1 UTF-8 terminal), line capacity - 2,
// columns - 10, rows - 3, then operations: a byte (top two bits: keys, host
// output, history load, trigger; low six bits: count - 1) and its bytes.
#include "lineeditor.h"
#include "lineeditorhistory.h"
#include "terminalcore.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

using namespace zn;

namespace {

void require(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz_lineeditor: %s\n", what);
        std::abort();
    }
}

const char *const kKeyTokens[] = {
    "a", "b", "c", "x", " ", "~", "\x01", "\x02", "\x03", "\x04", "\x05", "\x06", "\x08", "\x0b", "\x0c",
    "\r", "\x0e", "\x10", "\x15", "\x16", "\x18", "\x19", "\x7f", "\x1b", "\x1b[", "\x1b[1", "\x1b[A",
    "\x1b[B", "\x1b[C", "\x1b[D", "\x1b[H", "\x1b[F", "\x1b[5~", "\x1b[6~", "\x1b[2~", "\x1b[3~", "\x1bOC",
    "\x1bOD", "\x1b[[A", "\x1b[15~", "\x1b[1;5C", "\x1b\x1b", "abcdefghijklmnopqrstuvwxyz0123456789",
};

const char *const kHostTokens[] = {
    "text", "y", "\r\n", "\n", "\r", "\x1a", "\b", "\t", "\x07", "\x1b", "[", "3", ";", "m", "\x1b[",
    "\x1b[1;31m", "\x1b[0m", "\x1b[7m", "\x1b[2;4;5m", "\x1b[38;5;200m", "\x1b[48;5;3m", "\x1b[A", "\x1b[5A",
    "\x1b[3;4H", "\x1b[99;99H", "\x1b[K", "\x1b[1K", "\x1b[2J", "\x1b[J", "\x1b" "7", "\x1b" "8", "\x1b" "c",
    "\x1b[?45l", "\x1b[20l", "\x1b[?25l", "\x1b]0;title\x07", "\x1b]0;ti", "\x1bP1$r", "\x1b\\", "\xc3",
    "\xa9", "\xe2\x94\x80", "\xe2", "\x80", "\x9b" "1m", "\x1b[L", "\x1b[M", "\x1b[P", "\x1b[@", "\x1b" "D",
    "\x1b" "M", "\x1b" "E", "\x1b[6n", "\x1b[c", "a long host line that wraps over the narrowest screens\r\n",
};

struct Harness {
    TerminalCore *core = nullptr;
    LineEditor *editor = nullptr;
    bool checked = false;
};

void show(void *owner, const char *bytes, size_t length)
{
    terminalCoreFeed(static_cast<Harness *>(owner)->core, bytes, length);
}

void lineFinished(void *owner, const char *bytes, size_t length)
{
    const LineEditor *editor = static_cast<Harness *>(owner)->editor;
    require(length < editor->capacity && std::memchr(bytes, 0, length) == nullptr, "finished line");
}

const LineEditorCallbacks kCallbacks = {show, nullptr, lineFinished};
const TerminalCallbacks kCoreCallbacks{};

void checkBuffers(const LineEditor *e)
{
    require(0 <= e->cursor && e->cursor <= e->length && e->length < int(e->capacity), "cursor and length");
    require(e->line[e->length] == 0, "line terminated");
    require(0 <= e->killLength && e->killLength < int(e->capacity) && e->killBuffer[e->killLength] == 0,
            "kill buffer");
    require(e->escLength >= 0 && size_t(e->escLength) <= kLineEditorEscMax, "escape collection");
    require(e->historyUsed <= e->historyCapacity, "history inside its buffer");
    require(0 <= e->historyIndex && e->historyIndex <= e->historyCount, "history index");
    int count = 0;
    size_t previous = 0;
    size_t previousLength = 0;
    for (size_t at = 0; at < e->historyUsed; ++count) {
        const char *entry = e->history + at;
        const size_t length = strnlen(entry, e->historyUsed - at);
        require(at + length < e->historyUsed, "history entry terminated");
        require(length > 0, "no empty history entry");
        require(std::none_of(entry, entry + length, [](char c) { return uint8_t(c) < 0x20 || c == 0x7F; }),
                "history entries as typed");
        require(count == 0 || length != previousLength || std::memcmp(entry, e->history + previous, length) != 0,
                "no entry repeats its predecessor");
        previous = at;
        previousLength = length;
        at += length + 1;
    }
    require(count == e->historyCount, "history count");
}

// The saved history loads back to the same bytes.
void checkHistoryReload(Harness &h)
{
    size_t size = 0;
    const char *bytes = lineEditorHistory(h.editor, &size);
    const std::string saved(bytes ? bytes : "", size);
    require(lineEditorLoadHistory(h.editor, saved.data(), saved.size()) == 1, "history reload");
    const char *again = lineEditorHistory(h.editor, &size);
    require(size == saved.size() && (size == 0 || std::memcmp(again, saved.data(), size) == 0),
            "history reloads unchanged");
}

// The prompt line from where the cursor says it starts, unless it has
// scrolled off the top or holds bytes that are no single cell of their own.
void checkScreen(const Harness &h)
{
    const LineEditor *e = h.editor;
    TerminalCore *t = h.core;
    if (!h.checked || !e->shown)
        return;
    for (int i = 0; i < e->length; ++i) {
        if (uint8_t(e->line[i]) < 0x20 || uint8_t(e->line[i]) > 0x7E)
            return;
    }
    const int64_t at = int64_t(t->cursorY) * t->cols + t->cursorX + (t->wrapPending ? 1 : 0);
    const int64_t start = at - 2 - e->cursor;
    if (start < 0)
        return;
    const std::string expected = "> " + std::string(e->line, size_t(e->length));
    for (size_t i = 0; i < expected.size(); ++i) {
        const int64_t cell = start + int64_t(i);
        const TerminalLine *line = terminalCoreLine(t, int32_t(cell / t->cols));
        require(cellChar(lineCells(line)[cell % t->cols]) == uint8_t(expected[i]), "prompt line on the screen");
    }
}

std::string tokens(const char *const *table, size_t count, const uint8_t *bytes, size_t n)
{
    std::string out;
    for (size_t i = 0; i < n; ++i)
        out += table[bytes[i] % count];
    return out;
}

// History entries of printable ASCII.
std::string historyText(const uint8_t *bytes, size_t n)
{
    std::string out;
    for (size_t i = 0; i < n; ++i)
        out += bytes[i] % 16 == 0 ? '\0' : char(0x20 + bytes[i] % 95);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    Harness h;
    h.checked = data[0] & 1;
    h.core = terminalCoreCreate(&kCoreCallbacks, nullptr);
    require(h.core && terminalCoreResize(h.core, 10 + data[2] % 70, 3 + data[3] % 20, 100) == 1, "terminal");
    h.core->options |= data[0] & 2 ? kOptionUtf8 : 0;
    h.core->defaultModes = h.core->modes | kModeLnm;
    terminalCoreFullReset(h.core);
    h.editor = lineEditorCreate(&h, &kCallbacks, 2 + data[1]);
    require(h.editor != nullptr, "editor");

    const uint8_t *p = data + 4;
    const uint8_t *end = data + size;
    for (int steps = 0; steps < 1000 && p < end; ++steps) {
        const uint8_t op = *p++;
        const size_t n = op >> 6 == 3 ? 0 : std::min<size_t>((op & 63) + 1u, size_t(end - p));
        std::string bytes(reinterpret_cast<const char *>(p), n);
        switch (op >> 6) {
        case 0:
            if (h.checked)
                bytes = tokens(kKeyTokens, std::size(kKeyTokens), p, n);
            lineEditorKeys(h.editor, bytes.data(), bytes.size());
            break;
        case 1:
            if (h.checked)
                bytes = tokens(kHostTokens, std::size(kHostTokens), p, n);
            lineEditorHostOutput(h.editor, bytes.data(), bytes.size());
            break;
        case 2:
            if (h.checked)
                bytes = historyText(p, n);
            require(lineEditorLoadHistory(h.editor, bytes.data(), bytes.size()) == 1, "history load");
            break;
        default:
            lineEditorTrigger(h.editor);
            if (op & 1)
                checkHistoryReload(h);
            break;
        }
        p += n;
        checkBuffers(h.editor);
        checkScreen(h);
    }
    lineEditorDestroy(h.editor);
    terminalCoreDestroy(h.core);
    return 0;
}
