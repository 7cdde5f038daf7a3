// The history and the view into it, resizing that keeps them, and the change
// marks that keep repainting in step with what changed.
#include "termharness.h"

#include <QTest>

using namespace zn;

namespace {

struct Resize {
    const char *name;
    uint32_t cols, rows;
    QByteArray before; // fed on the old size
    uint32_t newCols, newRows;
    QByteArray after; // fed on the new size
    const char *history, *screen, *cursor;
};

// Starting from "a b c" on 10 x 5 the cursor sits behind "c", two rows above
// the bottom. On 10 x 6 "0 1 2 3 4 5" become "2 3 4 5" on 4 rows, then a
// line feed on the bottom margin shows where the region went.
const Resize kResizes[] = {
    {"fewer rows push the top into the history", 10, 5, "a\nb\nc", 10, 3, "", "a\nb", "c", "0,1"},
    {"more rows without history add blank rows at the top", 10, 5, "a\nb\nc", 10, 7, "", "", "\n\na\nb\nc", "4,1"},
    {"more rows scroll as one region", 10, 5, "a\nb\nc", 10, 7, "\x1b[7Hd\n", "", "\na\nb\nc\n\nd", "6,0"},
    {"cursor row clamps when its distance does not fit", 10, 5, "a\nb\nc", 10, 2, "", "a\nb\nc", "", "1,1"},
    {"region inside the new size stays", 10, 6, "0\n1\n2\n3\n4\n5\x1b[1;3r", 10, 4, "\x1b[3H\n", "0\n1\n2",
     "3\n4\n\n5", "2,0"},
    {"bottom at the old end follows the new end", 10, 6, "0\n1\n2\n3\n4\n5\x1b[2;6r", 10, 4, "\x1b[4H\n", "0\n1",
     "2\n4\n5", "3,0"},
    {"region below two rows becomes the whole screen", 10, 6, "0\n1\n2\n3\n4\n5\x1b[4;5r", 10, 4, "\x1b[4H\n",
     "0\n1\n2", "3\n4\n5", "3,0"},
    {"saved cursors are clamped", 20, 8, "0\n1\n2\n3\n4\n5\n6\n7\x1b[7;18H\x1b" "7\x1b[8;19H", 10, 4, "\x1b" "8X",
     "0\n1\n2\n3", "4\n5\n6\n7        X", "3,9"},
    {"editing at a clamped cursor", 20, 8, "0\n1\n2\n3\n4\n5\n6\n7\x1b[8;19H\x1b[s", 10, 4,
     "\x1b[u\x1b[2K\x1b[@\x1b[P\x1b[L\x1b[M\x1b[X", "0\n1\n2\n3", "4\n5\n6", "3,9"},
    // The old stop at 3 stays; past the old width the default stops (24, 32) hold.
    {"wider keeps the tab stops", 20, 5, "abc\x1b[3g\x1b[4G\x1bH", 40, 5, "\r\tX\tY", "", "abcX                    Y",
     "0,25"},
};

} // namespace

class TstTermHistory : public QObject
{
    Q_OBJECT

private slots:
    void historyIsCappedAndSurvivesShrinking()
    {
        TermHarness term(80, 50);
        QByteArray lines;
        for (int i = 0; i < 12000; ++i)
            lines += QByteArray::number(i) + "\r\n";
        term.feed(lines);
        TerminalCore *t = term.core();
        QCOMPARE(t->historyCount, 10000u);
        QCOMPARE(term.row(-10000), QStringLiteral("1951")); // 12000 lines + 1 blank row shown on 50 rows
        const int before = term.scrollbackChanges;
        QCOMPARE(terminalCoreResize(t, 80, 25, kTerminalHistoryLines), 1);
        QVERIFY(term.scrollbackChanges > before);
        QCOMPARE(t->historyCount, 10000u);
        QCOMPARE(term.row(-10000), QStringLiteral("1976"));
        QCOMPARE(term.cursor(), QStringLiteral("24,0"));
        // Growing again brings history lines back onto the screen.
        QCOMPARE(terminalCoreResize(t, 80, 50, kTerminalHistoryLines), 1);
        QCOMPARE(t->historyCount, 9975u);
        QCOMPARE(term.row(0), QStringLiteral("11951"));
        QCOMPARE(term.cursor(), QStringLiteral("49,0"));
    }

    void resize_data() { addCaseRows(kResizes); }

    void resize()
    {
        QFETCH(int, index);
        const Resize &c = kResizes[index];
        TermHarness term(c.cols, c.rows);
        term.feed(c.before);
        QCOMPARE(terminalCoreResize(term.core(), c.newCols, c.newRows, kTerminalHistoryLines), 1);
        term.feed(c.after);
        QCOMPARE(term.history(), QLatin1String(c.history));
        QCOMPARE(term.screen(), QLatin1String(c.screen));
        QCOMPARE(term.cursor(), QLatin1String(c.cursor));
    }

    // The frame resizes on every resize event; one that keeps the size must keep
    // the view, the selection and the marks.
    void resizeToTheSameSizeChangesNothing()
    {
        TermHarness term(10, 3);
        term.feed("a\nb\nc\nd\x1b[2;3r\x1b[3;2H");
        TerminalCore *t = term.core();
        terminalCoreSetViewOffset(t, 1);
        terminalCoreExtendSelection(t, 0, 1);
        terminalCoreExtendSelection(t, 0, 2);
        term.paint();
        const int changes = term.scrollbackChanges;
        QCOMPARE(terminalCoreResize(t, 10, 3, kTerminalHistoryLines), 1);
        QCOMPARE(t->viewOffset, 1u);
        QCOMPARE(QString::fromUtf16(terminalCoreSelectedText(t)), QStringLiteral("b\r\nc"));
        QCOMPARE(term.markedCells(), QString());
        QCOMPARE(term.scrollbackChanges, changes);
        QCOMPARE(term.cursor(), QStringLiteral("2,1"));
        QCOMPARE(t->marginTop, 1u);
        // Another size ends the selection.
        QCOMPARE(terminalCoreResize(t, 12, 3, kTerminalHistoryLines), 1);
        QVERIFY(!terminalCoreSelectedText(t));
    }

    void resizeRejectsBadSizes()
    {
        TermHarness term(20, 5);
        term.feed("abc");
        TerminalCore *t = term.core();
        QCOMPARE(terminalCoreResize(t, 1, 5, 100), 0);
        QCOMPARE(terminalCoreResize(t, 10, 4097, 100), 0);
        QCOMPARE(terminalCoreResize(t, 4097, 10, 100), 0);
        QCOMPARE(terminalCoreResize(t, 4096, 4096, 0xFFFFFFFFu), 0); // the ring would not fit
        QCOMPARE(term.screen(), QStringLiteral("abc"));
        // Wider pads with blank cells.
        QCOMPARE(terminalCoreResize(t, 40, 5, 100), 1);
        QCOMPARE(term.cell(30, 0).colours, kBlankColours);
    }

    void fullResetClearsHistory_data()
    {
        QTest::addColumn<QByteArray>("reset");
        QTest::addColumn<QString>("screen");
        QTest::newRow("RIS") << QByteArray("\x1b" "c") << "";
        QTest::newRow("DECSTR") << QByteArray("\x1b[!p") << "";
        QTest::newRow("DECCOLM") << QByteArray("\x1b[?3l") << "";
        QTest::newRow("DECALN") << QByteArray("\x1b#8") << "EEEEEEEEEE\nEEEEEEEEEE\nEEEEEEEEEE";
        QTest::newRow("character table") << QByteArray("\x1b#7\x1b[3;1H\x1b[2K\x1b[H\x1b[2K") << "\n\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19";
    }

    void fullResetClearsHistory()
    {
        QFETCH(QByteArray, reset);
        QFETCH(QString, screen);
        TermHarness term(10, 3);
        term.feed("a\nb\nc\x1b#6d\ne");
        terminalCoreSetViewOffset(term.core(), 1);
        term.paint();
        const int before = term.scrollbackChanges;
        term.feed(reset);
        QCOMPARE(term.core()->historyCount, 0u);
        QCOMPARE(term.core()->viewOffset, 0u);
        QVERIFY(term.scrollbackChanges > before);
        QCOMPARE(term.screen(), screen);
        QCOMPARE(term.markedCells().count(QLatin1Char(':')), 30);
    }

    void viewOffset()
    {
        TermHarness term(10, 3);
        term.feed("a\nb\nc\nd\ne");
        TerminalCore *t = term.core();
        term.paint();
        const int changes = term.scrollbackChanges;
        QCOMPARE(terminalCoreSetViewOffset(t, 1), 1);
        QCOMPARE(term.scrollbackChanges, changes + 1);
        QCOMPARE(term.markedCells().count(QLatin1Char(':')), 30);
        QCOMPARE(cellChar(lineCells(terminalCoreViewLine(t, 0))[0]), uint('b'));
        QCOMPARE(terminalCoreSetViewOffset(t, 1), 0);
        QCOMPARE(terminalCoreSetViewOffset(t, 99), 1);
        QCOMPARE(t->viewOffset, 2u);
        QVERIFY(!terminalCoreViewLine(t, 3));
        QVERIFY(!terminalCoreLine(t, -3));
        // Output keeps the view where it is unless told to jump; CSI ! u asks
        // for a repaint of all that is shown.
        term.feed("x");
        QCOMPARE(t->viewOffset, 2u);
        term.paint();
        term.feed("\x1b[!u");
        QCOMPARE(term.markedCells().count(QLatin1Char(':')), 30);
        // Told to jump, printing (only) returns to the live screen, all repainted.
        t->options |= kOptionJumpOnOutput;
        term.paint();
        term.feed("\x1b[31m");
        QCOMPARE(t->viewOffset, 2u);
        term.feed("x");
        QCOMPARE(t->viewOffset, 0u);
        QCOMPARE(term.markedCells().count(QLatin1Char(':')), 30);
    }

    // A scroll marks only the cells whose content differs from what was shown
    // at their place (vtdiff checks that none is missed).
    void scrollingMarksOnlyChangedCells()
    {
        TermHarness term(4, 4);
        term.feed("\x1b[?25lxx\nxy\nxx\nzz");
        term.paint();
        term.feed("\x1b[1;3r\x1b[3H\nxx");
        // Rows were "xx xy xx zz", now "xy xx xx zz"; the row below the region
        // keeps its line.
        QCOMPARE(term.screen(), QStringLiteral("xy\nxx\nxx\nzz"));
        QCOMPARE(term.markedCells(), QStringLiteral("0:1 1:1"));
        // Below the top.
        term.paint();
        term.feed("\x1b[2;3r\x1b[3H\n");
        QCOMPARE(term.markedCells(), QStringLiteral("2:0 2:1"));
        // Scrolled back, the view slides with the screen: only what moved.
        term.feed("\x1b[r\x1b" "c\x1b[?25la\nb\nc\nd\ne\nf\ng");
        terminalCoreSetViewOffset(term.core(), 2);
        term.paint(); // shows "b c d e"
        term.feed("\nh");
        QCOMPARE(term.markedCells(), QStringLiteral("0:0 1:0 2:0 3:0"));
    }

    void blinkStep()
    {
        TermHarness term(10, 3);
        TerminalCore *t = term.core();
        QCOMPARE(terminalCoreBlinkStep(t), 0);
        term.feed("\x1b[?25la\x1b[5mb\x1b[6mc\x1b[0md");
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
    }
};

QTEST_APPLESS_MAIN(TstTermHistory)
#include "tst_termhistory.moc"
