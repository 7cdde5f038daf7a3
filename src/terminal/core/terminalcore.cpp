// Life cycle, resets, the update step, the view and the blink step.
#include "terminalinternal.h"

#include <cstdlib>

namespace zn {

// Everything a reset sets, without telling the owner.
static void resetState(TerminalCore *t)
{
    t->pen.ch &= kCellOwnerBits;
    t->pen.colours = kBlankColours;
    parserReset(t);
    t->shownCursorX = t->shownCursorY = 0;
    t->cursorX = t->cursorY = 0;
    t->originMode = 0;
    t->marginTop = 0;
    t->marginBottom = t->rows;
    t->lockingShift = 0;
    t->singleShift = -1;
    t->charsets[0] = CharsetUsAscii;
    t->charsets[1] = CharsetDecGraphics;
    t->charsets[2] = CharsetUnitedKingdom;
    t->charsets[3] = CharsetIbmPc;
    charsetUpdateActive(t);
    t->modes = (t->defaultModes & ~kModeBookkeeping) | (t->modes & kModeBookkeeping);
    t->wrapPending = 0;
    // DECRC without an earlier DECSC goes home with the default rendition.
    t->saved = TerminalSavedCursor{0, 0, t->pen.ch, t->pen.colours, 0};
    if (t->tabStops)
        tabStopsDefault(t->tabStops, t->cols);
    selectionReset(t);
}

TerminalCore *terminalCoreCreate(const TerminalCallbacks *callbacks, void *owner)
{
    auto *t = static_cast<TerminalCore *>(std::calloc(1, sizeof(TerminalCore)));
    if (!t)
        return nullptr;
    t->callbacks = callbacks;
    t->owner = owner;
    t->modes = t->defaultModes = kModeCreationDefault;
    t->options = kOptionJumpOnKey;
    resetState(t);
    return t;
}

void terminalCoreDestroy(TerminalCore *t)
{
    if (!t)
        return;
    std::free(t->selectionText);
    std::free(t->bufferStart);
    std::free(t);
}

void terminalCoreReset(TerminalCore *t)
{
    resetState(t);
    if (!t->callbacks)
        return;
    if (t->callbacks->ledsChanged)
        t->callbacks->ledsChanged(t, (t->modes & kModeLedReporting) ? int(t->leds) : -1);
    if (t->callbacks->cursorStyle)
        t->callbacks->cursorStyle(t, int((t->modes & kModeCursorStyleMask) >> kModeCursorStyleShift));
}

void coreFullReset(TerminalCore *t, uint32_t pattern)
{
    terminalCoreReset(t);
    // The history is forgotten, not erased: nothing can reach it any more.
    t->historyCount = 0;
    t->viewOffset = 0;
    if (t->bufferStart) {
        ringResetScreen(t, pattern);
        ringMarkView(t);
    }
    coreScrollbackChanged(t);
}

// The owner may paint right after: every row is written.
void terminalCoreFullReset(TerminalCore *t)
{
    coreFullReset(t, PatternBlank);
    screenWriteAll(t);
}

void terminalCoreUpdate(TerminalCore *t)
{
    if (t->inUpdate)
        return;
    t->inUpdate = 1;
    if (t->bufferStart) {
        screenWriteAll(t); // the owner paints from here on
        if (t->pendingRows) {
            ringWriteOutShown(t);
            t->pendingRows = 0;
        }
        const bool slid = ringSettleView(t);
        const bool moved = t->cursorX != t->shownCursorX || t->cursorY != t->shownCursorY;
        const bool visible = t->modes & kModeCursorVisible;
        // The cursor is drawn at a place, not in a line: after a scroll its
        // cell needs a repaint even where the text there looks the same.
        if ((moved && visible) || (slid && (visible || t->shownCursorVisible))) {
            screenMarkCursorCell(t, t->shownCursorX, t->shownCursorY);
            screenMarkCursorCell(t, t->cursorX, t->cursorY);
        }
        if (moved) {
            t->shownCursorX = t->cursorX;
            t->shownCursorY = t->cursorY;
            t->modes |= kModeCursorMoved;
        }
        t->shownCursorVisible = visible ? 1 : 0;
    }
    if (t->modes & kModeChanged) {
        t->modes &= ~kModeChanged;
        if (t->callbacks && t->callbacks->update)
            t->callbacks->update(t);
    }
    t->inUpdate = 0;
}

int terminalCoreSetViewOffset(TerminalCore *t, uint32_t lines)
{
    if (lines > t->historyCount)
        lines = t->historyCount;
    if (lines == t->viewOffset || !t->bufferStart)
        return 0;
    t->viewOffset = lines;
    ringMarkView(t);
    coreScrollbackChanged(t);
    terminalCoreUpdate(t);
    return 1;
}

void terminalCoreMarkAllChanged(TerminalCore *t)
{
    if (t->bufferStart)
        ringMarkView(t);
    terminalCoreUpdate(t);
}

void terminalCoreMarkCell(TerminalCore *t, uint32_t col, int32_t row)
{
    TerminalLine *line = terminalCoreLine(t, row);
    if (line && col < t->cols)
        cellMark(t, line, &lineCells(line)[col]);
}

int terminalCoreBlinkStep(TerminalCore *t)
{
    if (!(t->modes & kModeBlinking) || !t->bufferStart)
        return 0;
    bool found = false;
    for (uint32_t r = 0; r < t->rows; ++r) {
        TerminalLine *line = terminalCoreViewLine(t, r);
        if (!(line->header & kLineBlink))
            continue;
        bool blinks = false;
        TerminalCell *cells = lineCells(line);
        for (uint32_t c = 0; c < t->cols; ++c) {
            if (cells[c].ch & kCellBlinkBits) {
                cellMark(t, line, &cells[c]);
                blinks = true;
            }
        }
        if (!blinks)
            line->header &= ~kLineBlink;
        found = found || blinks;
    }
    if (found)
        t->modes |= kModeBlinking | kModeChanged;
    else
        t->modes &= ~kModeBlinking;
    return found ? 1 : 0;
}

TerminalLine *terminalCoreLine(TerminalCore *t, int32_t row)
{
    if (!t->bufferStart || row >= int32_t(t->rows) || row < -int32_t(t->historyCount))
        return nullptr;
    if (row >= 0)
        screenTouch(t, uint32_t(row), uint32_t(row) + 1);
    return lineReady(t, slotLine(t, bufferSlot(t, row)));
}

TerminalLine *terminalCoreViewLine(TerminalCore *t, uint32_t viewRow)
{
    if (viewRow >= t->rows)
        return nullptr;
    return terminalCoreLine(t, int32_t(viewRow) - int32_t(t->viewOffset));
}

uint32_t terminalCoreLineWidth(const TerminalCore *t, const TerminalLine *line)
{
    return (line->header & kLineSizeMask) == kLineSingle ? t->cols : t->cols / 2;
}

void coreJumpToBottom(TerminalCore *t)
{
    if (!(t->options & kOptionJumpOnOutput) || t->viewOffset == 0)
        return;
    t->viewOffset = 0;
    ringMarkView(t);
    coreScrollbackChanged(t);
}

void coreScrollbackChanged(TerminalCore *t)
{
    if (t->callbacks && t->callbacks->scrollbackChanged)
        t->callbacks->scrollbackChanged(t);
}

} // namespace zn
