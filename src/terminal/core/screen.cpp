// Screen operations behind the control functions: printing, scrolling,
// insert/delete/erase, cursor movement, tab stops, margins.
#include "terminalinternal.h"

#include <bit>
#include <cstring>

namespace zn {

static TerminalCell penCell(const TerminalCore *t, uint32_t c)
{
    return TerminalCell{(t->pen.ch & ~kCellCharMask) | (c & kCellCharMask), t->pen.colours};
}

static uint32_t clampCount(uint32_t n, uint32_t limit)
{
    return n < 1 ? 1 : n > limit ? limit : n;
}

void screenPrint(TerminalCore *t, uint32_t c)
{
    if (t->singleShift >= 0) {
        const uint16_t *table = charsetTable(t->charsets[t->singleShift & 3]);
        if (table && c < 256)
            c = table[c];
        t->singleShift = -1;
        charsetUpdateActive(t);
    } else if (t->activeTable && c < 256) {
        c = t->activeTable[c];
    }
    if (t->wrapPending) {
        t->wrapPending = 0;
        t->cursorX = 0;
        screenIndex(t);
    }
    screenTouch(t, t->cursorY, t->cursorY + 1);
    TerminalLine *line = lineReady(t, screenLine(t, t->cursorY));
    const uint32_t width = terminalCoreLineWidth(t, line);
    if (t->cursorX >= width)
        t->cursorX = width - 1;
    if (t->modes & kModeInsert)
        screenInsertCells(t, 1);
    cellStore(t, line, &lineCells(line)[t->cursorX], penCell(t, c));
    if (t->cursorX + 1 < width)
        ++t->cursorX;
    else if ((line->header & kLineSizeMask) == kLineSingle && (t->modes & kModeAutowrap))
        t->wrapPending = 1;
    coreJumpToBottom(t);
}

// Printable ASCII in the ground state: whole spans of a line are written at
// once (in insert mode after moving the rest of the line once) with the same
// cells and cursor as character-by-character printing. Anything unusual goes
// through screenPrint one character at a time.
template <typename Unit>
static void printRun(TerminalCore *t, const Unit *text, size_t count)
{
    while (count > 0) {
        screenTouch(t, t->cursorY, t->cursorY + 1);
        TerminalLine *line = lineReady(t, screenLine(t, t->cursorY));
        const bool plain = !t->wrapPending && t->singleShift < 0
                           && (line->header & kLineSizeMask) == kLineSingle
                           && !((t->options & kOptionJumpOnOutput) && t->viewOffset);
        const uint32_t x = t->cursorX;
        const uint32_t room = t->cols - x;
        const bool autowrap = t->modes & kModeAutowrap;
        size_t span = count < room ? count : room;
        // Without autowrap every further character lands on the last column.
        if (!autowrap && count > room)
            span = room - 1;
        if (!plain || span == 0) {
            screenPrint(t, *text++);
            --count;
            continue;
        }
        // In insert mode the rest of the line moves right once for the span.
        if (t->modes & kModeInsert)
            lineInsertCells(t, line, x, uint32_t(span));
        const uint32_t attributes = t->pen.ch & ~kCellCharMask;
        const uint32_t colours = t->pen.colours;
        const uint16_t *table = t->activeTable;
        TerminalCell *cell = lineCells(line) + x;
        uint32_t differs = 0;
        if (span == 1) { // text between controls: no loop to set up
            differs = cellPut(cell, attributes | (table ? table[uint8_t(*text)] : uint32_t(*text)), colours);
        } else if (table) {
            for (size_t k = 0; k < span; ++k)
                differs |= cellPut(&cell[k], attributes | table[uint8_t(text[k])], colours);
        } else {
            for (size_t k = 0; k < span; ++k)
                differs |= cellPut(&cell[k], attributes | uint32_t(text[k]), colours);
        }
        if (differs)
            lineNoteChanged(t, line, attributes);
        lineAddText(line, x, x + uint32_t(span));
        text += span;
        count -= span;
        if (x + span < t->cols) {
            t->cursorX = x + uint32_t(span);
        } else {
            t->cursorX = t->cols - 1;
            t->wrapPending = autowrap ? 1 : 0;
        }
    }
}

void screenPrintRun(TerminalCore *t, const uint8_t *text, size_t count)
{
    printRun(t, text, count);
}

void screenPrintRun(TerminalCore *t, const char16_t *text, size_t count)
{
    printRun(t, text, count);
}

void screenIndex(TerminalCore *t)
{
    if (t->cursorY + 1 == t->marginBottom)
        ringScrollUp(t, t->marginTop, t->marginBottom, 1);
    else if (t->cursorY + 1 < t->rows)
        ++t->cursorY;
}

// n indexes in one: down to the bottom margin, then one scroll of the rest.
void screenIndexLines(TerminalCore *t, size_t n)
{
    if (t->cursorY >= t->marginBottom) {
        t->cursorY = t->cursorY + n < t->rows ? t->cursorY + uint32_t(n) : t->rows - 1;
        return;
    }
    const uint32_t down = t->marginBottom - 1 - t->cursorY;
    if (n <= down) {
        t->cursorY += uint32_t(n);
        return;
    }
    t->cursorY = t->marginBottom - 1;
    // Past the region's height and the history's size only blank lines move.
    const size_t most = size_t(t->rows) + t->totalLines;
    ringScrollUp(t, t->marginTop, t->marginBottom, uint32_t(n - down < most ? n - down : most));
}

void screenReverseIndex(TerminalCore *t)
{
    if (t->cursorY == t->marginTop)
        ringScrollDown(t, t->marginTop, t->marginBottom, 1);
    else if (t->cursorY > 0)
        --t->cursorY;
}

void screenNextLine(TerminalCore *t)
{
    t->cursorX = 0;
    screenIndex(t);
}

static bool cursorInRegion(const TerminalCore *t)
{
    return t->cursorY >= t->marginTop && t->cursorY < t->marginBottom;
}

// IL and DL move the region once, by the whole count.
void screenInsertLines(TerminalCore *t, uint32_t n)
{
    if (cursorInRegion(t))
        ringScrollDown(t, t->cursorY, t->marginBottom, clampCount(n, t->rows));
}

void screenDeleteLines(TerminalCore *t, uint32_t n)
{
    if (cursorInRegion(t))
        ringScrollUp(t, t->cursorY, t->marginBottom, clampCount(n, t->rows));
}

// A row about to be erased or edited, or null when that cannot change it:
// a blank row left unwritten stays blank.
static TerminalLine *editedRow(TerminalCore *t, uint32_t row)
{
    if (screenPatternKind(t) <= PatternBlank && screenRowUnwritten(t, row))
        return nullptr;
    screenTouch(t, row, row + 1);
    return screenLine(t, row);
}

void screenInsertCells(TerminalCore *t, uint32_t n)
{
    const uint32_t x = t->cursorX;
    if (TerminalLine *line = editedRow(t, t->cursorY))
        lineInsertCells(t, line, x, clampCount(n, t->cols - x));
}

void screenDeleteCells(TerminalCore *t, uint32_t n)
{
    const uint32_t x = t->cursorX;
    if (TerminalLine *line = editedRow(t, t->cursorY))
        lineDeleteCells(t, line, x, clampCount(n, t->cols - x));
}

void screenEraseCells(TerminalCore *t, uint32_t n)
{
    n = clampCount(n, t->cols - t->cursorX);
    if (TerminalLine *line = editedRow(t, t->cursorY))
        lineBlank(t, line, t->cursorX, t->cursorX + n);
}

void screenEraseLine(TerminalCore *t, uint32_t mode)
{
    TerminalLine *line = mode <= 2 ? editedRow(t, t->cursorY) : nullptr;
    if (!line)
        return;
    const uint32_t from = mode == 0 ? t->cursorX : 0;
    const uint32_t to = mode == 1 ? t->cursorX + 1 : t->cols;
    lineBlank(t, line, from, to);
}

void screenEraseDisplay(TerminalCore *t, uint32_t mode)
{
    if (mode > 2)
        return;
    const bool fromHome = mode == 0 && t->cursorX == 0 && t->cursorY == 0;
    const bool toEnd = mode == 1 && t->cursorX + 1 >= t->cols && t->cursorY + 1 == t->rows;
    if (mode == 2 || fromHome || toEnd) {
        screenEraseAll(t);
        return;
    }
    uint32_t first = mode == 0 ? t->cursorY : 0;
    uint32_t end = mode == 0 ? t->rows : t->cursorY + 1;
    if (screenPatternKind(t) <= PatternBlank && t->screenPattern != PatternNone) {
        // Rows left unwritten are blank already.
        first = first > t->touchedTop ? first : t->touchedTop;
        end = end < t->touchedBottom ? end : t->touchedBottom;
    }
    if (first < end)
        screenTouch(t, first, end);
    for (uint32_t r = first; r < end; ++r) {
        TerminalLine *line = screenLine(t, r);
        if (lineIsBlank(line))
            continue;
        lineSetSize(t, line, kLineSingle);
        const uint32_t from = (mode == 0 && r == t->cursorY) ? t->cursorX : 0;
        const uint32_t to = (mode == 1 && r == t->cursorY) ? t->cursorX + 1 : t->cols;
        lineBlank(t, line, from, to);
    }
}

void screenCursorUp(TerminalCore *t, uint32_t n)
{
    n = clampCount(n, t->rows);
    const uint32_t limit = t->cursorY >= t->marginTop ? t->marginTop : 0;
    t->cursorY = t->cursorY >= limit + n ? t->cursorY - n : limit;
}

void screenCursorDown(TerminalCore *t, uint32_t n)
{
    n = clampCount(n, t->rows);
    const uint32_t limit = t->cursorY < t->marginBottom ? t->marginBottom - 1 : t->rows - 1;
    t->cursorY = t->cursorY + n <= limit ? t->cursorY + n : limit;
}

void screenCursorForward(TerminalCore *t, uint32_t n)
{
    n = clampCount(n, t->cols);
    t->cursorX = t->cursorX + n < t->cols ? t->cursorX + n : t->cols - 1;
}

void screenCursorBack(TerminalCore *t, uint32_t n)
{
    n = clampCount(n, t->cols * t->rows);
    if (!(t->modes & kModeReverseWrap)) {
        t->cursorX = t->cursorX > n ? t->cursorX - n : 0;
        return;
    }
    // Reverse wraparound continues on the rows above, never past row 0.
    const uint64_t position = uint64_t(t->cursorY) * t->cols + t->cursorX;
    const uint64_t target = position > n ? position - n : 0;
    t->cursorY = uint32_t(target / t->cols);
    t->cursorX = uint32_t(target % t->cols);
}

void screenCursorColumn(TerminalCore *t, uint32_t col1)
{
    const uint32_t col = col1 < 1 ? 0 : col1 - 1;
    t->cursorX = col < t->cols ? col : t->cols - 1;
}

// Row part of CUP and VPA; false when origin mode puts it past the region.
static bool targetRow(const TerminalCore *t, uint32_t row1, uint32_t *row)
{
    uint64_t r = row1 < 1 ? 0 : row1 - 1;
    if (t->originMode) {
        r += t->marginTop;
        if (r >= t->marginBottom)
            return false;
    }
    *row = r < t->rows ? uint32_t(r) : t->rows - 1;
    return true;
}

void screenCursorPosition(TerminalCore *t, uint32_t row1, uint32_t col1)
{
    uint32_t row;
    if (!targetRow(t, row1, &row))
        return;
    t->cursorY = row;
    screenCursorColumn(t, col1);
}

void screenCursorRow(TerminalCore *t, uint32_t row1)
{
    uint32_t row;
    if (targetRow(t, row1, &row))
        t->cursorY = row;
}

void screenCursorNextLine(TerminalCore *t, uint32_t n)
{
    const uint64_t target = uint64_t(t->cursorY) + clampCount(n, t->rows);
    if (t->originMode && target >= t->marginBottom)
        return;
    t->cursorX = 0;
    t->cursorY = target < t->rows ? uint32_t(target) : t->rows - 1;
}

void screenCursorPrevLine(TerminalCore *t, uint32_t n)
{
    t->cursorX = 0;
    screenCursorUp(t, n);
}

// The stops of the columns [c, c + *span): eight bytes where the bitmap
// has them from c on, else the rest of c's byte.
static uint64_t stopsFrom(const TerminalCore *t, uint32_t c, uint32_t *span)
{
    uint64_t bits = 0;
    if (c % 8 == 0 && c / 8 + 8 <= (t->cols + 7) / 8) {
        std::memcpy(&bits, t->tabStops + c / 8, 8);
        *span = 64;
        return bits;
    }
    *span = 8 - c % 8;
    return t->tabStops[c / 8] >> (c % 8);
}

// The stops of the columns (c - *span, c]: eight bytes ending with c's
// where there are as many, else the part of c's byte up to c.
static uint64_t stopsUpTo(const TerminalCore *t, uint32_t c, uint32_t *span)
{
    uint64_t bits = 0;
    if (c % 8 == 7 && c >= 63) {
        std::memcpy(&bits, t->tabStops + (c - 63) / 8, 8);
        *span = 64;
        return bits;
    }
    *span = c % 8 + 1;
    return t->tabStops[c / 8] & ((2u << (c % 8)) - 1);
}

// The n-th stop right of col, or the last column when there are fewer.
static uint32_t stopsRight(const TerminalCore *t, uint32_t col, uint32_t n)
{
    const uint32_t cols = t->cols;
    uint32_t span = 0;
    for (uint32_t c = col + 1; c < cols; c += span) {
        uint64_t bits = stopsFrom(t, c, &span);
        const uint32_t count = uint32_t(std::popcount(bits));
        if (count >= n) {
            while (--n > 0)
                bits &= bits - 1;
            const uint32_t stop = c + uint32_t(std::countr_zero(bits));
            return stop < cols ? stop : cols - 1; // a stop kept from a wider screen
        }
        n -= count;
    }
    return cols - 1;
}

// The n-th stop left of col, or column 0 when there are fewer.
static uint32_t stopsLeft(const TerminalCore *t, uint32_t col, uint32_t n)
{
    uint32_t span = 0;
    for (uint32_t c = col; c > 0; c -= span) {
        uint64_t bits = stopsUpTo(t, c - 1, &span);
        const uint32_t count = uint32_t(std::popcount(bits));
        if (count >= n) {
            while (--n > 0)
                bits &= ~(uint64_t(1) << (std::bit_width(bits) - 1));
            return c - span + uint32_t(std::bit_width(bits)) - 1;
        }
        n -= count;
    }
    return 0;
}

void screenTabForward(TerminalCore *t, uint32_t n)
{
    if (t->cursorX + 1 < t->cols)
        t->cursorX = stopsRight(t, t->cursorX, clampCount(n, t->cols));
}

void screenTabBack(TerminalCore *t, uint32_t n)
{
    if (t->cursorX > 0)
        t->cursorX = stopsLeft(t, t->cursorX, clampCount(n, t->cols));
}

void screenSetTabStop(TerminalCore *t)
{
    t->tabStops[t->cursorX / 8] |= uint8_t(1u << (t->cursorX % 8));
}

void screenClearTabStop(TerminalCore *t)
{
    t->tabStops[t->cursorX / 8] &= uint8_t(~(1u << (t->cursorX % 8)));
}

void screenClearAllTabStops(TerminalCore *t)
{
    for (uint32_t i = 0; i < (t->cols + 7) / 8; ++i)
        t->tabStops[i] = 0;
}

void screenSetMargins(TerminalCore *t, uint32_t top1, uint32_t bottom1)
{
    const uint32_t top = (top1 < 1 ? 1 : top1) - 1;
    const uint32_t bottom = (bottom1 < 1 ? 1 : bottom1) - 1;
    if (top >= t->rows || bottom >= t->rows || bottom <= top)
        return;
    t->marginTop = top;
    t->marginBottom = bottom + 1;
    t->cursorX = 0;
    t->cursorY = t->originMode ? t->marginTop : 0;
}

void screenSetOriginMode(TerminalCore *t, bool on)
{
    t->originMode = on ? 1 : 0;
    t->cursorX = 0;
    t->cursorY = on ? t->marginTop : 0;
}

void screenSaveCursor(TerminalCore *t)
{
    t->saved = TerminalSavedCursor{t->cursorX, t->cursorY, t->pen.ch, t->pen.colours, t->originMode};
}

void screenRestoreCursor(TerminalCore *t)
{
    t->cursorX = t->saved.x;
    t->cursorY = t->saved.y;
    t->pen.ch = t->saved.penCh;
    t->pen.colours = t->saved.penColours;
    t->originMode = t->saved.originMode;
    // Saved before the screen shrank: keep every later write on the screen.
    if (t->cursorX >= t->cols)
        t->cursorX = t->cols - 1;
    if (t->cursorY >= t->rows)
        t->cursorY = t->rows - 1;
}

void screenSetLineSize(TerminalCore *t, uint32_t size)
{
    screenTouch(t, t->cursorY, t->cursorY + 1);
    lineSetSize(t, screenLine(t, t->cursorY), size);
}

// The patterns are written when a row is first touched, and its cells when
// it is first looked at, so that repeated tests, or a test followed by
// erasing, cost no more than a reset.
void screenAlignmentTest(TerminalCore *t)
{
    // As printing cols x rows 'E's leaves it: without autowrap all of them
    // land on the first row.
    const bool wraps = t->defaultModes & kModeAutowrap;
    coreFullReset(t, wraps ? PatternAlignment : PatternBlank);
    if (!wraps) {
        screenTouch(t, 0, 1);
        const uint32_t owner = (t->pen.ch & kCellOwnerBits) >> 30 << kLinePendingOwnerShift;
        lineSetPending(t, screenLine(t, 0), kLinePendingAlignment | owner);
    }
    t->modes |= kModeAutowrap;
    t->cursorX = t->cursorY = 0;
}

void screenCharacterTable(TerminalCore *t)
{
    coreFullReset(t, PatternTable);
}

void screenMarkCursorCell(TerminalCore *t, uint32_t x, uint32_t y)
{
    if (x < t->cols && y < t->rows) {
        screenTouch(t, y, y + 1);
        TerminalLine *line = screenLine(t, y);
        cellMark(t, line, &lineCells(line)[x]);
    }
}

} // namespace zn
