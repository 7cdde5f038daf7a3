// Line editor: what keys make of the line, the kill buffer and the history,
// the exact bytes of prompt, echo and hand-over, and the history buffer's
// growth and trimming. How the bytes look on a screen: tst_lineeditorscreen.
#include "editortest.h"

#include <QTest>

namespace {

// An editor whose callbacks record what it shows, sends and delivers.
struct Recorder {
    explicit Recorder(uint32_t capacity = 4096) : editor(zn::lineEditorCreate(this, &kCallbacks, capacity)) {}
    ~Recorder() { zn::lineEditorDestroy(editor); }
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    QByteArray line() const { return QByteArray(editor->line, editor->length); }
    QByteArray history() const
    {
        size_t size = 0;
        const char *bytes = zn::lineEditorHistory(editor, &size);
        return QByteArray(bytes, qsizetype(size));
    }
    int load(const QByteArray &entries)
    {
        return zn::lineEditorLoadHistory(editor, entries.constData(), size_t(entries.size()));
    }

    zn::LineEditor *editor;
    QByteArray shown, sent;
    QList<QByteArray> lines;
    size_t longestShow = 0;
    static const zn::LineEditorCallbacks kCallbacks;
};

const zn::LineEditorCallbacks Recorder::kCallbacks = {
    [](void *owner, const char *bytes, size_t length) {
        auto *r = static_cast<Recorder *>(owner);
        r->shown.append(bytes, qsizetype(length));
        r->longestShow = std::max(r->longestShow, length);
    },
    [](void *owner, const char *bytes, size_t length) {
        static_cast<Recorder *>(owner)->sent.append(bytes, qsizetype(length));
    },
    [](void *owner, const char *bytes, size_t length) {
        static_cast<Recorder *>(owner)->lines.append(QByteArray(bytes, qsizetype(length)));
    },
};

const QByteArray kHistory = bytes("12345678\0a\0b\0c\0");

void addKeys(const char *name, const QByteArray &keys, const QByteArray &line, int cursor, const QByteArray &kill = {},
             uint capacity = 4096)
{
    QTest::newRow(name) << keys << line << cursor << kill << capacity;
}

// Entry i of a generated history: distinct from its neighbours, length bytes.
QByteArray entries(const QList<int> &lengths, int from = 0)
{
    QByteArray out;
    for (int i = from; i < lengths.size(); ++i)
        out += (QByteArray::number(i) + QByteArray(lengths[i], 'x')).left(lengths[i]) + '\0';
    return out;
}

} // namespace

class TestLineEditor : public QObject {
    Q_OBJECT

private slots:
    void keys_data();
    void keys();
    void output_data();
    void output();
    void recording_data();
    void recording();
    void loading_data();
    void loading();
    void growthAndTrimming_data();
    void growthAndTrimming();
};

void TestLineEditor::keys_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QByteArray>("kill");
    QTest::addColumn<uint>("capacity");

    addKeys("insert inside", "abc" K_LEFT K_LEFT "X", "aXbc", 2);
    addKeys("overwrite inside", K_INSERT "abc" K_LEFT "\x02X", "aXc", 2);
    addKeys("overwrite at the end appends", K_INSERT "abc", "abc", 3);
    addKeys("insert toggled back", K_INSERT K_INSERT "abc" K_LEFT K_LEFT "X", "aXbc", 2);
    addKeys("Ctrl-A and Home", "abc" K_CTRL_A "X" K_HOME "Y", "YXabc", 1);
    addKeys("Ctrl-E and End", "abc" K_HOME K_END "X" K_CTRL_A K_CTRL_E "Y", "abcXY", 5);
    addKeys("moves stop at the ends", K_LEFT "ab" K_RIGHT K_CTRL_F "c" K_CTRL_A "\x02", "abc", 0);
    addKeys("Ctrl-F inside", "ab" K_LEFT K_LEFT K_CTRL_F "X", "aXb", 2);
    addKeys("backspace at the end", "abc" K_BACKSPACE, "ab", 2);
    addKeys("DEL inside", "abc" K_LEFT K_DEL, "ac", 1);
    addKeys("backspace at the start", "abc" K_CTRL_A K_BACKSPACE, "abc", 0);
    addKeys("Ctrl-D and Delete", "abcd" K_CTRL_A K_CTRL_D K_DELETE, "cd", 0);
    addKeys("Ctrl-D at the end", "abc" K_CTRL_D, "abc", 3);
    addKeys("Ctrl-K", "hello" K_CTRL_A K_CTRL_F K_CTRL_F K_CTRL_K, "he", 2, "llo");
    addKeys("Ctrl-K then Ctrl-Y at the start", "hello" K_CTRL_A K_CTRL_F K_CTRL_F K_CTRL_K K_CTRL_A K_CTRL_Y, "llohe", 3,
            "llo");
    addKeys("Ctrl-K at the end empties the kill buffer", "ab" K_CTRL_A K_CTRL_K "cd" K_CTRL_K, "cd", 2);
    addKeys("Ctrl-U keeps the kill buffer", "abc" K_LEFT K_CTRL_K K_CTRL_U, "", 0, "c");
    addKeys("Ctrl-Y with an empty kill buffer", "ab" K_CTRL_Y, "ab", 2);
    addKeys("ignored controls", bytes("a\tb\0c\x1c"), "abc", 3);
    addKeys("Latin-1 byte", "\xe9", "\xe9", 1);
    addKeys("unknown, F1, F7 and overlong keys", "a" K_ESC "[Z" K_ESC "[[A" K_ESC "[18~" K_ESC "[1234567890123456~b",
            "ab", 2);
    addKeys("keypad application left", "ab" K_ESC "ODX", "aXb", 2);
    addKeys("up", K_UP, "c", 1);
    addKeys("up twice", K_UP K_UP, "b", 1);
    addKeys("up past the oldest", K_UP K_UP K_UP K_UP K_UP K_UP, "12345678", 8);
    addKeys("up, down", K_UP K_UP K_DOWN, "c", 1);
    addKeys("down past the newest keeps the line", K_UP K_DOWN "x", "cx", 2);
    addKeys("up after down past the newest", K_UP K_DOWN K_UP, "c", 1);
    addKeys("down when not browsing", "x" K_DOWN K_PAGE_DOWN, "x", 1);
    addKeys("Ctrl-P, Ctrl-P, Ctrl-N", K_CTRL_P K_CTRL_P K_CTRL_N, "c", 1);
    addKeys("page up, page down", K_PAGE_UP K_PAGE_DOWN, "c", 1);
    addKeys("page up at the oldest", K_PAGE_UP "x" K_PAGE_UP, "12345678x", 9);
    addKeys("typed line replaced", "xyz" K_UP, "c", 1);
    addKeys("editing after recall", K_UP K_UP "d" K_LEFT "e", "bed", 2);
    // Capacity 8 holds 7 bytes and the terminator.
    addKeys("typing past the end", "abcdefghij", "abcdefg", 7, {}, 8);
    addKeys("insert into a full line", "abcdefg" K_LEFT "X", "abcdefg", 6, {}, 8);
    addKeys("overwrite in a full line", "abcdefg" K_INSERT K_LEFT "X", "abcdefX", 7, {}, 8);
    addKeys("yank as much as fits", "abcdef" K_CTRL_A K_CTRL_K "xy" K_CTRL_Y, "xyabcde", 7, "abcdef", 8);
    addKeys("yank into a full line", "ab" K_CTRL_A K_CTRL_K "abcdefg" K_LEFT K_CTRL_Y, "abcdefg", 6, "ab", 8);
    addKeys("entry longer than the line", "ab" K_PAGE_UP, "ab", 2, {}, 8);
    addKeys("capacity 0 holds 999 bytes", QByteArray(1000, 'z') + K_CTRL_A, QByteArray(999, 'z'), 0, {}, 0);
}

// Keys in one call and one byte per call come to the same; the line stays
// zero-terminated and nothing reaches the host.
void TestLineEditor::keys()
{
    QFETCH(QByteArray, keys);
    QFETCH(QByteArray, line);
    QFETCH(int, cursor);
    QFETCH(QByteArray, kill);
    QFETCH(uint, capacity);

    for (int perByte = 0; perByte < 2; ++perByte) {
        Recorder r(capacity);
        r.load(kHistory);
        zn::lineEditorTrigger(r.editor);
        for (qsizetype i = 0; i < keys.size(); i += perByte ? 1 : keys.size())
            zn::lineEditorKeys(r.editor, keys.constData() + i, size_t(perByte ? 1 : keys.size()));
        QCOMPARE(r.line(), line);
        QCOMPARE(r.editor->cursor, cursor);
        QCOMPARE(QByteArray(r.editor->killBuffer), kill);
        QCOMPARE(qstrlen(r.editor->line), size_t(r.editor->length));
        QVERIFY(r.sent.isEmpty() && r.lines.isEmpty());
        QVERIFY(r.longestShow <= 32); // repeated bytes go in chunks
    }
}

void TestLineEditor::output_data()
{
    QTest::addColumn<QList<QByteArray>>("steps");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("lines");

    QTest::newRow("prompt, once") << QList<QByteArray>{TRIGGER, TRIGGER} << bytes(K_PROMPT " \b") << QByteArray()
                                  << QByteArray();
    QTest::newRow("inactive keys go to the host") << QList<QByteArray>{"ab" K_LEFT K_ENTER} << QByteArray()
                                                  << bytes("ab" K_LEFT K_ENTER) << QByteArray();
    QTest::newRow("Enter hands over") << QList<QByteArray>{TRIGGER, "ab" K_LEFT K_ENTER, "z"}
                                      << bytes(K_PROMPT " \b" K_CURSOR_OFF "ab\b" "b" K_CLEAR_TO_END
                                               "\r\n" K_CURSOR_ON) << bytes("z") << bytes("ab");
    QTest::newRow("pasted lines") << QList<QByteArray>{TRIGGER, "one" K_ENTER "two" K_ENTER}
                                  << bytes(K_PROMPT " \b" K_CURSOR_OFF "one\r\n" K_PROMPT "two \b\r\n" K_CURSOR_ON)
                                  << QByteArray() << bytes("one|two");
    QTest::newRow("abandon erases nothing") << QList<QByteArray>{TRIGGER, "ab" K_ESC "x", "q"}
                                            << bytes(K_PROMPT " \b" K_CURSOR_OFF "ab" K_CURSOR_ON) << bytes("q")
                                            << QByteArray();
    QTest::newRow("Ctrl-L") << QList<QByteArray>{TRIGGER, "ab" K_CTRL_L}
                            << bytes(K_PROMPT " \b" K_CURSOR_OFF "ab" K_ESC "c" K_PROMPT "ab \b" K_CURSOR_ON)
                            << QByteArray() << QByteArray();
    QTest::newRow("recall redraws") << QList<QByteArray>{TRIGGER, "xy" K_LEFT K_UP}
                                    << bytes(K_PROMPT " \b" K_CURSOR_OFF "xy\b" " \b\b \b\b \b\b \b" K_PROMPT
                                             "c \b" K_CURSOR_ON) << QByteArray() << QByteArray();
    QTest::newRow("host output with the prompt away")
        << QList<QByteArray>{TRIGGER, "abc" K_LEFT K_LEFT, HOST "\x1b[31mmsg\r\n", HOST "more\r\n"}
        << bytes(K_PROMPT " \b" K_CURSOR_OFF "abc\b\b" K_CURSOR_ON "  \b\b\b \b\b \b\b \b" "\x1b[31mmsg\r\n" K_PROMPT
                 "abc \b\b\b" "  \b\b\b \b\b \b\b \b\x1b[31m" "more\r\n" K_PROMPT "abc \b\b\b") << QByteArray() << QByteArray();
    QTest::newRow("host pieces inside a line") << QList<QByteArray>{TRIGGER, HOST "\x1b[3", "a", HOST "1m\xc3", HOST "\xa9\r\n"}
                                               << bytes(K_PROMPT " \b\b \b\b \b" "\x1b[3" "1m\xc3\xa9\r\n" K_PROMPT "a \b")
                                               << QByteArray() << QByteArray();
    QTest::newRow("host output while inactive") << QList<QByteArray>{HOST "msg", HOST "\r\n"} << bytes("msg\r\n")
                                                << QByteArray() << QByteArray();
    QTest::newRow("SUB at the end of a piece")
        << QList<QByteArray>{HOST "ready" K_SUB "more", HOST K_SUB, "x"}
        << bytes("ready" K_SUB "more" K_SUB "\r\n" K_PROMPT " \b" K_CURSOR_OFF "x \b" K_CURSOR_ON) << QByteArray()
        << QByteArray();
    QTest::newRow("stale escape") << QList<QByteArray>{TRIGGER, "ab" K_ENTER K_ESC, TRIGGER, "[Dx"}
                                  << bytes(K_PROMPT " \b" K_CURSOR_OFF "ab\r\n" K_CURSOR_ON K_PROMPT " \b" K_CURSOR_OFF
                                           "[Dx \b" K_CURSOR_ON) << QByteArray() << bytes("ab");
}

void TestLineEditor::output()
{
    QFETCH(QList<QByteArray>, steps);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, lines);

    Recorder r;
    r.load(kHistory);
    runScript(r, steps);
    QCOMPARE(r.shown, shown);
    QCOMPARE(r.sent, sent);
    QCOMPARE(r.lines, lines.isEmpty() ? QList<QByteArray>() : lines.split('|'));
}

void TestLineEditor::recording_data()
{
    QTest::addColumn<QList<QByteArray>>("entered");
    QTest::addColumn<QByteArray>("history");

    QTest::newRow("same line twice") << QList<QByteArray>{"scan", "scan"} << bytes("scan\0");
    QTest::newRow("empty line") << QList<QByteArray>{""} << QByteArray();
    QTest::newRow("repeat after another") << QList<QByteArray>{"a", "b", "a"} << bytes("a\0b\0a\0");
    QTest::newRow("prefix of the newest") << QList<QByteArray>{"abc", "ab"} << bytes("abc\0ab\0");
    QTest::newRow("cursor inside a full line") << QList<QByteArray>{"abcdefg" K_LEFT K_LEFT} << bytes("abcdefg\0");
}

void TestLineEditor::recording()
{
    QFETCH(QList<QByteArray>, entered);
    QFETCH(QByteArray, history);

    Recorder r(8);
    for (const QByteArray &keys : entered)
        runScript(r, {TRIGGER, keys + K_ENTER});
    QCOMPARE(r.lines.size(), entered.size());
    QCOMPARE(r.lines.last(), entered.last().left(7));
    QCOMPARE(r.history(), history);
    QCOMPARE(r.editor->historyIndex, r.editor->historyCount);
}

void TestLineEditor::loading_data()
{
    QTest::addColumn<QByteArray>("loaded");
    QTest::addColumn<QByteArray>("history");
    QTest::addColumn<int>("result");

    QTest::newRow("empty entries skipped") << bytes("\0a\0\0b\0") << bytes("a\0b\0") << 1;
    QTest::newRow("repeats collapsed") << bytes("a\0a\0b\0a\0") << bytes("a\0b\0a\0") << 1;
    QTest::newRow("unterminated last entry kept") << bytes("a\0b") << bytes("a\0b\0") << 1;
    QTest::newRow("nothing") << QByteArray() << QByteArray() << 1;
    QTest::newRow("10 MiB") << QByteArray(10485760, '\0') << QByteArray() << 1;
    QTest::newRow("10 MiB and a byte") << QByteArray(10485761, '\0') << bytes("old\0") << 0;
}

void TestLineEditor::loading()
{
    QFETCH(QByteArray, loaded);
    QFETCH(QByteArray, history);
    QFETCH(int, result);

    Recorder r;
    runScript(r, {TRIGGER, "old" K_ENTER});
    QCOMPARE(r.load(loaded), result);
    QCOMPARE(r.history(), history);
    QCOMPARE(r.editor->historyCount, int(history.count('\0')));
    QCOMPARE(r.editor->historyIndex, r.editor->historyCount);
}

void TestLineEditor::growthAndTrimming_data()
{
    QTest::addColumn<QList<int>>("lengths");
    QTest::addColumn<uint>("capacity");
    QTest::addColumn<int>("oldest");

    // Each entry takes its length plus a zero byte, and needs one spare byte.
    QTest::newRow("need of 4095") << QList<int>{4093} << 4096u << 0;
    QTest::newRow("need of 4096 rounds above") << QList<int>{4094} << 8192u << 0;
    QTest::newRow("grows at 4096 in use") << QList<int>{100, 3994, 4095} << 12288u << 0;
    QTest::newRow("trims above 4096 in use") << QList<int>{100, 3995, 4094} << 8192u << 1;
    QTest::newRow("steady trimming") << QList<int>(100, 99) << 8192u << 19;
    QTest::newRow("entry longer than the buffer") << QList<int>(50, 99) + QList<int>{10000} << 16384u << 0;
}

void TestLineEditor::growthAndTrimming()
{
    QFETCH(QList<int>, lengths);
    QFETCH(uint, capacity);
    QFETCH(int, oldest);

    Recorder r;
    QCOMPARE(r.load(entries(lengths)), 1);
    QCOMPARE(r.editor->historyCapacity, capacity);
    QCOMPARE(r.history(), entries(lengths, oldest));
    QVERIFY(r.editor->historyUsed < r.editor->historyCapacity);
}

QTEST_GUILESS_MAIN(TestLineEditor)
#include "tst_lineeditor.moc"
