#include "screens.h"

#include "terminalcore.h"

#include <vterm.h>

namespace vtdiff {

namespace {

// One row of characters, or a scrolled-off line that is not blank.
template <typename CharAt>
std::string text(int count, CharAt charAt)
{
    std::string text;
    for (int x = 0; x < count; ++x) {
        const uint32_t c = charAt(x);
        text += c == 0 ? ' ' : c >= 0x20 && c < 0x7F ? char(c) : '?';
    }
    return text;
}

void scrolledOff(Snapshot &s, const std::string &line)
{
    if (line.find_first_not_of(' ') != std::string::npos)
        s.history.push_back(line);
}

} // namespace

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

    Snapshot s{{}, int(t->cursorX), int(t->cursorY), {}};
    for (int y = -int(t->historyCount); y < rows; ++y) {
        const zn::TerminalCell *cells = zn::lineCells(zn::terminalCoreLine(t, y));
        const std::string line = text(cols, [&](int x) { return zn::cellChar(cells[x]); });
        if (y < 0)
            scrolledOff(s, line);
        else
            s.rows.push_back(line);
    }
    zn::terminalCoreDestroy(t);
    return s;
}

Snapshot referenceScreen(const std::vector<std::string> &ops, int cols, int rows)
{
    VTerm *vt = vterm_new(rows, cols);
    vterm_set_utf8(vt, 0);
    VTermScreen *screen = vterm_obtain_screen(vt);
    Snapshot s;
    VTermScreenCallbacks callbacks{};
    callbacks.sb_pushline = [](int count, const VTermScreenCell *cells, void *user) {
        scrolledOff(*static_cast<Snapshot *>(user), text(count, [&](int x) { return cells[x].chars[0]; }));
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
        s.rows.push_back(text(cols, [&](int x) {
            VTermScreenCell cell;
            vterm_screen_get_cell(screen, VTermPos{y, x}, &cell);
            return cell.chars[0];
        }));
    }
    vterm_free(vt);
    return s;
}

} // namespace vtdiff
