// Character sets, locking and single shifts, C1 gating, and the UTF-8 and
// UTF-16 input paths.
#include "termharness.h"
#include "terminalinternal.h"

#include <QTest>

using namespace zn;

class TstTermCharsets : public QObject
{
    Q_OBJECT

private slots:
    void bytes_data();
    void bytes();
    void splitSequencesContinue_data();
    void splitSequencesContinue();
    void utf16Input();
    void tables_data();
    void tables();
};

void TstTermCharsets::bytes_data()
{
    QTest::addColumn<uint>("options");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("cursor");

    const uint none = 0;
    const uint utf8 = kOptionUtf8;
    const uint eight = kOptionEightBit;
    auto row = [](const char *name, uint options, const QByteArray &input, const QString &screen, const char *cursor) {
        QTest::newRow(name) << options << input << screen << QString::fromLatin1(cursor);
    };
    // Designations and shifts.
    row("DEC graphics in G0", none, "\x1b(0qxa", QStringLiteral("\u2500\u2502\u2592"), "0,3");
    row("US ASCII again", none, "\x1b(0q\x1b(Bq", QStringLiteral("\u2500q"), "0,2");
    row("United Kingdom pound", none, "\x1b(A#", QStringLiteral("\u00a3"), "0,1");
    row("IBM PC in G0 maps 8-bit codes", none, "\x1b(U\x80\xdb", QStringLiteral("\u00c7\u2588"), "0,2");
    row("unknown designation leaves the set", none, "\x1b(0\x1b(Zq", QStringLiteral("\u2500"), "0,1");
    row("SO invokes G1 (DEC graphics by default)", none, "\x0eq\x0fq", QStringLiteral("\u2500q"), "0,2");
    row("G1 designation then SO", none, "\x1b)A\x0e#", QStringLiteral("\u00a3"), "0,1");
    row("designating G1 while G0 is invoked changes nothing", none, "\x1b)A#", "#", "0,1");
    row("SS2 translates only the next character", none, "\x1bN##", QStringLiteral("\u00a3#"), "0,2");
    row("SS3 uses G3 (IBM PC)", none, "\x1bO\x7f\x7f", QStringLiteral("\u2302\x7f"), "0,2");
    row("single shift over a locking shift", none, "\x0e\x1bN#q", QStringLiteral("\u00a3\u2500"), "0,2");
    row("G2 and G3 cannot be designated", none, "\x1b*0\x1bNq\x1b+0\x1bOq", "qq", "0,2");
    row("RIS restores the designations", none, "\x1b(0\x1b" "cq", "q", "0,1");
    row("ESC % cancels a single shift", none, "\x1bN\x1b%@#", "#", "0,1");
    // C1 gating.
    row("0x9B prints without 8-bit controls", none, "\x9b" "2C", QStringLiteral("\u009b2C"), "0,3");
    row("0x9B is CSI with 8-bit controls", eight, "\x9b" "2CX", "  X", "0,3");
    row("IND as C1", eight, "a\x84" "b", "a\n b", "1,2");
    row("NEL as C1", eight, "a\x85" "b", "a\nb", "1,1");
    row("HTS as C1", eight, "\x1b[3G\x88\r\tX", "  X", "0,3");
    row("RI as C1", eight, "\n\nab\x8d" "c", "\n  c\nab", "1,3");
    row("C1 cancels a sequence", eight, "\x1b[5\x80X", "X", "0,1");
    row("8-bit ST ends a string", eight, "\x1b]0;t\x9cX", "X", "0,1");
    row("8-bit OSC and DCS", eight, "\x9d" "title\x9c\x90q\x9cX", "X", "0,1");
    row("C1 printed in a string without 8-bit controls", none, "\x1bP\x9cX\x1b\\Y", "Y", "0,1");
    // UTF-8.
    row("three-byte sequence", utf8, "\xe2\x94\x80", QStringLiteral("\u2500"), "0,1");
    row("two-byte sequence", utf8, "\xc3\xa9", QStringLiteral("\u00e9"), "0,1");
    row("four-byte sequence", utf8, "\xf0\x9f\x98\x80", QString::fromUcs4(U"\U0001F600", 1), "0,1");
    row("lone continuation byte prints nothing", utf8, "\x80", "", "0,0");
    row("broken sequence is dropped", utf8, "\xc3\x41", "A", "0,1");
    row("broken by a control", utf8, "\xe2\x94\rX", "X", "0,1");
    row("0xFF is invalid", utf8, "\xff" "a", "a", "0,1");
    row("NUL is dropped", utf8, QByteArray("a\0b", 3), "ab", "0,2");
    row("overlong forms are not checked", utf8, "\xc0\xaf", "/", "0,1");
    row("decoded C1 is CSI with 8-bit controls", utf8 | eight, "ab\xc2\x9b" "2D", "ab", "0,0");
    row("decoded C1 prints without 8-bit controls", utf8, "\xc2\x9b", QStringLiteral("\u009b"), "0,1");
    row("code above 0xFF in a sequence ends nothing", utf8, "\x1b[\xe2\x94\x80" "5CX", "X", "0,1");
    row("code above 0xFF in an escape is dispatched and ignored", utf8, "\x1b\xe2\x94\x80X", "X", "0,1");
    row("Latin-1 without UTF-8", none, "\xc3\xa9", QStringLiteral("\u00c3\u00a9"), "0,2");
    row("ESC % G turns UTF-8 on", none, "\x1b%G\xc3\xa9", QStringLiteral("\u00e9"), "0,1");
    row("ESC % 8 turns UTF-8 on", none, "\x1b%8\xc3\xa9", QStringLiteral("\u00e9"), "0,1");
    row("ESC % @ turns UTF-8 off", utf8, "\x1b%@\xc3\xa9", QStringLiteral("\u00c3\u00a9"), "0,2");
    row("ESC % resets the decoder", utf8, "\xe2\x94\x1b%G\x80X", "X", "0,1");
    row("NUL without UTF-8 executes", none, QByteArray("a\0b", 3), "ab", "0,2");
}

void TstTermCharsets::bytes()
{
    QFETCH(uint, options);
    QFETCH(QByteArray, input);
    QFETCH(QString, screen);
    QFETCH(QString, cursor);
    TermHarness term(10, 4, options);
    term.feed(input);
    QCOMPARE(term.screen(), screen);
    QCOMPARE(term.cursor(), cursor);
}

void TstTermCharsets::splitSequencesContinue_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("UTF-8") << QByteArray("a\xe2\x94\x80" "b");
    QTest::newRow("CSI") << QByteArray("a\x1b[31;1mb\x1b[0m");
    QTest::newRow("designation") << QByteArray("\x1b(0qq\x1b(Bq");
    QTest::newRow("single shift") << QByteArray("\x1bN##");
    QTest::newRow("OSC") << QByteArray("a\x1b]2;title\x1b\\b");
}

// Every byte fed on its own gives the screen of one feed.
void TstTermCharsets::splitSequencesContinue()
{
    QFETCH(QByteArray, input);
    TermHarness whole(10, 4, kOptionUtf8);
    whole.feed(input);
    TermHarness split(10, 4, kOptionUtf8);
    for (char byte : input)
        split.feed(QByteArray(1, byte));
    QCOMPARE(split.screen(), whole.screen());
    QCOMPARE(split.cursor(), whole.cursor());
    QCOMPARE(split.cell(1, 0).ch & ~kCellChanged, whole.cell(1, 0).ch & ~kCellChanged);
    QCOMPARE(split.cell(1, 0).colours, whole.cell(1, 0).colours);
}

void TstTermCharsets::utf16Input()
{
    TermHarness term(10, 4, kOptionUtf8);
    term.feed("\xe2\x94"); // a sequence the UTF-16 path abandons
    term.feedUtf16(QStringLiteral("a\u263a\u00e9"));
    term.feed("\x80");
    QCOMPARE(term.screen(), QStringLiteral("a\u263a\u00e9"));
    // A surrogate pair is two cells; control sequences work as in bytes.
    term.feedUtf16(QStringLiteral("\U0001F600\x1b[2;3HX"));
    QCOMPARE(term.row(0).size(), 5);
    QCOMPARE(term.row(1), QStringLiteral("  X"));
    // Latin-1 C1 from UTF-16 is gated like a byte.
    term.feedUtf16(QStringLiteral("\u009b" "1C"));
    QCOMPARE(term.row(1), QStringLiteral("  X\u009b" "1C"));
}

void TstTermCharsets::tables_data()
{
    QTest::addColumn<uint>("charset");
    QTest::addColumn<uint>("code");
    QTest::addColumn<uint>("unicode");
    auto row = [](const char *name, uint charset, uint code, uint unicode) {
        QTest::newRow(name) << charset << code << unicode;
    };
    row("graphics right arrow", CharsetDecGraphics, 0x2B, 0x2192);
    row("graphics block", CharsetDecGraphics, 0x30, 0x2588);
    row("graphics blank", CharsetDecGraphics, 0x5F, 0x00A0);
    row("graphics diamond", CharsetDecGraphics, 0x60, 0x25C6);
    row("graphics scan line 1", CharsetDecGraphics, 0x6F, 0x23BA);
    row("graphics pi", CharsetDecGraphics, 0x7B, 0x03C0);
    row("graphics middle dot", CharsetDecGraphics, 0x7E, 0x00B7);
    row("graphics keeps letters", CharsetDecGraphics, 0x41, 0x41);
    row("PC NUL stays", CharsetIbmPc, 0x00, 0x00);
    row("PC smiley", CharsetIbmPc, 0x01, 0x263A);
    row("PC triangle down", CharsetIbmPc, 0x1F, 0x25BC);
    row("PC house", CharsetIbmPc, 0x7F, 0x2302);
    row("PC number sign is ASCII", CharsetIbmPc, 0x23, 0x23);
    row("PC peseta", CharsetIbmPc, 0x9E, 0x20A7);
    row("PC double box", CharsetIbmPc, 0xC9, 0x2554);
    row("PC alpha", CharsetIbmPc, 0xE0, 0x03B1);
    row("PC no-break space", CharsetIbmPc, 0xFF, 0x00A0);
    row("UK pound", CharsetUnitedKingdom, 0x23, 0x00A3);
    row("UK keeps 0x24", CharsetUnitedKingdom, 0x24, 0x24);
}

void TstTermCharsets::tables()
{
    QFETCH(uint, charset);
    QFETCH(uint, code);
    QFETCH(uint, unicode);
    const uint16_t *table = charsetTable(charset);
    QVERIFY(table);
    QCOMPARE(uint(table[code]), unicode);
    QVERIFY(!charsetTable(CharsetUsAscii));
}

QTEST_APPLESS_MAIN(TstTermCharsets)
#include "tst_termcharsets.moc"
