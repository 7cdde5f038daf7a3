// Screen operations behind the control functions: printing, scrolling,
// insert/delete/erase, cursor movement, tab stops, margins.
#include "terminalinternal.h"

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
    TerminalLine *line = screenLine(t, t->cursorY);
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
// once with the same cells, marks and cursor as character-by-character
// printing. Anything unusual goes through screenPrint one character at a time.
template <typename Unit>
static void printRun(TerminalCore *t, const Unit *text, size_t count)
{
    while (count > 0) {
        TerminalLine *line = screenLine(t, t->cursorY);
        const bool plain = !t->wrapPending && t->singleShift < 0 && !(t->modes & kModeInsert)
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
        const uint32_t attributes = t->pen.ch & ~kCellCharMask;
        const uint32_t colours = t->pen.colours;
        const uint16_t *table = t->activeTable;
        TerminalCell *cell = lineCells(line) + x;
        uint32_t differs = 0;
        if (table) {
            for (size_t k = 0; k < span; ++k)
                differs |= cellPut(&cell[k], attributes | table[uint8_t(text[k])], colours);
        } else {
            for (size_t k = 0; k < span; ++k)
                differs |= cellPut(&cell[k], attributes | uint32_t(text[k]), colours);
        }
        if (differs) {
            line->header |= kLineChanged;
            t->modes |= kModeChanged;
            if (attributes & kCellBlinkBits) {
                line->header |= kLineBlink;
                t->modes |= kModeBlinking;
            }
        }
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
        ringScrollUp(t, t->marginTop, t->marginBottom);
    else if (t->cursorY + 1 < t->rows)
        ++t->cursorY;
}

void screenReverseIndex(TerminalCore *t)
{
    if (t->cursorY == t->marginTop)
        ringScrollDown(t, t->marginTop, t->marginBottom);
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

void screenInsertLines(TerminalCore *t, uint32_t n)
{
    if (!cursorInRegion(t))
        return;
    for (n = clampCount(n, t->rows); n > 0; --n)
        ringScrollDown(t, t->cursorY, t->marginBottom);
}

void screenDeleteLines(TerminalCore *t, uint32_t n)
{
    if (!cursorInRegion(t))
        return;
    for (n = clampCount(n, t->rows); n > 0; --n)
        ringScrollUp(t, t->cursorY, t->marginBottom);
}

void screenInsertCells(TerminalCore *t, uint32_t n)
{
    TerminalLine *line = screenLine(t, t->cursorY);
    TerminalCell *cells = lineCells(line);
    const uint32_t x = t->cursorX;
    n = clampCount(n, t->cols - x);
    lineMove(t, line, x + n, cells + x, t->cols - x - n);
    lineBlank(t, line, x, x + n);
}

void screenDeleteCells(TerminalCore *t, uint32_t n)
{
    TerminalLine *line = screenLine(t, t->cursorY);
    TerminalCell *cells = lineCells(line);
    const uint32_t x = t->cursorX;
    n = clampCount(n, t->cols - x);
    lineMove(t, line, x, cells + x + n, t->cols - x - n);
    lineBlank(t, line, t->cols - n, t->cols);
}

void screenEraseCells(TerminalCore *t, uint32_t n)
{
    n = clampCount(n, t->cols - t->cursorX);
    lineBlank(t, screenLine(t, t->cursorY), t->cursorX, t->cursorX + n);
}

void screenEraseLine(TerminalCore *t, uint32_t mode)
{
    TerminalLine *line = screenLine(t, t->cursorY);
    switch (mode) {
    case 0:
        lineBlank(t, line, t->cursorX, t->cols);
        break;
    case 1:
        lineBlank(t, line, 0, t->cursorX + 1);
        break;
    case 2:
        lineBlank(t, line, 0, t->cols);
        break;
    default:
        break;
    }
}

void screenEraseDisplay(TerminalCore *t, uint32_t mode)
{
    uint32_t first = 0;
    uint32_t last = t->rows - 1;
    if (mode == 0)
        first = t->cursorY;
    else if (mode == 1)
        last = t->cursorY;
    else if (mode != 2)
        return;
    for (uint32_t r = first; r <= last; ++r) {
        TerminalLine *line = screenLine(t, r);
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

static bool tabStopAt(const TerminalCore *t, uint32_t col)
{
    return (t->tabStops[col / 8] >> (col % 8)) & 1u;
}

void screenTabForward(TerminalCore *t, uint32_t n)
{
    for (n = clampCount(n, t->cols); n > 0; --n) {
        uint32_t c = t->cursorX + 1;
        while (c < t->cols && !tabStopAt(t, c))
            ++c;
        t->cursorX = c < t->cols ? c : t->cols - 1;
    }
}

void screenTabBack(TerminalCore *t, uint32_t n)
{
    for (n = clampCount(n, t->cols); n > 0; --n) {
        uint32_t c = t->cursorX;
        while (c > 0 && !tabStopAt(t, --c)) {
        }
        t->cursorX = c;
    }
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
    lineSetSize(t, screenLine(t, t->cursorY), size);
}

void screenAlignmentTest(TerminalCore *t)
{
    terminalCoreFullReset(t);
    for (uint32_t i = 1; i < t->cols * t->rows; ++i)
        screenPrint(t, 'E');
    // The last one without autowrap, so the screen does not scroll.
    t->modes &= ~kModeAutowrap;
    screenPrint(t, 'E');
    t->modes |= kModeAutowrap;
    t->cursorX = t->cursorY = 0;
}

void screenCharacterTable(TerminalCore *t)
{
    terminalCoreFullReset(t);
    for (uint32_t k = 0; k < 256 && k / 16 < t->rows; ++k) {
        if (k % 16 >= t->cols)
            continue;
        TerminalLine *line = screenLine(t, k / 16);
        cellStore(t, line, &lineCells(line)[k % 16], penCell(t, k));
    }
}

void screenMarkCursorCell(TerminalCore *t, uint32_t x, uint32_t y)
{
    if (x < t->cols && y < t->rows) {
        TerminalLine *line = screenLine(t, y);
        cellMark(t, line, &lineCells(line)[x]);
    }
}

} // namespace zn
