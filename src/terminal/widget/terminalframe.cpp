#include "terminalframe.h"

#include "lineeditor.h"
#include "terminalcore.h"
#include "terminalkeys.h"
#include "terminalwidget.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleHints>
#include <QTimer>

#include <algorithm>
#include <utility>

using namespace zn;

// The core's and the line editor's calls back into the frame.
struct FrameCallbacks {
    static TerminalFrame *frame(TerminalCore *t) { return static_cast<TerminalFrame *>(t->owner); }
    static TerminalFrame *frame(void *owner) { return static_cast<TerminalFrame *>(owner); }

    static void update(TerminalCore *t) { frame(t)->requestRepaint(); }
    static void reply(TerminalCore *t, const char *bytes, size_t length)
    {
        frame(t)->m_outgoing.append({false, QByteArray(bytes, qsizetype(length))});
    }
    static void ledsChanged(TerminalCore *t, int leds)
    {
        TerminalFrame *f = frame(t);
        leds = std::max(leds, 0);
        if (leds != f->m_leds) {
            f->m_leds = leds;
            f->m_ledsPending = true;
        }
    }
    // While output streams in, the bar follows with the repaints: moving it
    // repaints it and the dock around it, which costs more than a line.
    static void scrollbackChanged(TerminalCore *t)
    {
        TerminalFrame *f = frame(t);
        if (f->m_updateTimer->isActive())
            f->m_scrollBarStale = true;
        else
            f->syncScrollBar();
    }
    // While lines keep scrolling, the repaint waits until they pause.
    static void beforeScroll(TerminalCore *t)
    {
        TerminalFrame *f = frame(t);
        if (f->m_jumpScroll)
            f->m_updateTimer->start(TerminalFrame::kUpdateDelayMs);
    }

    static void show(void *owner, const char *bytes, size_t length) { terminalCoreFeed(frame(owner)->m_core, bytes, length); }
    static void send(void *owner, const char *bytes, size_t length)
    {
        frame(owner)->m_outgoing.append({false, QByteArray(bytes, qsizetype(length))});
    }
    static void lineFinished(void *owner, const char *bytes, size_t length)
    {
        TerminalFrame *f = frame(owner);
        QByteArray line(bytes, qsizetype(length));
        if (!f->m_lineMode)
            line.append("\r\n");
        f->m_outgoing.append({f->m_lineMode, line});
    }

    static constexpr TerminalCallbacks kCore = {update, reply, nullptr, ledsChanged, nullptr, scrollbackChanged,
                                                beforeScroll};
    static constexpr LineEditorCallbacks kEditor = {show, send, lineFinished};
};

namespace {

constexpr int kPresetPointSizes[TerminalFrame::kPresetFontCount] = {10, 12, 16, 20, 24, 29, 39};

QFont presetFont(int index)
{
    QFont font;
    font.fromString(QStringLiteral("Courier,%1,-1,5,50,0,0,0,0,0").arg(kPresetPointSizes[index]));
    // Where no Courier is installed the substitute should still be fixed pitch.
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

} // namespace

TerminalFrame::TerminalFrame(TerminalWidget *widget)
    : QFrame(widget)
    , m_widget(widget)
    , m_updateTimer(new QTimer(this))
    , m_blinkTimer(new QTimer(this))
    , m_flashTimer(new QTimer(this))
    , m_cursorTimer(new QTimer(this))
{
    setFocusPolicy(Qt::ClickFocus);
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // Every pixel of the contents comes from the back buffer.
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_updateTimer->setSingleShot(true);
    m_flashTimer->setSingleShot(true);
    connect(m_updateTimer, &QTimer::timeout, this, &TerminalFrame::triggerUpdate);
    connect(m_blinkTimer, &QTimer::timeout, this, &TerminalFrame::updateBlink);
    connect(m_flashTimer, &QTimer::timeout, this, &TerminalFrame::triggerFlash);
    connect(m_cursorTimer, &QTimer::timeout, this, &TerminalFrame::updateCursor);

    m_core = terminalCoreCreate(&FrameCallbacks::kCore, this);
    Q_CHECK_PTR(m_core);
    m_core->modes |= kModeLnm;
    m_core->defaultModes = m_core->modes;
    applyFont(presetFont(0), 0);
    resizeTerminal(80, 24, true);
}

TerminalFrame::~TerminalFrame()
{
    lineEditorDestroy(m_lineEditor);
    terminalCoreDestroy(m_core);
}

void TerminalFrame::putBytes(const char *bytes, size_t length)
{
    if (m_lineEditor)
        lineEditorHostOutput(m_lineEditor, bytes, length);
    else
        terminalCoreFeed(m_core, bytes, length);
    afterFeed();
}

void TerminalFrame::putText(const QString &text)
{
    if (m_lineEditor) {
        const QByteArray bytes = text.toUtf8();
        putBytes(bytes.constData(), size_t(bytes.size()));
        return;
    }
    terminalCoreFeedUtf16(m_core, reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size()));
    afterFeed();
}

void TerminalFrame::afterFeed()
{
    if (m_ledsPending) {
        m_ledsPending = false;
        Q_EMIT m_widget->ledsChanged(m_leds);
    }
    const QList<Outgoing> outgoing = std::exchange(m_outgoing, {});
    for (const Outgoing &item : outgoing) {
        if (!item.line) {
            sendBytes(item.bytes);
            continue;
        }
        const bool utf8 = m_core->options & kOptionUtf8;
        Q_EMIT m_widget->line(utf8 ? QString::fromUtf8(item.bytes) : QString::fromLatin1(item.bytes));
        Q_EMIT m_widget->line(item.bytes.constData(), int(item.bytes.size()));
    }
}

void TerminalFrame::sendKeys(const QString &text)
{
    jumpToBottomForKey();
    const QByteArray bytes = (m_core->options & kOptionUtf8) ? text.toUtf8() : text.toLocal8Bit();
    Q_EMIT m_widget->output(text);
    Q_EMIT m_widget->output(bytes.constData(), int(bytes.size()));
}

void TerminalFrame::sendBytes(const QByteArray &bytes)
{
    jumpToBottomForKey();
    const bool utf8 = m_core->options & kOptionUtf8;
    Q_EMIT m_widget->output(utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes));
    Q_EMIT m_widget->output(bytes.constData(), int(bytes.size()));
}

void TerminalFrame::jumpToBottomForKey()
{
    if ((m_core->options & kOptionJumpOnKey) && m_core->viewOffset > 0)
        terminalCoreSetViewOffset(m_core, 0);
}

void TerminalFrame::resizeTerminal(int cols, int rows, bool reset)
{
    const QSize before = terminalSize();
    const auto clampSize = [](int wanted, uint32_t current, uint32_t minimum) {
        return wanted < 0 ? current : std::clamp(uint32_t(wanted), minimum, kTerminalMaxSize);
    };
    terminalCoreResize(m_core, clampSize(cols, m_core->cols, kMinCols), clampSize(rows, m_core->rows, kMinRows),
                       kTerminalHistoryLines);
    if (reset)
        terminalCoreFullReset(m_core);
    m_fullRepaint = true;
    terminalCoreMarkAllChanged(m_core);
    afterFeed();
    const QSize after = terminalSize();
    if (after != before) {
        updateGeometry();
        Q_EMIT m_widget->sizeChanged(after.width(), after.height());
    }
}

QSize TerminalFrame::terminalSize() const
{
    return QSize(int(m_core->cols), int(m_core->rows));
}

// Glyphs are drawn a cell apart: the letter spacing makes up the difference
// between the font's (fractional) advance and the whole-pixel cell, so that a
// run of text stays on the grid.
void TerminalFrame::applyFont(const QFont &font, int index)
{
    m_font = font;
    const QFontMetrics metrics(font);
    m_cellWidth = 0;
    for (const char *sample : {"W", "M", "Q", " "})
        m_cellWidth = std::max(m_cellWidth, metrics.horizontalAdvance(QLatin1String(sample)));
    m_cellHeight = metrics.height();
    m_ascent = metrics.ascent();
    m_drawFont = font;
    m_drawFont.setLetterSpacing(QFont::AbsoluteSpacing,
                                m_cellWidth - QFontMetricsF(font).horizontalAdvance(QLatin1String("W")));
    m_fontIndex = index;
    m_advances.clear();
    updateGeometry();
    if (m_core->bufferStart)
        resizeTerminal(-1, -1, false);
}

void TerminalFrame::setTerminalFont(const QFont &font)
{
    applyFont(font, -1);
}

void TerminalFrame::changeTerminalFontSize(int delta)
{
    if (m_fontIndex < 0)
        return;
    const int index = std::clamp(m_fontIndex + delta, 0, kPresetFontCount - 1);
    applyFont(presetFont(index), index);
}

QSize TerminalFrame::sizeHint() const
{
    const int border = 2 * frameWidth() + 1;
    return QSize(m_cellWidth * int(m_core->cols) + border, m_cellHeight * int(m_core->rows) + border);
}

QSize TerminalFrame::minimumSizeHint() const
{
    const int border = 2 * frameWidth() + 1;
    return QSize(m_cellWidth * std::min(int(m_core->cols), kMinCols) + border,
                 m_cellHeight * std::min(int(m_core->rows), kMinRows) + border);
}

void TerminalFrame::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    m_fullRepaint = true;
    if (m_cellWidth > 0 && m_cellHeight > 0)
        resizeTerminal(std::max(0, (width() - 2 * frameWidth()) / m_cellWidth),
                       std::max(0, (height() - 2 * frameWidth()) / m_cellHeight), false);
}

void TerminalFrame::changeEvent(QEvent *event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        m_fullRepaint = true;
        update();
    }
}

void TerminalFrame::setScrollBar(QScrollBar *bar)
{
    if (m_scrollBar)
        disconnect(m_scrollBar, &QScrollBar::valueChanged, this, &TerminalFrame::onScrollbar);
    m_scrollBar = bar;
    if (bar)
        connect(bar, &QScrollBar::valueChanged, this, &TerminalFrame::onScrollbar);
    syncScrollBar();
}

// Bottom of the bar = live screen. Set without echo: the core already knows.
void TerminalFrame::syncScrollBar()
{
    m_scrollBarStale = false;
    if (!m_scrollBar)
        return;
    const QSignalBlocker blocker(m_scrollBar);
    m_scrollBar->setRange(0, int(m_core->historyCount));
    m_scrollBar->setValue(int(m_core->historyCount - m_core->viewOffset));
}

void TerminalFrame::onScrollbar(int val)
{
    if (val < 0 || uint32_t(val) > m_core->historyCount) {
        syncScrollBar();
        return;
    }
    if (terminalCoreSetViewOffset(m_core, m_core->historyCount - uint32_t(val))) {
        m_updateTimer->stop();
        paintNow();
    }
}

void TerminalFrame::pageUp()
{
    terminalCoreSetViewOffset(m_core, m_core->viewOffset + m_core->rows / 2);
}

void TerminalFrame::pageDown()
{
    const uint32_t step = m_core->rows / 2;
    terminalCoreSetViewOffset(m_core, m_core->viewOffset > step ? m_core->viewOffset - step : 0);
}

void TerminalFrame::setFlashDirtyCells(bool on)
{
    m_flashDirtyCells = on;
}

int TerminalFrame::halfFlashTime() const
{
    return QGuiApplication::styleHints()->cursorFlashTime() / 2;
}

void TerminalFrame::markCursorCell()
{
    terminalCoreMarkCell(m_core, m_core->shownCursorX, int32_t(m_core->shownCursorY));
}

// A flash time of 0 means no blinking: the cursor then stays on.
void TerminalFrame::updateCursor()
{
    if (m_cursorEnabled && (m_core->modes & kModeCursorVisible) && hasFocus()) {
        const int interval = halfFlashTime();
        if (m_blinkingCursor && interval > 0) {
            m_cursorPhase = !m_cursorPhase;
            if (!m_cursorTimer->isActive())
                m_cursorTimer->start(interval);
        } else {
            m_cursorPhase = true;
            m_cursorTimer->stop();
        }
    } else {
        m_cursorPhase = false;
        m_cursorTimer->stop();
    }
    markCursorCell();
    requestRepaint();
}

void TerminalFrame::setBlinkingCursor(bool on)
{
    m_blinkingCursor = on;
    m_cursorPhase = false;
    updateCursor();
}

void TerminalFrame::enableCursor(bool on)
{
    m_cursorEnabled = on;
    m_cursorPhase = false;
    updateCursor();
}

void TerminalFrame::focusInEvent(QFocusEvent *event)
{
    QFrame::focusInEvent(event);
    m_cursorPhase = false;
    updateCursor();
}

void TerminalFrame::focusOutEvent(QFocusEvent *event)
{
    QFrame::focusOutEvent(event);
    updateCursor();
}

void TerminalFrame::updateBlink()
{
    if (!terminalCoreBlinkStep(m_core)) {
        m_blinkPhase = false;
        m_blinkTimer->stop();
        return;
    }
    m_blinkPhase = !m_blinkPhase;
    requestRepaint();
}

// At most one repaint per update delay while output streams in.
void TerminalFrame::requestRepaint()
{
    if (m_updateTimer->isActive()) {
        m_updatePending = true;
        return;
    }
    paintNow();
    m_updateTimer->start(kUpdateDelayMs);
}

void TerminalFrame::triggerUpdate()
{
    if (m_scrollBarStale)
        syncScrollBar();
    if (m_updatePending)
        paintNow();
}

void TerminalFrame::triggerFlash()
{
    m_fullRepaint = true;
    m_updatePending = true;
    m_updateTimer->stop();
    paintNow();
}

// A hidden frame keeps its change marks; showing it paints them.
void TerminalFrame::paintNow()
{
    m_updatePending = false;
    if (!isVisible())
        return;
    const QRect drawn = renderCells();
    if (!drawn.isEmpty())
        repaint(drawn.translated(contentsRect().topLeft()));
}

void TerminalFrame::enableReadline(bool on)
{
    if (on && !m_lineEditor) {
        m_lineEditor = lineEditorCreate(this, &FrameCallbacks::kEditor, kReadlineCapacity);
    } else if (!on && m_lineEditor) {
        lineEditorDestroy(m_lineEditor);
        m_lineEditor = nullptr;
    }
}

void TerminalFrame::readlineTrigger()
{
    if (!m_lineEditor)
        return;
    lineEditorTrigger(m_lineEditor);
    afterFeed();
}

void TerminalFrame::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && (key == Qt::Key_C || key == Qt::Key_V)) {
        key == Qt::Key_C ? copy() : paste();
        event->accept();
        return;
    }
    if ((modifiers & Qt::ShiftModifier) && (key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
        key == Qt::Key_PageUp ? pageUp() : pageDown();
        event->accept();
        return;
    }
    if (key == Qt::Key_F7 && m_lineEditor)
        m_widget->readlineTrigger();
    const QString text = terminalKeyText(event, m_core->modes & kModeKeypad);
    if (text.isEmpty()) {
        event->ignore();
        return;
    }
    event->accept();
    if (!m_lineEditor) {
        sendKeys(text);
        return;
    }
    const QByteArray bytes = text.toUtf8();
    lineEditorKeys(m_lineEditor, bytes.constData(), size_t(bytes.size()));
    afterFeed();
}

QPoint TerminalFrame::cellAt(const QPoint &pixel) const
{
    return QPoint(std::max(0, (pixel.x() - frameWidth()) / m_cellWidth),
                  std::max(0, (pixel.y() - frameWidth()) / m_cellHeight));
}

// The press also anchors the selection, so that it starts where the button
// went down rather than where the first motion is reported.
void TerminalFrame::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    m_mousePressed = true;
    terminalCoreClearSelection(m_core);
    const QPoint cell = cellAt(event->position().toPoint());
    terminalCoreExtendSelection(m_core, cell.x(), cell.y());
}

void TerminalFrame::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_mousePressed)
        return;
    const QPoint cell = cellAt(event->position().toPoint());
    terminalCoreExtendSelection(m_core, cell.x(), cell.y());
}

void TerminalFrame::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_mousePressed)
        return;
    m_mousePressed = false;
    const QPoint cell = cellAt(event->position().toPoint());
    terminalCoreExtendSelection(m_core, cell.x(), cell.y());
    if (const char16_t *text = terminalCoreSelectedText(m_core))
        QGuiApplication::clipboard()->setText(QString::fromUtf16(text), QClipboard::Selection);
}

void TerminalFrame::wheelEvent(QWheelEvent *event)
{
    if (m_scrollBar)
        QCoreApplication::sendEvent(m_scrollBar, event);
}

void TerminalFrame::copy()
{
    if (const char16_t *text = terminalCoreSelectedText(m_core))
        QGuiApplication::clipboard()->setText(QString::fromUtf16(text), QClipboard::Clipboard);
}

void TerminalFrame::paste()
{
    const QClipboard *clipboard = QGuiApplication::clipboard();
    QString text = clipboard->text(QClipboard::Selection);
    if (text.isEmpty())
        text = clipboard->text(QClipboard::Clipboard);
    if (!text.isEmpty())
        sendKeys(text);
}
