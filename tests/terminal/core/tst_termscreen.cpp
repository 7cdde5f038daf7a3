// Bytes in, screen, cursor and history out, for what the comparison with
// libvterm in vtdiff does not reach: blank lines in the scrollback, this
// terminal's own choices, modes, character sets, 8-bit controls, UTF-8 and
// the parser's collection rules. Then the pen: SGR attributes and colours as
// they land in a printed cell, what erasing writes, and what saving and
// restoring the cursor keeps.
#include "termharness.h"

#include <QTest>

using namespace zn;

namespace {

template <size_t N>
QByteArray b(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

constexpr uint32_t U8 = kOptionUtf8;
constexpr uint32_t C1 = kOptionEightBit;
constexpr uint32_t kRed = kColourStandard + 1;
constexpr uint32_t kWhite = kColourStandard + 7;
constexpr uint32_t kDefault = kColourDefault;

struct Case {
    const char *name;
    uint32_t cols, rows, options;
    QByteArray input;
    QByteArray screen; // UTF-8, rows joined by '\n', trailing blanks removed
    const char *cursor;
    const char *history = nullptr; // oldest first, like the screen; null: not checked
};

const Case kCases[] = {
    {"SGR, BS (only that) and an OSC cancel the pending wrap", 10, 4, 0, b("abcdefghij\x1b[mX\bY\x1b]x\x1b\\Z"), "abcdefghiZ", "0,9"},
    {"double width: half the width, no wrap", 10, 4, 0, b("\x1b#6abcdefg"), "abcdg", "0,4"},
    {"single width again", 10, 4, 0, b("\x1b#6ab\x1b#5cdefghijk"), "abcdefghij\nk", "1,1"},
    {"BS at column 0 wraps back, at the home position stays", 10, 4, 0, b("ab\r\n\bX\x1b[H\bY"), "Yb       X", "0,1"},
    {"insert mode pushes the line right", 5, 4, 0, b("abcde\r\x1b[4hX\x1b[4lY"), "XYbcd", "0,2"},
    {"DEL prints in the ground state", 10, 4, 0, b("a\x7f" "b"), "a\x7f" "b", "0,3"},
    {"LNM off: line feed keeps the column", 10, 4, 0, b("\x1b[20lab\ncd"), "ab\n  cd", "1,4"},
    {"RIS restores the default modes (LNM)", 10, 4, 0, b("\x1b[20l\x1b" "ca\nb"), "a\nb", "1,1"},
    {"RIS forgets the margins", 5, 4, 0, b("\x1b[1;2r\x1b" "c0\n1\n2\n3"), "0\n1\n2\n3", "3,1"},
    {"a blank top row does not start the history", 10, 3, 0, b("\n\n\nx\ny"), "\nx\ny", "2,1", ""},
    {"a blank row enters once history exists", 10, 3, 0, b("a\n\n\n\n"), "", "2,0", "a\n"},
    // DL counts past a region at the top as that many single scrolls.
    {"DL past a top region pushes blank lines too", 10, 4, 0, b("a\nb\nc\nd\x1b[1;2r\x1b[H\x1b[3M"), "\n\nc\nd", "0,0", "a\nb\n"},
    {"DL drops blank top rows of an empty history", 10, 4, 0, b("\n\nc\nd\x1b[1;3r\x1b[H\x1b[3M"), "\n\n\nd", "0,0", "c"},
    {"DL past a blank top region keeps it empty", 10, 4, 0, b("\x1b[4;1Hd\x1b[1;3r\x1b[H\x1b[4M"), "\n\n\nd", "0,0", ""},
    {"DECSTBM in origin mode goes to the top margin", 10, 6, 0, b("\x1b[?6h\x1b[5;5H\x1b[2;4r"), "", "1,0"},
    {"DECSTBM past the screen or of one row is ignored", 10, 20, 0, b("\x1b[5;5H\x1b[24;10r\x1b[5;5r"), "", "4,4"},
    {"EL 3 and ED 4 are ignored", 10, 4, 0, b("abcdef\x1b[3G\x1b[3K\x1b[4J"), "abcdef", "0,2"},
    {"ED makes the rows single width", 10, 3, 0, b("\x1b#6ab\x1b[2Jabcdefghijkl"), "  abcdefgh\nijkl", "1,4"},
    {"ED 0 keeps a double width row above", 10, 3, 0, b("\x1b#6ab\n\x1b[J\x1b[Habcdefg"), "abcdg", "0,4"},
    {"TBC 2 is ignored", 20, 4, 0, b("\x1b[9G\x1b[2g\r\tX"), "        X", "0,9"},
    {"RIS restores the tab stops", 20, 4, 0, b("\x1b[3g\x1b" "c\tX"), "        X", "0,9"},
    {"CUU: to the top margin, above the region to row 0", 10, 10, 0, b("\x1b[3;5r\x1b[5H\x1b[10AX\x1b[2H\x1b[10AY"), "Y\n\nX", "0,1"},
    {"CUD: to the bottom margin, below it to the last row", 10, 8, 0, b("\x1b[3;5r\x1b[3H\x1b[10BX\x1b[6H\x1b[50BY"), "\n\n\n\nX\n\n\nY", "7,1"},
    {"CUB continues on the row above, not past row 0", 10, 4, 0, b("\x1b[2;3H\x1b[5DX\x1b[2;3H\x1b[99DY"), "Y      X", "0,1"},
    {"origin mode CUP: from the top margin, not past the region", 10, 10, 0, b("\x1b[3;5r\x1b[?6h\x1b[2;3HA\x1b[4;3HB"), "\n\n\n  AB", "3,4"},
    {"DECOM off goes home", 10, 10, 0, b("\x1b[3;5r\x1b[?6h\x1b[2;3H\x1b[?6l"), "", "0,0"},
    {"DECSC/DECRC and SCOSC/SCORC", 10, 10, 0, b("\x1b[5;7H\x1b" "7\x1b[H\x1b" "8\x1b[s\x1b[H\x1b[u"), "", "4,6"},
    {"origin mode VPA; VPA and CNL past the region do nothing", 10, 10, 0, b("\x1b[3;5r\x1b[?6h\x1b[4G\x1b[3dA\x1b[4dB\x1b[5EC"), "\n\n\n\n   ABC", "4,6"},
    {"DECRC restores origin mode", 10, 10, 0, b("\x1b[3;5r\x1b[?6h\x1b" "7\x1b[?6l\x1b" "8\x1b[1;1H"), "", "2,0"},
    {"DECRC without DECSC goes home", 10, 10, 0, b("\x1b[5;5H\x1b" "8"), "", "0,0"},
    {"DECALN fills the screen and homes, no wrap pending", 4, 3, 0, b("ab\x1b#8X"), "XEEE\nEEEE\nEEEE", "0,1"},
    {"character table rows of 16", 18, 4, 0, b("\x1b#7"), b("\0\1\2\3\4\5\6\7\10\11\12\13\14\15\16\17\n\20\21\22\23\24\25\26\27\30\31\32\33\34\35\36\37\n !\"#$%&'()*+,-./\n0123456789:;<=>?"), "0,0"},
    {"long and very long digit strings saturate", 10, 4, 0, "\x1b[" + QByteArray(300, '9') + "BY\r\x1b[4294967297C", "\n\n\nY", "3,9"},
    {"ignored: colon, private marker after a parameter, unknown final", 10, 4, 0, b("a\x1b[1:2Hb\x1b[1?5Cc\x1b[5yd"), "abcd", "0,4"},
    {"private marker after a digit is not collected", 10, 4, 0, b("\x1b[0?7labcdefghijK"), "abcdefghij\nK", "1,1"},
    {"CAN and SUB cancel a sequence", 10, 4, 0, b("\x1b[5\x18X\x1b[5\x1aY"), "XY", "0,2"},
    {"ESC restarts a sequence", 10, 4, 0, b("\x1b[3\x1b[5CX"), "     X", "0,6"},
    {"C0 inside a sequence executes", 10, 4, 0, b("ab\x1b[\r3CX"), "ab X", "0,4"},
    {"DEL inside a sequence is ignored", 10, 4, 0, b("\x1b[2\x7f;5H"), "", "1,4"},
    // 2 and 0 make 20 (LNM off).
    {"digits after the 16th semicolon extend it", 10, 4, 0, b("\x1b[0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;2;0la\nb"), "a\n b", "1,2"},
    {"two intermediates, then a designation", 10, 4, 0, b("\x1b( 1\x1b(0q"), "\u2500", "0,1"},
    {"ESC with two intermediates is ignored", 10, 4, 0, b("\x1b#(8a"), "a", "0,1"},
    {"CSI with two intermediates is ignored", 10, 4, 0, b("abc\x1b[!!pd"), "abcd", "0,4"},
    {"OSC ends with ESC \\ only", 10, 4, 0, b("\x1b]0;title\x07X\x1b\\Y"), "Y", "0,1"},
    {"DCS, SOS, PM and APC are consumed", 10, 4, 0, b("\x1bP1;2|a\x1b\\\x1bXb\x1b\\\x1b^c\x1b\\\x1b_d\x1b\\X"), "X", "0,1"},
    {"8-bit ST ends no string without 8-bit controls", 10, 4, 0, b("\x1b]0;t\x9cX"), "", "0,0"},
    {"DEC graphics in G0, then US ASCII", 10, 4, 0, b("\x1b(0qxa\x1b(Bq"), "\u2500\u2502\u2592q", "0,4"},
    {"United Kingdom pound", 10, 4, 0, b("\x1b(A#"), "\u00a3", "0,1"},
    {"IBM PC maps 8-bit codes", 10, 4, 0, b("\x1b(U\x80\xdb"), "\u00c7\u2588", "0,2"},
    {"first and last codes of the tables", 10, 4, 0, b("\x1b(0+~_\x1b(U\x9e\xff"), "\u2192\u00b7\u00a0\u20a7\u00a0", "0,5"},
    {"unknown designation leaves the set", 10, 4, 0, b("\x1b(0\x1b(Zq"), "\u2500", "0,1"},
    {"SO invokes G1 (DEC graphics), then as designated", 10, 4, 0, b("\x0eq\x0fq\x1b)A\x0e#"), "\u2500q\u00a3", "0,3"},
    {"SS2 translates only the next character, also over SO", 10, 4, 0, b("\x1bN##\x0e\x1bN#q"), "\u00a3#\u00a3\u2500", "0,4"},
    {"SS3 uses G3 (IBM PC)", 10, 4, 0, b("\x1bO\x7f\x7f"), "\u2302\x7f", "0,2"},
    {"G2 and G3 cannot be designated", 10, 4, 0, b("\x1b*0\x1bNq\x1b+0\x1bOq"), "qq", "0,2"},
    {"RIS restores the designations", 10, 4, 0, b("\x1b(0\x1b" "cq"), "q", "0,1"},
    {"ESC % cancels a single shift", 10, 4, 0, b("\x1bN\x1b%@#"), "#", "0,1"},
    {"0x9B and 0x9F print without 8-bit controls", 10, 4, 0, b("\x9b\x9f" "2C"), "\u009b\u009f" "2C", "0,4"},
    {"IND, NEL and RI as C1", 10, 4, C1, b("a\x84" "b\x85" "c\x8d" "d"), "a\n d\nc", "1,2"},
    {"HTS as C1", 10, 4, C1, b("\x1b[3G\x88\r\tX"), "  X", "0,3"},
    {"C1 cancels a sequence", 10, 4, C1, b("\x1b[5\x80X"), "X", "0,1"},
    {"8-bit ST ends strings; 8-bit OSC and DCS", 10, 4, C1, b("\x1b]0;t\x9cX\x9dtitle\x9c\x90q\x9cY"), "XY", "0,2"},
    {"C1 printed in a string without 8-bit controls", 10, 4, 0, b("\x1bP\x9cX\x1b\\Y"), "Y", "0,1"},
    {"UTF-8 of two, three and four bytes", 10, 4, U8, b("\xc3\xa9\xe2\x94\x80\xf0\x9f\x98\x80"), "\u00e9\u2500\U0001F600", "0,3"},
    {"text or a control ends a broken sequence; lone continuations, 0xFF dropped", 10, 4, U8, b("\xc3" "A\xa9\xe2\x94\x07X\xff" "a"), "AXa", "0,3"},
    {"NUL is executed without UTF-8, dropped with it", 10, 4, 0, b("a\0b\x1b%Gc\0d"), "abcd", "0,4"},
    {"overlong forms are not checked", 10, 4, U8, b("\xc0\xaf"), "/", "0,1"},
    {"decoded C1 is CSI with 8-bit controls", 10, 4, U8 | C1, b("ab\xc2\x9b" "2D"), "ab", "0,0"},
    {"decoded C1 prints without 8-bit controls", 10, 4, U8, b("\xc2\x9b"), "\u009b", "0,1"},
    {"code above 0xFF: in a sequence ends nothing, in an escape ignored", 10, 4, U8, b("\x1b[\xe2\x94\x80" "5CX\x1b\xe2\x94\x80Y"), "XY", "0,2"},
    {"ESC % 8, @ and G", 10, 4, 0, b("\x1b%8\xc3\xa9\x1b%@\xc3\xa9\x1b%G\xc3\xa9"), "\u00e9\u00c3\u00a9\u00e9", "0,4"},
    {"ESC % resets the decoder", 10, 4, U8, b("\xe2\x94\x1b%G\x80X"), "X", "0,1"},
};

struct PenCase {
    const char *name;
    const char *input; // followed by printing "X" at the home position
    uint32_t attributes, foreground, background;
};

const PenCase kPens[] = {
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
    {"RIS resets the pen", "\x1b[1;31m\x1b" "c", 0, kDefault, kDefault},
    {"DECRC without DECSC: default rendition", "\x1b[1;31;42m\x1b" "8", 0, kDefault, kDefault},
    {"RIS forgets the saved rendition", "\x1b[1;31m\x1b" "7\x1b" "c\x1b" "8", 0, kDefault, kDefault},
    {"DECRC and SCORC restore the pen", "\x1b[5;31;47m\x1b" "7\x1b[s\x1b[0m\x1b[u\x1b[0m\x1b" "8", kCellBlink, kRed, kWhite},
};

} // namespace

class TstTermScreen : public QObject
{
    Q_OBJECT

private slots:
    void bytes_data() { addCaseRows(kCases); }

    void bytes()
    {
        QFETCH(int, index);
        const Case &c = kCases[index];
        TermHarness term(c.cols, c.rows, c.options);
        term.feed(c.input);
        QCOMPARE(term.screen().toUtf8(), c.screen);
        QCOMPARE(term.cursor(), QLatin1String(c.cursor));
        if (c.history)
            QCOMPARE(term.history(), QLatin1String(c.history));
    }

    void utf16Input()
    {
        TermHarness term(10, 4, kOptionUtf8);
        term.feed("\xe2\x94"); // a sequence the UTF-16 path abandons
        term.feedUtf16(QStringLiteral("a\u263a\u00e9"));
        term.feed("\x80");
        QCOMPARE(term.screen(), QStringLiteral("a\u263a\u00e9"));
        // A surrogate pair is two cells; control sequences work as in bytes;
        // Latin-1 C1 from UTF-16 is gated like a byte.
        term.feedUtf16(QStringLiteral("\U0001F600\x1b[2;3HX\u009b" "1C"));
        QCOMPARE(term.row(0).size(), 5);
        QCOMPARE(term.row(1), QStringLiteral("  X\u009b" "1C"));
    }

    void sgr_data() { addCaseRows(kPens); }

    void sgr()
    {
        QFETCH(int, index);
        const PenCase &c = kPens[index];
        TermHarness term(10, 4);
        term.feed(QByteArray(c.input) + "X");
        const TerminalCell cell = term.cell(0, 0);
        QCOMPARE(cellChar(cell), uint('X'));
        QCOMPARE(cell.ch & kCellAttributeMask & ~kCellChanged, c.attributes);
        QCOMPARE(cellForeground(cell), c.foreground);
        QCOMPARE(cellBackground(cell), c.background);
        QCOMPARE(cell.colours >> 18, 0u);
    }

    void eraseWritesTheBlankCell_data()
    {
        QTest::addColumn<QByteArray>("erase"); // applied with the cursor at column 1 of "abc"
        for (const char *erase : {"\x1b[1K", "\x1b[2K", "\x1b[2J", "\x1b[1G\x1b[X", "\x1b[1G\x1b[@", "\x1b[1G\x1b[9P",
                                  "\x1b[L", "\x1b[M"})
            QTest::newRow(erase + 1) << QByteArray(erase);
    }

    void eraseWritesTheBlankCell()
    {
        QFETCH(QByteArray, erase);
        TermHarness term(10, 4);
        term.feed("\x1b[1;4;41;33mabc\x1b[2G" + erase);
        const TerminalCell cell = term.cell(0, 0);
        QCOMPARE(cell.ch & ~kCellChanged, 32u);
        QCOMPARE(cell.colours, kBlankColours);
    }

    void codePointsBeyondTwentyBitsLeaveTheAttributes()
    {
        TermHarness term(10, 4, kOptionUtf8);
        term.feed("\xf4\x8f\xbf\xbf\xf7\xbf\xbf\xbf"); // U+10FFFF and a 21-bit value
        QCOMPARE(term.cell(0, 0).ch & kCellAttributeMask & ~kCellChanged, 0u);
        QCOMPARE(term.cell(1, 0).ch & kCellAttributeMask & ~kCellChanged, 0u);
        QCOMPARE(term.cursor(), QStringLiteral("0,2"));
    }
};

QTEST_APPLESS_MAIN(TstTermScreen)
#include "tst_termscreen.moc"
