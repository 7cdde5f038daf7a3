// Line editor: editing keys, kill buffer, modes, capacity, prompt drawing and
// activation, checked on the line it holds and on the bytes it writes.
#include "editorrecorder.h"
#include "keynames.h"

#include <QTest>

class TestLineEditor : public QObject {
    Q_OBJECT

private slots:
    void editingKeys_data();
    void editingKeys();
    void abandon_data();
    void abandon();
    void capacity_data();
    void capacity();
    void fullLineIsEnteredWhole();
    void creation();
    void triggerShowsPromptOnce();
    void hostOutputRedrawsPromptLine();
    void hostOutputWhileInactive();
    void subAtChunkEndActivates();
    void inactiveKeysGoToHost();
    void enterDeliversLine();
    void pastedLinesAreEnteredOneByOne();
    void ctrlLResetsScreen();
    void escapeSequenceSplitOverCalls();
    void staleEscapeDoesNotAbandon();
    void repeatedBytesComeInChunks();
};

void TestLineEditor::editingKeys_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QByteArray>("kill");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("typing") << bytes("abc") << bytes("abc") << 3 << QByteArray() << bytes("abc \b");
    QTest::newRow("insert inside") << bytes("abc" K_LEFT K_LEFT "X") << bytes("aXbc") << 2 << QByteArray()
                                   << bytes("abc\b\bXbc\b\b");
    QTest::newRow("Ctrl-B moves left") << bytes("abc" K_CTRL_B K_CTRL_B "X") << bytes("aXbc") << 2 << QByteArray()
                                       << bytes("abc\b\bXbc\b\b");
    QTest::newRow("overwrite inside") << bytes(K_INSERT "abc" K_LEFT K_LEFT "X") << bytes("aXc") << 2 << QByteArray()
                                      << bytes("abc\b\bXc\b");
    QTest::newRow("overwrite at end appends") << bytes(K_INSERT "abc") << bytes("abc") << 3 << QByteArray()
                                              << bytes("abc \b");
    QTest::newRow("insert toggled back") << bytes(K_INSERT K_INSERT "abc" K_LEFT K_LEFT "X") << bytes("aXbc") << 2
                                         << QByteArray() << bytes("abc\b\bXbc\b\b");
    QTest::newRow("Ctrl-A") << bytes("abc" K_CTRL_A "X") << bytes("Xabc") << 1 << QByteArray()
                            << bytes("abc\b\b\bXabc\b\b\b");
    QTest::newRow("Home") << bytes("abc" K_HOME "X") << bytes("Xabc") << 1 << QByteArray()
                          << bytes("abc\b\b\bXabc\b\b\b");
    QTest::newRow("Ctrl-E") << bytes("abc" K_CTRL_A K_CTRL_E) << bytes("abc") << 3 << QByteArray()
                            << bytes("abc\b\b\babc" K_CLEAR_TO_END);
    QTest::newRow("End") << bytes("abc" K_HOME K_END) << bytes("abc") << 3 << QByteArray()
                         << bytes("abc\b\b\babc" K_CLEAR_TO_END);
    QTest::newRow("Ctrl-E at end") << bytes("abc" K_CTRL_E) << bytes("abc") << 3 << QByteArray()
                                   << bytes("abc \b");
    QTest::newRow("left at start") << bytes(K_LEFT "a") << bytes("a") << 1 << QByteArray() << bytes("a \b");
    QTest::newRow("right at end") << bytes("a" K_RIGHT) << bytes("a") << 1 << QByteArray() << bytes("a \b");
    QTest::newRow("Ctrl-F inside") << bytes("ab" K_LEFT K_LEFT K_CTRL_F) << bytes("ab") << 1 << QByteArray()
                                   << bytes("ab\b\bab\b");
    QTest::newRow("backspace at end") << bytes("abc" K_BACKSPACE) << bytes("ab") << 2 << QByteArray()
                                      << bytes("abc\b \b");
    QTest::newRow("DEL inside") << bytes("abc" K_LEFT K_DEL) << bytes("ac") << 1 << QByteArray()
                                << bytes("abc\b\bc \b\b");
    QTest::newRow("backspace at start") << bytes("abc" K_CTRL_A K_BACKSPACE) << bytes("abc") << 0 << QByteArray()
                                        << bytes("abc\b\b\b");
    QTest::newRow("Ctrl-D inside") << bytes("abc" K_CTRL_A K_CTRL_D) << bytes("bc") << 0 << QByteArray()
                                   << bytes("abc\b\b\ba\bbc \b\b\b");
    QTest::newRow("Delete key") << bytes("abc" K_HOME K_DELETE) << bytes("bc") << 0 << QByteArray()
                                << bytes("abc\b\b\ba\bbc \b\b\b");
    QTest::newRow("Ctrl-D at end") << bytes("abc" K_CTRL_D) << bytes("abc") << 3 << QByteArray()
                                   << bytes("abc \b");
    QTest::newRow("Ctrl-U") << bytes("abc" K_LEFT K_CTRL_U) << QByteArray() << 0 << QByteArray()
                            << bytes("abc\b \b\b \b\b \b");
    QTest::newRow("Ctrl-K") << bytes("hello" K_CTRL_A K_CTRL_F K_CTRL_F K_CTRL_K) << bytes("he") << 2 << bytes("llo")
                            << bytes("hello\b\b\b\b\bhe   \b\b\b");
    QTest::newRow("Ctrl-K then Ctrl-Y at start")
        << bytes("hello" K_CTRL_A K_CTRL_F K_CTRL_F K_CTRL_K K_CTRL_A K_CTRL_Y) << bytes("llohe") << 3 << bytes("llo")
        << bytes("hello\b\b\b\b\bhe   \b\b\b\b\bllohe\b\b");
    QTest::newRow("Ctrl-K at end empties kill buffer")
        << bytes("ab" K_CTRL_A K_CTRL_K "cd" K_CTRL_K) << bytes("cd") << 2 << QByteArray()
        << bytes("ab\b\b  \b\bcd \b");
    QTest::newRow("Ctrl-U keeps kill buffer") << bytes("abc" K_LEFT K_CTRL_K K_CTRL_U) << QByteArray() << 0 << bytes("c")
                                              << bytes("abc\b \b\b \b\b \b");
    QTest::newRow("Ctrl-Y empty kill buffer") << bytes("ab" K_CTRL_Y) << bytes("ab") << 2 << QByteArray()
                                              << bytes("ab \b");
    QTest::newRow("ignored controls") << bytes("a\tb\x00" "c") << bytes("abc") << 3 << QByteArray()
                                      << bytes("abc \b");
    QTest::newRow("Latin-1 byte") << bytes("\xe9") << bytes("\xe9") << 1 << QByteArray() << bytes("\xe9 \b");
    QTest::newRow("unknown CSI key") << bytes("a" K_ESC "[Zb") << bytes("ab") << 2 << QByteArray()
                                     << bytes("ab \b");
    QTest::newRow("F1 leaves no letter") << bytes("a" K_ESC "[[Ab") << bytes("ab") << 2 << QByteArray()
                                         << bytes("ab \b");
    QTest::newRow("F7") << bytes("a" K_ESC "[18~b") << bytes("ab") << 2 << QByteArray() << bytes("ab \b");
    QTest::newRow("overlong CSI") << bytes("a" K_ESC "[1234567890123456~b") << bytes("ab") << 2 << QByteArray()
                                  << bytes("ab \b");
    QTest::newRow("keypad application left") << bytes("ab" K_ESC "ODX") << bytes("aXb") << 2 << QByteArray()
                                             << bytes("ab\bXb\b");
}

void TestLineEditor::editingKeys()
{
    QFETCH(QByteArray, keys);
    QFETCH(QByteArray, line);
    QFETCH(int, cursor);
    QFETCH(QByteArray, kill);
    QFETCH(QByteArray, written);

    EditorRecorder r;
    r.trigger();
    r.takeShown();
    r.keys(keys);
    QCOMPARE(r.line(), line);
    QCOMPARE(r.editor->cursor, cursor);
    QCOMPARE(QByteArray(r.editor->killBuffer, r.editor->killLength), kill);
    QCOMPARE(r.takeShown(), bytes(K_CURSOR_OFF) + written + bytes(K_CURSOR_ON));
    QCOMPARE(qstrlen(r.editor->line), size_t(r.editor->length));
    QVERIFY(r.sent.isEmpty());
    QVERIFY(r.lines.isEmpty());
}

void TestLineEditor::abandon_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QByteArray>("lineAfter");

    QTest::newRow("Ctrl-C") << bytes("abc" K_CTRL_C) << QByteArray();
    QTest::newRow("Ctrl-X") << bytes("abc" K_CTRL_X) << QByteArray();
    QTest::newRow("ESC K_ESC") << bytes("abc" K_ESC K_ESC) << QByteArray();
    // The byte after a lone K_ESC still reaches the (now hidden) line.
    QTest::newRow("ESC then letter") << bytes("abc" K_ESC "x") << bytes("x");
}

void TestLineEditor::abandon()
{
    QFETCH(QByteArray, keys);
    QFETCH(QByteArray, lineAfter);

    EditorRecorder r;
    r.trigger();
    r.takeShown();
    r.keys(keys);
    QCOMPARE(r.editor->active, 0);
    QCOMPARE(r.editor->shown, 0);
    QCOMPARE(r.line(), lineAfter);
    QVERIFY(r.lines.isEmpty());
    // Nothing is rubbed out: the abandoned line stays on the screen.
    QCOMPARE(r.takeShown(), bytes(K_CURSOR_OFF "abc" K_CURSOR_ON));
    r.keys("q");
    QCOMPARE(r.sent, bytes("q"));
}

void TestLineEditor::capacity_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("cursor");

    // Capacity 8 holds 7 bytes and the terminator.
    QTest::newRow("typing past the end") << bytes("abcdefghij") << bytes("abcdefg") << 7;
    QTest::newRow("insert into a full line") << bytes("abcdefg" K_LEFT "X") << bytes("abcdefg") << 6;
    QTest::newRow("overwrite in a full line") << bytes("abcdefg" K_INSERT K_LEFT "X") << bytes("abcdefX") << 7;
    QTest::newRow("yank as much as fits") << bytes("abcdef" K_CTRL_A K_CTRL_K "xy" K_CTRL_Y) << bytes("xyabcde") << 7;
    QTest::newRow("yank into a full line") << bytes("ab" K_CTRL_A K_CTRL_K "abcdefg" K_LEFT K_CTRL_Y) << bytes("abcdefg")
                                           << 6;
}

void TestLineEditor::capacity()
{
    QFETCH(QByteArray, keys);
    QFETCH(QByteArray, line);
    QFETCH(int, cursor);

    EditorRecorder r(8);
    r.trigger();
    r.keys(keys);
    QCOMPARE(r.line(), line);
    QCOMPARE(r.editor->cursor, cursor);
}

void TestLineEditor::fullLineIsEnteredWhole()
{
    EditorRecorder r(8);
    r.trigger();
    r.keys("abcdefg" K_LEFT K_LEFT K_ENTER);
    QCOMPARE(r.lines, QList<QByteArray>{"abcdefg"});
    QCOMPARE(r.history(), bytes("abcdefg\0"));
}

void TestLineEditor::creation()
{
    EditorRecorder byDefault(0);
    QVERIFY(byDefault.editor);
    QCOMPARE(byDefault.editor->capacity, 1000u);
    QCOMPARE(byDefault.editor->active, 0);
    QCOMPARE(byDefault.editor->shown, 0);
    QCOMPARE(byDefault.editor->historyIndex, byDefault.editor->historyCount);

    QVERIFY(!zn::lineEditorCreate(nullptr, nullptr, 10));
    const zn::LineEditorCallbacks none{};
    QVERIFY(!zn::lineEditorCreate(nullptr, &none, 0x80000000u));
    zn::lineEditorDestroy(nullptr);
}

void TestLineEditor::triggerShowsPromptOnce()
{
    EditorRecorder r;
    r.trigger();
    QCOMPARE(r.takeShown(), bytes(K_PROMPT " \b"));
    QCOMPARE(bytes(K_PROMPT).size(), 23);
    QCOMPARE(r.editor->active, 1);
    QCOMPARE(r.editor->shown, 1);
    r.trigger();
    QVERIFY(r.takeShown().isEmpty());
}

void TestLineEditor::hostOutputRedrawsPromptLine()
{
    EditorRecorder r;
    r.trigger();
    r.keys("abc" K_LEFT K_LEFT);
    r.takeShown();
    r.hostOutput("msg\r\n");
    // Blank the part right of the cursor, rub out "a" and the prompt, print,
    // then draw the prompt line again with the cursor back on "b".
    QCOMPARE(r.takeShown(), bytes("  \b\b\b \b\b \b\b \b"
                                  "msg\r\n" K_PROMPT "abc \b\b\b"));
    QCOMPARE(r.editor->shown, 1);
    QCOMPARE(r.line(), bytes("abc"));
    QCOMPARE(r.editor->cursor, 1);
}

void TestLineEditor::hostOutputWhileInactive()
{
    EditorRecorder r;
    r.hostOutput("msg\r\n");
    QCOMPARE(r.takeShown(), bytes("msg\r\n"));
    QCOMPARE(r.editor->shown, 0);
    r.hostOutput(QByteArray());
    QVERIFY(r.takeShown().isEmpty());
}

void TestLineEditor::subAtChunkEndActivates()
{
    EditorRecorder r;
    r.hostOutput("ready" K_SUB "more");
    QCOMPARE(r.editor->active, 0);
    r.hostOutput("ready" K_SUB);
    QCOMPARE(r.takeShown(), bytes("ready" K_SUB "more" "ready" K_SUB K_PROMPT " \b"));
    QCOMPARE(r.editor->active, 1);
    r.keys("x");
    QCOMPARE(r.line(), bytes("x"));
    QVERIFY(r.sent.isEmpty());
}

void TestLineEditor::inactiveKeysGoToHost()
{
    EditorRecorder r;
    r.keys("ab" K_LEFT K_ENTER);
    QCOMPARE(r.sent, bytes("ab" K_LEFT K_ENTER));
    QVERIFY(r.shown.isEmpty());
    QVERIFY(r.line().isEmpty());
}

void TestLineEditor::enterDeliversLine()
{
    EditorRecorder r;
    r.trigger();
    r.takeShown();
    r.keys("ab" K_LEFT K_ENTER);
    QCOMPARE(r.takeShown(), bytes(K_CURSOR_OFF "ab\b" "b" K_CLEAR_TO_END "\r\n" K_CURSOR_ON));
    QCOMPARE(r.lines, QList<QByteArray>{"ab"});
    QCOMPARE(r.editor->active, 0);
    QCOMPARE(r.editor->shown, 0);
    QVERIFY(r.line().isEmpty());
    QCOMPARE(r.editor->cursor, 0);
    r.keys("z");
    QCOMPARE(r.sent, bytes("z"));
}

void TestLineEditor::pastedLinesAreEnteredOneByOne()
{
    EditorRecorder r;
    r.trigger();
    r.takeShown();
    r.keys("one" K_ENTER "two" K_ENTER);
    QCOMPARE(r.lines, (QList<QByteArray>{"one", "two"}));
    QCOMPARE(r.takeShown(), bytes(K_CURSOR_OFF "one\r\n" K_PROMPT "two \b\r\n" K_CURSOR_ON));
    QVERIFY(r.sent.isEmpty());
}

void TestLineEditor::ctrlLResetsScreen()
{
    EditorRecorder r;
    r.trigger();
    r.takeShown();
    r.keys("ab" K_CTRL_L);
    QCOMPARE(r.takeShown(), bytes(K_CURSOR_OFF "ab" K_ESC "c" K_PROMPT "ab \b" K_CURSOR_ON));
    QCOMPARE(r.editor->active, 1);
    QCOMPARE(r.line(), bytes("ab"));
}

void TestLineEditor::escapeSequenceSplitOverCalls()
{
    EditorRecorder r;
    r.trigger();
    r.keys("ab");
    r.keys(K_ESC);
    r.keys("[");
    r.keys("D");
    r.keys("X");
    QCOMPARE(r.line(), bytes("aXb"));
}

void TestLineEditor::staleEscapeDoesNotAbandon()
{
    EditorRecorder r;
    r.trigger();
    r.keys("ab" K_ENTER K_ESC);
    r.trigger();
    r.keys("x");
    QCOMPARE(r.editor->active, 1);
    QCOMPARE(r.line(), bytes("x"));
}

void TestLineEditor::repeatedBytesComeInChunks()
{
    EditorRecorder r;
    r.trigger();
    r.keys(QByteArray(100, 'w'));
    r.takeShown();
    r.longestShowCall = 0;
    r.keys(K_CTRL_A);
    QCOMPARE(r.takeShown(), bytes(K_CURSOR_OFF) + QByteArray(100, '\b') + bytes(K_CURSOR_ON));
    QVERIFY(r.longestShowCall <= 32);
}

QTEST_GUILESS_MAIN(TestLineEditor)
#include "tst_lineeditor.moc"
