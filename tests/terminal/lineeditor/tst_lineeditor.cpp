// Line editor, drawing into the real terminal core: what keys make of the line,
// kill buffer and history; the exact bytes of prompt, echo and hand-over; and
// on the screen, the prompt line with the cursor at the edit position after
// each row's keys (fuzz_lineeditor checks it after random keys), and host
// output that looks the same whole, in any pieces, or without the editor.
#include "lineeditor.h"
#include "terminalcore.h"

#include <QRandomGenerator>
#include <QTest>

#define K_CTRL_A "\x01"
#define K_CTRL_B "\x02"
#define K_CTRL_D "\x04"
#define K_CTRL_E "\x05"
#define K_BACKSPACE "\x08"
#define K_CTRL_K "\x0b"
#define K_CTRL_L "\x0c"
#define K_CTRL_U "\x15"
#define K_CTRL_Y "\x19"
#define K_ESC "\x1b"
#define K_UP K_ESC "[A"
#define K_DOWN K_ESC "[B"
#define K_RIGHT K_ESC "[C"
#define K_LEFT K_ESC "[D"
#define K_HOME K_ESC "[H"
#define K_END K_ESC "[F"
#define K_PAGE_UP K_ESC "[5~"
#define K_PAGE_DOWN K_ESC "[6~"
#define K_INSERT K_ESC "[2~"
#define K_DELETE K_ESC "[3~"
#define PROMPT K_ESC "[?45h" K_ESC "[20h" K_ESC "[0m> " K_ESC "[?25h"
#define OFF K_ESC "[?25l"
#define ON K_ESC "[?25h"
// Script steps: TRIGGER alone, HOST "bytes" for host output, anything else is keys.
#define TRIGGER "\xfe"
#define HOST "\xff"

namespace {

constexpr int kCols = 20;
constexpr int kRows = 6;
using Steps = QList<QByteArray>;

// A terminal as the frame sets it up, with a line editor writing into it; what
// the editor shows, sends and delivers is recorded as well.
struct Editor {
    explicit Editor(uint32_t capacity = 4096, bool utf8 = false)
        : core(zn::terminalCoreCreate(&kCoreCallbacks, nullptr)),
          editor(zn::lineEditorCreate(this, &kCallbacks, capacity))
    {
        core->defaultModes = core->modes | zn::kModeLnm;
        core->options |= utf8 ? zn::kOptionUtf8 : 0;
        zn::terminalCoreResize(core, kCols, kRows, 100);
        zn::terminalCoreFullReset(core);
    }
    ~Editor()
    {
        zn::lineEditorDestroy(editor);
        zn::terminalCoreDestroy(core);
    }

    void run(const Steps &steps)
    {
        for (const QByteArray &step : steps) {
            if (step == TRIGGER)
                zn::lineEditorTrigger(editor);
            else if (step.startsWith(HOST))
                zn::lineEditorHostOutput(editor, step.constData() + 1, size_t(step.size() - 1));
            else
                zn::lineEditorKeys(editor, step.constData(), size_t(step.size()));
        }
    }
    int load(const QByteArray &entries)
    {
        return zn::lineEditorLoadHistory(editor, entries.constData(), size_t(entries.size()));
    }
    QByteArray line() const { return QByteArray(editor->line, editor->length); }

    // Every line in use, scrollback included, with rendition and colours, and the cursor.
    QList<quint64> snapshot() const
    {
        QList<quint64> cells{core->cursorX, core->cursorY, core->wrapPending};
        for (int y = -int(core->historyCount); y < kRows; ++y)
            for (int x = 0; x < kCols; ++x)
                cells << (quint64(cell(x, y).ch & ~zn::kCellChanged) << 32 | cell(x, y).colours);
        return cells;
    }
    zn::TerminalCell cell(int x, int y) const { return zn::lineCells(zn::terminalCoreLine(core, y))[x]; }

    // The screen shows the prompt and the line and nothing else, with the cursor
    // at the edit position (or waiting to wrap there from the row above).
    void verifyPromptLine() const
    {
        QByteArray screen;
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kCols; ++x)
                screen += char(zn::cellChar(cell(x, y)));
        QCOMPARE(screen, ("> " + line()).leftJustified(kCols * kRows, ' '));
        const int at = int(core->cursorY) * kCols + int(core->cursorX) + (core->wrapPending ? 1 : 0);
        QCOMPARE(at, 2 + editor->cursor);
    }

    zn::TerminalCore *core;
    zn::LineEditor *editor;
    QByteArray shown, sent;
    QList<QByteArray> lines;
    size_t longestShow = 0;
    static constexpr zn::TerminalCallbacks kCoreCallbacks{};
    static const zn::LineEditorCallbacks kCallbacks;
};

const zn::LineEditorCallbacks Editor::kCallbacks = {
    [](void *owner, const char *bytes, size_t length) {
        auto *e = static_cast<Editor *>(owner);
        e->shown.append(bytes, qsizetype(length));
        e->longestShow = std::max(e->longestShow, length);
        zn::terminalCoreFeed(e->core, bytes, length);
    },
    [](void *owner, const char *bytes, size_t length) {
        static_cast<Editor *>(owner)->sent.append(bytes, qsizetype(length));
    },
    [](void *owner, const char *bytes, size_t length) {
        static_cast<Editor *>(owner)->lines.append(QByteArray(bytes, qsizetype(length)));
    },
};

const QByteArray kHistory("12345678\0a\0b\0c\0", 15);

void addKeys(const char *name, const QByteArray &keys, const QByteArray &line, int cursor, const QByteArray &kill = {},
             uint capacity = 4096)
{
    QTest::newRow(name) << keys << line << cursor << kill << capacity;
}

void addOutput(const char *name, const Steps &steps, const QByteArray &shown, const QByteArray &sent = {},
               const QByteArray &lines = {})
{
    QTest::newRow(name) << steps << shown << sent << lines;
}

void addHistory(const char *name, const Steps &steps, const QByteArray &load, const QByteArray &history)
{
    QTest::newRow(name) << steps << load << history;
}

// Generated history entries, distinct from their neighbours, of the given lengths.
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
    void hostOutputInPieces_data();
    void hostOutputInPieces();
    void history_data();
    void history();
};

void TestLineEditor::keys_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QByteArray>("kill");
    QTest::addColumn<uint>("capacity");

    addKeys("overwrite inside, append at the end", K_INSERT "abc" K_LEFT K_CTRL_B "X" K_END "d", "aXcd", 4);
    addKeys("insert toggled back", K_INSERT K_INSERT "abc" K_LEFT K_LEFT "X", "aXbc", 2);
    addKeys("Ctrl-A and Home", "abc" K_CTRL_A "X" K_HOME "Y", "YXabc", 1);
    addKeys("Ctrl-E and End", "abc" K_HOME K_END "X" K_CTRL_A K_CTRL_E "Y", "abcXY", 5);
    addKeys("DEL inside, backspace at the end", "abc" K_LEFT "\x7f" K_END K_BACKSPACE, "a", 1);
    addKeys("Ctrl-D, Delete, Ctrl-D at the end", "abcd" K_CTRL_A K_CTRL_D K_DELETE K_END K_CTRL_D, "cd", 2);
    addKeys("Ctrl-K, Ctrl-Y", "hello" K_HOME K_RIGHT K_RIGHT K_CTRL_K K_CTRL_A K_CTRL_Y, "llohe", 3, "llo");
    addKeys("Ctrl-K at the end empties the kill buffer", "ab" K_CTRL_A K_CTRL_K "cd" K_CTRL_K, "cd", 2);
    addKeys("Ctrl-U keeps the kill buffer", "abc" K_LEFT K_CTRL_K K_CTRL_U, "", 0, "c");
    addKeys("ignored controls", QByteArray("a\tb\0c\x1c", 6), "abc", 3);
    addKeys("Latin-1 byte", "\xe9", "\xe9", 1);
    addKeys("unknown, F1, F7, overlong", "a" K_ESC "[Z" K_ESC "[[A" K_ESC "[18~" K_ESC "[1234567890123456~b", "ab", 2);
    addKeys("keypad application left", "ab" K_ESC "ODX", "aXb", 2);
    addKeys("up, up, down", K_UP K_UP K_DOWN, "c", 1);
    addKeys("down past the newest keeps the line", K_UP K_DOWN "x", "cx", 2);
    addKeys("down when not browsing", "x" K_DOWN K_PAGE_DOWN, "x", 1);
    addKeys("page up, page down", K_PAGE_UP K_PAGE_DOWN, "c", 1);
    addKeys("page up at the oldest", K_PAGE_UP "x" K_PAGE_UP, "12345678x", 9);
    addKeys("editing after recall", K_UP K_UP "d" K_LEFT "e", "bed", 2);
    // Capacity 8 holds 7 bytes and the terminator.
    addKeys("typing past the end", "abcdefghij", "abcdefg", 7, {}, 8);
    addKeys("overwrite in a full line", "abcdefg" K_INSERT K_LEFT "X", "abcdefX", 7, {}, 8);
    addKeys("yank as much as fits", "abcdef" K_CTRL_A K_CTRL_K "xy" K_CTRL_Y, "xyabcde", 7, "abcdef", 8);
    addKeys("entry longer than the line", "ab" K_PAGE_UP, "ab", 2, {}, 8);
    addKeys("capacity 0 holds 999 bytes", QByteArray(1000, 'z') + K_CTRL_A, QByteArray(999, 'z'), 0, {}, 0);
}

// Keys in one call and one byte per call come to the same, shown on the screen.
void TestLineEditor::keys()
{
    QFETCH(QByteArray, keys);
    QFETCH(QByteArray, line);
    QFETCH(int, cursor);
    QFETCH(QByteArray, kill);
    QFETCH(uint, capacity);

    for (qsizetype step : {keys.size(), qsizetype(1)}) {
        Editor e(capacity);
        e.load(kHistory);
        zn::lineEditorTrigger(e.editor);
        for (qsizetype i = 0; i < keys.size(); i += step)
            zn::lineEditorKeys(e.editor, keys.constData() + i, size_t(std::min(step, keys.size() - i)));
        QCOMPARE(e.line(), line);
        QCOMPARE(e.editor->cursor, cursor);
        QCOMPARE(QByteArray(e.editor->killBuffer), kill);
        QCOMPARE(qstrlen(e.editor->line), size_t(e.editor->length));
        QVERIFY(e.sent.isEmpty() && e.lines.isEmpty());
        QVERIFY(e.longestShow <= 32); // repeated bytes go in chunks
        if (line.size() < 100)
            e.verifyPromptLine();
    }
}

void TestLineEditor::output_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QByteArray>("shown");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("lines");

    addOutput("prompt, once", {TRIGGER, TRIGGER}, PROMPT " \b");
    addOutput("inactive keys go to the host", {"ab" K_LEFT "\r"}, {}, "ab" K_LEFT "\r");
    addOutput("Enter hands over", {TRIGGER, "ab" K_LEFT "\r", "z"}, PROMPT " \b" OFF "ab\bb \b" K_ESC "[K\r\n" ON, "z",
              "ab");
    addOutput("pasted lines", {TRIGGER, "one\rtwo\r"}, PROMPT " \b" OFF "one\r\n" PROMPT "two \b\r\n" ON, {},
              "one|two");
    addOutput("abandon erases nothing", {TRIGGER, "ab" K_ESC "x", "q"}, PROMPT " \b" OFF "ab" ON, "q");
    addOutput("Ctrl-C and Ctrl-X abandon", {TRIGGER, "a\x03", TRIGGER, "b\x18", "q"},
              PROMPT " \b" OFF "a" ON "\r\n" PROMPT " \b" OFF "b" ON, "q");
    addOutput("End", {TRIGGER, "ab" K_HOME K_END}, PROMPT " \b" OFF "ab\b\bab \b" K_ESC "[K" ON);
    addOutput("Ctrl-L", {TRIGGER, "ab" K_CTRL_L}, PROMPT " \b" OFF "ab" K_ESC "c" PROMPT "ab \b" ON);
    addOutput("Ctrl-L in a sequence", {HOST "\x1b[3", TRIGGER, "ab" K_CTRL_L}, "\x1b[3" K_ESC "c" PROMPT "ab \b" ON);
    addOutput("recall redraws", {TRIGGER, "xy" K_LEFT K_UP},
              PROMPT " \b" OFF "xy\b \b\b \b\b \b\b \b" PROMPT "c \b" ON);
    addOutput("host output with the prompt away",
              {TRIGGER, "abc" K_LEFT K_LEFT, HOST "\x1b[31mmsg\r\n", HOST "more\r\n"},
              PROMPT " \b" OFF "abc\b\b" ON "  \b\b\b \b\b \b\b \b\x1b[31mmsg\r\n" PROMPT "abc \b\b\b"
                     "  \b\b\b \b\b \b\b \b\x1b[31mmore\r\n" PROMPT "abc \b\b\b");
    addOutput("host pieces inside a line", {TRIGGER, HOST "\x1b[3", "a", HOST "1m\xc3", HOST "\xa9\r\n"},
              PROMPT " \b\b \b\b \b\x1b[31m\xc3\xa9\r\n" PROMPT "a \b");
    addOutput("Enter inside a host sequence does not echo", {HOST "\x1b[3", TRIGGER, "ab\r", HOST "1m\r\n"},
              "\x1b[31m\r\n", {}, "ab");
    addOutput("host output while inactive", {HOST "msg", HOST "\r\n"}, "msg\r\n");
    // Without LNM a bare line feed keeps the column: the prompt must not start
    // there (at the right edge its cursor-on would drop the pending wrap).
    addOutput("bare line feed without LNM", {HOST "\x1b[20lab\n", TRIGGER}, "\x1b[20lab\n\r\n" PROMPT " \b");
    addOutput("8-bit CSI inside a string", {TRIGGER, HOST "\x1b]0;t\x07\x9b" "1m\r\n"},
              PROMPT " \b\b \b\b \b\x1b]0;t\x07\x9b" "1m\r\n");
    addOutput("CR LF without LNM", {HOST "\x1b[20lab\r\n", TRIGGER}, "\x1b[20lab\r\n" PROMPT " \b");
    addOutput("SUB at the end of a piece", {HOST "\x1aready\x1amore", HOST "\x1a", "x"},
              "\x1aready\x1amore\x1a\r\n" PROMPT " \b" OFF "x \b" ON);
    addOutput("stale escape", {TRIGGER, "ab\r" K_ESC, TRIGGER, "[Dx"},
              PROMPT " \b" OFF "ab\r\n" ON PROMPT " \b" OFF "[Dx \b" ON, {}, "ab");
}

void TestLineEditor::output()
{
    QFETCH(Steps, steps);
    QFETCH(QByteArray, shown);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, lines);

    Editor e;
    e.load(kHistory);
    e.run(steps);
    QCOMPARE(e.shown, shown);
    QCOMPARE(e.sent, sent);
    QCOMPARE(e.lines, lines.isEmpty() ? Steps() : lines.split('|'));
}

void TestLineEditor::hostOutputInPieces_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<bool>("utf8");

    QTest::newRow("colours across lines")
        << QByteArray("\x1b[31mred\r\nstill red\r\n\x1b[1;4;44mbold on blue\r\n\x1b[38;5;196mpalette\r\n"
                      "\x1b[2;3;5;7;39mfaint\r\n\x1b[6;22;23;27;49mrapid\r\n\x1b[48;5;17;1mdropped\r\n"
                      "\x1b[24;25mplain\r\n") << true;
    QTest::newRow("split characters")
        << QByteArray("gr\xc3\xb6\xc3\x9f" "er \xe2\x94\x80 \xe2\x82\xac \xf0\x9d\x84\x9e\r\nnext\r\n") << true;
    QTest::newRow("Latin-1") << QByteArray("caf\xe9 \xc3\xa9t\xe9\r\n\x1b[35mlila\r\nstill\r\n") << false;
    QTest::newRow("lines as wide as the screen")
        << QByteArray(20, 'w') + "\r\n\x1b[32m" + QByteArray(19, 'x') + "\r\n" + QByteArray(21, 'y') + "\r\n" << true;
    QTest::newRow("sequences and strings")
        << QByteArray("\x1b]0;title\nwith a line feed\x1b\\after\r\n" K_ESC "7\x1b[32msaved" K_ESC "8\x1b[4mback\r\n"
                      "\x1b[?25lhidden\x1b[?25h\r\nc\x18" "an\x1b[3\r\n1mcut\r\n\x1b[4:1mcolon\r\nplain\r\n"
                      "\x1b[0;0;0;0;0;0;0;0;0;0;0;0;0;0;1;4;31mclamped\r\nbold\x1b([\r\n") << true;
}

// With a line of two rows typed, the host output goes through the editor
// whole, cut once at every place, and cut at random places.
void TestLineEditor::hostOutputInPieces()
{
    QFETCH(QByteArray, output);
    QFETCH(bool, utf8);
    const QByteArray typed = "a line of two rows";
    Editor plain(4096, utf8);
    const QByteArray alone = output + PROMPT + typed + " \b";
    zn::terminalCoreFeed(plain.core, alone.constData(), size_t(alone.size()));
    const QList<quint64> expected = plain.snapshot();

    auto check = [&](const QList<int> &cuts) {
        Editor e(4096, utf8);
        e.run({TRIGGER, typed});
        int from = 0;
        for (int cut : cuts + QList<int>{int(output.size())}) {
            zn::lineEditorHostOutput(e.editor, output.constData() + from, size_t(cut - from));
            from = cut;
        }
        if (e.snapshot() != expected) {
            qWarning() << "output cut at" << cuts;
            QFAIL("the screen differs");
        }
    };
    check({});
    for (int cut = 1; cut < output.size() && !QTest::currentTestFailed(); ++cut)
        check({cut});
    QRandomGenerator random(11);
    for (int round = 0; round < 200 && !QTest::currentTestFailed(); ++round) {
        QList<int> cuts;
        for (int at = random.bounded(1, 9); at < output.size(); at += random.bounded(1, 9))
            cuts << at;
        check(cuts);
    }
}

void TestLineEditor::history_data()
{
    QTest::addColumn<Steps>("steps");
    QTest::addColumn<QByteArray>("load");
    QTest::addColumn<QByteArray>("history");

    const Steps old{TRIGGER, "old\r"};
    addHistory("repeat after another", {TRIGGER, "a\rb\ra\r"}, {}, QByteArray("a\0b\0a\0", 6));
    addHistory("prefix of the newest", {TRIGGER, "abc\rab\r"}, {}, QByteArray("abc\0ab\0", 7));
    addHistory("cursor inside a full line", {TRIGGER, "abcdefg" K_LEFT K_LEFT "\r"}, {}, QByteArray("abcdefg\0", 8));
    addHistory("load by the adding rule", old, QByteArray("\0a\0a\0\0b\0a", 9), QByteArray("a\0b\0a\0", 6));
    addHistory("load of 10 MiB", old, QByteArray(10485760, '\0'), {});
    addHistory("load of more fails", old, QByteArray(10485761, '\0'), QByteArray("old\0", 4));
    // Each entry takes its length plus a zero byte, and needs one spare byte.
    const QList<int> steady(100, 99), longLast = QList<int>(50, 99) << 10000;
    addHistory("grows at 4096 in use", {}, entries({100, 3994, 4095}), entries({100, 3994, 4095}));
    addHistory("trims above 4096 in use", {}, entries({100, 3995, 4094}), entries({100, 3995, 4094}, 1));
    addHistory("steady trimming", {}, entries(steady), entries(steady, 19));
    addHistory("entry longer than the buffer", {}, entries(longLast), entries(longLast));
}

void TestLineEditor::history()
{
    QFETCH(Steps, steps);
    QFETCH(QByteArray, load);
    QFETCH(QByteArray, history);

    Editor e(8);
    e.run(steps);
    if (!load.isNull())
        QCOMPARE(e.load(load), int(load.size() <= 10485760));
    size_t size = 0;
    const char *bytes = zn::lineEditorHistory(e.editor, &size);
    QCOMPARE(QByteArray(bytes, qsizetype(size)), history);
    QCOMPARE(e.editor->historyCount, int(history.count('\0')));
    QCOMPARE(e.editor->historyIndex, e.editor->historyCount);
}

QTEST_GUILESS_MAIN(TestLineEditor)
#include "tst_lineeditor.moc"
