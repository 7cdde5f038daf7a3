// The terminal frame: painting only what changed gives the picture of
// painting everything; what keys send (keypad application mode, the frame's
// own Shift+Page keys), the terminal size that pixels give, and the font steps.
#include "terminalscreen.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// Every byte string the widget sends to the host.
struct HostBytes {
    explicit HostBytes(TerminalWidget *widget)
    {
        QObject::connect(widget, qOverload<const char *, int>(&TerminalWidget::output), widget,
                         [this](const char *str, int len) { sent << QByteArray(str, len); });
    }
    QList<QByteArray> sent;
};

// Pieces of host output that redraw parts of the screen in many renditions:
// words, colours and attributes, overwrites, erases, cursor moves, scrolling.
const char *const kPieces[] = {
    "[Scan] ", "Discovered ", "02:5A:4E:00:00:01 ", "WMQ", "iiii", "   ", "\xc3\xa4\xc3\xb6", "\r\n", "\x1b[K",
    "\x1b[0m", "\x1b[1m", "\x1b[4m", "\x1b[7m", "\x1b[31;42m", "\x1b[33;40m", "\x1b[36;45m", "\x1b[3;17H", "\x1b[6;2H",
    "\x1b[1;30H", "\x1b[4;9H",
};

} // namespace

class TestTerminalFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The same output painted piece by piece (cells left from earlier paints
    // next to new ones) and painted once gives the same pixels.
    void incrementalPaintingMatchesPaintingOnce()
    {
        QRandomGenerator random(11);
        TerminalWidget pieces;
        TerminalWidget whole;
        QByteArray all;
        // A glyph advance of a fraction of a pixel: runs must stay on the grid.
        QFont font(QStringLiteral("Monospace"));
        font.setPixelSize(13);
        font.setHintingPreference(QFont::PreferNoHinting);
        for (TerminalWidget *widget : {&pieces, &whole}) {
            widget->setTerminalFont(font);
            widget->setUtf8Mode(true);
            widget->resize(600, 150);
            widget->show();
            QVERIFY(QTest::qWaitForWindowExposed(widget));
        }
        for (int i = 0; i < 600; ++i) {
            const QByteArray piece = kPieces[random.bounded(int(std::size(kPieces)))];
            all += piece;
            pieces.input(piece.constData(), int(piece.size()));
            if (i % 7 == 0)
                pieces.frame()->grab();
        }
        whole.input(all.constData(), int(all.size()));
        QCOMPARE(pieces.frame()->grab().toImage(), whole.frame()->grab().toImage());
    }

    void keys_data()
    {
        QTest::addColumn<QByteArray>("host"); // sent to the terminal first
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QByteArray>("sent");
        const int none = Qt::NoModifier;
        QTest::newRow("up") << QByteArray() << int(Qt::Key_Up) << none << QByteArray("\x1b[A");
        QTest::newRow("up, keypad application") << QByteArray("\x1b=") << int(Qt::Key_Up) << none << QByteArray("\x1bOA");
        QTest::newRow("up, keypad numeric again")
            << QByteArray("\x1b=\x1b>") << int(Qt::Key_Up) << none << QByteArray("\x1b[A");
        QTest::newRow("up, cursor key mode") << QByteArray("\x1b[?1h") << int(Qt::Key_Up) << none << QByteArray("\x1b[A");
        QTest::newRow("end, keypad application") << QByteArray("\x1b=") << int(Qt::Key_End) << none << QByteArray("\x1bOF");
        QTest::newRow("page up") << QByteArray("\x1b=") << int(Qt::Key_PageUp) << none << QByteArray("\x1b[5~");
        QTest::newRow("shift+tab") << QByteArray() << int(Qt::Key_Tab) << int(Qt::ShiftModifier) << QByteArray("\x1b[Z");
        QTest::newRow("ctrl+2") << QByteArray() << int(Qt::Key_2) << int(Qt::ControlModifier) << QByteArray(1, '\0');
        QTest::newRow("ctrl+8") << QByteArray() << int(Qt::Key_8) << int(Qt::ControlModifier) << QByteArray("\x08");
        QTest::newRow("backspace") << QByteArray() << int(Qt::Key_Backspace) << none << QByteArray("\x7f");
        QTest::newRow("f5") << QByteArray() << int(Qt::Key_F5) << none << QByteArray("\x1b[[E");
        QTest::newRow("f11") << QByteArray() << int(Qt::Key_F11) << none << QByteArray("\x1b[23~");
        QTest::newRow("shift alone") << QByteArray() << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << QByteArray();
        QTest::newRow("ctrl+shift+c copies") << QByteArray() << int(Qt::Key_C)
                                             << int(Qt::ControlModifier | Qt::ShiftModifier) << QByteArray();
    }

    void keys()
    {
        QFETCH(QByteArray, host);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QByteArray, sent);
        TerminalWidget widget;
        widget.input(host.constData(), int(host.size()));
        HostBytes bytes(&widget);
        QTest::keyClick(widget.frame(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(bytes.sent, sent.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{sent});
    }

    // Shift+Page Up/Down move the view by half a screen and send nothing; a
    // typed key brings the live screen back.
    void shiftPageKeysScroll()
    {
        TerminalWidget widget;
        for (int i = 0; i < 100; ++i)
            widget.input(QStringLiteral("line %1\r\n").arg(i));
        HostBytes bytes(&widget);
        zn::TerminalCore *core = widget.frame()->core();
        QTest::keyClick(widget.frame(), Qt::Key_PageUp, Qt::ShiftModifier);
        QTest::keyClick(widget.frame(), Qt::Key_PageUp, Qt::ShiftModifier);
        QTest::keyClick(widget.frame(), Qt::Key_PageDown, Qt::ShiftModifier);
        QCOMPARE(core->viewOffset, core->rows / 2);
        QVERIFY(bytes.sent.isEmpty());
        QTest::keyClick(widget.frame(), Qt::Key_X);
        QCOMPARE(core->viewOffset, 0u);
        QCOMPARE(bytes.sent, QList<QByteArray>{"x"});
    }

    // (pixels - 2 x frame width) / cell size, at least 8 x 2; one pixel short
    // of another cell does not make one. The size hints in pixels give back
    // the terminal size they were made from, and at most 8 x 2 for the minimum.
    void sizeFromPixels()
    {
        TerminalWidget widget;
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        TerminalFrame *frame = widget.frame();
        const QSize cell = frame->cellSize();
        const int border = 2 * frame->frameWidth();
        for (const int spare : {0, 1}) {
            frame->resize(border + (99 + spare) * cell.width() - spare, border + (30 + spare) * cell.height() - spare);
            QCOMPARE(widget.terminalSize(), QSize(99, 30));
        }
        // No cells at all first: a size of nothing must not keep the old one.
        for (const QSize cells : {QSize(0, 0), QSize(3, 1)}) {
            frame->resize(border + cells.width() * cell.width(), border + cells.height() * cell.height());
            QCOMPARE(widget.terminalSize(), QSize(8, 2));
        }
        for (const QSize size : {QSize(80, 24), QSize(160, 4), QSize(9, 3)}) {
            widget.setTerminalSize(size);
            frame->resize(frame->sizeHint());
            QCOMPARE(widget.terminalSize(), size);
            frame->resize(frame->minimumSizeHint());
            QCOMPARE(widget.terminalSize(), QSize(8, 2));
        }
    }

    // Seven preset fonts, each larger than the one before; steps stop at
    // either end; a font set from outside ends the steps. The terminal keeps
    // its columns and rows.
    void fontSteps()
    {
        TerminalWidget widget;
        const QFont smallest = widget.terminalFont();
        QList<QSize> cells{widget.frame()->cellSize()};
        for (int i = 1; i < TerminalFrame::kPresetFontCount; ++i) {
            widget.changeTerminalFontSize(+1);
            const QSize cell = widget.frame()->cellSize();
            QVERIFY2(cell.width() > cells.last().width() && cell.height() > cells.last().height(),
                     qPrintable(QStringLiteral("preset %1").arg(i)));
            cells << cell;
        }
        const QFont largest = widget.terminalFont();
        widget.changeTerminalFontSize(-1);
        widget.changeTerminalFontSize(+3);
        QCOMPARE(widget.terminalFont(), largest);
        widget.changeTerminalFontSize(-100);
        QCOMPARE(widget.terminalFont(), smallest);
        QCOMPARE(widget.terminalSize(), QSize(80, 24));

        const QFont custom(QStringLiteral("Monospace"), 15);
        widget.setTerminalFont(custom);
        widget.changeTerminalFontSize(+1);
        QCOMPARE(widget.terminalFont(), custom);
    }
};

QTEST_MAIN(TestTerminalFrame)
#include "tst_terminalframe.moc"
