// What the terminal tells its owner: replies to the host (7- and 8-bit),
// LEDs, cursor style, bell, the update callback once per feed, and the cursor
// cells it marks for repaint.
#include "termharness.h"

#include <QTest>

using namespace zn;

namespace {

struct Case {
    const char *name;
    uint32_t options;
    const char *input;
    const char *reply;
    QList<int> leds;   // every LED report
    QList<int> styles; // every cursor style report
};

constexpr uint32_t C1 = kOptionEightBit;

const Case kCases[] = {
    {"cursor position reports", 0, "\x1b[5;10H\x1b[6n\x1b[24;80H\x1b[6n", "\x1b[5;10R\x1b[24;80R", {}, {}},
    {"report after S8C1T, then S7C1T", 0, "\x1b G\x1b[5;10H\x1b[6n\x1b F\x1b[6n", "\x9b" "5;10R\x1b[5;10R", {}, {}},
    {"report is screen-relative in origin mode", 0, "\x1b[3;5r\x1b[?6h\x1b[2;2H\x1b[6n", "\x1b[4;2R", {}, {}},
    {"report with a pending wrap", 0, "\x1b[1;80HX\x1b[6n", "\x1b[1;80R", {}, {}},
    {"status report; other requests ignored", 0, "\x1b[5n\x1b[0n\x1b[7n", "\x1b[0n", {}, {}},
    {"DA and DA 0", 0, "\x1b[c\x1b[0c", "\x1b[?6c\x1b[?6c", {}, {}},
    {"DA 1 and secondary DA are ignored", 0, "\x1b[1c\x1b[>c", "", {}, {}},
    {"DECID", 0, "\x1bZ", "\x1b[?6c", {}, {}},
    {"DECID as C1", C1, "\x9a", "\x1b[?6c", {}, {}},
    {"0x9A prints without 8-bit controls", 0, "\x9a", "", {}, {}},
    {"printer status; other private requests ignored", 0, "\x1b[?15n\x1b[?16n\x1b[?26n", "\x1b[?13n", {}, {}},
    {"RIS keeps S8C1T only as a default mode", 0, "\x1b G\x1b" "c\x1b[c", "\x1b[?6c", {-1}, {0}},
    {"LEDs set while not reporting", 0, "\x1b[1q\x1b[?110h", "", {-1, 1}, {}},
    {"LEDs 1, 3 and 8 on, 8 off", 0, "\x1b[?110h\x1b[1;3;8q\x1b[28q", "", {0, 133, 5}, {}},
    {"21 turns LED 1 off, 0 all", 0, "\x1b[?110h\x1b[1;2;21q\x1b[3;0;4q", "", {0, 2, 8}, {}},
    {"no parameter turns all off; others ignored", 0, "\x1b[?110h\x1b[1q\x1b[q\x1b[9;20;29q", "", {0, 1, 0, 0}, {}},
    {"reporting off", 0, "\x1b[?110h\x1b[1q\x1b[?110l", "", {0, 1, -1}, {}},
    {"RIS stops the reporting", 0, "\x1b[?110h\x1b[2q\x1b" "c", "", {0, 2, -1}, {0}},
    {"cursor style 3, then none is 0", 0, "\x1b[3 q\x1b[ q", "", {}, {3, 0}},
    {"cursor style modulo 16, saturated", 0, "\x1b[19 q\x1b[99999999999 q", "", {}, {3, 15}},
    {"RIS restores the default style", 0, "\x1b[2 q\x1b" "c", "", {-1}, {2, 0}},
    {"without the space it is DECLL", 0, "\x1b[2q", "", {-1}, {}},
};

} // namespace

class TstTermReplies : public QObject
{
    Q_OBJECT

private slots:
    void callbacks_data() { addCaseRows(kCases); }

    void callbacks()
    {
        QFETCH(int, index);
        const Case &c = kCases[index];
        TermHarness term(80, 24, c.options);
        term.feed(c.input);
        QCOMPARE(term.replies, QByteArray(c.reply));
        QCOMPARE(term.leds, c.leds);
        QCOMPARE(term.cursorStyles, c.styles);
    }

    void updatesAndCursorMarks()
    {
        TermHarness term(80, 24);
        term.feed("\a\x1b[5;5H\a");
        QCOMPARE(term.bells, 2);
        // One update per feed, however much changed; one beforeScroll per scroll.
        term.feed(QByteArray("line\r\n").repeated(100));
        QCOMPARE(term.updates, 2);
        QCOMPARE(term.beforeScrolls, 100 - 19); // from row 4, 19 line feeds move down
        term.feed("\x1b[0m");
        QCOMPARE(term.updates, 2);
        // Moving the visible cursor repaints its old and new cell.
        term.paint();
        term.feed("\x1b[H");
        QCOMPARE(term.updates, 3);
        QCOMPARE(term.markedCells(), QStringLiteral("0:0 23:0"));
        QVERIFY(term.core()->modes & kModeCursorMoved);
        // Hiding or showing it repaints its cell; a hidden cursor moves unseen.
        term.paint();
        term.feed("\x1b[?25l");
        QCOMPARE(term.markedCells(), QStringLiteral("0:0"));
        term.paint();
        term.feed("\x1b[5;5H");
        QCOMPARE(term.markedCells(), QString());
        term.feed("\x1b[?25h");
        QCOMPARE(term.markedCells(), QStringLiteral("4:4"));
    }
};

QTEST_APPLESS_MAIN(TstTermReplies)
#include "tst_termreplies.moc"
