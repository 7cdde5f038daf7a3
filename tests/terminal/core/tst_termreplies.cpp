// What the terminal tells its owner: replies to the host (7- and 8-bit),
// bell, LEDs, cursor style, and the update callback once per feed.
#include "termharness.h"

#include <QTest>

using namespace zn;

class TstTermReplies : public QObject
{
    Q_OBJECT

private slots:
    void replies_data();
    void replies();
    void leds_data();
    void leds();
    void cursorStyle_data();
    void cursorStyle();
    void bellAndUpdateCallbacks();
    void noCallbacksInstalled();
};

void TstTermReplies::replies_data()
{
    QTest::addColumn<uint>("options");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("reply");

    const uint none = 0;
    const uint eight = kOptionEightBit;
    auto row = [](const char *name, uint options, const QByteArray &input, const QByteArray &reply) {
        QTest::newRow(name) << options << input << reply;
    };
    row("cursor position report", none, "\x1b[5;10H\x1b[6n", "\x1b[5;10R");
    row("position report after S8C1T", none, "\x1b G\x1b[5;10H\x1b[6n", "\x9b" "5;10R");
    row("S7C1T again", none, "\x1b G\x1b F\x1b[6n", "\x1b[1;1R");
    row("position report is screen-relative in origin mode", none, "\x1b[3;5r\x1b[?6h\x1b[2;2H\x1b[6n",
        "\x1b[4;2R");
    row("position report with a pending wrap", none, "\x1b[1;80HX\x1b[6n", "\x1b[1;80R");
    row("largest position report", none, "\x1b[24;80H\x1b[6n", "\x1b[24;80R");
    row("status report", none, "\x1b[5n", "\x1b[0n");
    row("other status requests", none, "\x1b[0n\x1b[7n", "");
    row("DA", none, "\x1b[c", "\x1b[?6c");
    row("DA 0", none, "\x1b[0c", "\x1b[?6c");
    row("DA 1 is ignored", none, "\x1b[1c", "");
    row("secondary DA is ignored", none, "\x1b[>c", "");
    row("DA in 8-bit form", none, "\x1b G\x1b[c", "\x9b?6c");
    row("DECID", none, "\x1bZ", "\x1b[?6c");
    row("DECID as C1", eight, "\x9a", "\x1b[?6c");
    row("0x9A prints without 8-bit controls", none, "\x9a", "");
    row("printer status", none, "\x1b[?15n", "\x1b[?13n");
    row("other private status requests", none, "\x1b[?16n\x1b[?26n", "");
    row("CSI as C1", eight, "\x9b" "6n", "\x1b[1;1R");
    row("RIS keeps S8C1T only as a default mode", none, "\x1b G\x1b" "c\x1b[c", "\x1b[?6c");
}

void TstTermReplies::replies()
{
    QFETCH(uint, options);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, reply);
    TermHarness term(80, 24, options);
    term.feed(input);
    QCOMPARE(term.replies, reply);
}

void TstTermReplies::leds_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QList<int>>("reports");
    QTest::addColumn<uint>("mask");
    auto row = [](const char *name, const QByteArray &input, const QList<int> &reports, uint mask) {
        QTest::newRow(name) << input << reports << mask;
    };
    row("not reporting", "\x1b[1q", {-1}, 1);
    row("reporting on", "\x1b[?110h", {0}, 0);
    row("LEDs 1 and 3", "\x1b[?110h\x1b[1;3q", {0, 5}, 5);
    row("LED 8", "\x1b[?110h\x1b[8q", {0, 128}, 128);
    row("21 turns LED 1 off", "\x1b[?110h\x1b[1;2;21q", {0, 2}, 2);
    row("0 turns all off", "\x1b[?110h\x1b[1;2;0;3q", {0, 4}, 4);
    row("no parameter turns all off", "\x1b[?110h\x1b[1q\x1b[q", {0, 1, 0}, 0);
    row("out of range ignored", "\x1b[?110h\x1b[9;20;29q", {0, 0}, 0);
    row("reporting off", "\x1b[?110h\x1b[1q\x1b[?110l", {0, 1, -1}, 1);
    row("RIS reports the mask when reporting", "\x1b[?110h\x1b[2q\x1b" "c", {0, 2, -1}, 2);
}

void TstTermReplies::leds()
{
    QFETCH(QByteArray, input);
    QFETCH(QList<int>, reports);
    QFETCH(uint, mask);
    TermHarness term(80, 24);
    term.feed(input);
    QCOMPARE(term.leds, reports);
    QCOMPARE(term.core()->leds, mask);
}

void TstTermReplies::cursorStyle_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QList<int>>("styles");
    QTest::addColumn<uint>("modeBits");
    auto row = [](const char *name, const QByteArray &input, const QList<int> &styles, uint bits) {
        QTest::newRow(name) << input << styles << bits;
    };
    row("style 3", "\x1b[3 q", {3}, 3);
    row("no parameter is 0", "\x1b[5 q\x1b[ q", {5, 0}, 0);
    row("modulo 16", "\x1b[19 q", {3}, 3);
    row("saturated value modulo 16", "\x1b[99999999999 q", {15}, 15);
    row("RIS restores the default style", "\x1b[2 q\x1b" "c", {2, 0}, 0);
    row("without the space it is DECLL", "\x1b[2q", {}, 0);
}

void TstTermReplies::cursorStyle()
{
    QFETCH(QByteArray, input);
    QFETCH(QList<int>, styles);
    QFETCH(uint, modeBits);
    TermHarness term(80, 24);
    term.feed(input);
    QCOMPARE(term.cursorStyles, styles);
    QCOMPARE((term.core()->modes & kModeCursorStyleMask) >> kModeCursorStyleShift, modeBits);
}

void TstTermReplies::bellAndUpdateCallbacks()
{
    TermHarness term(80, 24);
    term.feed("\a\x1b[5;5H\a");
    QCOMPARE(term.bells, 2);
    // One update per feed, however much changed.
    term.feed(QByteArray("line\r\n").repeated(100));
    QCOMPARE(term.updates, 2);
    QCOMPARE(term.beforeScrolls, 100 - 19); // from row 4, 19 line feeds move down
    // A feed that changes nothing reports nothing.
    term.feed("\x1b[0m");
    QCOMPARE(term.updates, 2);
    // Moving the visible cursor repaints its old and new cell.
    term.paint();
    term.feed("\x1b[H");
    QCOMPARE(term.updates, 3);
    QCOMPARE(term.markedCells(), QStringLiteral("0:0 23:0"));
    QVERIFY(term.core()->modes & kModeCursorMoved);
    // A hidden cursor moves without repaint.
    term.feed("\x1b[?25l");
    term.paint();
    term.feed("\x1b[5;5H");
    QCOMPARE(term.markedCells(), QString());
}

void TstTermReplies::noCallbacksInstalled()
{
    TerminalCore *t = terminalCoreCreate(nullptr, nullptr);
    QVERIFY(t);
    QCOMPARE(terminalCoreResize(t, 80, 24, 100), 1);
    const QByteArray all = "\a\x1b[6n\x1b[c\x1b[?110h\x1b[1q\x1b[3 q" + QByteArray("x\r\n").repeated(200) + "\x1b" "c";
    terminalCoreFeed(t, all.constData(), size_t(all.size()));
    QCOMPARE(t->leds, 1u);
    terminalCoreDestroy(t);
}

QTEST_APPLESS_MAIN(TstTermReplies)
#include "tst_termreplies.moc"
