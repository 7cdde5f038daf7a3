// What a terminal widget shows, read from its core: for tests that link the
// terminal widget library.
#pragma once

#include "terminalcore.h"
#include "terminalframe.h"
#include "terminalwidget.h"

#include <QList>
#include <QStringList>

#include <string>

// Rows from the oldest scrollback line to the last screen row, each without
// trailing blanks.
inline QStringList terminalLines(TerminalWidget *widget)
{
    zn::TerminalCore *core = widget->frame()->core();
    QStringList lines;
    for (int32_t row = -int32_t(core->historyCount); row < int32_t(core->rows); ++row) {
        const zn::TerminalLine *line = zn::terminalCoreLine(core, row);
        std::u32string text;
        for (uint32_t x = 0; x < zn::terminalCoreLineWidth(core, line); ++x)
            text += char32_t(zn::cellChar(zn::lineCells(line)[x]));
        lines << QString::fromStdU32String(text.substr(0, text.find_last_not_of(U' ') + 1)); // npos + 1 is 0
    }
    return lines;
}

// Every cell of scrollback and screen with its attributes and colours, as
// one number each (change marks left out).
inline QList<quint64> terminalCells(TerminalWidget *widget)
{
    zn::TerminalCore *core = widget->frame()->core();
    QList<quint64> cells;
    for (int32_t row = -int32_t(core->historyCount); row < int32_t(core->rows); ++row) {
        const zn::TerminalLine *line = zn::terminalCoreLine(core, row);
        for (uint32_t x = 0; x < core->cols; ++x) {
            const zn::TerminalCell cell = zn::lineCells(line)[x];
            cells << (quint64(cell.ch & ~zn::kCellChanged) << 32 | cell.colours);
        }
    }
    return cells;
}

// The cell at a column of a row counted from screen row 0.
inline zn::TerminalCell terminalCell(TerminalWidget *widget, uint32_t col, int32_t row)
{
    return zn::lineCells(zn::terminalCoreLine(widget->frame()->core(), row))[col];
}
