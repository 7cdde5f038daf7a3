// Mouse selection in buffer rows (screen row 0 = 0, scrollback negative) and
// the text it covers.
#include "terminalinternal.h"

#include <cstdlib>
#include <initializer_list>

namespace zn {

namespace {

enum SelectionField { StartX, StartY, EndX, EndY, AnchorX, AnchorY };

bool hasSelection(const TerminalCore *t)
{
    return t->selection[StartY] != kSelectionNone && t->selection[EndY] != kSelectionNone;
}

void setNone(int32_t *area)
{
    area[StartX] = area[StartY] = area[EndX] = area[EndY] = kSelectionNone;
}

// Marks the cells of [start, end] in reading order that the view shows.
void markArea(TerminalCore *t, const int32_t *area)
{
    if (area[StartY] == kSelectionNone || area[EndY] == kSelectionNone)
        return;
    for (int32_t y = area[StartY]; y <= area[EndY]; ++y) {
        const int64_t viewRow = int64_t(y) + t->viewOffset;
        if (viewRow < 0 || viewRow >= t->rows)
            continue;
        TerminalLine *line = terminalCoreLine(t, y);
        if (!line)
            continue;
        const int32_t from = y == area[StartY] ? area[StartX] : 0;
        const int32_t to = y == area[EndY] ? area[EndX] : int32_t(t->cols) - 1;
        for (int32_t x = from; x <= to; ++x)
            cellMark(t, line, &lineCells(line)[x]);
    }
}

bool rowBlankFrom(TerminalCore *t, int32_t y, int32_t x)
{
    TerminalLine *line = terminalCoreLine(t, y);
    return !line || lineBlankFrom(t, line, uint32_t(x));
}

} // namespace

void selectionReset(TerminalCore *t)
{
    for (int32_t &v : t->selection)
        v = kSelectionNone;
}

void selectionScroll(TerminalCore *t, int32_t top, int32_t bottom, int32_t delta, bool intoHistory)
{
    if ((!hasSelection(t) && t->selection[AnchorY] == kSelectionNone) || delta == 0)
        return;
    // The highlight moves with the text, not with the cells' contents:
    // have the update step repaint the whole view.
    if (hasSelection(t))
        t->settle |= kSettleMarkAll;
    const int32_t oldest = -int32_t(t->totalLines - t->rows);
    bool left = false;
    for (int field : {StartY, EndY, AnchorY}) {
        int32_t &y = t->selection[field];
        if (y == kSelectionNone || y >= bottom || (!intoHistory && y < top))
            continue;
        // A row that leaves stops just outside, as single scrolls leave it.
        const int32_t first = intoHistory ? oldest : top;
        const int32_t moved = y + delta;
        const bool gone = moved < first || moved >= bottom;
        y = moved < first ? first - 1 : moved >= bottom ? bottom : moved;
        if (gone && field != AnchorY)
            left = true;
    }
    if (left)
        selectionReset(t);
}

void terminalCoreClearSelection(TerminalCore *t)
{
    if (t->bufferStart)
        markArea(t, t->selection);
    selectionReset(t);
    terminalCoreUpdate(t);
}

void terminalCoreExtendSelection(TerminalCore *t, int32_t col, int32_t viewRow)
{
    if (!t->bufferStart || col < 0 || col >= int32_t(t->cols) || viewRow < 0 || viewRow >= int32_t(t->rows))
        return;
    int32_t *s = t->selection;
    const int32_t px = col;
    const int32_t py = viewRow - int32_t(t->viewOffset);
    if (s[AnchorY] == kSelectionNone) {
        s[AnchorX] = px;
        s[AnchorY] = py;
        return;
    }
    const int32_t ax = s[AnchorX];
    const int32_t ay = s[AnchorY];
    int32_t area[4];
    setNone(area);
    if (py > ay || (py == ay && px > ax)) {
        area[StartX] = ax;
        area[StartY] = ay;
        area[EndX] = rowBlankFrom(t, py, px) ? int32_t(t->cols) - 1 : px;
        area[EndY] = py;
    } else if (py < ay || px < ax) {
        area[StartX] = px;
        area[StartY] = py;
        area[EndX] = ax;
        area[EndY] = ay;
        if (px > 0 && rowBlankFrom(t, py, px - 1)) {
            if (py == ay) {
                setNone(area);
            } else {
                area[StartX] = 0;
                area[StartY] = py + 1;
            }
        }
    } else if (!rowBlankFrom(t, ay, ax)) {
        area[StartX] = area[EndX] = ax;
        area[StartY] = area[EndY] = ay;
    }
    if (area[StartX] == s[StartX] && area[StartY] == s[StartY] && area[EndX] == s[EndX] && area[EndY] == s[EndY])
        return;
    markArea(t, s);
    for (int k = 0; k < 4; ++k)
        s[k] = area[k];
    markArea(t, s);
    terminalCoreUpdate(t);
}

int terminalCoreIsSelected(const TerminalCore *t, int32_t col, int32_t viewRow)
{
    if (!hasSelection(t))
        return 0;
    const int64_t y = int64_t(viewRow) - t->viewOffset;
    const int32_t *s = t->selection;
    const bool afterStart = y > s[StartY] || (y == s[StartY] && col >= s[StartX]);
    const bool beforeEnd = y < s[EndY] || (y == s[EndY] && col <= s[EndX]);
    return afterStart && beforeEnd ? 1 : 0;
}

const char16_t *terminalCoreSelectedText(TerminalCore *t)
{
    std::free(t->selectionText);
    t->selectionText = nullptr;
    if (!hasSelection(t) || !t->bufferStart)
        return nullptr;
    const int32_t *s = t->selection;
    const size_t rowCount = size_t(int64_t(s[EndY]) - s[StartY] + 1);
    auto *text = static_cast<char16_t *>(std::malloc((rowCount * (t->cols + 2) + 1) * sizeof(char16_t)));
    if (!text)
        return nullptr;
    size_t length = 0;
    for (int32_t y = s[StartY]; y <= s[EndY]; ++y) {
        const TerminalLine *line = terminalCoreLine(t, y);
        if (!line)
            continue;
        const TerminalCell *cells = lineCells(line);
        const uint32_t from = y == s[StartY] ? uint32_t(s[StartX]) : 0;
        const uint32_t last = y == s[EndY] ? uint32_t(s[EndX]) : t->cols - 1;
        uint32_t end = last + 1;
        bool dropped = false;
        if (last == t->cols - 1) {
            // A row that runs to its last column continues on the next one.
            while (end > from && cellChar(cells[end - 1]) == 32)
                --end;
            dropped = end <= last;
        }
        for (uint32_t x = from; x < end; ++x)
            text[length++] = char16_t(cells[x].ch & 0xFFFF);
        if (dropped) {
            text[length++] = u'\r';
            text[length++] = u'\n';
        }
    }
    if (length == 0) {
        std::free(text);
        return nullptr;
    }
    text[length] = 0;
    t->selectionText = text;
    return text;
}

} // namespace zn
