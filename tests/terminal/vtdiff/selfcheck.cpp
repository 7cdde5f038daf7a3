#include "selfcheck.h"

#include "seededrandom.h"
#include "terminalinternal.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace vtdiff {

namespace {

using namespace zn;

constexpr uint32_t kHistoryLines = 30; // few, so that the ring wraps

const TerminalCallbacks kNoCallbacks{};

struct Core {
    Core(int cols, int rows)
    {
        terminalCoreResize(t, uint32_t(cols), uint32_t(rows), kHistoryLines);
        t->defaultModes = t->modes | kModeLnm;
        terminalCoreFullReset(t);
    }
    void feed(const std::string &bytes) { terminalCoreFeed(t, bytes.data(), bytes.size()); }

    std::unique_ptr<TerminalCore, void (*)(TerminalCore *)> owned{terminalCoreCreate(&kNoCallbacks, nullptr),
                                                                  terminalCoreDestroy};
    TerminalCore *t = owned.get();
};

// Cursor, history and screen as the owner reads them, without the marks.
std::vector<uint32_t> contents(TerminalCore *t)
{
    std::vector<uint32_t> out{t->cursorX, t->cursorY, t->historyCount};
    for (int32_t r = -int32_t(t->historyCount); r < int32_t(t->rows); ++r) {
        const TerminalLine *line = terminalCoreLine(t, r);
        out.push_back(line->header & kLineSizeMask);
        for (uint32_t c = 0; c < t->cols; ++c) {
            out.push_back(lineCells(line)[c].ch & ~kCellChanged);
            out.push_back(lineCells(line)[c].colours);
        }
    }
    return out;
}

// Every line slot, reachable or not, as it lies in memory; and every slot
// held once by the screen, the history or as the spare.
const char *lineProblem(const TerminalCore *t)
{
    std::vector<int> holders(t->totalLines + 1);
    ++holders[t->spareSlot];
    for (uint32_t r = 0; r < t->rows; ++r)
        ++holders[t->rowSlots[t->rowBase + r]];
    for (uint32_t k = 0; k < t->totalLines - t->rows; ++k) {
        const uint32_t entry = t->historySlots[k];
        ++holders[entry & ~kSlotBlank];
        if ((entry & kSlotBlank) && !lineIsBlank(slotLine(t, entry & ~kSlotBlank)))
            return "a history line said to be blank is not";
        const uint32_t age = (t->historyHead + t->totalLines - t->rows - 1 - k) % (t->totalLines - t->rows);
        if (age < t->historyBlank && !(entry & kSlotBlank))
            return "a history line among the newest blank ones is not flagged blank";
    }
    if (std::count(holders.begin(), holders.end(), 1) != int(holders.size()))
        return "a slot held twice or not at all";
    for (uint32_t i = 0; i <= t->totalLines; ++i) {
        const TerminalLine *line = slotLine(t, i);
        const bool marked = lineAllMarked(line) || (line->header & kLinePendingMask);
        if (lineExtent(line) > t->cols)
            return "extent past the end of the line";
        if ((line->header & kLinePendingMask) && !lineAllMarked(line))
            return "pending line not marked";
        for (uint32_t c = 0; c < t->cols; ++c) {
            const TerminalCell cell = lineCells(line)[c];
            if ((c >= lineExtent(line) || c < lineStart(line)) && !cellIsBlank(cell.ch, cell.colours))
                return "text outside the line's start and extent";
            if (marked && !(cell.ch & kCellChanged))
                return "unmarked cell in a line said to be all marked";
        }
    }
    return nullptr;
}

// What a frame shows: per view row the line size, then the cells, as last
// painted. A cell that differs, or sits in a line of another size, must be
// marked, in a line marked changed.
struct Display {
    std::vector<TerminalCell> shown;

    void paint(TerminalCore *t)
    {
        shown.clear();
        for (uint32_t r = 0; r < t->rows; ++r) {
            TerminalLine *line = terminalCoreViewLine(t, r);
            line->header &= ~kLineChanged;
            shown.push_back(TerminalCell{line->header & kLineSizeMask, 0});
            for (uint32_t c = 0; c < t->cols; ++c) {
                lineCells(line)[c].ch &= ~kCellChanged;
                shown.push_back(lineCells(line)[c]);
            }
        }
    }

    bool changeUnmarked(TerminalCore *t) const
    {
        const TerminalCell *was = shown.data();
        for (uint32_t r = 0; r < t->rows; ++r) {
            const TerminalLine *line = terminalCoreViewLine(t, r);
            const bool moved = (was++)->ch != (line->header & kLineSizeMask);
            for (uint32_t c = 0; c < t->cols; ++c, ++was) {
                const TerminalCell now = lineCells(line)[c];
                const bool marked = (now.ch & kCellChanged) && (line->header & kLineChanged);
                if (!marked && (moved || (now.ch & ~kCellChanged) != was->ch || now.colours != was->colours))
                    return true;
            }
        }
        return false;
    }
};

// CSI n F of a counted function as n times CSI F; IL and DL only within the
// screen height, past which their count is cut.
std::string spelledOut(const std::string &op, int rows)
{
    if (op.size() < 3 || op.compare(0, 2, "\x1b[") != 0 || !std::strchr("LM@PIZABCD", op.back()))
        return op;
    const std::string digits = op.substr(2, op.size() - 3);
    if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 4)
        return op;
    const int n = digits.empty() ? 1 : std::max(1, std::stoi(digits));
    if ((op.back() == 'L' || op.back() == 'M') && n > rows)
        return op;
    std::string steps;
    for (int i = 0; i < n; ++i)
        steps += std::string("\x1b[") + op.back();
    return steps;
}

} // namespace

std::string selfCheck(const std::vector<std::string> &ops, int cols, int rows)
{
    // One operation per call: the contents after each, by where it ends.
    std::string bytes;
    std::string steps;
    std::map<size_t, std::vector<uint32_t>> after;
    Core stepwise(cols, rows);
    for (const std::string &op : ops) {
        bytes += op;
        steps += spelledOut(op, rows);
        stepwise.feed(op);
        after[bytes.size()] = contents(stepwise.t);
    }
    const std::vector<uint32_t> expected = contents(stepwise.t);

    Core whole(cols, rows);
    whole.feed(bytes);
    if (const char *problem = lineProblem(whole.t))
        return std::string("fed in one call: ") + problem;
    if (contents(whole.t) != expected)
        return "fed in one call: ends differently";

    Core spelt(cols, rows);
    spelt.feed(steps);
    if (contents(spelt.t) != expected)
        return "counts spelt out as single steps end differently";

    // In pieces from one byte to several operations, painted now and then.
    Core split(cols, rows);
    Display display;
    display.paint(split.t);
    SeededRandom random(bytes.size());
    for (size_t at = 0; at < bytes.size();) {
        const size_t piece = random.oneIn(2) ? 1 : 1 + random.below(64);
        split.feed(bytes.substr(at, piece));
        at = std::min(at + piece, bytes.size());
        if (after.count(at) && contents(split.t) != after[at])
            return "fed in pieces: an operation ends differently";
        if (display.changeUnmarked(split.t))
            return "fed in pieces: a changed cell is not marked";
        const char *problem = random.oneIn(8) ? lineProblem(split.t) : nullptr;
        if (problem)
            return std::string("fed in pieces: ") + problem;
        if (random.oneIn(3))
            display.paint(split.t);
        if (random.oneIn(40)) {
            terminalCoreSetViewOffset(split.t, random.below(split.t->historyCount + 1));
            display.paint(split.t);
        }
    }
    return {};
}

} // namespace vtdiff
