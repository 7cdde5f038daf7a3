// Scrollback, the view into it, resizing that keeps history, and the
// change marks that keep repainting proportional to change.
#include "termharness.h"

#include <QTest>

using namespace zn;

class TstTermHistory : public QObject
{
    Q_OBJECT

private slots:
    void scrollback_data();
    void scrollback();
    void historyIsCappedAndSurvivesShrinking();
    void resizeKeepsTheNewestLines_data();
    void resizeKeepsTheNewestLines();
    void resizeRejectsBadSizes();
    void resizeKeepsTabStops();
    void restoredCursorIsClampedAfterShrinking();
    void marginsAfterShrinking_data();
    void marginsAfterShrinking();
    void fullResetClearsHistory_data();
    void fullResetClearsHistory();
    void viewOffset();
    void jumpToBottomOnOutput();
    void scrollingMarksOnlyChangedCells();
    void scrolledBackViewMarksWhatMoved();
    void regionScrollMarksOnlyChangedCells_data();
    void regionScrollMarksOnlyChangedCells();
    void blinkStep();
};

void TstTermHistory::scrollback_data()
{
    QTest::addColumn<QByteArray>("input"); // on 10 x 3
    QTest::addColumn<QString>("history");
    QTest::addColumn<QString>("screen");
    auto row = [](const char *name, const QByteArray &input, const char *history, const char *screen) {
        QTest::newRow(name) << input << QString::fromLatin1(history) << QString::fromLatin1(screen);
    };
    row("top row goes into the scrollback", "a\nb\nc\nd\ne", "a\nb", "c\nd\ne");
    row("a blank top row does not start the history", "\n\n\nx", "", "\n\nx");
    row("a blank row enters once history exists", "a\n\n\n\n", "a\n", "");
    row("region below the top keeps it out", "a\nb\nc\x1b[2;3r\x1b[3H\n\n", "", "a");
    row("region at the top feeds it", "a\nb\nc\x1b[1;2r\x1b[2H\n", "a", "b\n\nc");
    row("DL at row 0 feeds it", "a\nb\nc\x1b[H\x1b[2M", "a\nb", "c");
    row("DL at row 1 does not", "a\nb\nc\x1b[2H\x1b[M", "", "a\nc");
    row("IND feeds it", "a\x1b[3H\x1b" "D\x1b" "D", "a\n", "");
    row("RI leaves it alone", "a\nb\nc\nd\x1b[H\x1bM", "a", "\nb\nc");
    row("wrapping feeds it", "aaaaaaaaaabbbbbbbbbbccccccccccd", "aaaaaaaaaa", "bbbbbbbbbb\ncccccccccc\nd");
}

void TstTermHistory::scrollback()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, history);
    QFETCH(QString, screen);
    TermHarness term(10, 3);
    term.feed(input);
    QCOMPARE(term.history(), history);
    QCOMPARE(term.screen(), screen);
}

void TstTermHistory::historyIsCappedAndSurvivesShrinking()
{
    TermHarness term(80, 50);
    QByteArray lines;
    for (int i = 0; i < 12000; ++i)
        lines += QByteArray::number(i) + "\r\n";
    term.feed(lines);
    TerminalCore *t = term.core();
    QCOMPARE(t->historyCount, 10000u);
    QCOMPARE(term.row(-10000), QStringLiteral("1951")); // 12000 lines + 1 blank row shown on 50 rows
    QCOMPARE(term.row(48), QStringLiteral("11999"));
    const int before = term.scrollbackChanges;
    QCOMPARE(terminalCoreResize(t, 80, 25, kTerminalHistoryLines), 1);
    QVERIFY(term.scrollbackChanges > before);
    QCOMPARE(t->historyCount, 10000u);
    QCOMPARE(term.row(23), QStringLiteral("11999"));
    QCOMPARE(term.row(-10000), QStringLiteral("1976"));
    QCOMPARE(term.cursor(), QStringLiteral("24,0"));
    // Growing again brings history lines back onto the screen.
    QCOMPARE(terminalCoreResize(t, 80, 50, kTerminalHistoryLines), 1);
    QCOMPARE(t->historyCount, 9975u);
    QCOMPARE(term.row(0), QStringLiteral("11951"));
    QCOMPARE(term.row(-9975), QStringLiteral("1976"));
    QCOMPARE(term.cursor(), QStringLiteral("49,0"));
}

void TstTermHistory::resizeKeepsTheNewestLines_data()
{
    QTest::addColumn<uint>("cols");
    QTest::addColumn<uint>("rows");
    QTest::addColumn<QString>("history");
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("cursor");
    auto row = [](const char *name, uint cols, uint rows, const char *history, const char *screen,
                  const char *cursor) {
        QTest::newRow(name) << cols << rows << QString::fromLatin1(history) << QString::fromLatin1(screen)
                            << QString::fromLatin1(cursor);
    };
    // Start: 10 x 5 holding "a b c" with the cursor behind "c" (two rows above the bottom).
    row("fewer rows push the top into the history", 10, 3, "a\nb", "c", "0,1");
    row("more rows without history add blank rows at the top", 10, 7, "", "\n\na\nb\nc", "4,1");
    row("fewer columns cut the lines", 4, 5, "", "a\nb\nc", "2,1");
    row("cursor row clamps when its distance does not fit", 10, 2, "a\nb\nc", "", "1,1");
    row("same size changes nothing", 10, 5, "", "a\nb\nc", "2,1");
}

void TstTermHistory::resizeKeepsTheNewestLines()
{
    QFETCH(uint, cols);
    QFETCH(uint, rows);
    QFETCH(QString, history);
    QFETCH(QString, screen);
    QFETCH(QString, cursor);
    TermHarness term(10, 5);
    term.feed("a\nb\nc");
    QCOMPARE(terminalCoreResize(term.core(), cols, rows, kTerminalHistoryLines), 1);
    QCOMPARE(term.history(), history);
    QCOMPARE(term.screen(), screen);
    QCOMPARE(term.cursor(), cursor);
}

void TstTermHistory::resizeRejectsBadSizes()
{
    TermHarness term(10, 5);
    term.feed("abc");
    TerminalCore *t = term.core();
    QCOMPARE(terminalCoreResize(t, 1, 5, 100), 0);
    QCOMPARE(terminalCoreResize(t, 10, 4097, 100), 0);
    QCOMPARE(terminalCoreResize(t, 4097, 10, 100), 0);
    QCOMPARE(terminalCoreResize(t, 4096, 4096, 0xFFFFFFFFu), 0); // the ring would not fit
    QCOMPARE(t->cols, 10u);
    QCOMPARE(t->rows, 5u);
    QCOMPARE(term.screen(), QStringLiteral("abc"));
    // Wider keeps the text and pads with blank cells.
    QCOMPARE(terminalCoreResize(t, 20, 5, 100), 1);
    QCOMPARE(term.screen(), QStringLiteral("abc"));
    QCOMPARE(term.cell(15, 0).colours, kBlankColours);
}

void TstTermHistory::resizeKeepsTabStops()
{
    TermHarness term(20, 4);
    term.feed("\x1b[3g\x1b[4G\x1bH");
    QCOMPARE(terminalCoreResize(term.core(), 40, 4, 100), 1);
    term.feed("\r\tX\tY");
    // The old stop at 3 stays; past the old width the defaults (24, 32) hold.
    QCOMPARE(term.row(0), QStringLiteral("   X                    Y"));
}

void TstTermHistory::restoredCursorIsClampedAfterShrinking()
{
    TermHarness term(80, 24);
    term.feed("\x1b[20;70H\x1b" "7\x1b[22;75H\x1b[s");
    QCOMPARE(terminalCoreResize(term.core(), 40, 10, kTerminalHistoryLines), 1);
    term.feed("\x1b" "8X");
    QCOMPARE(term.cursor(), QStringLiteral("9,39"));
    QCOMPARE(term.row(9), QString(39, QLatin1Char(' ')) + QLatin1Char('X'));
    term.feed("\x1b[u\x1b[2K\x1b[@\x1b[P\x1b[L\x1b[M\x1b[X");
    QCOMPARE(term.cursor(), QStringLiteral("9,39"));
    term.feed("YZ");
    QCOMPARE(term.cursor(), QStringLiteral("9,1"));
}

void TstTermHistory::marginsAfterShrinking_data()
{
    QTest::addColumn<QByteArray>("margins"); // set on 10 x 6, then shrunk to 4 rows
    QTest::addColumn<QString>("screenAfterFeed");
    QTest::addColumn<QString>("history");
    // After the resize: "0 1 2 3 4 5" are reduced to "2 3 4 5"; then the cursor
    // goes to the last row and a line feed follows.
    QTest::newRow("region inside the new size stays") << QByteArray("\x1b[1;3r") << "3\n4\n\n5" << "0\n1\n2";
    QTest::newRow("bottom margin at the old end follows the new end") << QByteArray("\x1b[2;6r") << "2\n4\n5"
                                                                     << "0\n1";
    QTest::newRow("region shrunk below two rows becomes the whole screen") << QByteArray("\x1b[4;5r") << "3\n4\n5"
                                                                           << "0\n1\n2";
}

void TstTermHistory::marginsAfterShrinking()
{
    QFETCH(QByteArray, margins);
    QFETCH(QString, screenAfterFeed);
    QFETCH(QString, history);
    TermHarness term(10, 6);
    term.feed("0\n1\n2\n3\n4\n5" + margins);
    QCOMPARE(terminalCoreResize(term.core(), 10, 4, kTerminalHistoryLines), 1);
    const uint32_t bottom = term.core()->marginBottom;
    term.feed("\x1b[" + QByteArray::number(bottom) + "H\n");
    QCOMPARE(term.screen(), screenAfterFeed);
    QCOMPARE(term.history(), history);
}

void TstTermHistory::fullResetClearsHistory_data()
{
    QTest::addColumn<QByteArray>("reset");
    QTest::newRow("RIS") << QByteArray("\x1b" "c");
    QTest::newRow("DECSTR") << QByteArray("\x1b[!p");
    QTest::newRow("DECCOLM") << QByteArray("\x1b[?3l");
    QTest::newRow("DECALN") << QByteArray("\x1b#8");
    QTest::newRow("character table") << QByteArray("\x1b#7");
}

void TstTermHistory::fullResetClearsHistory()
{
    QFETCH(QByteArray, reset);
    TermHarness term(10, 3);
    term.feed("a\nb\nc\nd\ne");
    terminalCoreSetViewOffset(term.core(), 1);
    term.paint();
    const int before = term.scrollbackChanges;
    term.feed(reset);
    QCOMPARE(term.core()->historyCount, 0u);
    QCOMPARE(term.core()->viewOffset, 0u);
    QVERIFY(term.scrollbackChanges > before);
    QCOMPARE(term.markedCells().count(QLatin1Char(':')), 30);
}

void TstTermHistory::viewOffset()
{
    TermHarness term(10, 3);
    term.feed("a\nb\nc\nd\ne");
    TerminalCore *t = term.core();
    term.paint();
    const int changes = term.scrollbackChanges;
    QCOMPARE(terminalCoreSetViewOffset(t, 1), 1);
    QCOMPARE(term.scrollbackChanges, changes + 1);
    QCOMPARE(term.markedCells().count(QLatin1Char(':')), 30);
    QCOMPARE(lineCells(terminalCoreViewLine(t, 0))[0].ch & kCellCharMask, uint('b'));
    QCOMPARE(terminalCoreSetViewOffset(t, 1), 0);
    QCOMPARE(terminalCoreSetViewOffset(t, 99), 1);
    QCOMPARE(t->viewOffset, 2u);
    QCOMPARE(lineCells(terminalCoreViewLine(t, 0))[0].ch & kCellCharMask, uint('a'));
    QVERIFY(!terminalCoreViewLine(t, 3));
    QVERIFY(!terminalCoreLine(t, -3));
    // Output keeps the view where it is unless told to jump.
    term.feed("x");
    QCOMPARE(t->viewOffset, 2u);
    // CSI ! u asks for a whole repaint of what is shown.
    term.paint();
    term.feed("\x1b[!u");
    QCOMPARE(term.markedCells().count(QLatin1Char(':')), 30);
}

void TstTermHistory::jumpToBottomOnOutput()
{
    TermHarness term(10, 3, kOptionJumpOnOutput);
    term.feed("a\nb\nc\nd\ne");
    TerminalCore *t = term.core();
    terminalCoreSetViewOffset(t, 2);
    term.paint();
    term.feed("\x1b[31m"); // no printing, no jump
    QCOMPARE(t->viewOffset, 2u);
    term.feed("x");
    QCOMPARE(t->viewOffset, 0u);
    QCOMPARE(term.markedCells().count(QLatin1Char(':')), 30);
}

// After a scroll of the live screen, only cells whose content differs from
// what was shown at their place are marked.
void TstTermHistory::scrollingMarksOnlyChangedCells()
{
    TermHarness term(4, 3);
    term.feed("\x1b[?25lxx\nxy\nxx");
    term.paint();
    term.feed("\nxx");
    // Rows now: "xy", "xx", "xx"; shown were "xx", "xy", "xx". The new
    // bottom row was blanked and written again, yet looks as before.
    QCOMPARE(term.screen(), QStringLiteral("xy\nxx\nxx"));
    QCOMPARE(term.markedCells(), QStringLiteral("0:1 1:1"));
    // Many lines in one feed mark the whole screen.
    term.paint();
    term.feed("\n\n\n");
    QCOMPARE(term.markedCells().count(QLatin1Char(':')), 12);
}

void TstTermHistory::scrolledBackViewMarksWhatMoved()
{
    TermHarness term(4, 3);
    term.feed("\x1b[?25la\nb\nc\nd\ne\nf");
    TerminalCore *t = term.core();
    terminalCoreSetViewOffset(t, 2);
    term.paint(); // shows "b c d"
    term.feed("\ng");
    // The view slid with the screen: now "c d e".
    QCOMPARE(t->viewOffset, 2u);
    QCOMPARE(lineCells(terminalCoreViewLine(t, 0))[0].ch & kCellCharMask, uint('c'));
    QCOMPARE(term.markedCells(), QStringLiteral("0:0 1:0 2:0"));
}

void TstTermHistory::regionScrollMarksOnlyChangedCells_data()
{
    QTest::addColumn<QByteArray>("region");
    QTest::addColumn<QString>("marked");
    // Through the ring the row below the region is copied into a recycled
    // line, so it is repainted although it looks the same.
    QTest::newRow("region at the top, through the ring") << QByteArray("\x1b[1;3r") << "1:1 2:0 2:1 3:0 3:1";
    QTest::newRow("region below the top, by copying") << QByteArray("\x1b[2;3r") << "1:1 2:0 2:1";
}

void TstTermHistory::regionScrollMarksOnlyChangedCells()
{
    QFETCH(QByteArray, region);
    QFETCH(QString, marked);
    TermHarness term(4, 4);
    term.feed("\x1b[?25lab\nab\nac\nzz" + region + "\x1b[3H");
    term.paint();
    term.feed("\n");
    // Rows were "ab ab ac zz", now "ab ac __ zz".
    QCOMPARE(term.screen(), QStringLiteral("ab\nac\n\nzz"));
    QCOMPARE(term.markedCells(), marked);
}

void TstTermHistory::blinkStep()
{
    TermHarness term(10, 3);
    TerminalCore *t = term.core();
    QCOMPARE(terminalCoreBlinkStep(t), 0);
    term.feed("\x1b[?25la\x1b[5mb\x1b[6mc\x1b[0md");
    QVERIFY(t->modes & kModeBlinking);
    term.paint();
    QCOMPARE(terminalCoreBlinkStep(t), 1);
    QCOMPARE(term.markedCells(), QStringLiteral("0:1 0:2"));
    QVERIFY(t->modes & kModeChanged);
    // Blinking cells overwritten: the step finds none and stops.
    term.feed("\r\x1b[2K");
    term.paint();
    QCOMPARE(terminalCoreBlinkStep(t), 0);
    QVERIFY(!(t->modes & kModeBlinking));
    QVERIFY(!(terminalCoreLine(t, 0)->header & kLineBlink));
    QCOMPARE(terminalCoreBlinkStep(t), 0);
}

QTEST_APPLESS_MAIN(TstTermHistory)
#include "tst_termhistory.moc"
