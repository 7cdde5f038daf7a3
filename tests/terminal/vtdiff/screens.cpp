#include "screens.h"

#include "terminalcore.h"

#include <vterm.h>

namespace vtdiff {

std::string Snapshot::text(const uint32_t *chars, int count)
{
    std::string text;
    for (int x = 0; x < count; ++x)
        text += chars[x] >= 0x20 && chars[x] < 0x7F ? char(chars[x]) : '?';
    return text;
}

Snapshot coreScreen(const std::vector<std::string> &ops, int cols, int rows)
{
    static const zn::TerminalCallbacks none{};
    zn::TerminalCore *t = zn::terminalCoreCreate(&none, nullptr);
    zn::terminalCoreResize(t, uint32_t(cols), uint32_t(rows), zn::kTerminalHistoryLines);
    zn::terminalCoreFullReset(t);
    // The VT100 has no reverse wraparound: CUB stops at column 0.
    const std::string setup = "\x1b[?45l";
    zn::terminalCoreFeed(t, setup.data(), setup.size());
    for (const std::string &op : ops)
        zn::terminalCoreFeed(t, op.data(), op.size());

    Snapshot s{cols, rows, {}, int(t->cursorX), int(t->cursorY), {}};
    for (int y = -int(t->historyCount); y < rows; ++y) {
        const zn::TerminalCell *cells = zn::lineCells(zn::terminalCoreLine(t, y));
        std::vector<uint32_t> line;
        for (int x = 0; x < cols; ++x)
            line.push_back(zn::cellChar(cells[x]));
        if (y < 0)
            s.scrolledOff(Snapshot::text(line.data(), cols));
        else
            s.chars.insert(s.chars.end(), line.begin(), line.end());
    }
    zn::terminalCoreDestroy(t);
    return s;
}

Snapshot referenceScreen(const std::vector<std::string> &ops, int cols, int rows)
{
    VTerm *vt = vterm_new(rows, cols);
    vterm_set_utf8(vt, 0);
    VTermScreen *screen = vterm_obtain_screen(vt);
    Snapshot s{cols, rows, {}, 0, 0, {}};
    VTermScreenCallbacks callbacks{};
    callbacks.sb_pushline = [](int count, const VTermScreenCell *cells, void *user) {
        std::vector<uint32_t> line;
        for (int x = 0; x < count; ++x)
            line.push_back(cells[x].chars[0] == 0 ? ' ' : cells[x].chars[0]);
        static_cast<Snapshot *>(user)->scrolledOff(Snapshot::text(line.data(), count));
        return 1;
    };
    vterm_screen_set_callbacks(screen, &callbacks, &s);
    vterm_screen_reset(screen, 1);
    for (const std::string &op : ops)
        vterm_input_write(vt, op.data(), op.size());

    VTermPos cursor;
    vterm_state_get_cursorpos(vterm_obtain_state(vt), &cursor);
    s.cursorX = cursor.col;
    s.cursorY = cursor.row;
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < cols; ++x) {
            VTermScreenCell cell;
            vterm_screen_get_cell(screen, VTermPos{y, x}, &cell);
            s.chars.push_back(cell.chars[0] == 0 ? ' ' : cell.chars[0]);
        }
    }
    vterm_free(vt);
    return s;
}

} // namespace vtdiff
