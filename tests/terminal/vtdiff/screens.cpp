#include "screens.h"

#include "terminalcore.h"

#include <vterm.h>

namespace vtdiff {

std::string Snapshot::row(int y) const
{
    std::string text;
    for (int x = 0; x < cols; ++x) {
        const uint32_t c = chars[size_t(y * cols + x)];
        text += c >= 0x20 && c < 0x7F ? char(c) : '?';
    }
    return text;
}

Snapshot coreScreen(const std::vector<std::string> &ops, int cols, int rows)
{
    static const zn::TerminalCallbacks none{};
    zn::TerminalCore *t = zn::terminalCoreCreate(&none, nullptr);
    zn::terminalCoreResize(t, uint32_t(cols), uint32_t(rows), 100);
    zn::terminalCoreFullReset(t);
    // The VT100 has no reverse wraparound: CUB stops at column 0.
    const std::string setup = "\x1b[?45l";
    zn::terminalCoreFeed(t, setup.data(), setup.size());
    for (const std::string &op : ops)
        zn::terminalCoreFeed(t, op.data(), op.size());

    Snapshot s{cols, rows, {}, int(t->cursorX), int(t->cursorY)};
    for (int y = 0; y < rows; ++y) {
        const zn::TerminalCell *cells = zn::lineCells(zn::terminalCoreLine(t, y));
        for (int x = 0; x < cols; ++x)
            s.chars.push_back(zn::cellChar(cells[x]));
    }
    zn::terminalCoreDestroy(t);
    return s;
}

Snapshot referenceScreen(const std::vector<std::string> &ops, int cols, int rows)
{
    VTerm *vt = vterm_new(rows, cols);
    vterm_set_utf8(vt, 0);
    VTermScreen *screen = vterm_obtain_screen(vt);
    vterm_screen_reset(screen, 1);
    for (const std::string &op : ops)
        vterm_input_write(vt, op.data(), op.size());

    VTermPos cursor;
    vterm_state_get_cursorpos(vterm_obtain_state(vt), &cursor);
    Snapshot s{cols, rows, {}, cursor.col, cursor.row};
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
