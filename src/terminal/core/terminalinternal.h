// Operations shared by the files of the terminal core; not for its owner.
#pragma once

#include "terminalcore.h"

namespace zn {

constexpr TerminalCell kBlankCell{32, kBlankColours};
constexpr uint32_t kCellBlinkBits = kCellBlink | kCellRapidBlink;
// Bookkeeping bits of the mode word that a reset does not take from defaultModes.
constexpr uint32_t kModeBookkeeping = kModeChanged | kModeBlinking | kModeCursorMoved;

// --- line ring (linering.cpp) ---

inline TerminalLine *ringLine(const TerminalCore *t, uint32_t index)
{
    return reinterpret_cast<TerminalLine *>(t->bufferStart + size_t(index) * t->lineStride);
}

// Ring index of a row counted from screen row 0; row may be negative.
inline uint32_t ringIndex(const TerminalCore *t, int64_t row)
{
    int64_t index = (int64_t(t->topLine) + row) % int64_t(t->totalLines);
    return uint32_t(index < 0 ? index + t->totalLines : index);
}

inline TerminalLine *screenLine(const TerminalCore *t, uint32_t row)
{
    uint32_t index = t->topLine + row;
    if (index >= t->totalLines)
        index -= t->totalLines;
    return ringLine(t, index);
}

// Compare-then-store: only a different cell is written and marked, so that
// repaint work follows the real change.
inline void cellStore(TerminalCore *t, TerminalLine *line, TerminalCell *cell, TerminalCell value)
{
    if (cell->ch == value.ch && cell->colours == value.colours)
        return;
    cell->ch = value.ch | kCellChanged;
    cell->colours = value.colours;
    line->header |= kLineChanged;
    t->modes |= kModeChanged;
    if (value.ch & kCellBlinkBits) {
        line->header |= kLineBlink;
        t->modes |= kModeBlinking;
    }
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
    line->header |= kLineChanged;
    t->modes |= kModeChanged;
    if (cell->ch & kCellBlinkBits) {
        line->header |= kLineBlink;
        t->modes |= kModeBlinking;
    }
}

void lineMarkAll(TerminalCore *t, TerminalLine *line);
void lineFill(TerminalCore *t, TerminalLine *line, uint32_t from, uint32_t to, TerminalCell value); // [from, to)
void lineBlank(TerminalCore *t, TerminalLine *line, uint32_t from, uint32_t to);                    // [from, to)
// Compare-then-store of count cells from any line (also this one) to column to.
void lineMove(TerminalCore *t, TerminalLine *line, uint32_t to, const TerminalCell *from, uint32_t count);
void lineMakeBlank(TerminalCore *t, TerminalLine *line);                          // blank and single width
void lineCopy(TerminalCore *t, TerminalLine *dst, const TerminalLine *src);
void lineSetSize(TerminalCore *t, TerminalLine *line, uint32_t size);
bool lineBlankFrom(const TerminalCore *t, const TerminalLine *line, uint32_t col); // only spaces from col on

void ringScrollUp(TerminalCore *t, uint32_t top, uint32_t bottom);   // one line, region [top, bottom)
void ringScrollDown(TerminalCore *t, uint32_t top, uint32_t bottom); // one line, region [top, bottom)
void ringMarkView(TerminalCore *t);
bool ringSettleViewShift(TerminalCore *t); // true if the view slid
void ringClearAll(TerminalCore *t);
void tabStopsDefault(uint8_t *bitmap, uint32_t cols);

// --- screen operations (screen.cpp) ---

void screenPrint(TerminalCore *t, uint32_t c);
void screenPrintRun(TerminalCore *t, const uint8_t *text, size_t count);
void screenPrintRun(TerminalCore *t, const char16_t *text, size_t count);
void screenIndex(TerminalCore *t);
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
void parserEscDispatch(TerminalCore *t, uint32_t final);
void parserCsiDispatch(TerminalCore *t, uint32_t final);
void coreReply(TerminalCore *t, const char *bytes, size_t length);
void coreReplyDeviceAttributes(TerminalCore *t);

// --- selection (selection.cpp) ---

void selectionScroll(TerminalCore *t, int32_t top, int32_t bottom, int32_t delta, bool intoHistory);
void selectionReset(TerminalCore *t);

// --- core (terminalcore.cpp) ---

void coreJumpToBottom(TerminalCore *t);
void coreScrollbackChanged(TerminalCore *t);

} // namespace zn
