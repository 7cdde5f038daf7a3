// The pen: SGR attributes and colours as they land in a printed cell, what
// erasing writes, and what saving and restoring the cursor keeps.
#include "termharness.h"

#include <QTest>

using namespace zn;

namespace {

constexpr uint32_t kRed = kColourStandard + 1;
constexpr uint32_t kWhite = kColourStandard + 7;
constexpr uint32_t kDefault = kColourDefault;

struct Case {
    const char *name;
    const char *input; // followed by printing "X" at the home position
    uint32_t attributes, foreground, background;
};

const Case kCases[] = {
    {"nothing", "", 0, kDefault, kDefault},
    {"standard red is colour 257", "\x1b[31m", 0, kRed, kDefault},
    {"then palette 196", "\x1b[31m\x1b[38;5;196m", 0, 196, kDefault},
    {"38;5 alone changes nothing", "\x1b[38;5m", 0, kDefault, kDefault},
    {"38 not first is ignored, 5 is blink", "\x1b[1;38;5;196m", kCellBold | kCellBlink, kDefault, kDefault},
    {"background palette 0", "\x1b[48;5;0m", 0, kDefault, 0},
    {"palette 255 and 256", "\x1b[38;5;255m\x1b[38;5;256m", 0, 255, kDefault},
    {"other forms after 38 are dropped whole", "\x1b[38;5;1;1m\x1b[38;2;1;2;3m", 0, kDefault, kDefault},
    {"faint turns bold off", "\x1b[1;2m", kCellFaint, kDefault, kDefault},
    {"bold turns faint off", "\x1b[2;1m", kCellBold, kDefault, kDefault},
    {"rapid blink sets both blink bits", "\x1b[6m", kCellBlink | kCellRapidBlink, kDefault, kDefault},
    {"slow blink clears rapid", "\x1b[6;5m", kCellBlink, kDefault, kDefault},
    {"italic underline inverse", "\x1b[3;4;7m", kCellItalic | kCellUnderline | kCellInverse, kDefault, kDefault},
    {"22 23 24 25 27 turn them off", "\x1b[1;3;4;6;7m\x1b[22;23;24;25;27m", 0, kDefault, kDefault},
    {"39 default foreground", "\x1b[37;47m\x1b[39m", 0, kDefault, kWhite},
    {"49 default background", "\x1b[37;47m\x1b[49m", 0, kWhite, kDefault},
    {"empty SGR resets", "\x1b[1;31;41m\x1b[m", 0, kDefault, kDefault},
    {"bright and other codes are ignored", "\x1b[90;100;8;9;21;53m", 0, kDefault, kDefault},
    {"parameters in order", "\x1b[31;0;32;44m", 0, kColourStandard + 2, kColourStandard + 4},
    {"sixteen parameters all count", "\x1b[0;0;0;0;0;0;0;0;0;0;0;0;0;0;1;4m", kCellBold | kCellUnderline, kDefault, kDefault},
    {"17th parameter extends the 16th", "\x1b[0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;3;1m", 0, kRed, kDefault},
    {"RIS resets the pen", "\x1b[1;31m\x1b" "c", 0, kDefault, kDefault},
    {"DECRC without DECSC: default rendition", "\x1b[1;31;42m\x1b" "8", 0, kDefault, kDefault},
    {"RIS forgets the saved rendition", "\x1b[1;31m\x1b" "7\x1b" "c\x1b" "8", 0, kDefault, kDefault},
    {"DECRC and SCORC restore the pen", "\x1b[5;31;47m\x1b" "7\x1b[s\x1b[0m\x1b[u\x1b[0m\x1b" "8", kCellBlink, kRed, kWhite},
};

} // namespace

class TstTermAttributes : public QObject
{
    Q_OBJECT

private slots:
    void sgr_data();
    void sgr();
    void eraseWritesTheBlankCell_data();
    void eraseWritesTheBlankCell();
    void codePointsBeyondTwentyBitsLeaveTheAttributes();
};

void TstTermAttributes::sgr_data()
{
    addCaseRows(kCases);
}

void TstTermAttributes::sgr()
{
    QFETCH(int, index);
    const Case &c = kCases[index];
    TermHarness term(10, 4);
    term.feed(QByteArray(c.input) + "X");
    const TerminalCell cell = term.cell(0, 0);
    QCOMPARE(cellChar(cell), uint('X'));
    QCOMPARE(cell.ch & kCellAttributeMask & ~kCellChanged, c.attributes);
    QCOMPARE(cellForeground(cell), c.foreground);
    QCOMPARE(cellBackground(cell), c.background);
    QCOMPARE(cell.colours >> 18, 0u);
}

void TstTermAttributes::eraseWritesTheBlankCell_data()
{
    QTest::addColumn<QByteArray>("erase"); // applied with the cursor at column 1 of "abc"
    for (const char *erase : {"\x1b[1K", "\x1b[2K", "\x1b[2J", "\x1b[1G\x1b[X", "\x1b[1G\x1b[@", "\x1b[1G\x1b[9P",
                              "\x1b[L", "\x1b[M"})
        QTest::newRow(erase + 1) << QByteArray(erase);
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

QTEST_APPLESS_MAIN(TstTermAttributes)
#include "tst_termattributes.moc"
