// SGR: the pen's attributes and colours as they land in a printed cell.
#include "termharness.h"

#include <QTest>

using namespace zn;

class TstTermAttributes : public QObject
{
    Q_OBJECT

private slots:
    void sgr_data();
    void sgr();
    void eraseWritesTheBlankCell_data();
    void eraseWritesTheBlankCell();
    void codePointsBeyondTwentyBitsLeaveTheAttributes();
    void savedCursorKeepsThePen();
};

static constexpr uint32_t kBold = kCellBold;
static constexpr uint32_t kFaint = kCellFaint;
static constexpr uint32_t kBlink = kCellBlink;
static constexpr uint32_t kRapid = kCellRapidBlink;
static constexpr uint32_t kUnder = kCellUnderline;
static constexpr uint32_t kInverse = kCellInverse;
static constexpr uint32_t kItalic = kCellItalic;
static constexpr uint32_t kRed = kColourStandard + 1;
static constexpr uint32_t kWhite = kColourStandard + 7;
static constexpr uint32_t kDefault = kColourDefault;

void TstTermAttributes::sgr_data()
{
    QTest::addColumn<QByteArray>("input"); // followed by printing "X" at 0,0
    QTest::addColumn<uint>("attributes");
    QTest::addColumn<uint>("foreground");
    QTest::addColumn<uint>("background");

    auto row = [](const char *name, const QByteArray &input, uint32_t attributes, uint32_t fg, uint32_t bg) {
        QTest::newRow(name) << input << uint(attributes) << uint(fg) << uint(bg);
    };
    row("nothing", "", 0, kDefault, kDefault);
    row("standard red is colour 257", "\x1b[31m", 0, kRed, kDefault);
    row("then palette 196", "\x1b[31m\x1b[38;5;196m", 0, 196, kDefault);
    row("38;5 alone changes nothing", "\x1b[38;5m", 0, kDefault, kDefault);
    row("38 not first is ignored, 5 is blink", "\x1b[1;38;5;196m", kBold | kBlink, kDefault, kDefault);
    row("background palette", "\x1b[48;5;21m", 0, kDefault, 21);
    row("palette 256 is out of range", "\x1b[38;5;256m", 0, kDefault, kDefault);
    row("four parameters after 38 are dropped whole", "\x1b[38;5;1;1m", 0, kDefault, kDefault);
    row("38;2 truecolour is dropped", "\x1b[38;2;1;2;3m", 0, kDefault, kDefault);
    row("palette 0", "\x1b[38;5;0m", 0, 0, kDefault);
    row("faint turns bold off", "\x1b[1;2m", kFaint, kDefault, kDefault);
    row("bold turns faint off", "\x1b[2;1m", kBold, kDefault, kDefault);
    row("rapid blink sets both blink bits", "\x1b[6m", kBlink | kRapid, kDefault, kDefault);
    row("slow blink clears rapid", "\x1b[6;5m", kBlink, kDefault, kDefault);
    row("italic underline inverse", "\x1b[3;4;7m", kItalic | kUnder | kInverse, kDefault, kDefault);
    row("22 23 24 27 turn them off", "\x1b[1;3;4;7m\x1b[22;23;24;27m", 0, kDefault, kDefault);
    row("25 turns both blinks off", "\x1b[6;25m", 0, kDefault, kDefault);
    row("39 default foreground", "\x1b[37;47m\x1b[39m", 0, kDefault, kWhite);
    row("49 default background", "\x1b[37;47m\x1b[49m", 0, kWhite, kDefault);
    row("empty SGR resets", "\x1b[1;31;41m\x1b[m", 0, kDefault, kDefault);
    row("SGR 0 resets", "\x1b[1;31;41m\x1b[0m", 0, kDefault, kDefault);
    row("bright and other codes are ignored", "\x1b[90;100;8;9;21;53m", 0, kDefault, kDefault);
    row("parameters in order", "\x1b[31;0;32m", 0, kColourStandard + 2, kDefault);
    row("17th parameter extends the 16th", "\x1b[0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;3;1m", 0, kRed, kDefault);
    row("colour after a reset in one sequence", "\x1b[0;44m", 0, kDefault, kColourStandard + 4);
    row("RIS resets the pen", "\x1b[1;31m\x1b" "c", 0, kDefault, kDefault);
}

void TstTermAttributes::sgr()
{
    QFETCH(QByteArray, input);
    QFETCH(uint, attributes);
    QFETCH(uint, foreground);
    QFETCH(uint, background);
    TermHarness term(10, 4);
    term.feed(input + "X");
    const TerminalCell cell = term.cell(0, 0);
    QCOMPARE(cellChar(cell), uint('X'));
    QCOMPARE(cell.ch & kCellAttributeMask & ~kCellChanged, attributes);
    QCOMPARE(cellForeground(cell), foreground);
    QCOMPARE(cellBackground(cell), background);
    QCOMPARE(cell.colours >> 18, 0u);
}

void TstTermAttributes::eraseWritesTheBlankCell_data()
{
    QTest::addColumn<QByteArray>("erase"); // applied with the cursor at column 1 of "abc"
    QTest::newRow("EL 1") << QByteArray("\x1b[1K");
    QTest::newRow("EL 2") << QByteArray("\x1b[2K");
    QTest::newRow("ED 2") << QByteArray("\x1b[2J");
    QTest::newRow("ECH") << QByteArray("\x1b[1G\x1b[X");
    QTest::newRow("ICH") << QByteArray("\x1b[1G\x1b[@");
    QTest::newRow("DCH to the end") << QByteArray("\x1b[1G\x1b[9P");
    QTest::newRow("IL") << QByteArray("\x1b[L");
    QTest::newRow("DL") << QByteArray("\x1b[M");
}

void TstTermAttributes::eraseWritesTheBlankCell()
{
    QFETCH(QByteArray, erase);
    TermHarness term(10, 4);
    term.feed("\x1b[1;4;41;33mabc\x1b[2G" + erase);
    const TerminalCell cell = term.cell(0, 0);
    QCOMPARE(cell.ch & ~kCellChanged, 32u);
    QCOMPARE(cell.colours, kBlankColours);
}

void TstTermAttributes::codePointsBeyondTwentyBitsLeaveTheAttributes()
{
    TermHarness term(10, 4, kOptionUtf8);
    term.feed("\xf4\x8f\xbf\xbf\xf7\xbf\xbf\xbf"); // U+10FFFF and a 21-bit value
    QCOMPARE(term.cell(0, 0).ch & kCellAttributeMask & ~kCellChanged, 0u);
    QCOMPARE(term.cell(1, 0).ch & kCellAttributeMask & ~kCellChanged, 0u);
    QCOMPARE(term.cursor(), QStringLiteral("0,2"));
}

void TstTermAttributes::savedCursorKeepsThePen()
{
    TermHarness term(10, 4);
    term.feed("\x1b[1;31m\x1b" "7\x1b[0m\x1b" "8X\x1b[s\x1b[0m\x1b[uY");
    QCOMPARE(term.cell(0, 0).ch & kCellBold, kCellBold);
    QCOMPARE(cellForeground(term.cell(0, 0)), kRed);
    QCOMPARE(cellForeground(term.cell(1, 0)), kRed);
    QCOMPARE(term.screen(), QStringLiteral("XY"));
}

QTEST_APPLESS_MAIN(TstTermAttributes)
#include "tst_termattributes.moc"
