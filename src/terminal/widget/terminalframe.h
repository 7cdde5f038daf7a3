// The drawing surface of the terminal: owns the emulator core, paints it from
// its change marks, turns keys and pasted text into bytes for the host, blinks
// cursor and text, couples the scrollback to a scroll bar and selects with the
// mouse. Everything it reports leaves through its TerminalWidget's signals.
#pragma once

#include <QByteArray>
#include <QFont>
#include <QFrame>
#include <QHash>
#include <QImage>
#include <QList>

#include <cstddef>

class QPainter;
class QScrollBar;
class QTimer;
class TerminalWidget;
namespace zn {
struct TerminalCore;
struct LineEditor;
} // namespace zn

class TerminalFrame : public QFrame
{
    Q_OBJECT

public:
    static constexpr int kPresetFontCount = 7;
    static constexpr int kUpdateDelayMs = 10;
    static constexpr int kFlashMs = 1000;
    static constexpr int kMinCols = 8;
    static constexpr int kMinRows = 2;
    static constexpr uint32_t kReadlineCapacity = 4096;

    explicit TerminalFrame(TerminalWidget *widget);
    ~TerminalFrame() override;

    // The emulator, for reading its state; changes go through this frame.
    zn::TerminalCore *core() const { return m_core; }

    // Host output for the display; through the line editor while one exists.
    void putBytes(const char *bytes, size_t length);
    void putText(const QString &text);

    // cols / rows below 0 keep the current value; others are clamped to 8-4096 / 2-4096.
    void resizeTerminal(int cols, int rows, bool reset);
    QSize terminalSize() const;
    QSize cellSize() const { return QSize(m_cellWidth, m_cellHeight); }
    QFont terminalFont() const { return m_font; }
    void setTerminalFont(const QFont &font);
    void changeTerminalFontSize(int delta);
    void setScrollBar(QScrollBar *bar);
    void pageUp();
    void pageDown();

    bool flashDirtyCells() const { return m_flashDirtyCells; }
    void setFlashDirtyCells(bool on);
    bool jumpScroll() const { return m_jumpScroll; }
    void setJumpScroll(bool on) { m_jumpScroll = on; }
    void setBlinkingCursor(bool on);
    void enableCursor(bool on);

    zn::LineEditor *lineEditor() const { return m_lineEditor; }
    void enableReadline(bool on);
    // Finished lines leave through the widget's line signals instead of as
    // output followed by CR LF.
    void setLineMode(bool on) { m_lineMode = on; }
    void readlineTrigger();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void copy();
    void paste();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private Q_SLOTS:
    void updateCursor();
    void onScrollbar(int val);
    void updateBlink();
    void triggerUpdate();
    void triggerFlash();

private:
    friend struct FrameCallbacks;

    void applyFont(const QFont &font, int index);
    void sendKeys(const QString &text);
    void sendBytes(const QByteArray &bytes);
    void afterFeed();
    void jumpToBottomForKey();
    void requestRepaint();
    void paintNow();
    void syncScrollBar();
    void markCursorCell();
    QPoint cellAt(const QPoint &pixel) const;
    int halfFlashTime() const;

    // Painting (terminalpaint.cpp): draws the changed cells into the back
    // buffer and returns the area drawn, in the buffer's coordinates.
    QRect renderCells();
    void renderRow(QPainter &painter, uint32_t viewRow, bool all);
    qreal glyphAdvance(uint32_t ch);

    TerminalWidget *m_widget;
    zn::TerminalCore *m_core = nullptr;
    zn::LineEditor *m_lineEditor = nullptr;
    bool m_lineMode = false;
    int m_cellWidth = 0;
    int m_cellHeight = 0;
    int m_ascent = 0;
    QFont m_font;
    QFont m_drawFont; // spaced to the cell width
    int m_fontIndex = 0;
    QTimer *m_updateTimer;
    bool m_updatePending = false;
    bool m_jumpScroll = true;
    QTimer *m_blinkTimer;
    bool m_flashDirtyCells = false;
    QTimer *m_flashTimer;
    bool m_blinkPhase = false;
    QTimer *m_cursorTimer;
    bool m_blinkingCursor = true;
    bool m_cursorEnabled = true;
    bool m_cursorPhase = false;
    QScrollBar *m_scrollBar = nullptr;
    bool m_scrollBarStale = false; // to be set when the update timer runs out
    bool m_fullRepaint = true;
    int m_leds = 0;
    bool m_mousePressed = false;

    // Drawn cells survive in the back buffer, so that an exposure by the
    // window system never needs the change marks, which only the core sets.
    QImage m_buffer;
    QHash<uint32_t, qreal> m_advances; // of glyphs in the drawing font
    // What the core and the line editor hand out during a call into them,
    // passed on after it returns, so that a receiver may feed the terminal.
    struct Outgoing {
        bool line; // a finished line for the line signals, else bytes for the host
        QByteArray bytes;
    };
    QList<Outgoing> m_outgoing;
    bool m_ledsPending = false;
    QRect m_drawn;     // area drawn by the render in progress
    bool m_flashDrawn = false;
};
