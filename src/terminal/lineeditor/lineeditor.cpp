#include "lineeditor.h"

#include "lineeditorhistory.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace zn {

namespace {

// Reverse wraparound lets the erasing backspaces cross wrapped rows; LNM makes
// the new line after Enter start at column 0.
constexpr char kPrompt[] = "\x1b[?45h\x1b[20h\x1b[0m> \x1b[?25h";
constexpr int kPromptWidth = 2;
constexpr char kEraseOne[] = "\b \b";
constexpr char kClearToEnd[] = " \b\x1b[K"; // the space resolves a pending wrap first
constexpr char kCursorOff[] = "\x1b[?25l";
constexpr char kCursorOn[] = "\x1b[?25h";
constexpr char kNewLine[] = "\r\n";
constexpr char kScreenReset[] = "\x1b" "c";
constexpr size_t kRepeatChunk = 32;

enum KeyCode : int {
    KeyCtrlA = 0x01,
    KeyCtrlB = 0x02,
    KeyCtrlC = 0x03,
    KeyCtrlD = 0x04,
    KeyCtrlE = 0x05,
    KeyCtrlF = 0x06,
    KeyBackspace = 0x08,
    KeyCtrlK = 0x0B,
    KeyCtrlL = 0x0C,
    KeyEnter = 0x0D,
    KeyCtrlN = 0x0E,
    KeyCtrlP = 0x10,
    KeyCtrlU = 0x15,
    KeyNewest = 0x16,
    KeyCtrlX = 0x18,
    KeyCtrlY = 0x19,
    KeyEscape = 0x1B,
    KeyDelete = 0x7F,
};

struct EscapeKey {
    const char *sequence;
    int code;
};

constexpr EscapeKey kEscapeKeys[] = {
    {"\x1b[A", KeyCtrlP},  {"\x1b[B", KeyCtrlN},   {"\x1b[C", KeyCtrlF},    {"\x1b[D", KeyCtrlB},
    {"\x1b[H", KeyCtrlA},  {"\x1b[F", KeyCtrlE},   {"\x1b[5~", KeyPageUp},  {"\x1b[6~", KeyNewest},
    {"\x1b[2~", KeyInsert}, {"\x1b[3~", KeyCtrlD},
};

// Unconditional output to the display.
void put(LineEditor *editor, const char *bytes, size_t length)
{
    if (length > 0 && editor->callbacks->show)
        editor->callbacks->show(editor->owner, bytes, length);
}

template <size_t N>
void put(LineEditor *editor, const char (&text)[N])
{
    put(editor, text, N - 1);
}

// Output that belongs to the prompt line, only while it is on the screen:
// control strings here, the line's text through echoText.
void echo(LineEditor *editor, const char *bytes, size_t length)
{
    if (!editor->shown || length == 0)
        return;
    put(editor, bytes, length);
    editor->textEchoed = 0;
}

template <size_t N>
void echo(LineEditor *editor, const char (&text)[N])
{
    echo(editor, text, N - 1);
}

void echoText(LineEditor *editor, const char *bytes, size_t length)
{
    if (!editor->shown || length == 0)
        return;
    put(editor, bytes, length);
    editor->textEchoed = 1;
}

void echoRepeated(LineEditor *editor, char c, int count)
{
    if (!editor->shown || count <= 0)
        return;
    editor->textEchoed = c != '\b';
    char chunk[kRepeatChunk];
    std::memset(chunk, c, sizeof chunk);
    for (size_t left = size_t(count); left > 0;) {
        const size_t n = std::min(left, sizeof chunk);
        put(editor, chunk, n);
        left -= n;
    }
}

// Writes the line from the cursor on and leaves the terminal cursor at
// column `to` of the line.
void redrawRest(LineEditor *editor, int to)
{
    echoText(editor, editor->line + editor->cursor, size_t(editor->length - editor->cursor));
    echoRepeated(editor, '\b', editor->length - to);
}

void setLength(LineEditor *editor, int length)
{
    editor->length = length;
    editor->line[length] = 0;
}

int maxLength(const LineEditor *editor)
{
    return int(editor->capacity) - 1;
}

// The prompt set the default rendition; the host's output goes on in its own.
void restoreHostPen(LineEditor *editor)
{
    char sequence[kHostPenSequenceMax];
    put(editor, sequence, hostPenSequence(&editor->host.pen, sequence));
}

// Draws the prompt line where the host's output allows: never inside a
// sequence or character (the prompt then waits for the host's next line end),
// and on a fresh line when the host's line is unfinished, so that no host cell
// is overwritten and no pending wrap is lost.
void show(LineEditor *editor)
{
    if (editor->shown || !hostStreamComplete(&editor->host))
        return;
    if (!editor->host.atLineStart) {
        put(editor, kNewLine);
        editor->host.atLineStart = editor->host.atColumnZero = 1;
    }
    editor->shown = 1;
    echo(editor, kPrompt);
    editor->host.newLineMode = 1; // the prompt turned it on
    echoText(editor, editor->line, size_t(editor->length));
    echoText(editor, " ", 1);
    echoRepeated(editor, '\b', editor->length - editor->cursor + 1);
}

// Blanks the line right of the cursor, then rubs out the cursor's left part
// and `extra` more columns.
void eraseLine(LineEditor *editor, int extra)
{
    const int right = editor->length - editor->cursor;
    echoRepeated(editor, ' ', right);
    echoRepeated(editor, '\b', right);
    for (int i = 0; i < editor->cursor + extra; ++i)
        echo(editor, kEraseOne);
}

void hide(LineEditor *editor)
{
    if (!editor->shown)
        return;
    eraseLine(editor, kPromptWidth);
    editor->shown = 0;
    restoreHostPen(editor);
}

void activate(LineEditor *editor)
{
    if (!editor->active)
        editor->escLength = 0; // a sequence begun before deactivation is stale
    editor->active = 1;
}

void abandon(LineEditor *editor)
{
    if (editor->shown) {
        // The abandoned line stays on the screen, and the host goes on after it.
        editor->shown = 0;
        editor->host.atLineStart = editor->host.atColumnZero = 0;
        restoreHostPen(editor);
    }
    editor->active = 0;
    editor->cursor = 0;
    setLength(editor, 0);
}

void typeChar(LineEditor *editor, char c)
{
    if (editor->cursor < editor->length && editor->overwrite) {
        editor->line[editor->cursor++] = c;
        echoText(editor, &c, 1);
        return;
    }
    if (editor->length >= maxLength(editor))
        return;
    char *at = editor->line + editor->cursor;
    std::memmove(at + 1, at, size_t(editor->length - editor->cursor));
    *at = c;
    setLength(editor, editor->length + 1);
    redrawRest(editor, editor->cursor + 1);
    ++editor->cursor;
}

void moveLeft(LineEditor *editor)
{
    if (editor->cursor == 0)
        return;
    --editor->cursor;
    echo(editor, "\b");
}

void moveRight(LineEditor *editor)
{
    if (editor->cursor == editor->length)
        return;
    echoText(editor, editor->line + editor->cursor, 1);
    ++editor->cursor;
}

void moveToStart(LineEditor *editor)
{
    echoRepeated(editor, '\b', editor->cursor);
    editor->cursor = 0;
}

void moveToEnd(LineEditor *editor)
{
    if (editor->cursor == editor->length)
        return;
    redrawRest(editor, editor->length);
    echo(editor, kClearToEnd);
    editor->cursor = editor->length;
}

void backspace(LineEditor *editor)
{
    if (editor->cursor == 0)
        return;
    if (editor->cursor == editor->length) {
        --editor->cursor;
        setLength(editor, editor->length - 1);
        echo(editor, kEraseOne);
        return;
    }
    char *at = editor->line + editor->cursor;
    std::memmove(at - 1, at, size_t(editor->length - editor->cursor));
    --editor->cursor;
    setLength(editor, editor->length - 1);
    // Step back, redraw the rest and blank the column it vacated.
    echo(editor, "\b");
    echoText(editor, at - 1, size_t(editor->length - editor->cursor));
    echoText(editor, " ", 1);
    echoRepeated(editor, '\b', editor->length - editor->cursor + 1);
}

void deleteAtCursor(LineEditor *editor)
{
    if (editor->cursor == editor->length)
        return;
    moveRight(editor);
    backspace(editor);
}

void killToEnd(LineEditor *editor)
{
    const int cut = editor->length - editor->cursor;
    std::memcpy(editor->killBuffer, editor->line + editor->cursor, size_t(cut));
    editor->killBuffer[cut] = 0;
    editor->killLength = cut;
    echoRepeated(editor, ' ', cut);
    echoRepeated(editor, '\b', cut);
    setLength(editor, editor->cursor);
}

void killWholeLine(LineEditor *editor)
{
    eraseLine(editor, 0);
    editor->cursor = 0;
    setLength(editor, 0);
}

void yank(LineEditor *editor)
{
    const int n = std::min(editor->killLength, maxLength(editor) - editor->length);
    if (n <= 0)
        return;
    char *at = editor->line + editor->cursor;
    std::memmove(at + n, at, size_t(editor->length - editor->cursor));
    std::memcpy(at, editor->killBuffer, size_t(n));
    setLength(editor, editor->length + n);
    redrawRest(editor, editor->cursor + n);
    editor->cursor += n;
}

// Text that ended in a row's last column leaves the terminal waiting to wrap,
// and any control sequence (the cursor-on that ends a key batch) would drop
// that wait and leave the cursor one column short. Writing the cell under the
// cursor again and stepping back puts the terminal cursor where it belongs.
void settleCursor(LineEditor *editor)
{
    if (!editor->textEchoed)
        return;
    const char under = editor->cursor < editor->length ? editor->line[editor->cursor] : ' ';
    echoText(editor, &under, 1);
    echo(editor, "\b");
}

void redrawScreen(LineEditor *editor)
{
    editor->shown = 0;
    editor->active = 1;
    put(editor, kScreenReset);
    hostStreamReset(&editor->host);
    show(editor);
}

void enterLine(LineEditor *editor)
{
    // Inside a cut-off host sequence the line is delivered without an echo.
    show(editor);
    if (editor->shown) {
        if (editor->cursor < editor->length) {
            redrawRest(editor, editor->length);
            echo(editor, kClearToEnd);
        }
        put(editor, kNewLine);
        editor->shown = 0;
        editor->host.atLineStart = editor->host.atColumnZero = 1;
        restoreHostPen(editor);
    }
    const size_t length = size_t(editor->length);
    editor->cursor = 0;
    editor->length = 0;
    editor->active = 0;
    historyAdd(editor, editor->line, length);
    if (editor->callbacks->lineFinished)
        editor->callbacks->lineFinished(editor->owner, editor->line, length);
    editor->line[editor->length] = 0;
}

void selectHistory(LineEditor *editor, int index)
{
    editor->historyIndex = index;
    size_t length = 0;
    const char *entry = historyEntry(editor, index, &length);
    if (!entry)
        return;
    hide(editor);
    if (length < editor->capacity) {
        std::memcpy(editor->line, entry, length);
        setLength(editor, int(length));
        editor->cursor = int(length);
    }
    show(editor);
}

void handleKey(LineEditor *editor, int code)
{
    if (code >= 0x20 && code <= 0xFF && code != KeyDelete) {
        typeChar(editor, char(code));
        return;
    }
    switch (code) {
    case KeyEscape:
    case KeyCtrlX:
    case KeyCtrlC:
        abandon(editor);
        break;
    case KeyInsert:
        editor->overwrite = !editor->overwrite;
        break;
    case KeyCtrlA:
        moveToStart(editor);
        break;
    case KeyCtrlB:
        moveLeft(editor);
        break;
    case KeyCtrlD:
        deleteAtCursor(editor);
        break;
    case KeyCtrlE:
        moveToEnd(editor);
        break;
    case KeyCtrlF:
        moveRight(editor);
        break;
    case KeyBackspace:
    case KeyDelete:
        backspace(editor);
        break;
    case KeyCtrlK:
        killToEnd(editor);
        break;
    case KeyCtrlL:
        redrawScreen(editor);
        break;
    case KeyEnter:
        enterLine(editor);
        break;
    case KeyCtrlN:
        if (editor->historyIndex < editor->historyCount)
            selectHistory(editor, editor->historyIndex + 1);
        break;
    case KeyCtrlP:
        if (editor->historyIndex > 0)
            selectHistory(editor, editor->historyIndex - 1);
        break;
    case KeyCtrlU:
        killWholeLine(editor);
        break;
    case KeyNewest:
        if (editor->historyIndex < editor->historyCount)
            selectHistory(editor, editor->historyCount - 1);
        break;
    case KeyCtrlY:
        yank(editor);
        break;
    case KeyPageUp:
        if (editor->historyIndex > 0)
            selectHistory(editor, 0);
        break;
    default:
        break;
    }
}

int lookupEscape(const LineEditor *editor, unsigned char final)
{
    const size_t length = size_t(editor->escLength);
    for (const EscapeKey &key : kEscapeKeys) {
        if (std::strlen(key.sequence) != length + 1 || uint8_t(key.sequence[length]) != final)
            continue;
        // SS3 cursor keys (keypad application mode) mean the same as CSI ones.
        if (key.sequence[0] == editor->escBytes[0]
            && std::memcmp(key.sequence + 2, editor->escBytes + 2, length - 2) == 0)
            return key.code;
    }
    return 0;
}

bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

void collectEscape(LineEditor *editor, unsigned char c)
{
    if (editor->escLength == 1) {
        if (c == '[' || c == 'O') {
            editor->escBytes[editor->escLength++] = char(c);
            return;
        }
        editor->escLength = 0;
        abandon(editor);
        handleKey(editor, c);
        return;
    }
    // Parameters follow CSI; "\e[[" introduces the function keys F1 to F5,
    // which must not leave their letter in the line.
    const bool csi = editor->escBytes[1] == '[';
    if (csi && (isDigit(c) || (c == '[' && editor->escLength == 2))) {
        if (size_t(editor->escLength) < kLineEditorEscMax)
            editor->escBytes[editor->escLength++] = char(c);
        return;
    }
    const int code = lookupEscape(editor, c);
    editor->escLength = 0;
    if (code != 0)
        handleKey(editor, code);
}

} // namespace

LineEditor *lineEditorCreate(void *owner, const LineEditorCallbacks *callbacks, uint32_t capacity)
{
    if (!callbacks)
        return nullptr;
    if (capacity == 0)
        capacity = kLineEditorDefaultCapacity;
    if (capacity > uint32_t(INT32_MAX / 2))
        return nullptr; // cursor and length are ints
    void *block = std::calloc(1, sizeof(LineEditor) + 2 * size_t(capacity));
    if (!block)
        return nullptr;
    LineEditor *editor = new (block) LineEditor();
    editor->owner = owner;
    editor->callbacks = callbacks;
    editor->line = reinterpret_cast<char *>(editor + 1);
    editor->capacity = capacity;
    editor->killBuffer = editor->line + capacity;
    hostStreamReset(&editor->host);
    return editor;
}

void lineEditorDestroy(LineEditor *editor)
{
    if (!editor)
        return;
    std::free(editor->history);
    std::free(editor);
}

void lineEditorKeys(LineEditor *editor, const char *bytes, size_t length)
{
    if (length == 0)
        return;
    if (!editor->active) {
        if (editor->callbacks->send)
            editor->callbacks->send(editor->owner, bytes, length);
        return;
    }
    // Nothing is written while the prompt is away: the host's output may have
    // stopped inside a sequence, or with the cursor waiting to wrap.
    const bool wasShown = editor->shown;
    if (wasShown)
        put(editor, kCursorOff);
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = uint8_t(bytes[i]);
        if (editor->escLength > 0) {
            collectEscape(editor, c);
        } else if (c == KeyEscape) {
            editor->escBytes[0] = char(c);
            editor->escLength = 1;
        } else {
            handleKey(editor, c);
        }
    }
    settleCursor(editor);
    if (wasShown || editor->shown)
        put(editor, kCursorOn);
}

void lineEditorHostOutput(LineEditor *editor, const char *bytes, size_t length)
{
    if (length == 0)
        return;
    hide(editor);
    put(editor, bytes, length);
    hostStreamFeed(&editor->host, bytes, length);
    if (bytes[length - 1] == 0x1A) {
        activate(editor);
        show(editor);
    } else if (editor->active && editor->host.atLineStart) {
        // Pieces may end anywhere; the prompt comes back only after a line end.
        show(editor);
    }
}

void lineEditorTrigger(LineEditor *editor)
{
    activate(editor);
    show(editor);
}

int lineEditorLoadHistory(LineEditor *editor, const char *bytes, size_t size)
{
    if (size > kLineEditorHistoryLoadMax)
        return 0;
    historyClear(editor);
    size_t start = 0;
    bool typeable = true;
    for (size_t i = 0; i <= size; ++i) {
        // A last entry without its zero byte is kept as well. An entry with a
        // control byte cannot have been typed, and recalling it would echo
        // the byte to the terminal: it is dropped.
        if (i == size || bytes[i] == 0) {
            if (typeable)
                historyAdd(editor, bytes + start, i - start);
            start = i + 1;
            typeable = true;
        } else if (uint8_t(bytes[i]) < 0x20 || bytes[i] == 0x7F) {
            typeable = false;
        }
    }
    return 1;
}

const char *lineEditorHistory(const LineEditor *editor, size_t *size)
{
    *size = editor->historyUsed;
    return editor->history;
}

} // namespace zn
