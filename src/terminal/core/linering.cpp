// The line ring: one block of totalLines lines plus the tab-stop bitmap.
// Scrolling the whole screen only advances topLine; the rows the view shows
// are re-marked once per update step, not once per scrolled line.
#include "terminalinternal.h"

#include <cstdlib>
#include <cstring>

namespace zn {

// The line and mode bits are set once per call, not once per cell.
static void lineNoteStored(TerminalCore *t, TerminalLine *line, bool stored, uint32_t attributes)
{
    if (!stored)
        return;
    line->header |= kLineChanged;
    t->modes |= kModeChanged;
    if (attributes & kCellBlinkBits) {
        line->header |= kLineBlink;
        t->modes |= kModeBlinking;
    }
}

void lineMarkAll(TerminalCore *t, TerminalLine *line)
{
    TerminalCell *cells = lineCells(line);
    const uint32_t cols = t->cols; // read once: the stores could alias it
    uint32_t attributes = 0;
    for (uint32_t c = 0; c < cols; ++c) {
        cells[c].ch |= kCellChanged;
        attributes |= cells[c].ch;
    }
    lineNoteStored(t, line, true, attributes);
}

void lineFill(TerminalCore *t, TerminalLine *line, uint32_t from, uint32_t to, TerminalCell value)
{
    TerminalCell *cells = lineCells(line);
    uint32_t differs = 0;
    for (uint32_t c = from; c < to; ++c)
        differs |= cellPut(&cells[c], value.ch, value.colours);
    lineNoteStored(t, line, differs != 0, value.ch);
}

void lineMove(TerminalCore *t, TerminalLine *line, uint32_t to, const TerminalCell *from, uint32_t count)
{
    TerminalCell *cells = lineCells(line) + to;
    uint32_t differs = 0;
    uint32_t attributes = 0;
    auto move = [&](uint32_t k) {
        const uint32_t ch = from[k].ch & ~kCellChanged;
        const uint32_t d = cellPut(&cells[k], ch, from[k].colours);
        differs |= d;
        attributes |= d ? ch : 0;
    };
    // Overlapping moves to the right run backwards.
    if (from < cells && from + count > cells) {
        for (uint32_t k = count; k-- > 0;)
            move(k);
    } else {
        for (uint32_t k = 0; k < count; ++k)
            move(k);
    }
    lineNoteStored(t, line, differs != 0, attributes);
}

void lineBlank(TerminalCore *t, TerminalLine *line, uint32_t from, uint32_t to)
{
    lineFill(t, line, from, to, kBlankCell);
}

void lineSetSize(TerminalCore *t, TerminalLine *line, uint32_t size)
{
    if ((line->header & kLineSizeMask) == size)
        return;
    line->header = (line->header & ~kLineSizeMask) | size;
    // The cells stay, but every one of them is drawn at a new place.
    lineMarkAll(t, line);
}

void lineMakeBlank(TerminalCore *t, TerminalLine *line)
{
    lineSetSize(t, line, kLineSingle);
    lineBlank(t, line, 0, t->cols);
}

void lineCopy(TerminalCore *t, TerminalLine *dst, const TerminalLine *src)
{
    if (dst == src)
        return;
    lineSetSize(t, dst, src->header & kLineSizeMask);
    lineMove(t, dst, 0, lineCells(src), t->cols);
}

bool lineBlankFrom(const TerminalCore *t, const TerminalLine *line, uint32_t col)
{
    const TerminalCell *cells = lineCells(line);
    for (uint32_t c = col; c < t->cols; ++c) {
        if (cellChar(cells[c]) != 32)
            return false;
    }
    return true;
}

void ringScrollUp(TerminalCore *t, uint32_t top, uint32_t bottom)
{
    if (t->callbacks && t->callbacks->beforeScroll)
        t->callbacks->beforeScroll(t);
    // An empty history does not begin with a blank line.
    const bool intoHistory = top == 0 && !(t->historyCount == 0 && lineBlankFrom(t, screenLine(t, 0), 0));
    selectionScroll(t, int32_t(top), int32_t(bottom), -1, intoHistory);
    if (intoHistory) {
        t->topLine = t->topLine + 1 == t->totalLines ? 0 : t->topLine + 1;
        if (t->historyCount < t->totalLines - t->rows)
            ++t->historyCount;
        if (t->viewShift < t->rows)
            ++t->viewShift;
        // Rows below the region keep their place.
        for (uint32_t r = t->rows; r-- > bottom;)
            lineCopy(t, screenLine(t, r), screenLine(t, r - 1));
        lineMakeBlank(t, screenLine(t, bottom - 1));
        coreScrollbackChanged(t);
        return;
    }
    for (uint32_t r = top + 1; r < bottom; ++r)
        lineCopy(t, screenLine(t, r - 1), screenLine(t, r));
    lineMakeBlank(t, screenLine(t, bottom - 1));
}

void ringScrollDown(TerminalCore *t, uint32_t top, uint32_t bottom)
{
    if (t->callbacks && t->callbacks->beforeScroll)
        t->callbacks->beforeScroll(t);
    selectionScroll(t, int32_t(top), int32_t(bottom), 1, false);
    for (uint32_t r = bottom - 1; r > top; --r)
        lineCopy(t, screenLine(t, r), screenLine(t, r - 1));
    lineMakeBlank(t, screenLine(t, top));
}

void ringMarkView(TerminalCore *t)
{
    for (uint32_t r = 0; r < t->rows; ++r)
        lineMarkAll(t, terminalCoreViewLine(t, r));
    t->viewShift = 0;
}

// The view slid down by viewShift lines since the rows were last settled.
// A cell needs no repaint only if it equals the unmarked cell that was shown
// at its place, which is now viewShift lines above it; every other cell is
// marked. Returns whether the view slid at all.
bool ringSettleViewShift(TerminalCore *t)
{
    const uint32_t shift = t->viewShift;
    if (shift == 0)
        return false;
    if (shift >= t->rows) {
        ringMarkView(t);
        return true;
    }
    t->viewShift = 0;
    const int64_t viewTop = -int64_t(t->viewOffset);
    const uint32_t cols = t->cols; // read once: the stores could alias it
    // Bottom up, so that every shown line is read before it is settled itself.
    for (uint32_t r = t->rows; r-- > 0;) {
        TerminalLine *now = ringLine(t, ringIndex(t, viewTop + r));
        const TerminalLine *was = ringLine(t, ringIndex(t, viewTop + r - shift));
        if ((now->header ^ was->header) & kLineSizeMask) {
            lineMarkAll(t, now);
            continue;
        }
        now->header &= ~kLineChanged;
        TerminalCell *cells = lineCells(now);
        const TerminalCell *shown = lineCells(was);
        uint32_t anyDiffers = 0;
        uint32_t attributes = 0;
        for (uint32_t c = 0; c < cols; ++c) {
            const uint32_t ch = cells[c].ch & ~kCellChanged;
            const uint32_t differs = (shown[c].ch & kCellChanged) | ((ch ^ shown[c].ch) & ~kCellChanged)
                                     | (cells[c].colours ^ shown[c].colours);
            cells[c].ch = ch | (differs ? kCellChanged : 0);
            anyDiffers |= differs;
            attributes |= differs ? ch : 0;
        }
        lineNoteStored(t, now, anyDiffers != 0, attributes);
    }
    return true;
}

void ringClearAll(TerminalCore *t)
{
    const uint32_t cols = t->cols;
    for (uint32_t i = 0; i < t->totalLines; ++i) {
        TerminalLine *line = ringLine(t, i);
        line->header = kLineChanged;
        TerminalCell *cells = lineCells(line);
        for (uint32_t c = 0; c < cols; ++c)
            cells[c] = TerminalCell{kBlankCell.ch | kCellChanged, kBlankCell.colours};
    }
    t->modes |= kModeChanged;
    t->viewShift = 0;
}

void tabStopsDefault(uint8_t *bitmap, uint32_t cols)
{
    std::memset(bitmap, 0, (cols + 7) / 8);
    for (uint32_t c = 8; c < cols; c += 8)
        bitmap[c / 8] |= 1u;
}

static void lineInitBlank(TerminalLine *line, uint32_t cols)
{
    line->header = kLineSingle;
    TerminalCell *cells = lineCells(line);
    for (uint32_t c = 0; c < cols; ++c)
        cells[c] = kBlankCell;
}

int terminalCoreResize(TerminalCore *t, uint32_t cols, uint32_t rows, uint32_t historyLines)
{
    if (cols < kTerminalMinSize || cols > kTerminalMaxSize || rows < kTerminalMinSize || rows > kTerminalMaxSize)
        return 0;
    if (t->bufferStart && cols == t->cols && rows == t->rows)
        return 1;
    const uint64_t stride = 4 + 8 * uint64_t(cols);
    const uint64_t totalLines = uint64_t(rows) + historyLines;
    const uint64_t ringBytes = stride * totalLines;
    if (ringBytes > UINT32_MAX)
        return 0;
    uint8_t *block = static_cast<uint8_t *>(std::calloc(ringBytes + (cols + 7) / 8, 1));
    if (!block)
        return 0;

    TerminalCore old = *t;
    t->cols = cols;
    t->rows = rows;
    t->lineStride = uint32_t(stride);
    t->totalLines = uint32_t(totalLines);
    t->bufferBytes = uint32_t(ringBytes);
    t->bufferStart = block;
    t->bufferLast = block + ringBytes - stride;
    t->tabStops = block + ringBytes;
    tabStopsDefault(t->tabStops, cols);
    t->viewOffset = 0;
    t->viewShift = 0;

    if (old.bufferStart) {
        // Bottom-aligned copy: the newest lines survive, reflow-free.
        const uint32_t oldLines = old.rows + old.historyCount;
        const uint32_t copied = oldLines < t->totalLines ? oldLines : t->totalLines;
        const uint32_t common = old.cols < cols ? old.cols : cols;
        for (uint32_t k = 0; k < t->totalLines; ++k) {
            TerminalLine *dst = ringLine(t, t->totalLines - 1 - k);
            lineInitBlank(dst, cols);
            if (k >= copied)
                continue;
            const TerminalLine *src = ringLine(&old, ringIndex(&old, int64_t(old.rows) - 1 - k));
            dst->header = src->header;
            std::memcpy(lineCells(dst), lineCells(src), common * sizeof(TerminalCell));
        }
        std::memcpy(t->tabStops, old.tabStops, ((common + 7) / 8));
        const int64_t history = int64_t(old.historyCount) + old.rows - rows;
        t->historyCount = history < 0 ? 0 : history > historyLines ? historyLines : uint32_t(history);
        t->topLine = historyLines;
        const uint32_t fromBottom = old.rows - 1 - old.cursorY;
        if (fromBottom < rows)
            t->cursorY = rows - 1 - fromBottom;
        std::free(old.bufferStart);
    } else {
        for (uint32_t i = 0; i < t->totalLines; ++i)
            lineInitBlank(ringLine(t, i), cols);
        t->topLine = 0;
        t->historyCount = 0;
    }

    selectionReset(t);
    if (t->marginTop > rows)
        t->marginTop = rows;
    if (t->marginBottom >= old.rows || t->marginBottom > rows)
        t->marginBottom = rows;
    // A region that shrank below two rows cannot scroll; use the full screen.
    if (t->marginTop + 2 > t->marginBottom) {
        t->marginTop = 0;
        t->marginBottom = rows;
    }
    if (t->cursorX >= cols)
        t->cursorX = cols - 1;
    if (t->cursorY >= rows)
        t->cursorY = rows - 1;
    t->shownCursorX = t->cursorX;
    t->shownCursorY = t->cursorY;
    coreScrollbackChanged(t);
    return 1;
}

} // namespace zn
