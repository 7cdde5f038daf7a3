#include "hostilestreams.h"

namespace znbench {

namespace {

std::string at(uint32_t row, uint32_t col)
{
    return "\x1b[" + std::to_string(row) + ";" + std::to_string(col) + "H";
}

std::string region(uint32_t top, uint32_t bottom)
{
    return "\x1b[" + std::to_string(top) + ";" + std::to_string(bottom) + "r";
}

} // namespace

std::vector<HostileCase> hostileCases(uint32_t cols, uint32_t rows)
{
    const std::string home = "\x1b[H";
    const std::string bottom = at(rows, 1);
    const std::string lastCell = at(rows, cols);
    const std::string inner = region(2, rows - 1);
    // DECALN's rows written out one by one (EL 1 blanks a cell of each), then
    // scrolled off by RI: every RI moves the whole screen of text.
    std::string alignedThenScrolled = "\x1b#8";
    for (uint32_t r = 1; r <= rows; ++r)
        alignedThenScrolled += at(r, 1) + "\x1b[1K";
    alignedThenScrolled += home;
    for (uint32_t r = 0; r < rows; ++r)
        alignedThenScrolled += "\x1b" "M";
    return {
        // Scrolling: whole screen, regions, and the copy paths.
        {"LF at the bottom", bottom, "\n"},
        {"IND in a region", inner + at(rows - 1, 1), "\x1b" "D"},
        {"LF, 1-row region on top", region(1, 2) + at(2, 1), "\n"},
        {"LF, 2-row region at end", region(rows - 1, rows) + bottom, "\n"},
        {"RI at the top", home, "\x1b" "M"},
        {"RI in a region", inner + at(2, 1), "\x1b" "M"},
        // Lines.
        {"IL 999", home, "\x1b[999L"},
        {"DL 999", home, "\x1b[999M"},
        {"IL 1 on row 2", at(2, 1), "\x1b[L"},
        {"DL 1 on row 1", home, "\x1b[M"},
        {"DL 1 on row 2", at(2, 1), "\x1b[M"},
        {"IL 999 in a region", inner + at(3, 1), "\x1b[999L"},
        {"DL 999 in a region", inner + at(3, 1), "\x1b[999M"},
        {"text, DL 1 on row 2", at(2, 1), "X\x1b[M"},
        {"IL 1 mid-screen", at(rows / 2, 1), "\x1b[L"},
        {"DL 999, 2-row top region", region(1, 2) + home, "\x1b[999M"},
        // Cells.
        {"ICH 999", home, "\x1b[999@"},
        {"ICH 1", home, "\x1b[@"},
        {"DCH 1", home, "\x1b[P"},
        {"DCH 999", home, "\x1b[999P"},
        {"ECH 999", home, "\x1b[999X"},
        {"insert mode text", home + "\x1b[4h", "X\r"},
        {"insert mode, CUF", home + "\x1b[4h", "X\x1b[C"},
        {"text at the end, DCH 1", "", lastCell + "X\r\x1b[P"},
        {"CUB 9999 wrapping", lastCell, "\x1b[9999D" + lastCell},
        // Erasing.
        {"ED 2", "", "\x1b[2J"},
        {"ED 0 at home", home, "\x1b[J"},
        {"ED 1 at the end", lastCell, "\x1b[1J"},
        {"ED 0 mid-screen", at(rows / 2, 1), "\x1b[J"},
        {"text, ED 2", home, "X\x1b[2J"},
        {"EL 2", "", "\x1b[2K"},
        {"text, EL 2 per row", "", "X\x1b[2K\n"},
        // Resets and screen fills.
        {"RIS", "", "\x1b" "c"},
        {"text, RIS", "", "X\x1b" "c"},
        {"DECSTR", "", "\x1b[!p"},
        {"DECCOLM", "", "\x1b[?3h"},
        {"DECALN", "", "\x1b#8"},
        {"DECALN, ED 2", "", "\x1b#8\x1b[2J"},
        {"DECALN, RIS", "", "\x1b#8\x1b" "c"},
        {"DECALN, text", "", "\x1b#8X"},
        {"DECALN, EL 1 at end", "", "\x1b#8" + lastCell + "\x1b[1K"},
        {"DECALN, IL 999", "", "\x1b#8\x1b[999L"},
        {"DECALN written out, RI", "", alignedThenScrolled},
        {"character table", "", "\x1b#7"},
        {"repaint request", "", "\x1b[!u"},
        {"line size", "", "\x1b#6\x1b#5"},
        // Tabs and cursor.
        {"HT without stops", "\x1b[3g", "\r\t"},
        {"CHT/CBT 999", "", "\x1b[999I\x1b[999Z"},
        {"cursor hide/show", "", "\x1b[?25l\x1b[?25h"},
        {"DECSTBM", "", region(2, rows - 1)},
        {"SGR", "", "\x1b[1;4;31;42m"},
        {"16 parameters", "", "\x1b[1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16m"},
        {"long parameter", "\x1b[", "9"},
        {"DECSC/DECRC", "", "\x1b" "7\x1b" "8"},
        {"OSC string", "\x1b]0;", "x"},
        // Text off the fast path.
        {"UTF-8 text", "\x1b%G", "\xc3\xa9"},
        {"double-width text", "\x1b#6", "XY"},
        {"SO/SI text", "", "\x0eq\x0fq"},
    };
}

std::string repeatTo(const std::string &unit, size_t size)
{
    std::string out;
    out.reserve(size + unit.size());
    while (out.size() < size)
        out += unit;
    out.resize(size);
    return out;
}

std::string fullLines(uint32_t cols, uint32_t lines)
{
    std::string out;
    out.reserve(size_t(cols + 2) * lines);
    for (uint32_t line = 0; line < lines; ++line) {
        for (uint32_t c = 0; c < cols; ++c)
            out += char('!' + (line + c) % 94);
        out += "\r\n";
    }
    return out;
}

} // namespace znbench
