#include "termharness.h"

#include <QStringList>

using namespace zn;

namespace {

TermHarness *harness(TerminalCore *t)
{
    return static_cast<TermHarness *>(t->owner);
}

const TerminalCallbacks kRecordingCallbacks = {
    [](TerminalCore *t) { ++harness(t)->updates; },
    [](TerminalCore *t, const char *bytes, size_t length) {
        harness(t)->replies.append(bytes, qsizetype(length));
    },
    [](TerminalCore *t) { ++harness(t)->bells; },
    [](TerminalCore *t, int leds) { harness(t)->leds.append(leds); },
    [](TerminalCore *t, int style) { harness(t)->cursorStyles.append(style); },
    [](TerminalCore *t) { ++harness(t)->scrollbackChanges; },
    [](TerminalCore *t) { ++harness(t)->beforeScrolls; },
};

QString lineText(TerminalCore *t, const TerminalLine *line)
{
    if (!line)
        return QStringLiteral("<none>");
    QString text;
    const TerminalCell *cells = lineCells(line);
    const uint32_t width = terminalCoreLineWidth(t, line);
    for (uint32_t x = 0; x < width; ++x) {
        const char32_t c = cellChar(cells[x]);
        text.append(QString::fromUcs4(&c, 1));
    }
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

} // namespace

TermHarness::TermHarness(uint32_t cols, uint32_t rows, uint32_t options, uint32_t historyLines)
{
    m_core = terminalCoreCreate(&kRecordingCallbacks, this);
    terminalCoreResize(m_core, cols, rows, historyLines);
    m_core->modes |= kModeLnm;
    m_core->defaultModes = m_core->modes;
    terminalCoreFullReset(m_core);
    terminalCoreMarkAllChanged(m_core);
    m_core->options |= options;
    leds.clear();
    cursorStyles.clear();
    updates = scrollbackChanges = beforeScrolls = 0;
}

QString TermHarness::row(int row) const
{
    return lineText(m_core, terminalCoreLine(m_core, row));
}

QString TermHarness::rows(int from, int to) const
{
    QStringList rows;
    for (int r = from; r < to; ++r)
        rows << row(r);
    return rows.join(QLatin1Char('\n'));
}

QString TermHarness::screen() const
{
    QString text = rows(0, int(m_core->rows));
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

void TermHarness::paint()
{
    for (uint32_t r = 0; r < m_core->rows; ++r) {
        TerminalLine *line = terminalCoreViewLine(m_core, r);
        line->header &= ~kLineChanged;
        for (uint32_t c = 0; c < m_core->cols; ++c)
            lineCells(line)[c].ch &= ~kCellChanged;
    }
}

QString TermHarness::markedCells() const
{
    QStringList marked;
    for (uint32_t r = 0; r < m_core->rows; ++r) {
        const TerminalLine *line = terminalCoreViewLine(m_core, r);
        for (uint32_t c = 0; c < m_core->cols; ++c) {
            if (lineCells(line)[c].ch & kCellChanged)
                marked << QStringLiteral("%1:%2").arg(r).arg(c);
        }
    }
    return marked.join(QLatin1Char(' '));
}
