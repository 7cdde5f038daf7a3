// The line ring: one block of totalLines lines plus the tab-stop bitmap.
// Scrolling a region at the top of the screen only advances topLine; the
// rows the view shows are re-marked once per update step, not once per
// scrolled line. Line operations stop at a line's extent (see
// terminalinternal.h), so blank cells cost nothing to erase or move.
#include "terminalinternal.h"

#include <cstdlib>
#include <cstring>

namespace zn {

// The line and mode bits are set once per call, not once per cell.
static void lineNoteStored(TerminalCore *t, TerminalLine *line, bool stored, uint32_t attributes)
{
    if (stored)
        lineNoteChanged(t, line, attributes);
}

void lineMarkAll(TerminalCore *t, TerminalLine *line)
{
    t->modes |= kModeChanged;
    if (lineAllMarked(line)) {
        if (line->header & kLineBlink)
            t->modes |= kModeBlinking;
        return;
    }
    TerminalCell *cells = lineCells(line);
    const uint32_t cols = t->cols; // read once: the stores could alias it
    uint32_t attributes = 0;
    for (uint32_t c = 0; c < cols; ++c) {
        cells[c].ch |= kCellChanged;
        attributes |= cells[c].ch;
    }
    line->header |= kLineChanged | kLineAllMarked;
    lineNoteChanged(t, line, attributes);
}

void lineSetPending(TerminalCore *t, TerminalLine *line, uint32_t pending)
{
    lineMarkAll(t, line);
    line->header |= pending | (t->pen.ch & kCellOwnerBits) >> 30 << kLinePendingOwnerShift;
}

void lineWriteOut(TerminalCore *t, TerminalLine *line)
{
    const uint32_t owner = (line->header >> kLinePendingOwnerShift & 3u) << 30;
    uint32_t width = t->cols;
    uint32_t first = 'E';
    uint32_t step = 0;
    if ((line->header & kLinePendingMask) == kLinePendingTable) {
        width = width < 16 ? width : 16;
        first = (line->header >> kLineTableRowShift & 0xFu) * 16;
        step = 1;
    }
    TerminalCell *cells = lineCells(line);
    for (uint32_t c = 0; c < width; ++c)
        cells[c] = TerminalCell{owner | (first + step * c) | kCellChanged, kBlankColours};
    for (uint32_t c = width; c < lineExtent(line); ++c)
        cells[c] = TerminalCell{kBlankCell.ch | kCellChanged, kBlankColours};
    line->header &= ~kLinePendingBits;
    lineSetExtent(line, width);
}

// Compare-then-store of count cells from any line (also this one) to column to.
static void lineMove(TerminalCore *t, TerminalLine *line, uint32_t to, const TerminalCell *from, uint32_t count)
{
    TerminalCell *cells = lineCells(line) + to;
    uint32_t differs = 0;
    uint32_t attributes = 0;
    auto move = [&](TerminalCell *dst, const TerminalCell *src, uint32_t n) {
        for (uint32_t k = 0; k < n; ++k) {
            const uint32_t ch = src[k].ch & ~kCellChanged;
            const uint32_t d = cellPut(&dst[k], ch, src[k].colours);
            differs |= d;
            attributes |= d ? ch : 0;
        }
    };
    if (from < cells && from + count > cells) {
        // Overlapping move to the right: through a buffer, last part first,
        // so that every cell is read before it is overwritten.
        TerminalCell buffer[256];
        for (uint32_t end = count; end > 0;) {
            const uint32_t n = end < 256 ? end : 256;
            end -= n;
            std::memcpy(buffer, from + end, n * sizeof(TerminalCell));
            move(cells + end, buffer, n);
        }
    } else {
        move(cells, from, count);
    }
    lineNoteStored(t, line, differs != 0, attributes);
}

static void lineStoreBlanks(TerminalCore *t, TerminalLine *line, uint32_t from, uint32_t to)
{
    TerminalCell *cells = lineCells(line);
    uint32_t differs = 0;
    for (uint32_t c = from; c < to; ++c)
        differs |= cellPut(&cells[c], kBlankCell.ch, kBlankCell.colours);
    lineNoteStored(t, line, differs != 0, 0);
}

void lineBlank(TerminalCore *t, TerminalLine *line, uint32_t from, uint32_t to)
{
    if (line->header & kLinePendingMask) {
        if (from > 0 || to < t->cols) {
            lineWriteOut(t, line);
        } else {
            // The pattern is dropped unseen: only the old text under it, all
            // of it marked already, needs blanking.
            TerminalCell *cells = lineCells(line);
            for (uint32_t c = 0; c < lineExtent(line); ++c)
                cells[c] = TerminalCell{kBlankCell.ch | kCellChanged, kBlankColours};
            line->header &= ~kLinePendingBits;
            lineSetExtent(line, 0);
            t->modes |= kModeChanged;
            return;
        }
    }
    const uint32_t extent = lineExtent(line);
    if (from >= extent)
        return;
    lineStoreBlanks(t, line, from, to < extent ? to : extent);
    if (to >= extent)
        lineSetExtent(line, from);
}

void lineInsertCells(TerminalCore *t, TerminalLine *line, uint32_t x, uint32_t n)
{
    lineReady(t, line);
    const uint32_t extent = lineExtent(line);
    if (x >= extent)
        return;
    const uint32_t kept = extent < t->cols - n ? extent : t->cols - n; // cells [x, kept) move right
    if (kept > x)
        lineMove(t, line, x + n, lineCells(line) + x, kept - x);
    lineStoreBlanks(t, line, x, x + n);
    // Text pushed off the end may leave blanks behind the moved cells.
    const TerminalCell *cells = lineCells(line);
    uint32_t end = kept + n;
    while (end > x + n && cellIsBlank(cells[end - 1].ch, cells[end - 1].colours))
        --end;
    lineSetExtent(line, end > x + n ? end : x);
}

void lineDeleteCells(TerminalCore *t, TerminalLine *line, uint32_t x, uint32_t n)
{
    lineReady(t, line);
    const uint32_t extent = lineExtent(line);
    if (x >= extent)
        return;
    const uint32_t end = extent - x > n ? extent - n : x; // the moved cells end here
    if (end > x)
        lineMove(t, line, x, lineCells(line) + x + n, end - x);
    lineStoreBlanks(t, line, end, extent);
    lineSetExtent(line, end);
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
    if (lineIsBlank(line))
        return;
    lineSetSize(t, line, kLineSingle);
    lineBlank(t, line, 0, t->cols);
}

void lineCopy(TerminalCore *t, TerminalLine *dst, TerminalLine *src)
{
    if (dst == src || (lineIsBlank(dst) && lineIsBlank(src)))
        return;
    lineSetSize(t, dst, src->header & kLineSizeMask);
    if (src->header & kLinePendingMask) {
        // The pattern moves unwritten; dst keeps its old text underneath, marked.
        lineMarkAll(t, dst);
        dst->header = (dst->header & ~kLinePendingBits) | (src->header & kLinePendingBits);
        return;
    }
    const uint32_t dstExtent = lineExtent(dst);
    const uint32_t srcExtent = lineExtent(src);
    const uint32_t count = dstExtent > srcExtent ? dstExtent : srcExtent;
    if (dst->header & kLinePendingMask) {
        // Every cell of a pending line is marked already and stays so.
        TerminalCell *to = lineCells(dst);
        const TerminalCell *from = lineCells(src);
        uint32_t attributes = 0;
        for (uint32_t c = 0; c < count; ++c) {
            to[c] = TerminalCell{from[c].ch | kCellChanged, from[c].colours};
            attributes |= from[c].ch;
        }
        dst->header &= ~kLinePendingBits;
        lineNoteChanged(t, dst, attributes);
    } else {
        lineMove(t, dst, 0, lineCells(src), count);
    }
    lineSetExtent(dst, srcExtent);
}

bool lineBlankFrom(TerminalCore *t, TerminalLine *line, uint32_t col)
{
    const TerminalCell *cells = lineCells(lineReady(t, line));
    for (uint32_t c = col; c < lineExtent(line); ++c) {
        if (cellChar(cells[c]) != 32)
            return false;
    }
    return true;
}

// A row counted from screen row 0; negative rows are in the history.
static TerminalLine *rowLine(const TerminalCore *t, int64_t row)
{
    return ringLine(t, ringIndex(t, row));
}

static void beforeScroll(TerminalCore *t)
{
    if (t->callbacks && t->callbacks->beforeScroll)
        t->callbacks->beforeScroll(t);
}

void ringScrollUp(TerminalCore *t, uint32_t top, uint32_t bottom, uint32_t n)
{
    beforeScroll(t);
    if (top > 0 && n > bottom - top)
        n = bottom - top; // further scrolls would only move blank lines
    // Blank top rows do not begin an empty history: they are dropped.
    uint32_t dropped = 0;
    if (top == 0 && t->historyCount == 0) {
        const uint32_t inRegion = n < bottom ? n : bottom;
        while (dropped < inRegion && lineBlankFrom(t, screenLine(t, dropped), 0))
            ++dropped;
        if (dropped == bottom)
            dropped = n;
    }
    const uint32_t pushed = top == 0 ? n - dropped : 0;
    selectionScroll(t, int32_t(top), int32_t(bottom), -int32_t(n - pushed), false);
    if (pushed > 0)
        selectionScroll(t, int32_t(top), int32_t(bottom), -int32_t(pushed), true);
    const uint32_t moved = n < bottom - top ? n : bottom - top;
    // Through the ring when lines enter the history or that moves less.
    if (top == 0 && (pushed > 0 || t->rows - bottom < bottom - moved)) {
        t->screenPattern = PatternNone;
        t->topLine = ringIndex(t, n);
        const uint32_t historyLimit = t->totalLines - t->rows;
        t->historyCount = t->historyCount + pushed < historyLimit ? t->historyCount + pushed : historyLimit;
        t->viewShift = t->viewShift + n < t->rows ? t->viewShift + n : t->rows;
        // Rows below the region keep their place; then the lines between
        // them and the old region (the new bottom rows of the region and,
        // past its height, the newest history lines) become blank.
        for (uint32_t r = t->rows; r-- > bottom;)
            lineCopy(t, screenLine(t, r), rowLine(t, int64_t(r) - n));
        for (int64_t r = int64_t(bottom) - n; r < bottom; ++r)
            lineMakeBlank(t, rowLine(t, r));
        if (pushed > 0)
            coreScrollbackChanged(t);
        return;
    }
    screenTouch(t, top, bottom);
    for (uint32_t r = top; r + moved < bottom; ++r)
        lineCopy(t, screenLine(t, r), screenLine(t, r + moved));
    for (uint32_t r = bottom - moved; r < bottom; ++r)
        lineMakeBlank(t, screenLine(t, r));
}

void ringScrollDown(TerminalCore *t, uint32_t top, uint32_t bottom, uint32_t n)
{
    beforeScroll(t);
    if (n > bottom - top)
        n = bottom - top;
    selectionScroll(t, int32_t(top), int32_t(bottom), int32_t(n), false);
    screenTouch(t, top, bottom);
    for (uint32_t r = bottom; r-- > top + n;)
        lineCopy(t, screenLine(t, r), screenLine(t, r - n));
    for (uint32_t r = top; r < top + n; ++r)
        lineMakeBlank(t, screenLine(t, r));
}

void ringMarkView(TerminalCore *t)
{
    // Since a reset in this feed the view is the screen, marked but for the touched rows.
    const bool known = t->screenPattern != PatternNone;
    for (uint32_t r = known ? t->touchedTop : 0; r < (known ? t->touchedBottom : t->rows); ++r) {
        TerminalLine *line = lineReady(t, rowLine(t, int64_t(r) - t->viewOffset));
        if (!lineAllMarked(line))
            lineMarkAll(t, line);
    }
    t->modes |= kModeChanged;
    t->viewShift = 0;
}

void ringWriteOutShown(TerminalCore *t)
{
    for (uint32_t r = 0; r < t->rows; ++r) {
        lineReady(t, screenLine(t, r));
        lineReady(t, rowLine(t, int64_t(r) - t->viewOffset));
    }
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
        TerminalLine *now = rowLine(t, viewTop + r);
        const TerminalLine *was = rowLine(t, viewTop + r - shift);
        if ((now->header ^ was->header) & kLineSizeMask) {
            lineMarkAll(t, now);
            continue;
        }
        now->header &= ~(kLineChanged | kLineAllMarked);
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

static uint32_t patternPending(uint32_t pattern, uint32_t row)
{
    if ((pattern & 3u) == PatternAlignment)
        return kLinePendingAlignment;
    if ((pattern & 3u) == PatternTable && row < 16)
        return kLinePendingTable | row << kLineTableRowShift;
    return 0;
}

void ringResetScreen(TerminalCore *t, uint32_t pattern)
{
    if (pattern != PatternBlank)
        pattern |= (t->pen.ch & kCellOwnerBits) >> 28; // the pending cells carry them
    const bool same = t->screenPattern == pattern;
    const uint32_t from = same ? t->touchedTop : 0;
    const uint32_t to = same ? t->touchedBottom : t->rows;
    const uint32_t owner = (t->pen.ch & kCellOwnerBits) >> 30 << kLinePendingOwnerShift;
    for (uint32_t r = from; r < to; ++r) {
        TerminalLine *line = screenLine(t, r);
        const uint32_t pending = patternPending(pattern, r);
        // Blank memory under a marked single-width line: the header says it all.
        if (!(line->header & (kLineSizeMask | kLineExtentMask | kLineBlink)) && lineAllMarked(line)) {
            line->header = (line->header & ~kLinePendingBits) | (pending ? pending | owner : 0);
            continue;
        }
        lineMakeBlank(t, line);
        line->header &= ~kLineBlink;
        lineMarkAll(t, line);
        if (pending)
            lineSetPending(t, line, pending);
    }
    t->modes |= kModeChanged;
    t->viewShift = 0;
    t->pendingRows |= pattern != PatternBlank;
    t->screenPattern = pattern;
    t->touchedTop = t->rows;
    t->touchedBottom = 0;
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
            TerminalLine *src = lineReady(&old, ringLine(&old, ringIndex(&old, int64_t(old.rows) - 1 - k)));
            // Padding cells are unmarked; the extent ends with the copied cells.
            dst->header = src->header & ~kLineAllMarked;
            lineSetExtent(dst, lineExtent(src) < common ? lineExtent(src) : common);
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
    t->screenPattern = PatternNone;
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
