// Runs of printable ASCII are written a line span at a time; they must give
// exactly the cells, marks, cursor and state of printing one by one.
#include "termharness.h"
#include "terminalinternal.h"

#include <QTest>

using namespace zn;

class TstTermFastPath : public QObject
{
    Q_OBJECT

private slots:
    void sameAsOneByOne_data();
    void sameAsOneByOne();
    void runEndsAtEveryOtherByte_data();
    void runEndsAtEveryOtherByte();
};

void TstTermFastPath::sameAsOneByOne_data()
{
    QTest::addColumn<uint>("options");
    QTest::addColumn<QByteArray>("prelude");
    QTest::addColumn<uint>("viewOffset");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("utf16");
    auto row = [](const char *name, uint options, const QByteArray &prelude, uint viewOffset, const QByteArray &text,
                  bool utf16 = false) {
        QTest::newRow(name) << options << prelude << viewOffset << text << utf16;
    };
    const QByteArray lines = "1\n2\n3\n4\n5\n6\r";
    row("inside a line", 0, "", 0, "hello");
    row("wrapping and scrolling", 0, "", 0, QByteArray("abcdefghij").repeated(7) + "xyz");
    row("exactly to the last column", 0, "", 0, "abcdefghij");
    row("after a pending wrap", 0, "0123456789", 0, "ab");
    row("without autowrap", 0, "\x1b[?7l", 0, QByteArray("abcdefghij").repeated(2) + "xyz");
    row("without autowrap from the last column", 0, "\x1b[?7l\x1b[10G", 0, "abc");
    row("DEC graphics", 0, "\x1b(0", 0, "lqqk x mqqj");
    row("United Kingdom through G1", 0, "\x1b)A\x0e", 0, "#a#b#");
    row("blinking pen", 0, "\x1b[5;31m", 0, "blink");
    row("coloured pen over coloured text", 0, "\x1b[32mhello\r\x1b[31m", 0, "hello");
    row("rewriting the same text marks nothing", 0, "hello\r", 0, "hallo");
    row("double width line", 0, "\x1b#6", 0, "abcdefgh");
    row("insert mode", 0, "xyz\r\x1b[4h", 0, "ab");
    row("single shift", 0, "\x1bN", 0, "##");
    row("jump to bottom on output", kOptionJumpOnOutput, lines, 2, "abc");
    row("scrolled back without jumping", 0, lines, 2, QByteArray("abcdefghij").repeated(3));
    row("UTF-16 input", 0, "", 0, QByteArray("abcdefghij").repeated(5) + "k", true);
    row("UTF-8 mode", kOptionUtf8, "\xe2\x94", 0, "abc");
}

void TstTermFastPath::sameAsOneByOne()
{
    QFETCH(uint, options);
    QFETCH(QByteArray, prelude);
    QFETCH(uint, viewOffset);
    QFETCH(QByteArray, text);
    QFETCH(bool, utf16);
    TermHarness fast(10, 4, options);
    TermHarness slow(10, 4, options);
    for (TermHarness *term : {&fast, &slow}) {
        term->feed(prelude);
        terminalCoreSetViewOffset(term->core(), viewOffset);
        term->paint();
    }
    if (utf16)
        fast.feedUtf16(QString::fromLatin1(text));
    else
        fast.feed(text);
    for (char c : text)
        screenPrint(slow.core(), uint8_t(c));
    terminalCoreUpdate(slow.core());

    const TerminalCore *a = fast.core();
    const TerminalCore *b = slow.core();
    QCOMPARE(a->cursorX, b->cursorX);
    QCOMPARE(a->cursorY, b->cursorY);
    QCOMPARE(a->wrapPending, b->wrapPending);
    QCOMPARE(a->modes, b->modes);
    QCOMPARE(a->singleShift, b->singleShift);
    QCOMPARE(a->viewOffset, b->viewOffset);
    QCOMPARE(a->historyCount, b->historyCount);
    QCOMPARE(fast.updates, slow.updates);
    QCOMPARE(fast.scrollbackChanges, slow.scrollbackChanges);
    for (int r = -int(a->historyCount); r < int(a->rows); ++r) {
        const TerminalLine *la = terminalCoreLine(fast.core(), r);
        const TerminalLine *lb = terminalCoreLine(slow.core(), r);
        QCOMPARE(la->header, lb->header);
        for (uint32_t c = 0; c < a->cols; ++c) {
            QCOMPARE(lineCells(la)[c].ch, lineCells(lb)[c].ch);
            QCOMPARE(lineCells(la)[c].colours, lineCells(lb)[c].colours);
        }
    }
}

void TstTermFastPath::runEndsAtEveryOtherByte_data()
{
    QTest::addColumn<char>("stop");
    for (int byte : {0x00, 0x08, 0x0D, 0x1B, 0x1F, 0x7F, 0x80, 0x9B, 0xC3, 0xFF})
        QTest::newRow(qPrintable(QStringLiteral("0x%1").arg(byte, 2, 16, QLatin1Char('0')))) << char(byte);
}

// The run scan reads eight bytes at a time; a byte that is not printable
// ASCII must end the run wherever it stands.
void TstTermFastPath::runEndsAtEveryOtherByte()
{
    QFETCH(char, stop);
    for (int at = 0; at < 20; ++at) {
        QByteArray text = "abcdefghijklmnopqrstuvwx";
        text[at] = stop;
        TermHarness whole(40, 4);
        TermHarness single(40, 4);
        whole.feed(text);
        for (char c : text)
            single.feed(QByteArray(1, c));
        QCOMPARE(whole.screen(), single.screen());
        QCOMPARE(whole.cursor(), single.cursor());
    }
}

QTEST_APPLESS_MAIN(TstTermFastPath)
#include "tst_termfastpath.moc"
