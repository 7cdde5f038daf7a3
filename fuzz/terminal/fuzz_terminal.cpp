// Feeds the terminal core in chunks, with resizes, view moves, blink steps and
// selection calls decoded from the input in between, and checks after every
// step that cursor, margins and view stay inside the screen. Screens reach
// 4096 columns or rows, so that input whose cost grows with the screen shows
// up as a timeout; run it with a limit per input, for example
//   build/fuzz/fuzz/terminal/fuzz_terminal -timeout=5 -max_len=4096 CORPUS_DIR
//
// Input: flags (bits 0-3 options, bit 4 echo replies back, bit 5 a large
// screen, bit 6 the frame's 10000 lines of history on a small one), cols,
// rows, then operations, each an op byte (top three bits: kind) and its
// arguments:
//   0-3  bytes chunk of ((op & 127) << 8 | next) + 1 bytes
//   4    resize: cols, rows, history (bit 6 a large screen, bit 7 also tries
//        an invalid size; history lines: the low six bits)
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

// Every view cell is read (for the sanitizers) on screens of up to 64K
// cells; on larger ones the first and last view row, so that the checks do
// not cost more than the operations they follow.
void checkInvariants(TerminalCore *t)
{
    require(t->cursorX < t->cols && t->cursorY < t->rows, "cursor on the screen");
    require(t->shownCursorX < t->cols && t->shownCursorY < t->rows, "shown cursor on the screen");
    require(t->marginTop + 2 <= t->marginBottom && t->marginBottom <= t->rows, "scroll region");
    require(t->historyCount <= t->totalLines - t->rows, "history fits the ring");
    require(t->viewOffset <= t->historyCount, "view inside the history");
    const uint32_t step = t->rows * t->cols <= 65536 ? 1 : t->rows - 1;
    uint32_t sum = 0;
    for (uint32_t r = 0; r < t->rows; r += step) {
        const TerminalLine *line = terminalCoreViewLine(t, r);
        require(line != nullptr, "view line");
        for (uint32_t c = 0; c < t->cols; ++c)
            sum += lineCells(line)[c].ch;
    }
    (void)sum;
}

struct Size {
    uint32_t cols;
    uint32_t rows;
};

// Small screens up to smallCols x smallRows; large ones in steps of 16 up to
// 4096 either way, but of at most 2^20 cells, so that the work every feed
// does over the whole screen leaves the time limit to costs that grow with
// the input.
Size screenSize(bool large, uint8_t a, uint8_t b, uint32_t smallCols, uint32_t smallRows)
{
    if (!large)
        return {2 + a % smallCols, 2 + b % smallRows};
    const uint32_t cols = a == 255 ? kTerminalMaxSize : 2 + a * 16u;
    const uint32_t rows = b == 255 ? kTerminalMaxSize : 2 + b * 16u;
    return {cols, cols * rows <= (1u << 20) ? rows : (1u << 20) / cols};
}

void resize(TerminalCore *t, Input &in)
{
    const uint8_t a = in.byte();
    const uint8_t b = in.byte();
    const uint8_t h = in.byte();
    const Size size = screenSize(h & 0x40, a, b, 200, 60);
    if (h & 0x80)
        require(terminalCoreResize(t, h & 1 ? 1 : 5000, size.rows, 8) == 0, "invalid size refused");
    require(terminalCoreResize(t, size.cols, size.rows, h % 64) == 1, "resize");
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
    const bool large = flags & 0x20;
    const uint8_t a = in.byte();
    const Size screen = screenSize(large, a, in.byte(), 120, 40);
    const uint32_t history = !large && (flags & 0x40) ? kTerminalHistoryLines : 16;
    require(terminalCoreResize(t, screen.cols, screen.rows, history) == 1, "first resize");
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
