// Feeds the terminal core in chunks, with resizes, view moves, blink steps and
// selection calls decoded from the input in between, and checks after every
// step that cursor, margins and view stay inside the screen.
//
// Input: flags (bits 0-3 options, bit 4 echo replies back), cols, rows, then
// operations, each an op byte (top three bits: kind) and its arguments:
//   0-3  bytes chunk of ((op & 127) << 8 | next) + 1 bytes
//   4    resize: cols, rows, history (255 cols = 4096; bit 7 of history also
//        tries an invalid size)
//   5    selection (op & 3): extend x, y | clear | selected text | isSelected over the view
//   6    view (op & 3): set view offset | blink step | mark all | options
//   7    UTF-16 chunk of (op & 31) + 1 code units, little-endian
#include "terminalcore.h"

#include <cstdio>
#include <cstdlib>

using namespace zn;

namespace {

struct Input {
    const uint8_t *p;
    const uint8_t *end;
    bool done() const { return p >= end; }
    uint8_t byte() { return p < end ? *p++ : 0; }
    size_t take(size_t wanted)
    {
        const size_t left = size_t(end - p);
        return wanted < left ? wanted : left;
    }
};

void require(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz_terminal: %s\n", what);
        std::abort();
    }
}

int echoDepth = 0;
bool echoReplies = false;

// Replies fed straight back, once: callbacks that feed the terminal again.
void onReply(TerminalCore *t, const char *bytes, size_t length)
{
    require(length > 0 && length < 64, "reply length");
    if (!echoReplies || echoDepth > 0)
        return;
    ++echoDepth;
    terminalCoreFeed(t, bytes, length);
    --echoDepth;
}

const TerminalCallbacks kCallbacks = {nullptr, onReply, nullptr, nullptr, nullptr, nullptr, nullptr};

void checkInvariants(TerminalCore *t)
{
    require(t->cursorX < t->cols && t->cursorY < t->rows, "cursor on the screen");
    require(t->shownCursorX < t->cols && t->shownCursorY < t->rows, "shown cursor on the screen");
    require(t->marginTop + 2 <= t->marginBottom && t->marginBottom <= t->rows, "scroll region");
    require(t->historyCount <= t->totalLines - t->rows, "history fits the ring");
    require(t->viewOffset <= t->historyCount, "view inside the history");
    uint32_t sum = 0;
    for (uint32_t r = 0; r < t->rows; ++r) {
        const TerminalLine *line = terminalCoreViewLine(t, r);
        require(line != nullptr, "view line");
        for (uint32_t c = 0; c < t->cols; ++c)
            sum += lineCells(line)[c].ch;
    }
    (void)sum;
}

void resize(TerminalCore *t, Input &in)
{
    const uint8_t a = in.byte();
    const uint8_t b = in.byte();
    const uint8_t h = in.byte();
    const uint32_t cols = a == 255 ? kTerminalMaxSize : 2 + a % 200;
    const uint32_t rows = a == 255 ? 2 + b % 8 : 2 + b % 60;
    if (h & 0x80)
        require(terminalCoreResize(t, h & 1 ? 1 : 5000, rows, 8) == 0, "invalid size refused");
    require(terminalCoreResize(t, cols, rows, h % 64) == 1, "resize");
    terminalCoreMarkAllChanged(t);
}

void selection(TerminalCore *t, uint8_t kind, Input &in)
{
    switch (kind) {
    case 0: {
        const int32_t x = int32_t(in.byte()) - 16;
        const int32_t y = int32_t(in.byte()) - 8;
        terminalCoreExtendSelection(t, x, y);
        break;
    }
    case 1:
        terminalCoreClearSelection(t);
        break;
    case 2: {
        const char16_t *text = terminalCoreSelectedText(t);
        size_t length = 0;
        while (text && text[length])
            ++length;
        break;
    }
    default:
        for (uint32_t r = 0; r < t->rows; ++r)
            for (uint32_t c = 0; c < t->cols; ++c)
                terminalCoreIsSelected(t, int32_t(c), int32_t(r));
        break;
    }
}

void view(TerminalCore *t, uint8_t kind, Input &in)
{
    switch (kind) {
    case 0:
        terminalCoreSetViewOffset(t, uint32_t(in.byte()) * 3);
        break;
    case 1:
        terminalCoreBlinkStep(t);
        break;
    case 2:
        terminalCoreMarkAllChanged(t);
        break;
    default:
        t->options = in.byte() & 0xF;
        break;
    }
}

void feedUtf16(TerminalCore *t, size_t units, Input &in)
{
    char16_t text[32];
    size_t count = 0;
    while (count < units && !in.done()) {
        const uint8_t low = in.byte();
        text[count++] = char16_t(low | in.byte() << 8);
    }
    terminalCoreFeedUtf16(t, text, count);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Input in{data, data + size};
    const uint8_t flags = in.byte();
    echoReplies = flags & 0x10;
    TerminalCore *t = terminalCoreCreate(&kCallbacks, nullptr);
    require(t != nullptr, "create");
    require(terminalCoreResize(t, 2 + in.byte() % 120, 2 + in.byte() % 40, 16) == 1, "first resize");
    t->modes |= kModeLnm;
    t->defaultModes = t->modes;
    terminalCoreFullReset(t);
    t->options = flags & 0xF;
    while (!in.done()) {
        const uint8_t op = in.byte();
        switch (op >> 5) {
        case 0:
        case 1:
        case 2:
        case 3: {
            const size_t wanted = (size_t(op & 0x7F) << 8 | in.byte()) + 1;
            const size_t n = in.take(wanted);
            terminalCoreFeed(t, reinterpret_cast<const char *>(in.p), n);
            in.p += n;
            break;
        }
        case 4:
            resize(t, in);
            break;
        case 5:
            selection(t, op & 3, in);
            break;
        case 6:
            view(t, op & 3, in);
            break;
        default:
            feedUtf16(t, (op & 31) + 1u, in);
            break;
        }
        checkInvariants(t);
    }
    terminalCoreDestroy(t);
    return 0;
}
