// Painting of the frame: the changed cells go into the back buffer, runs of
// equal cells with one text call each; paint events copy the buffer out.
#include "terminalframe.h"

#include "terminalcore.h"
#include "terminalpalette.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <vector>

using namespace zn;

namespace {

constexpr QRgb kFlashColour = 0xFF4000;

struct CellLook {
    QRgb foreground;
    QRgb background;
    bool textShown; // off for blinking cells in their dark phase
    bool underline;
    bool operator==(const CellLook &) const = default;
};

// Control codes (from the character table) are drawn as blanks.
QString glyphText(uint32_t ch)
{
    if (ch < 0x20 || (ch >= 0x7F && ch < 0xA0))
        ch = ' ';
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(&ch), 1);
}

// Consecutive cells of one look, drawn with a single text call.
class CellRun
{
public:
    CellRun(QPainter &painter, int cellWidth, int cellHeight, int ascent)
        : m_painter(painter), m_cellWidth(cellWidth), m_cellHeight(cellHeight), m_ascent(ascent)
    {
    }
    ~CellRun() { flush(); }

    void add(int x, const CellLook &look, const QString &glyph)
    {
        if (m_count == 0 || x != m_first + m_count || !(look == m_look)) {
            flush();
            m_first = x;
            m_look = look;
        }
        m_text += glyph;
        ++m_count;
    }

    // A glyph wider or narrower than a cell: centred in it, clipped to it.
    void single(int x, const CellLook &look, const QString &glyph, int advance)
    {
        flush();
        const QRect cell(x * m_cellWidth, 0, m_cellWidth, m_cellHeight);
        m_painter.fillRect(cell, QColor(look.background));
        if (look.textShown) {
            m_painter.save();
            m_painter.setClipRect(cell);
            m_painter.setPen(QColor(look.foreground));
            m_painter.drawText(cell.x() + (m_cellWidth - advance) / 2, m_ascent, glyph);
            m_painter.restore();
        }
        underline(look, cell.x(), cell.right());
    }

    void flush()
    {
        if (m_count == 0)
            return;
        const int left = m_first * m_cellWidth;
        m_painter.fillRect(left, 0, m_count * m_cellWidth, m_cellHeight, QColor(m_look.background));
        if (m_look.textShown) {
            m_painter.setPen(QColor(m_look.foreground));
            m_painter.drawText(left, m_ascent, m_text);
        }
        underline(m_look, left, left + m_count * m_cellWidth - 1);
        m_text.clear();
        m_count = 0;
    }

private:
    void underline(const CellLook &look, int left, int right)
    {
        if (!look.underline)
            return;
        m_painter.setPen(QColor(look.foreground));
        m_painter.drawLine(left, m_ascent, right, m_ascent);
    }

    QPainter &m_painter;
    int m_cellWidth, m_cellHeight, m_ascent;
    int m_first = 0;
    int m_count = 0;
    CellLook m_look{};
    QString m_text;
};

} // namespace

void TerminalFrame::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    renderCells();
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(contentsRect().topLeft(), m_buffer);
}

QRect TerminalFrame::renderCells()
{
    m_updatePending = false;
    const QSize size = contentsRect().size();
    const qreal ratio = devicePixelRatioF();
    if (size.isEmpty() || m_cellWidth <= 0 || m_cellHeight <= 0)
        return {};
    if (m_buffer.deviceIndependentSize().toSize() != size) {
        m_buffer = QImage(size * ratio, QImage::Format_RGB32);
        m_buffer.setDevicePixelRatio(ratio);
        m_fullRepaint = true;
    }
    const bool all = m_fullRepaint;
    m_fullRepaint = false;

    QPainter painter(&m_buffer);
    painter.setFont(m_drawFont);
    if (all)
        painter.fillRect(QRect(QPoint(0, 0), size), palette().color(QPalette::Active, QPalette::Window));
    if (m_core->modes & kModeCursorMoved) {
        m_core->modes &= ~kModeCursorMoved;
        m_cursorPhase = true;
        if (hasFocus() && m_blinkingCursor && halfFlashTime() > 0)
            m_cursorTimer->start(halfFlashTime());
        else
            m_cursorTimer->stop();
    }
    if (!m_blinkTimer->isActive())
        m_blinkPhase = false;

    m_drawn = all ? QRect(QPoint(0, 0), size) : QRect();
    m_flashDrawn = false;
    for (uint32_t row = 0; row < m_core->rows; ++row)
        renderRow(painter, row, all);
    if (m_flashDrawn)
        m_flashTimer->start(kFlashMs);
    if ((m_core->modes & kModeBlinking) && !m_blinkTimer->isActive() && halfFlashTime() > 0)
        m_blinkTimer->start(halfFlashTime());
    return m_drawn;
}

// The grid starts one pixel right of and below the contents' corner.
void TerminalFrame::renderRow(QPainter &painter, uint32_t viewRow, bool all)
{
    TerminalLine *line = terminalCoreViewLine(m_core, viewRow);
    if (!line || !(all || (line->header & kLineChanged)))
        return;
    line->header &= ~kLineChanged;
    const uint32_t width = terminalCoreLineWidth(m_core, line);
    const bool wide = (line->header & kLineSizeMask) != kLineSingle;
    const int top = 1 + int(viewRow) * m_cellHeight;
    const QPalette &colours = palette();
    const bool focused = hasFocus();
    const bool cursorOnRow = m_cursorEnabled && (m_core->modes & kModeCursorVisible) &&
                             m_core->shownCursorY + m_core->viewOffset == viewRow;

    painter.save();
    painter.translate(1, top);
    if (wide) {
        // The columns a double-width line leaves unused.
        painter.fillRect(int(2 * width) * m_cellWidth, 0, int(m_core->cols - 2 * width) * m_cellWidth,
                         m_cellHeight, colours.color(QPalette::Active, QPalette::Window));
        painter.scale(2, 1);
    }
    std::vector<int> flashed;
    int outlinedCursor = -1;
    {
        CellRun run(painter, m_cellWidth, m_cellHeight, m_ascent);
        TerminalCell *cells = lineCells(line);
        for (uint32_t x = 0; x < width; ++x) {
            TerminalCell &cell = cells[x];
            const bool changed = cell.ch & kCellChanged;
            if (!changed && !all) {
                run.flush();
                continue;
            }
            cell.ch &= ~kCellChanged;
            const CellTone tone = (cell.ch & kCellBold)    ? CellTone::Bold
                                  : (cell.ch & kCellFaint) ? CellTone::Faint
                                                           : CellTone::Normal;
            QRgb foreground = terminalColour(cellForeground(cell), tone, false, colours).rgb();
            QRgb background = terminalColour(cellBackground(cell), tone, true, colours).rgb();
            if (bool(cell.ch & kCellInverse) != bool(terminalCoreIsSelected(m_core, int32_t(x), int32_t(viewRow))))
                std::swap(foreground, background);
            const bool isCursor = cursorOnRow && x == m_core->shownCursorX;
            if (isCursor && focused && m_cursorPhase) {
                foreground = colours.color(QPalette::Active, QPalette::HighlightedText).rgb();
                background = colours.color(QPalette::Active, QPalette::Highlight).rgb();
            } else if (isCursor && !focused) {
                outlinedCursor = int(x);
            }
            const bool blinking = cell.ch & kCellBlink;
            const bool textShown = !(blinking && m_blinkPhase);
            const CellLook look{foreground, background, textShown, textShown && (cell.ch & kCellUnderline)};
            const uint32_t ch = cellChar(cell);
            const QString glyph = glyphText(ch);
            const qreal advance = glyphAdvance(ch);
            if (qAbs(advance - m_cellWidth) < 0.01)
                run.add(int(x), look, glyph);
            else
                run.single(int(x), look, glyph, qRound(advance));
            if (m_flashDirtyCells && changed && !isCursor && !blinking)
                flashed.push_back(int(x));
        }
    }
    if (outlinedCursor >= 0) {
        painter.setPen(colours.color(QPalette::Active, QPalette::Highlight));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(outlinedCursor * m_cellWidth, 0, m_cellWidth - 1, m_cellHeight - 1);
    }
    for (const int x : flashed)
        painter.fillRect(x * m_cellWidth, m_cellHeight - 1, 1, 1, QColor(kFlashColour));
    m_flashDrawn = m_flashDrawn || !flashed.empty();
    painter.restore();
    m_drawn |= QRect(0, top, m_buffer.deviceIndependentSize().toSize().width(), m_cellHeight);
}

qreal TerminalFrame::glyphAdvance(uint32_t ch)
{
    const auto known = m_advances.constFind(ch);
    if (known != m_advances.constEnd())
        return *known;
    const qreal advance = QFontMetricsF(m_drawFont).horizontalAdvance(glyphText(ch));
    m_advances.insert(ch, advance);
    return advance;
}
