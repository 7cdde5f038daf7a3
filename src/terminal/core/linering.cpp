// The line slots: one block of totalLines + 1 lines, the tab-stop bitmap and
// the tables that say which slot holds which line. Scrolling moves slot numbers in the screen's table and
// the history's ring, never cells; the rows the view shows are settled
// against what was shown there once per update step, not once per scrolled
// line. Line operations stop at a line's extent (see terminalinternal.h),
// so blank cells cost nothing to erase or move.
#include "terminalinternal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

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
    lineSetSize(t, line, kLineSingle);
    lineMarkAll(t, line);
    // The pattern holds no blinking cells; the text under it goes unseen.
    line->header = (line->header & ~(kLinePendingBits | kLineBlink)) | pending;
    t->pendingRows = 1;
}

void lineWriteOut(TerminalCore *t, TerminalLine *line)
{
    const uint32_t owner = (line->header >> kLinePendingOwnerShift & 3u) << 30;
    const uint32_t extent = lineExtent(line);
    TerminalCell *cells = lineCells(line);
    uint32_t width = t->cols;
    if ((line->header & kLinePendingMask) == kLinePendingTable) {
        width = width < 16 ? width : 16;
        const uint32_t first = (line->header >> kLineTableRowShift & 0xFu) * 16;
        for (uint32_t c = 0; c < width; ++c)
            cells[c] = TerminalCell{owner | (first + c) | kCellChanged, kBlankColours};
    } else {
        const TerminalCell e{owner | 'E' | kCellChanged, kBlankColours};
        for (uint32_t c = 0; c < width; ++c)
            cells[c] = e;
    }
    const TerminalCell blank{kBlankCell.ch | kCellChanged, kBlankColours};
    for (uint32_t c = width; c < extent; ++c)
        cells[c] = blank;
    line->header &= ~(kLinePendingBits | kLineStartMask);
    lineSetExtent(line, width);
}

// Compare-then-store of count cells of this line from column from to
// column to. A move to the right goes through a buffer, last part first, so
// that every cell is read before it is overwritten.
static void lineMove(TerminalCore *t, TerminalLine *line, uint32_t to, uint32_t from, uint32_t count)
{
    TerminalCell *cells = lineCells(line);
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
    if (to > from) {
        TerminalCell buffer[256];
        for (uint32_t end = count; end > 0;) {
            const uint32_t n = end < 256 ? end : 256;
            end -= n;
            std::memcpy(buffer, cells + from + end, n * sizeof(TerminalCell));
            move(cells + to + end, buffer, n);
        }
    } else {
        move(cells + to, cells + from, count);
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
            const uint32_t extent = lineExtent(line);
            const TerminalCell blank{kBlankCell.ch | kCellChanged, kBlankColours};
            for (uint32_t c = 0; c < extent; ++c)
                cells[c] = blank;
            line->header = (line->header & ~(kLinePendingBits | kLineStartMask | kLineExtentMask)) | kLineNoText;
            t->modes |= kModeChanged;
            return;
        }
    }
    const uint32_t extent = lineExtent(line);
    const uint32_t start = lineStart(line);
    const uint32_t first = from > start ? from : start;
    const uint32_t last = to < extent ? to : extent;
    if (first < last)
        lineStoreBlanks(t, line, first, last);
    if (to < extent)
        return;
    if (from <= start)
        line->header = (line->header & ~(kLineStartMask | kLineExtentMask)) | kLineNoText;
    else if (from < extent)
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
        lineMove(t, line, x + n, x, kept - x);
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
    if (end > x) {
        lineMove(t, line, x, x + n, end - x);
        lineLowerStart(line, x);
    }
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

void lineClear(TerminalCore *t, TerminalLine *line)
{
    lineSetSize(t, line, kLineSingle);
    lineBlank(t, line, 0, t->cols);
}

// Blank and single width without comparing cell by cell: every cell that
// held text is marked. For a line the history gave up, whose marks only
// matter once the update step has settled it where it is shown next.
static void lineWipe(TerminalCore *t, TerminalLine *line)
{
    if (lineIsBlank(line))
        return;
    TerminalCell *cells = lineCells(line);
    const uint32_t extent = lineExtent(line);
    const TerminalCell blank{kBlankCell.ch | kCellChanged, kBlankColours};
    for (uint32_t c = 0; c < extent; ++c)
        cells[c] = blank;
    line->header &= ~(kLineSizeMask | kLinePendingBits | kLineStartMask | kLineExtentMask | kLineBlink);
    line->header |= kLineNoText;
    lineNoteChanged(t, line, 0);
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

static void beforeScroll(TerminalCore *t)
{
    if (t->callbacks && t->callbacks->beforeScroll)
        t->callbacks->beforeScroll(t);
}

// The slot table holds the screen's slot numbers at rowBase, with as many
// free entries on either side; moving them back to the middle now and then
// keeps every shift of the whole screen at the cost of the lines it adds.
[[gnu::noinline]] static void recentreRows(TerminalCore *t)
{
    std::memmove(t->rowSlots + t->rows, t->rowSlots + t->rowBase, t->rows * sizeof(uint32_t));
    t->rowBase = t->rows;
}

static uint32_t *rowsWithRoom(TerminalCore *t, uint32_t below, uint32_t above)
{
    if (t->rowBase < below || t->rowBase + t->rows + above > 3 * t->rows)
        recentreRows(t);
    return t->rowSlots + t->rowBase;
}

// One slot at a time is the common case (a line feed): no library call.
static void moveSlots(uint32_t *to, const uint32_t *from, uint32_t count)
{
    if (count == 1)
        *to = *from;
    else if (count > 1)
        std::memmove(to, from, count * sizeof(uint32_t));
}

// Slots of rows [top, bottom) rotated up by n (0 < n < bottom - top): row
// top + i gets the slot of row top + (i + n) mod (bottom - top). A small
// region turns in place; a large one turns with the whole screen, and the
// rows outside it are put back.
[[gnu::always_inline]] inline void rotateRows(TerminalCore *t, uint32_t top, uint32_t bottom, uint32_t n)
{
    const uint32_t rows = t->rows;
    const uint32_t height = bottom - top;
    const uint32_t down = height - n; // the same turn, downwards
    const uint32_t outside = rows - height;
    const uint32_t step = n < down ? n : down;
    if (outside == 0) {
        // The whole screen: only the lines that wrap round move.
        if (n <= down) {
            uint32_t *row = rowsWithRoom(t, 0, n);
            moveSlots(row + rows, row, n);
            t->rowBase += n;
        } else {
            uint32_t *row = rowsWithRoom(t, down, 0);
            moveSlots(row - down, row + rows - down, down);
            t->rowBase -= down;
        }
        return;
    }
    uint32_t *saved = t->rowSlots + 3 * rows; // scratch of rows entries
    if (height > outside + 2 * step) {
        if (n <= down) {
            uint32_t *row = rowsWithRoom(t, 0, n);
            moveSlots(saved, row + top, n);
            moveSlots(row + bottom + n, row + bottom, rows - bottom);
            moveSlots(row + n, row, top);
            moveSlots(row + bottom, saved, n);
            t->rowBase += n;
        } else {
            uint32_t *row = rowsWithRoom(t, down, 0);
            moveSlots(saved, row + bottom - down, down);
            moveSlots(row - down, row, top);
            moveSlots(row + bottom - down, row + bottom, rows - bottom);
            moveSlots(row + top - down, saved, down);
            t->rowBase -= down;
        }
        return;
    }
    // In place, through the scratch for the shorter part.
    uint32_t *row = t->rowSlots + t->rowBase;
    if (n <= down) {
        moveSlots(saved, row + top, n);
        moveSlots(row + top, row + top + n, down);
        moveSlots(row + bottom - n, saved, n);
    } else {
        moveSlots(saved, row + bottom - down, down);
        moveSlots(row + top + down, row + top, n);
        moveSlots(row + top, saved, down);
    }
}

// The line that left a region gives way to a blank one: into the history,
// which gives up its oldest line, or into the spare slot, whose line is
// kept until then so that the update step can still compare against it.
// Lines in the history do not change; the ones that went in blank are
// flagged so, and come back without being looked at. A blank line pushed
// into a history of blank lines changes nothing and stays where it is.
[[gnu::always_inline]] inline uint32_t blankInstead(TerminalCore *t, uint32_t leaving, bool intoHistory)
{
    const uint32_t size = t->totalLines - t->rows;
    if (intoHistory && size > 0) {
        const bool blank = lineIsBlank(slotLine(t, leaving));
        if (blank && t->historyBlank == size)
            return leaving;
        t->historyBlank = blank ? t->historyBlank + 1 : 0;
        const uint32_t entry = t->historySlots[t->historyHead];
        t->historySlots[t->historyHead] = leaving | (blank ? kSlotBlank : 0);
        t->historyHead = t->historyHead + 1 < size ? t->historyHead + 1 : 0;
        const uint32_t slot = entry & ~kSlotBlank;
        if (!(entry & kSlotBlank))
            lineWipe(t, slotLine(t, slot));
        return slot;
    }
    const uint32_t slot = intoHistory ? leaving : std::exchange(t->spareSlot, leaving);
    lineMakeBlank(t, slotLine(t, slot));
    return slot;
}

// Blank top rows do not begin an empty history: as they leave the top of
// the screen they are dropped, until a line with text has gone in.
[[gnu::always_inline]] inline bool dropsLine(TerminalCore *t, uint32_t top, uint32_t slot)
{
    return top > 0 || (t->historyCount == 0 && lineSpacesOnly(t, slotLine(t, slot)));
}

void ringScrollUp(TerminalCore *t, uint32_t top, uint32_t bottom, uint32_t n)
{
    beforeScroll(t);
    const uint32_t rows = t->rows;
    const uint32_t height = bottom - top;
    if (top > 0 && n > height)
        n = height; // further scrolls would only move blank lines
    screenTouch(t, top, bottom);
    t->settle |= kSettleMoved;
    uint32_t dropped = 0;
    if (n == 1 && height == rows) {
        // A line feed at the bottom of the screen: the hot path.
        uint32_t *row = rowsWithRoom(t, 0, 1);
        dropped = dropsLine(t, top, row[0]);
        row[rows] = blankInstead(t, row[0], !dropped);
        ++t->rowBase;
    } else if (n < height) {
        uint32_t *row = t->rowSlots + t->rowBase + top;
        while (dropped < n && dropsLine(t, top, row[dropped]))
            ++dropped;
        rotateRows(t, top, bottom, n);
        row = t->rowSlots + t->rowBase + bottom - n;
        for (uint32_t k = 0; k < n; ++k)
            row[k] = blankInstead(t, row[k], k >= dropped);
    } else {
        // Every line of the region leaves; scrolls past its height (at the
        // top) push blank lines, of which the history keeps at most its size.
        uint32_t *row = t->rowSlots + t->rowBase + top;
        while (dropped < height && dropsLine(t, top, row[dropped]))
            lineMakeBlank(t, slotLine(t, row[dropped++]));
        for (uint32_t k = dropped; k < height; ++k)
            row[k] = blankInstead(t, row[k], true);
        if (dropped == height)
            dropped = n;
        const uint32_t historySize = t->totalLines - rows;
        const uint32_t blanks = dropped == n ? 0 : n - height < historySize ? n - height : historySize;
        for (uint32_t k = 0; k < blanks; ++k)
            row[height - 1] = blankInstead(t, row[height - 1], true);
    }
    const uint32_t pushed = n - dropped;
    if (selectionAnchored(t)) {
        selectionScroll(t, int32_t(top), int32_t(bottom), -int32_t(dropped), false);
        if (pushed > 0)
            selectionScroll(t, int32_t(top), int32_t(bottom), -int32_t(pushed), true);
    }
    if (pushed > 0) {
        const uint32_t historyLimit = t->totalLines - rows;
        t->historyCount = t->historyCount + pushed < historyLimit ? t->historyCount + pushed : historyLimit;
        coreScrollbackChanged(t);
    }
}

void ringScrollDown(TerminalCore *t, uint32_t top, uint32_t bottom, uint32_t n)
{
    beforeScroll(t);
    const uint32_t height = bottom - top;
    if (n > height)
        n = height;
    if (selectionAnchored(t))
        selectionScroll(t, int32_t(top), int32_t(bottom), int32_t(n), false);
    if (n == t->rows) {
        screenEraseAll(t); // every line replaced by a blank one where it is
        return;
    }
    screenTouch(t, top, bottom);
    t->settle |= kSettleMoved;
    uint32_t *row = t->rowSlots + t->rowBase + top;
    if (n == height) {
        for (uint32_t r = 0; r < n; ++r)
            lineMakeBlank(t, slotLine(t, row[r]));
        return;
    }
    rotateRows(t, top, bottom, height - n);
    row = t->rowSlots + t->rowBase + top;
    for (uint32_t r = 0; r < n; ++r)
        row[r] = blankInstead(t, row[r], false);
}

void ringMarkView(TerminalCore *t)
{
    t->settle |= kSettleMarkAll;
    t->modes |= kModeChanged;
}

void ringWriteOutShown(TerminalCore *t)
{
    for (uint32_t r = 0; r < t->rows; ++r) {
        lineReady(t, screenLine(t, r));
        lineReady(t, slotLine(t, bufferSlot(t, int64_t(r) - t->viewOffset)));
    }
}

constexpr uint32_t kNoSlot = UINT32_MAX;

namespace {

// Tables behind the slot tables of TerminalCore (see terminalCoreResize).
uint32_t *slotPlaces(const TerminalCore *t)
{
    return t->historySlots + (t->totalLines - t->rows);
}

TerminalLine *settleCopy(const TerminalCore *t)
{
    return reinterpret_cast<TerminalLine *>(slotPlaces(t) + t->totalLines + 1);
}

uint32_t viewSlot(const TerminalCore *t, uint32_t viewRow)
{
    return bufferSlot(t, int64_t(viewRow) - t->viewOffset);
}

// The line now at a view row against the one shown there before (null:
// unknown). A cell needs no repaint only if it equals that line's cell and
// that cell is unmarked, that is unchanged since it was shown.
void settleRow(TerminalCore *t, TerminalLine *now, const TerminalLine *was)
{
    if (!was || ((now->header ^ was->header) & kLineSizeMask)) {
        lineMarkAll(t, now);
        return;
    }
    now->header &= ~(kLineChanged | kLineAllMarked);
    TerminalCell *cells = lineCells(now);
    const TerminalCell *shown = lineCells(was);
    const uint32_t cols = t->cols; // read once: the stores could alias it
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

} // namespace

// Every view row whose line changed places since the last update step is
// settled against the line shown there then. Settling a row rewrites its
// line's marks, so a row that still has to compare against that line (it
// showed it) goes first; where such rows form a cycle, one line is compared
// from a copy. Returns whether any view row shows another line.
bool ringSettleView(TerminalCore *t)
{
    const uint32_t rows = t->rows;
    if (t->settle & kSettleMarkAll) {
        t->settle = 0;
        for (uint32_t r = 0; r < rows; ++r) {
            const uint32_t slot = viewSlot(t, r);
            TerminalLine *line = lineReady(t, slotLine(t, slot));
            if (!lineAllMarked(line))
                lineMarkAll(t, line);
            t->shownSlots[r] = slot;
        }
        t->modes |= kModeChanged;
        return true;
    }
    if (!(t->settle & kSettleMoved))
        return false;
    t->settle = 0;
    // Per slot: view row + 1 where it is now (low half), where it was shown (high half).
    uint32_t *place = slotPlaces(t);
    uint32_t *was = t->rowSlots + 3 * rows; // scratch: the slot each row showed
    bool slid = false;
    for (uint32_t r = 0; r < rows; ++r) {
        const uint32_t now = viewSlot(t, r);
        was[r] = t->shownSlots[r];
        if (now == was[r])
            continue;
        slid = true;
        place[now] |= r + 1;
        if (was[r] != kNoSlot)
            place[was[r]] |= (r + 1) << 16;
    }
    if (!slid)
        return false;
    auto done = [t](uint32_t r) { return t->shownSlots[r] == viewSlot(t, r); };
    auto shownAt = [place](uint32_t slot) { return int32_t(place[slot] >> 16) - 1; };
    auto nowAt = [place](uint32_t slot) { return slot == kNoSlot ? -1 : int32_t(place[slot] & 0xFFFF) - 1; };
    TerminalLine *copy = settleCopy(t);
    for (uint32_t r = 0; r < rows; ++r) {
        if (done(r))
            continue;
        // Back to the first row of the chain, or once round a cycle.
        uint32_t first = r;
        for (int32_t q = shownAt(viewSlot(t, first)); q >= 0 && uint32_t(q) != r && !done(uint32_t(q));
             q = shownAt(viewSlot(t, first)))
            first = uint32_t(q);
        uint32_t copied = kNoSlot;
        const int32_t before = shownAt(viewSlot(t, first));
        if (before >= 0 && !done(uint32_t(before))) {
            copied = viewSlot(t, first);
            std::memcpy(copy, slotLine(t, copied), t->lineStride);
        }
        for (int32_t q = int32_t(first); q >= 0 && !done(uint32_t(q)); q = nowAt(was[q])) {
            const uint32_t shown = was[q];
            const TerminalLine *line = shown == kNoSlot ? nullptr : shown == copied ? copy : slotLine(t, shown);
            const uint32_t now = viewSlot(t, uint32_t(q));
            settleRow(t, slotLine(t, now), line);
            t->shownSlots[q] = now;
        }
    }
    for (uint32_t r = 0; r < rows; ++r) {
        place[viewSlot(t, r)] = 0;
        if (was[r] != kNoSlot)
            place[was[r]] = 0;
    }
    return true;
}

// Row r as the screen pattern has it.
static void screenWriteRow(TerminalCore *t, uint32_t row)
{
    TerminalLine *line = screenLine(t, row);
    const uint32_t kind = screenPatternKind(t);
    if (kind == PatternErased) {
        lineMakeBlank(t, line);
        return;
    }
    const uint32_t owner = (t->screenPattern >> kPatternOwnerShift & 3u) << kLinePendingOwnerShift;
    if (kind == PatternAlignment) {
        lineSetPending(t, line, kLinePendingAlignment | owner);
    } else if (kind == PatternTable && row < 16) {
        lineSetPending(t, line, kLinePendingTable | row << kLineTableRowShift | owner);
    } else if (!(line->header & (kLineSizeMask | kLineExtentMask | kLineBlink)) && lineAllMarked(line)) {
        // Blank memory under a marked single-width line: the header says it all.
        line->header = (line->header & ~(kLinePendingBits | kLineStartMask)) | kLineNoText;
    } else {
        lineMakeBlank(t, line);
        line->header &= ~kLineBlink;
        lineMarkAll(t, line);
    }
}

void screenWriteRows(TerminalCore *t, uint32_t from, uint32_t to)
{
    if (t->touchedTop >= t->touchedBottom)
        t->touchedTop = t->touchedBottom = from;
    while (t->touchedTop > from)
        screenWriteRow(t, --t->touchedTop);
    while (t->touchedBottom < to)
        screenWriteRow(t, t->touchedBottom++);
}

void screenWriteAll(TerminalCore *t)
{
    screenTouch(t, 0, t->rows);
    t->screenPattern = PatternNone;
}

void screenEraseAll(TerminalCore *t)
{
    const bool marked = screenPatternKind(t) >= PatternBlank;
    if (marked && t->touchedTop < t->touchedBottom) {
        // Touched rows are not all marked: they are erased now.
        for (uint32_t r = t->touchedTop; r < t->touchedBottom; ++r)
            lineMakeBlank(t, screenLine(t, r));
    } else {
        t->touchedTop = t->rows;
        t->touchedBottom = 0;
    }
    t->screenPattern = marked ? PatternBlank : PatternErased;
    t->modes |= kModeChanged;
}

void ringResetScreen(TerminalCore *t, uint32_t pattern)
{
    t->screenPattern = pattern | (t->pen.ch & kCellOwnerBits) >> 30 << kPatternOwnerShift;
    t->touchedTop = t->rows;
    t->touchedBottom = 0;
    t->modes |= kModeChanged;
}

// A stop at every column that is a multiple of 8 but 0: bit 0 of every
// byte but the first (each such column lies inside the screen).
void tabStopsDefault(uint8_t *bitmap, uint32_t cols)
{
    std::memset(bitmap, 1, (cols + 7) / 8);
    bitmap[0] = 0;
}

static void lineInitBlank(TerminalLine *line, uint32_t cols)
{
    line->header = kLineSingle | kLineNoText;
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
    const uint64_t ringBytes = stride * (totalLines + 1);
    if (ringBytes > UINT32_MAX)
        return 0;
    // The lines, the tab stops, then as 32-bit entries: the screen's slot
    // table with room on either side and scratch behind it (4 x rows), the
    // slots shown per view row (rows), the history's slots (historyLines),
    // per slot its place in the view (totalLines + 1), and a line for settling.
    const uint64_t tabBytes = ((cols + 7) / 8 + 3) & ~uint64_t(3);
    const uint64_t tableEntries = 5 * uint64_t(rows) + historyLines + totalLines + 1;
    auto *block = static_cast<uint8_t *>(std::calloc(ringBytes + tabBytes + 4 * tableEntries + stride, 1));
    if (!block)
        return 0;

    if (t->bufferStart)
        screenWriteAll(t);
    TerminalCore old = *t;
    t->cols = cols;
    t->rows = rows;
    t->lineStride = uint32_t(stride);
    t->totalLines = uint32_t(totalLines);
    t->bufferBytes = uint32_t(ringBytes);
    t->bufferStart = block;
    t->tabStops = block + ringBytes;
    tabStopsDefault(t->tabStops, cols);
    t->rowSlots = reinterpret_cast<uint32_t *>(block + ringBytes + tabBytes);
    t->shownSlots = t->rowSlots + 4 * rows;
    t->historySlots = t->shownSlots + rows;
    // Slot k holds history line historyLines - k above the screen, slot
    // historyLines + r screen row r, as they are copied below.
    t->rowBase = rows;
    for (uint32_t r = 0; r < rows; ++r) {
        t->rowSlots[rows + r] = historyLines + r;
        t->shownSlots[r] = kNoSlot;
    }
    for (uint32_t k = 0; k < historyLines; ++k)
        t->historySlots[k] = k; // blank, but copied into below
    t->historyHead = 0;
    t->historyBlank = 0;
    t->spareSlot = t->totalLines;
    t->viewOffset = 0;
    t->settle = kSettleMarkAll;

    if (old.bufferStart) {
        // Bottom-aligned copy: the newest lines survive, reflow-free.
        const uint32_t oldLines = old.rows + old.historyCount;
        const uint32_t copied = oldLines < t->totalLines ? oldLines : t->totalLines;
        const uint32_t common = old.cols < cols ? old.cols : cols;
        for (uint32_t k = 0; k < t->totalLines; ++k) {
            TerminalLine *dst = slotLine(t, t->totalLines - 1 - k);
            lineInitBlank(dst, cols);
            if (k >= copied)
                continue;
            TerminalLine *src = lineReady(&old, slotLine(&old, bufferSlot(&old, int64_t(old.rows) - 1 - k)));
            // Padding cells are unmarked; the extent ends with the copied cells.
            dst->header = src->header & ~kLineAllMarked;
            lineSetExtent(dst, lineExtent(src) < common ? lineExtent(src) : common);
            std::memcpy(lineCells(dst), lineCells(src), common * sizeof(TerminalCell));
        }
        std::memcpy(t->tabStops, old.tabStops, ((common + 7) / 8));
        const int64_t history = int64_t(old.historyCount) + old.rows - rows;
        t->historyCount = history < 0 ? 0 : history > historyLines ? historyLines : uint32_t(history);
        const uint32_t fromBottom = old.rows - 1 - old.cursorY;
        if (fromBottom < rows)
            t->cursorY = rows - 1 - fromBottom;
        std::free(old.bufferStart);
    } else {
        for (uint32_t i = 0; i < t->totalLines; ++i)
            lineInitBlank(slotLine(t, i), cols);
        t->historyCount = 0;
    }
    lineInitBlank(slotLine(t, t->spareSlot), cols);

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
