// Line editor history: which lines are recorded, browsing, loading, and the
// buffer's growth and trimming.
#include "editorrecorder.h"
#include "keynames.h"

#include <QTest>

namespace {

// Entry i of a generated history: distinct from its neighbours, length bytes.
QByteArray entry(int i, int length)
{
    return (QByteArray::number(i) + QByteArray(length, 'x')).left(length);
}

QByteArray joined(const QList<QByteArray> &entries)
{
    QByteArray out;
    for (const QByteArray &e : entries)
        out += e + '\0';
    return out;
}

} // namespace

class TestLineEditorHistory : public QObject {
    Q_OBJECT

private slots:
    void recording_data();
    void recording();
    void browsing_data();
    void browsing();
    void browsingRedrawsLine();
    void entryLongerThanLineIsNotCopied();
    void loading_data();
    void loading();
    void loadLimit();
    void growthAndTrimming_data();
    void growthAndTrimming();
};

void TestLineEditorHistory::recording_data()
{
    QTest::addColumn<QList<QByteArray>>("entered");
    QTest::addColumn<QByteArray>("history");

    QTest::newRow("one line") << QList<QByteArray>{"scan"} << bytes("scan\0");
    QTest::newRow("same line twice") << QList<QByteArray>{"scan", "scan"} << bytes("scan\0");
    QTest::newRow("empty line") << QList<QByteArray>{""} << QByteArray();
    QTest::newRow("repeat after another") << QList<QByteArray>{"a", "b", "a"} << bytes("a\0b\0a\0");
    QTest::newRow("prefix of newest") << QList<QByteArray>{"abc", "ab"} << bytes("abc\0ab\0");
}

void TestLineEditorHistory::recording()
{
    QFETCH(QList<QByteArray>, entered);
    QFETCH(QByteArray, history);

    EditorRecorder r;
    for (const QByteArray &line : entered) {
        r.trigger();
        r.keys(line + K_ENTER);
    }
    QCOMPARE(r.lines, entered);
    QCOMPARE(r.history(), history);
    QCOMPARE(r.editor->historyIndex, r.editor->historyCount);
}

void TestLineEditorHistory::browsing_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QByteArray>("line");

    // History a, b, c.
    QTest::newRow("up") << bytes(K_UP) << bytes("c");
    QTest::newRow("up twice") << bytes(K_UP K_UP) << bytes("b");
    QTest::newRow("up past oldest") << bytes(K_UP K_UP K_UP K_UP) << bytes("a");
    QTest::newRow("up up down") << bytes(K_UP K_UP K_DOWN) << bytes("c");
    QTest::newRow("down past newest keeps line") << bytes(K_UP K_DOWN) << bytes("c");
    QTest::newRow("down when not browsing") << bytes("x" K_DOWN) << bytes("x");
    QTest::newRow("Ctrl-P Ctrl-P Ctrl-N") << bytes(K_CTRL_P K_CTRL_P K_CTRL_N) << bytes("c");
    QTest::newRow("page up: oldest") << bytes(K_PAGE_UP) << bytes("a");
    QTest::newRow("page up then page down: newest") << bytes(K_PAGE_UP K_PAGE_DOWN) << bytes("c");
    QTest::newRow("page down when not browsing") << bytes("x" K_PAGE_DOWN) << bytes("x");
    QTest::newRow("typed line replaced") << bytes("xyz" K_UP) << bytes("c");
    QTest::newRow("editing after recall") << bytes(K_UP K_UP "d" K_LEFT "e") << bytes("bed");
}

void TestLineEditorHistory::browsing()
{
    QFETCH(QByteArray, keys);
    QFETCH(QByteArray, line);

    EditorRecorder r;
    QCOMPARE(zn::lineEditorLoadHistory(r.editor, "a\0b\0c\0", 6), 1);
    r.trigger();
    r.keys(keys);
    QCOMPARE(r.line(), line);
    QVERIFY(r.editor->cursor <= r.editor->length);
    QCOMPARE(r.editor->shown, 1);
}

void TestLineEditorHistory::browsingRedrawsLine()
{
    EditorRecorder r;
    zn::lineEditorLoadHistory(r.editor, "first\0", 6);
    r.trigger();
    r.keys("xy" K_LEFT);
    r.takeShown();
    r.keys(K_UP);
    // Rub out "y", "x" and the prompt, then draw the recalled entry.
    QCOMPARE(r.takeShown(), bytes(K_CURSOR_OFF " \b\b \b\b \b\b \b" K_PROMPT "first \b" K_CURSOR_ON));
    QCOMPARE(r.editor->cursor, 5);
}

void TestLineEditorHistory::entryLongerThanLineIsNotCopied()
{
    EditorRecorder r(8);
    zn::lineEditorLoadHistory(r.editor, "12345678\0", 9);
    r.trigger();
    r.keys("ab" K_UP);
    QCOMPARE(r.line(), bytes("ab"));
    QCOMPARE(r.editor->cursor, 2);
}

void TestLineEditorHistory::loading_data()
{
    QTest::addColumn<QByteArray>("loaded");
    QTest::addColumn<QByteArray>("history");
    QTest::addColumn<int>("count");

    QTest::newRow("entries") << bytes("a\0b\0") << bytes("a\0b\0") << 2;
    QTest::newRow("empty entries skipped") << bytes("\0a\0\0b\0") << bytes("a\0b\0") << 2;
    QTest::newRow("repeats collapsed") << bytes("a\0a\0b\0a\0") << bytes("a\0b\0a\0") << 3;
    QTest::newRow("unterminated last entry kept") << bytes("a\0b") << bytes("a\0b\0") << 2;
    QTest::newRow("nothing") << QByteArray() << QByteArray() << 0;
}

void TestLineEditorHistory::loading()
{
    QFETCH(QByteArray, loaded);
    QFETCH(QByteArray, history);
    QFETCH(int, count);

    EditorRecorder r;
    r.trigger();
    r.keys("old" K_ENTER);
    QCOMPARE(zn::lineEditorLoadHistory(r.editor, loaded.constData(), size_t(loaded.size())), 1);
    QCOMPARE(r.history(), history);
    QCOMPARE(r.editor->historyCount, count);
    QCOMPARE(r.editor->historyIndex, count);
}

void TestLineEditorHistory::loadLimit()
{
    EditorRecorder r;
    zn::lineEditorLoadHistory(r.editor, "kept\0", 5);
    const QByteArray tooBig(qsizetype(zn::kLineEditorHistoryLoadMax) + 1, '\0');
    QCOMPARE(zn::lineEditorLoadHistory(r.editor, tooBig.constData(), size_t(tooBig.size())), 0);
    QCOMPARE(r.history(), bytes("kept\0"));
    QCOMPARE(zn::lineEditorLoadHistory(r.editor, tooBig.constData(), size_t(tooBig.size() - 1)), 1);
    QCOMPARE(r.editor->historyCount, 0);
}

void TestLineEditorHistory::growthAndTrimming_data()
{
    QTest::addColumn<QList<int>>("lengths");
    QTest::addColumn<uint>("capacity");
    QTest::addColumn<int>("oldest");

    // Each entry takes its length plus a zero byte, and needs one spare byte.
    QTest::newRow("first entry") << QList<int>{10} << 4096u << 0;
    QTest::newRow("need of 4095") << QList<int>{4093} << 4096u << 0;
    QTest::newRow("need of 4096 rounds above") << QList<int>{4094} << 8192u << 0;
    QTest::newRow("grows while small") << QList<int>(41, 99) << 8192u << 0;
    QTest::newRow("grows at 4096 in use") << QList<int>{100, 3994, 4095} << 12288u << 0;
    QTest::newRow("trims above 4096 in use") << QList<int>{100, 3995, 4094} << 8192u << 1;
    QTest::newRow("steady trimming") << QList<int>(100, 99) << 8192u << 19;
    QList<int> longLast(50, 99);
    longLast << 10000;
    QTest::newRow("entry longer than the buffer") << longLast << 16384u << 0;
}

void TestLineEditorHistory::growthAndTrimming()
{
    QFETCH(QList<int>, lengths);
    QFETCH(uint, capacity);
    QFETCH(int, oldest);

    QList<QByteArray> entries;
    for (int i = 0; i < lengths.size(); ++i)
        entries << entry(i, lengths[i]);
    const QByteArray loaded = joined(entries);

    EditorRecorder r;
    QCOMPARE(zn::lineEditorLoadHistory(r.editor, loaded.constData(), size_t(loaded.size())), 1);
    QCOMPARE(r.editor->historyCapacity, capacity);
    QCOMPARE(r.history(), joined(entries.mid(oldest)));
    QCOMPARE(r.editor->historyCount, int(entries.size()) - oldest);
    QVERIFY(r.editor->historyUsed < r.editor->historyCapacity);
}

QTEST_GUILESS_MAIN(TestLineEditorHistory)
#include "tst_lineeditorhistory.moc"
