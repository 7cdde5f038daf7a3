// Mouse selection: anchor and extension rules, the selected text, and how
// the selection follows scrolling text.
#include "termharness.h"

#include <QPoint>
#include <QTest>

using namespace zn;

static QString selected(TerminalCore *t)
{
    const char16_t *text = terminalCoreSelectedText(t);
    return text ? QString::fromUtf16(text) : QString();
}

class TstTermSelection : public QObject
{
    Q_OBJECT

private slots:
    void text_data()
    {
        QTest::addColumn<QByteArray>("content"); // on 10 x 3
        QTest::addColumn<QList<QPoint>>("points"); // (column, view row); the first sets the anchor
        QTest::addColumn<QString>("text");         // null: no selection
        auto row = [](const char *name, const QByteArray &content, const QList<QPoint> &points, const QString &text) {
            QTest::newRow(name) << content << points << text;
        };
        const QByteArray abcdef = "abc\ndef";
        row("to a blank end: spaces dropped, CR LF added", abcdef, {{0, 0}, {9, 1}}, "abc\r\ndef\r\n");
        row("pointer on a blank tail takes the whole row", abcdef, {{0, 0}, {5, 0}}, "abc\r\n");
        row("ending inside text", abcdef, {{0, 0}, {1, 1}}, "abc\r\nde");
        row("a full row runs on without a line break", "0123456789abc", {{0, 0}, {2, 1}}, "0123456789abc");
        row("blank row in the middle", "a\n\nb", {{0, 0}, {0, 2}}, "a\r\n\r\nb");
        row("before the anchor", abcdef, {{5, 1}, {2, 0}}, "c\r\ndef   ");
        row("before the anchor from a blank tail starts on the next row", abcdef, {{1, 1}, {5, 0}}, "de");
        row("before the anchor in the same row's blank tail: none", abcdef, {{5, 0}, {4, 0}}, QString());
        row("before the anchor at column 0", abcdef, {{2, 1}, {0, 0}}, "abc\r\ndef");
        row("on the anchor in text: one cell", abcdef, {{1, 0}, {1, 0}}, "b");
        row("on the anchor in a blank tail: none", abcdef, {{5, 0}, {5, 0}}, QString());
        row("points outside the screen are ignored", abcdef, {{0, 0}, {10, 0}, {0, 3}, {-1, 0}}, QString());
        row("the latest point counts", abcdef, {{0, 0}, {9, 1}, {1, 0}}, "ab");
        row("low 16 bits of each character", "\x1b(0q", {{0, 0}, {0, 0}}, QStringLiteral("\u2500"));
    }

    void text()
    {
        QFETCH(QByteArray, content);
        QFETCH(QList<QPoint>, points);
        QFETCH(QString, text);
        TermHarness term(10, 3);
        term.feed(content);
        for (const QPoint &p : points)
            terminalCoreExtendSelection(term.core(), p.x(), p.y());
        const QString got = selected(term.core());
        QCOMPARE(got.isNull(), text.isNull());
        QCOMPARE(got, text);
    }

    // In view rows, with the view one line into the scrollback.
    void isSelectedFollowsReadingOrder()
    {
        TermHarness term(10, 3);
        term.feed("abcdefghij\nabcdefghij\nabcdefghij\nabcdefghij");
        TerminalCore *t = term.core();
        terminalCoreSetViewOffset(t, 1);
        QCOMPARE(terminalCoreIsSelected(t, 0, 0), 0);
        terminalCoreExtendSelection(t, 5, 0);
        terminalCoreExtendSelection(t, 2, 2);
        // The first and last cell of each row of the selection, and one either side of it.
        QCOMPARE(terminalCoreIsSelected(t, 4, 0), 0);
        QCOMPARE(terminalCoreIsSelected(t, 5, 0) + terminalCoreIsSelected(t, 9, 0), 2);
        QCOMPARE(terminalCoreIsSelected(t, 0, 1) + terminalCoreIsSelected(t, 9, 1), 2);
        QCOMPARE(terminalCoreIsSelected(t, 0, 2) + terminalCoreIsSelected(t, 2, 2), 2);
        QCOMPARE(terminalCoreIsSelected(t, 3, 2), 0);
    }

    // Extending marks the cells of the old and the new area, clearing those of
    // the old one; the same selection again marks nothing.
    void changesMarkTheOldAndNewArea()
    {
        TermHarness term(10, 3);
        term.feed("\x1b[?25labcdefghij\nabcdefghij");
        TerminalCore *t = term.core();
        terminalCoreExtendSelection(t, 0, 0);
        term.paint();
        const int updates = term.updates;
        terminalCoreExtendSelection(t, 2, 0);
        QCOMPARE(term.markedCells(), QStringLiteral("0:0 0:1 0:2"));
        QCOMPARE(term.updates, updates + 1);
        term.paint();
        terminalCoreExtendSelection(t, 1, 0);
        QCOMPARE(term.markedCells(), QStringLiteral("0:0 0:1 0:2"));
        term.paint();
        terminalCoreExtendSelection(t, 1, 0);
        QCOMPARE(term.markedCells(), QString());
        terminalCoreExtendSelection(t, 1, 1);
        term.paint();
        terminalCoreClearSelection(t);
        QCOMPARE(term.markedCells(), QStringLiteral("0:0 0:1 0:2 0:3 0:4 0:5 0:6 0:7 0:8 0:9 1:0 1:1"));
        // The anchor is gone too: the next point anchors afresh.
        terminalCoreExtendSelection(t, 0, 0);
        QVERIFY(!terminalCoreSelectedText(t));
    }

    void selectionMovesWithScrollingText()
    {
        TermHarness term(10, 3, 0, 2); // two lines of history
        term.feed("one\ntwo\nthree");
        TerminalCore *t = term.core();
        terminalCoreExtendSelection(t, 0, 1);
        terminalCoreExtendSelection(t, 2, 1);
        QCOMPARE(selected(t), QStringLiteral("two"));
        term.paint();
        term.feed("\nfour");
        QCOMPARE(selected(t), QStringLiteral("two"));
        QCOMPARE(terminalCoreIsSelected(t, 0, 0), 1);
        // The highlight moved, so the whole view is repainted.
        QCOMPARE(term.markedCells().count(QLatin1Char(':')), 30);
        // An anchor alone shows nothing: scrolling repaints only what changed.
        // The anchor still moves with its text ("four").
        terminalCoreClearSelection(t);
        terminalCoreExtendSelection(t, 0, 2);
        term.paint();
        term.feed("\x1b[?25l\nfive");
        QVERIFY(term.markedCells().count(QLatin1Char(':')) < 30);
        terminalCoreExtendSelection(t, 3, 1);
        QCOMPARE(selected(t), QStringLiteral("four"));
        // Scrolling a region down moves it the other way.
        term.feed("\x1b[H\x1bM");
        QCOMPARE(selected(t), QStringLiteral("four"));
        QCOMPARE(terminalCoreIsSelected(t, 0, 2), 1);
        // Text that leaves the history takes the selection with it.
        term.feed("\x1b[3H\n\n\n\n");
        QCOMPARE(selected(t), QStringLiteral("four"));
        term.feed("\n");
        QVERIFY(!terminalCoreSelectedText(t));
        // In a region the text is destroyed at its top.
        term.feed("\x1b[2;3ra\nb\nc");
        terminalCoreExtendSelection(t, 0, 1);
        terminalCoreExtendSelection(t, 0, 1);
        QCOMPARE(selected(t), QStringLiteral("b"));
        term.feed("\n");
        QVERIFY(!terminalCoreSelectedText(t));
    }
};

QTEST_APPLESS_MAIN(TstTermSelection)
#include "tst_termselection.moc"
