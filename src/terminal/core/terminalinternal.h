// Operations shared by the files of the terminal core; not for its owner.
#pragma once

#include "terminalcore.h"

namespace zn {

constexpr TerminalCell kBlankCell{32, kBlankColours};
constexpr uint32_t kCellBlinkBits = kCellBlink | kCellRapidBlink;
// Bookkeeping bits of the mode word that a reset does not take from defaultModes.
constexpr uint32_t kModeBookkeeping = kModeChanged | kModeBlinking | kModeCursorMoved;

// --- line ring (linering.cpp) ---

// Header bits the core keeps for itself (the owner reads only size, blink and
// changed). They keep the cost of an operation in step with the text it
// really touches rather than with the width and height of the screen:
//  - extent: every cell from this column on is the blank cell (marks aside),
//    so erasing, moving and scrolling stop there;
//  - start: on a line not pending, every cell left of 16 times this is the
//    blank cell (marks aside), so erasing starts there;
//  - all marked: every cell carries the changed mark; believed only while
//    kLineChanged is set, because painting clears that bit and the marks;
//  - pending: the line holds the alignment pattern or a row of the character
//    table, written out on first access. Until then its memory keeps the old
//    text (every cell marked, within its extent), so that a reset which
//    follows costs as little as if the pattern had never been drawn.
constexpr uint32_t kLineAllMarked = 1u << 3;
constexpr uint32_t kLinePendingMask = 3u << 4;
constexpr uint32_t kLinePendingAlignment = 1u << 4; // every cell 'E'
constexpr uint32_t kLinePendingTable = 2u << 4;     // row (bits 8-11) of the character table
constexpr uint32_t kLineTableRowShift = 8;
constexpr uint32_t kLinePendingOwnerShift = 12; // bits 30-31 of the pending cells
constexpr uint32_t kLinePendingBits = kLinePendingMask | 0xFu << kLineTableRowShift | 3u << kLinePendingOwnerShift;
constexpr uint32_t kLineStartShift = 8; // shares bits with the pending pattern's
constexpr uint32_t kLineStartMask = 0xFFu << kLineStartShift;
constexpr uint32_t kLineStartUnit = 16;
constexpr uint32_t kLineNoText = kLineStartMask; // a start past every column
constexpr uint32_t kLineExtentShift = 16;
constexpr uint32_t kLineExtentMask = 0x1FFFu << kLineExtentShift;

// In the history's ring: the line went in blank.
constexpr uint32_t kSlotBlank = 1u << 31;

inline TerminalLine *slotLine(const TerminalCore *t, uint32_t slot)
{
    return reinterpret_cast<TerminalLine *>(t->bufferStart + size_t(slot) * t->lineStride);
}

inline uint32_t screenSlot(const TerminalCore *t, uint32_t row)
{
    return t->rowSlots[t->rowBase + row];
}

inline TerminalLine *screenLine(const TerminalCore *t, uint32_t row)
{
    return slotLine(t, screenSlot(t, row));
}

// Slot of a row counted from screen row 0; negative rows are in the history
// (down to -historyCount, or to minus the history's size for its old lines).
inline uint32_t bufferSlot(const TerminalCore *t, int64_t row)
{
    if (row >= 0)
        return screenSlot(t, uint32_t(row));
    const uint32_t size = t->totalLines - t->rows;
    int64_t index = int64_t(t->historyHead) + row;
    if (index < 0)
        index += size;
    return t->historySlots[index] & ~kSlotBlank;
}

// What the next update step settles (TerminalCore::settle).
constexpr uint32_t kSettleMoved = 1u << 0;   // lines changed places in the view
constexpr uint32_t kSettleMarkAll = 1u << 1; // every cell of the view is to be repainted

inline uint32_t lineExtent(const TerminalLine *line)
{
    return (line->header & kLineExtentMask) >> kLineExtentShift;
}

inline void lineSetExtent(TerminalLine *line, uint32_t extent)
{
    line->header = (line->header & ~kLineExtentMask) | extent << kLineExtentShift;
}

inline uint32_t lineStart(const TerminalLine *line)
{
    return line->header & kLinePendingMask ? 0 : (line->header >> kLineStartShift & 0xFFu) * kLineStartUnit;
}

// Cells from column col on may hold text (on a line not pending).
inline void lineLowerStart(TerminalLine *line, uint32_t col)
{
    if (col < lineStart(line))
        line->header = (line->header & ~kLineStartMask) | col / kLineStartUnit << kLineStartShift;
}

// Cells [from, to) hold text now (on a line not pending).
inline void lineAddText(TerminalLine *line, uint32_t from, uint32_t to)
{
    lineLowerStart(line, from);
    if (to > lineExtent(line))
        lineSetExtent(line, to);
}

inline bool lineAllMarked(const TerminalLine *line)
{
    return (line->header & (kLineChanged | kLineAllMarked)) == (kLineChanged | kLineAllMarked);
}

// Blank, single width and written out: erasing or copying over it changes nothing.
inline bool lineIsBlank(const TerminalLine *line)
{
    return (line->header & (kLineSizeMask | kLinePendingMask | kLineExtentMask)) == 0;
}

inline bool cellIsBlank(uint32_t ch, uint32_t colours)
{
    return (ch & ~kCellChanged) == kBlankCell.ch && colours == kBlankCell.colours;
}

// The line gains a changed cell. A line marked anew after a paint holds
// unmarked cells, so it can no longer claim that all are marked.
inline void lineNoteChanged(TerminalCore *t, TerminalLine *line, uint32_t attributes)
{
    if (!(line->header & kLineChanged))
        line->header = (line->header | kLineChanged) & ~kLineAllMarked;
    t->modes |= kModeChanged;
    if (attributes & kCellBlinkBits) {
        line->header |= kLineBlink;
        t->modes |= kModeBlinking;
    }
}

void lineWriteOut(TerminalCore *t, TerminalLine *line);

// The line, ready for access cell by cell.
inline TerminalLine *lineReady(TerminalCore *t, TerminalLine *line)
{
    if (line->header & kLinePendingMask)
        lineWriteOut(t, line);
    return line;
}

// Compare-then-store: only a different cell is written and marked, so that
// repaint work follows the real change.
inline void cellStore(TerminalCore *t, TerminalLine *line, TerminalCell *cell, TerminalCell value)
{
    if (cell->ch == value.ch && cell->colours == value.colours)
        return;
    cell->ch = value.ch | kCellChanged;
    cell->colours = value.colours;
    if (!cellIsBlank(value.ch, value.colours)) {
        const uint32_t col = uint32_t(cell - lineCells(line));
        lineAddText(line, col, col + 1);
    }
    lineNoteChanged(t, line, value.ch);
}

// Compare-then-store without branches, leaving the line and mode bits to the
// caller: an equal cell is rewritten with its own value, a different one gets
// the new value and the changed bit. Loops over it vectorise. Returns non-zero
// when the cell differed.
inline uint32_t cellPut(TerminalCell *cell, uint32_t ch, uint32_t colours)
{
    const uint32_t differs = (cell->ch ^ ch) | (cell->colours ^ colours);
    cell->ch = ch | (differs ? kCellChanged : 0);
    cell->colours = colours;
    return differs;
}

inline void cellMark(TerminalCore *t, TerminalLine *line, TerminalCell *cell)
{
    cell->ch |= kCellChanged;
    lineNoteChanged(t, line, cell->ch);
}

void lineMarkAll(TerminalCore *t, TerminalLine *line);
void lineBlank(TerminalCore *t, TerminalLine *line, uint32_t from, uint32_t to); // [from, to)
void lineClear(TerminalCore *t, TerminalLine *line); // blank and single width

inline void lineMakeBlank(TerminalCore *t, TerminalLine *line)
{
    if (!lineIsBlank(line))
        lineClear(t, line);
}
void lineSetSize(TerminalCore *t, TerminalLine *line, uint32_t size);
void lineSetPending(TerminalCore *t, TerminalLine *line, uint32_t pending); // its old text stays under it
bool lineBlankFrom(TerminalCore *t, TerminalLine *line, uint32_t col);      // only spaces from col on

inline bool lineSpacesOnly(TerminalCore *t, TerminalLine *line)
{
    return !(line->header & (kLinePendingMask | kLineExtentMask)) || lineBlankFrom(t, line, 0);
}
void lineInsertCells(TerminalCore *t, TerminalLine *line, uint32_t x, uint32_t n);
void lineDeleteCells(TerminalCore *t, TerminalLine *line, uint32_t x, uint32_t n);

// Within one feed a full reset, or erasing the whole display, leaves the
// rows unwritten: every row outside [touchedTop, touchedBottom) is then what
// the screen pattern says, whatever its slot still holds, and is written
// when first touched or at the update step. Painting clears marks only
// between feeds, so a pattern never outlives the update step.
enum ScreenPattern : uint32_t {
    PatternNone = 0,      // every row is written
    PatternErased = 1,    // blank and single width, marked where its slot differs
    PatternBlank = 2,     // blank and single width, every cell marked
    PatternAlignment = 3, // every cell 'E', marked
    PatternTable = 4,     // rows 0-15 of the character table, blank below, marked
};
constexpr uint32_t kPatternKindMask = 7u;
constexpr uint32_t kPatternOwnerShift = 4; // bits 30-31 the pattern's cells carry

inline uint32_t screenPatternKind(const TerminalCore *t)
{
    return t->screenPattern & kPatternKindMask;
}

inline bool screenRowUnwritten(const TerminalCore *t, uint32_t row)
{
    return t->screenPattern != PatternNone && (row < t->touchedTop || row >= t->touchedBottom);
}

void screenWriteRows(TerminalCore *t, uint32_t from, uint32_t to);

// Rows [from, to) are about to be read or written.
inline void screenTouch(TerminalCore *t, uint32_t from, uint32_t to)
{
    if (t->screenPattern != PatternNone && (from < t->touchedTop || to > t->touchedBottom))
        screenWriteRows(t, from, to);
}

void screenWriteAll(TerminalCore *t); // every row written; no pattern
// Every row blank and single width, as erasing the display leaves it;
// unwritten where that can be said.
void screenEraseAll(TerminalCore *t);

void ringResetScreen(TerminalCore *t, uint32_t pattern); // every row as the pattern has it, unwritten
// Region [top, bottom) scrolled by n lines, as n single scrolls leave it.
void ringScrollUp(TerminalCore *t, uint32_t top, uint32_t bottom, uint32_t n);
void ringScrollDown(TerminalCore *t, uint32_t top, uint32_t bottom, uint32_t n);
void ringMarkView(TerminalCore *t); // at the next update step
void ringWriteOutShown(TerminalCore *t); // every pending line of the screen and the view
bool ringSettleView(TerminalCore *t); // true if a view row shows another line
void tabStopsDefault(uint8_t *bitmap, uint32_t cols);

// --- screen operations (screen.cpp) ---

void screenPrint(TerminalCore *t, uint32_t c);
void screenPrintRun(TerminalCore *t, const uint8_t *text, size_t count);
void screenPrintRun(TerminalCore *t, const char16_t *text, size_t count);
void screenIndex(TerminalCore *t);
void screenIndexLines(TerminalCore *t, size_t n);
void screenReverseIndex(TerminalCore *t);
void screenNextLine(TerminalCore *t);
void screenInsertLines(TerminalCore *t, uint32_t n);
void screenDeleteLines(TerminalCore *t, uint32_t n);
void screenInsertCells(TerminalCore *t, uint32_t n);
void screenDeleteCells(TerminalCore *t, uint32_t n);
void screenEraseCells(TerminalCore *t, uint32_t n);
void screenEraseLine(TerminalCore *t, uint32_t mode);
void screenEraseDisplay(TerminalCore *t, uint32_t mode);
void screenCursorUp(TerminalCore *t, uint32_t n);
void screenCursorDown(TerminalCore *t, uint32_t n);
void screenCursorForward(TerminalCore *t, uint32_t n);
void screenCursorBack(TerminalCore *t, uint32_t n);
void screenCursorColumn(TerminalCore *t, uint32_t col1);
void screenCursorPosition(TerminalCore *t, uint32_t row1, uint32_t col1);
void screenCursorRow(TerminalCore *t, uint32_t row1);
void screenCursorNextLine(TerminalCore *t, uint32_t n);
void screenCursorPrevLine(TerminalCore *t, uint32_t n);
void screenTabForward(TerminalCore *t, uint32_t n);
void screenTabBack(TerminalCore *t, uint32_t n);
void screenSetTabStop(TerminalCore *t);
void screenClearTabStop(TerminalCore *t);
void screenClearAllTabStops(TerminalCore *t);
void screenSetMargins(TerminalCore *t, uint32_t top1, uint32_t bottom1);
void screenSetOriginMode(TerminalCore *t, bool on);
void screenSaveCursor(TerminalCore *t);
void screenRestoreCursor(TerminalCore *t);
void screenSetLineSize(TerminalCore *t, uint32_t size);
void screenAlignmentTest(TerminalCore *t);
void screenCharacterTable(TerminalCore *t);
void screenMarkCursorCell(TerminalCore *t, uint32_t x, uint32_t y);

// --- character sets (charsets.cpp) ---

const uint16_t *charsetTable(uint32_t designation); // null: codes unchanged
void charsetUpdateActive(TerminalCore *t);

// --- parser (parser.cpp, esc.cpp, csi.cpp) ---

void parserReset(TerminalCore *t);
void parserExecute(TerminalCore *t, uint32_t c);
void parserLineFeeds(TerminalCore *t, size_t n); // LF, VT and FF
void parserEscDispatch(TerminalCore *t, uint32_t final);
void parserCsiDispatch(TerminalCore *t, uint32_t final);
void coreReply(TerminalCore *t, const char *bytes, size_t length);
void coreReplyDeviceAttributes(TerminalCore *t);

// --- selection (selection.cpp) ---

// Rows [top, bottom) moved by delta (rows into the history: every row above bottom).
// Without an anchor there is no selection either.
inline bool selectionAnchored(const TerminalCore *t)
{
    return t->selection[5] != kSelectionNone;
}
void selectionScroll(TerminalCore *t, int32_t top, int32_t bottom, int32_t delta, bool intoHistory);
void selectionReset(TerminalCore *t);

// --- core (terminalcore.cpp) ---

void coreFullReset(TerminalCore *t, uint32_t pattern);
void coreJumpToBottom(TerminalCore *t);
void coreScrollbackChanged(TerminalCore *t);

} // namespace zn
