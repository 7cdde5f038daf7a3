// Bytes in, screen and cursor out: wrapping, scrolling, insert/delete,
// erase, tab stops, cursor movement and the parser's collection rules.
#include "termharness.h"

#include <QTest>

class TstTermScreen : public QObject
{
    Q_OBJECT

private:
    static void columns();
    static void row(const char *name, uint32_t cols, uint32_t rows, const QByteArray &input, const QString &screen,
                    const QString &cursor);
    static void check();

private slots:
    void wrap_data();
    void wrap() { check(); }
    void scrolling_data();
    void scrolling() { check(); }
    void insertDelete_data();
    void insertDelete() { check(); }
    void erase_data();
    void erase() { check(); }
    void tabs_data();
    void tabs() { check(); }
    void cursorMovement_data();
    void cursorMovement() { check(); }
    void parameters_data();
    void parameters() { check(); }
    void strings_data();
    void strings() { check(); }
    void resets_data();
    void resets() { check(); }
};

void TstTermScreen::columns()
{
    QTest::addColumn<uint>("cols");
    QTest::addColumn<uint>("rows");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("cursor");
}

void TstTermScreen::row(const char *name, uint32_t cols, uint32_t rows, const QByteArray &input,
                        const QString &screen, const QString &cursor)
{
    QTest::newRow(name) << uint(cols) << uint(rows) << input << screen << cursor;
}

void TstTermScreen::check()
{
    QFETCH(uint, cols);
    QFETCH(uint, rows);
    QFETCH(QByteArray, input);
    QFETCH(QString, screen);
    QFETCH(QString, cursor);
    TermHarness term(cols, rows);
    term.feed(input);
    QCOMPARE(term.screen(), screen);
    QCOMPARE(term.cursor(), cursor);
}

void TstTermScreen::wrap_data()
{
    columns();
    row("11th character wraps", 10, 4, "abcdefghijK", "abcdefghij\nK", "1,1");
    row("full line leaves the wrap pending", 10, 4, "abcdefghij", "abcdefghij", "0,9");
    row("without autowrap the last column is overwritten", 10, 4, "\x1b[?7labcdefghijKL", "abcdefghiL", "0,9");
    row("without autowrap a line of exactly the width", 10, 4, "\x1b[?7labcdefghij", "abcdefghij", "0,9");
    row("CR cancels the pending wrap", 10, 4, "abcdefghij\rX", "Xbcdefghij", "0,1");
    row("SGR cancels the pending wrap", 10, 4, "abcdefghij\x1b[mX", "abcdefghiX", "0,9");
    row("BS only cancels the pending wrap", 10, 4, "abcdefghij\bX", "abcdefghiX", "0,9");
    row("wrap on the last row scrolls", 4, 3, "aaaabbbbccccd", "bbbb\ncccc\nd", "2,1");
    row("double width line halves the width and does not wrap", 10, 4, "\x1b#6abcdefg", "abcdg", "0,4");
    row("double height line does not wrap", 10, 4, "\x1b#3abcdefg", "abcdg", "0,4");
    row("single width again", 10, 4, "\x1b#6ab\x1b#5cdefghijk", "abcdefghij\nk", "1,1");
    row("BS at column 0 wraps back (reverse wraparound)", 10, 4, "ab\r\n\bX", "ab       X", "0,9");
    row("BS at column 0 without reverse wraparound", 10, 4, "\x1b[?45lab\r\n\bX", "ab\nX", "1,1");
    row("BS at the home position stays", 10, 4, "\bX", "X", "0,1");
    row("insert mode shifts the line", 10, 4, "abc\r\x1b[4hX", "Xabc", "0,1");
    row("insert mode pushes cells off the end", 5, 4, "abcde\r\x1b[4hX", "Xabcd", "0,1");
    row("replace mode again", 10, 4, "abc\r\x1b[4h\x1b[4lX", "Xbc", "0,1");
    row("DEL prints in the ground state", 10, 4, "a\x7f" "b", QStringLiteral("a\x7f" "b"), "0,3");
}

void TstTermScreen::scrolling_data()
{
    columns();
    row("line feed on the last row scrolls the screen", 10, 3, "a\nb\nc\nd", "b\nc\nd", "2,1");
    row("LNM off: line feed keeps the column", 10, 4, "\x1b[20lab\ncd", "ab\n  cd", "1,4");
    row("VT and FF are line feeds", 10, 4, "a\x0b" "b\x0c" "c", "a\nb\nc", "2,1");
    row("IND keeps the column", 10, 4, "ab\x1b" "Dc", "ab\n  c", "1,3");
    row("NEL goes to column 0", 10, 4, "ab\x1b" "Ec", "ab\nc", "1,1");
    row("region scrolls only its rows", 5, 6, "0\n1\n2\n3\n4\n5\x1b[2;4r\x1b[4;1H\n", "0\n2\n3\n\n4\n5", "3,0");
    row("line feed below the region stops at the last row", 5, 4, "0\n1\n2\n3\x1b[1;2r\x1b[4H\nX", "0\n1\n2\nX",
        "3,1");
    row("region at the top keeps the rows below it", 5, 4, "0\n1\n2\n3\x1b[1;3r\x1b[3H\n", "1\n2\n\n3", "2,0");
    row("RI at the top margin scrolls down", 5, 4, "0\n1\n2\n3\x1b[H\x1bM", "\n0\n1\n2", "0,0");
    row("RI inside a region", 5, 4, "0\n1\n2\n3\x1b[2;3r\x1b[2H\x1bM", "0\n\n1\n3", "1,0");
    row("RI elsewhere moves up", 5, 4, "0\n1\n2\r\x1bMX", "0\nX\n2", "1,1");
    row("RI at row 0 outside the region stays", 5, 4, "\x1b[2;3r\x1b[H\x1bMX", "X", "0,1");
    row("DECSTBM homes the cursor", 10, 6, "\x1b[5;5H\x1b[2;4r", "", "0,0");
    row("DECSTBM in origin mode goes to the top margin", 10, 6, "\x1b[?6h\x1b[5;5H\x1b[2;4r", "", "1,0");
    row("DECSTBM past the screen is ignored", 10, 20, "\x1b[5;5H\x1b[24;10r", "", "4,4");
    row("DECSTBM of one row is ignored", 10, 20, "\x1b[5;5H\x1b[5;5r", "", "4,4");
    row("DECSTBM without parameters is the whole screen", 5, 4, "0\n1\n2\n3\x1b[2;3r\x1b[r\x1b[4H\n", "1\n2\n3",
        "3,0");
}

void TstTermScreen::insertDelete_data()
{
    columns();
    row("ICH", 10, 4, "abcdef\x1b[3G\x1b[2@", "ab  cdef", "0,2");
    row("ICH 0 inserts one", 10, 4, "abc\x1b[1G\x1b[0@", " abc", "0,0");
    row("ICH pushes cells off the end", 5, 4, "abcde\x1b[2G\x1b[2@", "a  bc", "0,1");
    row("ICH beyond the end blanks the rest", 5, 4, "abcde\x1b[2G\x1b[99@", "a", "0,1");
    row("DCH", 10, 4, "abcdef\x1b[2G\x1b[2P", "adef", "0,1");
    row("DCH 200 at column 70 blanks 70-79", 80, 4,
        QByteArray("0123456789").repeated(8) + "\x1b[71G\x1b[200P", QStringLiteral("0123456789").repeated(7),
        "0,70");
    row("ECH", 10, 4, "abcdef\x1b[2G\x1b[3X", "a   ef", "0,1");
    row("ECH stops at the end of the line", 5, 4, "abcde\x1b[4G\x1b[9X", "abc", "0,3");
    row("IL inside the screen", 5, 4, "0\n1\n2\n3\x1b[2H\x1b[L", "0\n\n1\n2", "1,0");
    row("IL inside a region keeps the rows below", 5, 4, "0\n1\n2\n3\x1b[1;3r\x1b[2H\x1b[L", "0\n\n1\n3", "1,0");
    row("IL below the region does nothing", 5, 6, "0\n1\n2\n3\n4\n5\x1b[1;3r\x1b[5H\x1b[L", "0\n1\n2\n3\n4\n5",
        "4,0");
    row("IL more than the region", 5, 4, "0\n1\n2\n3\x1b[2H\x1b[9L", "0", "1,0");
    row("DL in the middle", 5, 3, "a\nb\nc\x1b[2H\x1b[M", "a\nc", "1,0");
    row("DL at row 0 of the screen", 5, 3, "a\nb\nc\x1b[H\x1b[M", "b\nc", "0,0");
    row("DL inside a region", 5, 4, "0\n1\n2\n3\x1b[1;3r\x1b[2H\x1b[M", "0\n2\n\n3", "1,0");
    row("DL above the region does nothing", 5, 4, "0\n1\n2\n3\x1b[3;4r\x1b[1H\x1b[2M", "0\n1\n2\n3", "0,0");
}

void TstTermScreen::erase_data()
{
    columns();
    row("EL 0", 10, 4, "abcdef\x1b[3G\x1b[K", "ab", "0,2");
    row("EL 1 includes the cursor", 10, 4, "abcdef\x1b[3G\x1b[1K", "   def", "0,2");
    row("EL 2", 10, 4, "abcdef\x1b[3G\x1b[2K", "", "0,2");
    row("EL 3 is ignored", 10, 4, "abcdef\x1b[3G\x1b[3K", "abcdef", "0,2");
    row("ED 0", 10, 3, "aaa\nbbb\nccc\x1b[2;2H\x1b[J", "aaa\nb", "1,1");
    row("ED 1", 10, 3, "aaa\nbbb\nccc\x1b[2;2H\x1b[1J", "\n  b\nccc", "1,1");
    row("ED 2", 10, 3, "aaa\nbbb\nccc\x1b[2;2H\x1b[2J", "", "1,1");
    row("ED 4 is ignored", 10, 3, "aaa\x1b[4J", "aaa", "0,3");
    row("ED makes the rows single width", 10, 3, "\x1b#6ab\x1b[2Jabcdefghijkl", "  abcdefgh\nijkl", "1,4");
    row("ED 0 keeps a double width row above", 10, 3, "\x1b#6ab\n\x1b[J\x1b[Habcdefg", "abcdg", "0,4");
}

void TstTermScreen::tabs_data()
{
    columns();
    row("HT to the next multiple of 8", 20, 4, "a\tb", "a       b", "0,9");
    row("HT without a further stop goes to the last column", 10, 4, "\t\tX", "         X", "0,9");
    row("HT from a stop to the next", 20, 4, "\t\tX", "                X", "0,17");
    row("HTS sets a stop", 20, 4, "\x1b[4G\x1bH\r\tX", "   X", "0,4");
    row("TBC 0 clears the stop at the cursor", 20, 4, "\x1b[9G\x1b[g\r\tX", "                X", "0,17");
    row("TBC 3 clears all stops", 20, 4, "\x1b[3g\tX", "                   X", "0,19");
    row("TBC 2 is ignored", 20, 4, "\x1b[9G\x1b[2g\r\tX", "        X", "0,9");
    row("CHT", 20, 4, "\x1b[2IX", "                X", "0,17");
    row("CBT to the previous stop", 20, 4, "\x1b[20G\x1b[ZX", "                X", "0,17");
    row("CBT 2", 20, 4, "\x1b[20G\x1b[2ZX", "        X", "0,9");
    row("CBT without a stop goes to column 0", 20, 4, "\x1b[5G\x1b[ZX", "X", "0,1");
}

void TstTermScreen::cursorMovement_data()
{
    columns();
    row("CUU stops at the top margin", 10, 10, "\x1b[3;5r\x1b[5H\x1b[10A", "", "2,0");
    row("CUU above the region goes to row 0", 10, 10, "\x1b[3;5r\x1b[2H\x1b[10A", "", "0,0");
    row("CUD stops at the bottom margin", 10, 10, "\x1b[3;5r\x1b[3H\x1b[10B", "", "4,0");
    row("CUD below the region stops at the last row", 10, 10, "\x1b[3;5r\x1b[7H\x1b[50B", "", "9,0");
    row("VPR is CUD", 10, 10, "\x1b[2e", "", "2,0");
    row("CUF clamps to the last column", 10, 4, "\x1b[50C", "", "0,9");
    row("HPR is CUF", 10, 4, "\x1b[3a", "", "0,3");
    row("CUB clamps to column 0 without reverse wraparound", 10, 4, "\x1b[?45l\x1b[2;3H\x1b[5D", "", "1,0");
    row("CUB continues on the row above", 10, 4, "\x1b[2;3H\x1b[5D", "", "0,7");
    row("CUB does not pass row 0", 10, 4, "\x1b[2;3H\x1b[99D", "", "0,0");
    row("CUP", 10, 10, "\x1b[3;4H", "", "2,3");
    row("CUP 0 counts as 1", 10, 10, "\x1b[5;5H\x1b[0;0H", "", "0,0");
    row("CUP clamps", 10, 10, "\x1b[99;99H", "", "9,9");
    row("HVP is CUP", 10, 10, "\x1b[2;2f", "", "1,1");
    row("CUP in origin mode counts from the top margin", 10, 10, "\x1b[3;5r\x1b[?6h\x1b[2;3H", "", "3,2");
    row("CUP in origin mode past the region does nothing", 10, 10, "\x1b[3;5r\x1b[?6h\x1b[4;3H", "", "2,0");
    row("DECOM off goes home", 10, 10, "\x1b[3;5r\x1b[?6h\x1b[2;3H\x1b[?6l", "", "0,0");
    row("CNL", 10, 10, "\x1b[5;5H\x1b[2E", "", "6,0");
    row("CNL clamps to the last row", 10, 10, "\x1b[5;5H\x1b[30E", "", "9,0");
    row("CNL in origin mode past the region does nothing", 10, 10, "\x1b[3;5r\x1b[?6h\x1b[4G\x1b[5E", "", "2,3");
    row("CPL", 10, 10, "\x1b[5;5H\x1b[2F", "", "2,0");
    row("CHA", 10, 4, "\x1b[4G", "", "0,3");
    row("CHA clamps", 10, 4, "\x1b[200G", "", "0,9");
    row("HPA is CHA", 10, 4, "\x1b[3`", "", "0,2");
    row("VPA keeps the column", 10, 10, "\x1b[5;7H\x1b[8d", "", "7,6");
    row("VPA in origin mode", 10, 10, "\x1b[3;5r\x1b[?6h\x1b[4G\x1b[3d", "", "4,3");
    row("VPA in origin mode past the region does nothing", 10, 10, "\x1b[3;5r\x1b[?6h\x1b[4G\x1b[4d", "", "2,3");
    row("DECSC and DECRC", 10, 10, "\x1b[5;7H\x1b" "7\x1b[H\x1b" "8", "", "4,6");
    row("SCOSC and SCORC", 10, 10, "\x1b[5;7H\x1b[s\x1b[H\x1b[u", "", "4,6");
    row("DECRC restores origin mode", 10, 10, "\x1b[3;5r\x1b[?6h\x1b" "7\x1b[?6l\x1b" "8\x1b[1;1H", "", "2,0");
    row("DECRC without DECSC goes home", 10, 10, "\x1b[5;5H\x1b" "8", "", "0,0");
}

void TstTermScreen::parameters_data()
{
    columns();
    row("CSI ;5H holds two parameters", 10, 10, "\x1b[;5H", "", "0,4");
    row("long digit strings saturate", 80, 24, "\x1b[4294967297C", "", "0,79");
    row("long row number saturates", 80, 24, "\x1b[4294967296;5H", "", "23,4");
    row("very long digit strings", 80, 24, "\x1b[" + QByteArray(300, '9') + "B", "", "23,0");
    row("colon makes the sequence ignored", 10, 4, "a\x1b[1:2Hb", "ab", "0,2");
    row("private marker after a parameter is ignored", 10, 4, "a\x1b[1?5Cb", "ab", "0,2");
    row("CAN cancels a sequence", 10, 4, "\x1b[5\x18X", "X", "0,1");
    row("SUB cancels a sequence", 10, 4, "\x1b[5\x1aX", "X", "0,1");
    row("ESC restarts a sequence", 10, 4, "\x1b[3\x1b[5CX", "     X", "0,6");
    row("C0 inside a sequence executes", 10, 4, "ab\x1b[\r3CX", "ab X", "0,4");
    row("DEL inside a sequence is ignored", 10, 4, "\x1b[2\x7f;5H", "", "1,4");
    row("unknown final is ignored", 10, 4, "a\x1b[5yb", "ab", "0,2");
    // The 17th parameter's digits extend the 16th: 2 and 0 make 20 (LNM).
    row("digits after the 16th semicolon extend the 16th", 10, 4, "\x1b[0;0;0;0;0;0;0;0;0;0;0;0;0;0;0;2;0la\nb",
        "a\n b", "1,2");
    row("two intermediates then a designation still works", 10, 4, "\x1b( 1\x1b(0q", QStringLiteral("\u2500"), "0,1");
    row("ESC with two intermediates is ignored", 10, 4, "\x1b#(8a", "a", "0,1");
    row("CSI with two intermediates is ignored", 10, 4, "abc\x1b[!!pd", "abcd", "0,4");
}

void TstTermScreen::strings_data()
{
    columns();
    row("OSC is consumed; BEL does not end it", 10, 4, "\x1b]0;title\x07X", "", "0,0");
    row("ESC backslash ends OSC", 10, 4, "\x1b]0;title\x07X\x1b\\Y", "Y", "0,1");
    row("DCS is consumed", 10, 4, "\x1bP1;2|data\x1b\\X", "X", "0,1");
    row("SOS is consumed", 10, 4, "\x1bXhidden\x1b\\X", "X", "0,1");
    row("PM is consumed", 10, 4, "\x1b^hidden\x1b\\X", "X", "0,1");
    row("APC is consumed", 10, 4, "\x1b_hidden\x1b\\X", "X", "0,1");
    row("8-bit ST does not end a string without 8-bit controls", 10, 4, "\x1b]0;t\x9cX", "", "0,0");
    row("an OSC cancels a pending wrap", 5, 4, "abcde\x1b]x\x1b\\Z", "abcdZ", "0,4");
}

void TstTermScreen::resets_data()
{
    columns();
    row("DECALN fills the screen and homes", 4, 3, "ab\x1b#8", "EEEE\nEEEE\nEEEE", "0,0");
    row("RIS", 10, 4, "abc\x1b[2;3H\x1b" "c", "", "0,0");
    row("DECSTR", 10, 4, "abc\x1b[!p", "", "0,0");
    row("DECCOLM set and reset both reset", 10, 4, "abc\x1b[?3h", "", "0,0");
    row("RIS restores the default modes (LNM)", 10, 4, "\x1b[20l\x1b" "ca\nb", "a\nb", "1,1");
    row("RIS forgets the margins", 5, 4, "\x1b[1;2r\x1b" "c0\n1\n2\n3", "0\n1\n2\n3", "3,1");
    row("character table on a narrow screen", 4, 2, "\x1b#7", QString::fromUtf16(u"\0\1\2\3\n\20\21\22\23", 9), "0,0");
}

QTEST_APPLESS_MAIN(TstTermScreen)
#include "tst_termscreen.moc"
