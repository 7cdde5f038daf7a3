// The line editor drawing into the terminal core. Whatever keys do, the screen
// shows the prompt and the line (wrapped over rows, nothing left behind) with
// the cursor at the edit position; host output leaves the same screen, cell by
// cell, whether it comes whole or in any pieces, and the same as on a terminal
// without the editor.
#include "editortest.h"
#include "terminalcore.h"

#include <QRandomGenerator>
#include <QTest>

#include <cstring>

namespace {

constexpr int kCols = 20;
constexpr int kRows = 6;

// A terminal as the frame sets it up, with a line editor writing into it.
struct Screen {
    explicit Screen(uint32_t capacity = 4096, bool utf8 = true)
        : core(zn::terminalCoreCreate(&kCoreCallbacks, nullptr)),
          editor(zn::lineEditorCreate(this, &kEditorCallbacks, capacity))
    {
        core->defaultModes = core->modes | zn::kModeLnm;
        core->options |= utf8 ? zn::kOptionUtf8 : 0;
        zn::terminalCoreResize(core, kCols, kRows, 100);
        zn::terminalCoreFullReset(core);
    }
    ~Screen()
    {
        zn::lineEditorDestroy(editor);
        zn::terminalCoreDestroy(core);
    }
    Screen(const Screen &) = delete;
    Screen &operator=(const Screen &) = delete;

    void feed(const QByteArray &bytes) { zn::terminalCoreFeed(core, bytes.constData(), size_t(bytes.size())); }
    QByteArray line() const { return QByteArray(editor->line, editor->length); }

    QByteArray text() const
    {
        QByteArray text;
        for (int y = 0; y < kRows; ++y)
            for (const zn::TerminalCell *c = zn::lineCells(zn::terminalCoreLine(core, y)), *end = c + kCols; c < end; ++c)
                text += char(zn::cellChar(*c));
        return text;
    }

    // Every line in use, scrollback included, with rendition and colours, and the cursor.
    QList<quint64> snapshot() const
    {
        QList<quint64> cells{core->cursorX, core->cursorY, core->wrapPending};
        for (int y = -int(core->historyCount); y < kRows; ++y) {
            const zn::TerminalCell *c = zn::lineCells(zn::terminalCoreLine(core, y));
            for (int x = 0; x < kCols; ++x)
                cells << (quint64(c[x].ch & ~zn::kCellChanged) << 32 | c[x].colours);
        }
        return cells;
    }

    // The screen shows text (rows apart at each '|') and nothing else, and the
    // cursor stands at offset `at`, or waits to wrap there from the row above.
    void verify(const QByteArray &rows, int at) const
    {
        QByteArray expected;
        for (const QByteArray &row : rows.split('|'))
            expected += row.leftJustified((row.size() + kCols - 1) / kCols * kCols, ' ');
        QCOMPARE(text(), expected.leftJustified(kCols * kRows, ' '));
        const int x = int(core->cursorX) + (core->wrapPending ? 1 : 0);
        QCOMPARE(int(core->cursorY) * kCols + x, at);
    }

    void verifyPromptLine() const { verify("> " + line(), 2 + editor->cursor); }

    zn::TerminalCore *core;
    zn::LineEditor *editor;
    QList<QByteArray> lines;

    static const zn::TerminalCallbacks kCoreCallbacks;
    static const zn::LineEditorCallbacks kEditorCallbacks;
};

const zn::TerminalCallbacks Screen::kCoreCallbacks{};
const zn::LineEditorCallbacks Screen::kEditorCallbacks = {
    [](void *owner, const char *bytes, size_t length) {
        zn::terminalCoreFeed(static_cast<Screen *>(owner)->core, bytes, length);
    },
    nullptr,
    [](void *owner, const char *bytes, size_t length) {
        static_cast<Screen *>(owner)->lines.append(QByteArray(bytes, qsizetype(length)));
    },
};

} // namespace

class TestLineEditorScreen : public QObject {
    Q_OBJECT

private slots:
    void randomEditing();
    void hostOutputInPieces_data();
    void hostOutputInPieces();
    void scripts_data();
    void scripts();
};

// Random key sequences: after every key string the screen must match the line.
void TestLineEditorScreen::randomEditing()
{
    static const char *const kKeys[] = {
        "a", "b", "xyz", "0123456789", "\xe9", K_LEFT, K_RIGHT, K_HOME, K_END, "\x02", K_CTRL_F, K_CTRL_A, K_CTRL_E,
        K_BACKSPACE, K_DEL, K_CTRL_D, K_DELETE, K_CTRL_K, K_CTRL_Y, K_CTRL_U, K_INSERT, K_UP, K_DOWN, K_PAGE_UP,
        K_PAGE_DOWN, K_CTRL_L,
    };
    // Entries of one, two, three and five rows' length.
    const QByteArray history =
        QByteArray("x\0", 2) + QByteArray(25, 'h') + '\0' + QByteArray(50, 'i') + '\0' + QByteArray(89, 'j') + '\0';
    QRandomGenerator random(7);
    for (int round = 0; round < 300; ++round) {
        Screen s(90, false); // at most 89 bytes: 2 + 89 + 1 fit on the screen without scrolling
        zn::lineEditorLoadHistory(s.editor, history.constData(), size_t(history.size()));
        zn::lineEditorTrigger(s.editor);
        QByteArray typed;
        for (int step = 0; step < 40 && !QTest::currentTestFailed(); ++step) {
            const char *key = kKeys[random.bounded(int(std::size(kKeys)))];
            typed += key;
            zn::lineEditorKeys(s.editor, key, strlen(key));
            s.verifyPromptLine();
        }
        if (QTest::currentTestFailed()) {
            qWarning("round %d, keys %s", round, typed.toPercentEncoding().constData());
            return;
        }
    }
}

void TestLineEditorScreen::hostOutputInPieces_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<bool>("utf8");

    QTest::newRow("colours across lines") << QByteArray("\x1b[31mred\r\nstill red\r\n\x1b[1;4;44mbold on blue\r\n"
                                                       "\x1b[38;5;196mpalette\r\n\x1b[2;3;5;7;39mfaint\r\n\x1b[6;22;23;"
                                                       "25;27;49mrapid\r\n\x1b[48;5;17;1mdropped\r\n\x1b[mplain\r\n")
                                          << true;
    QTest::newRow("split characters") << QByteArray("gr\xc3\xb6\xc3\x9f" "er \xe2\x94\x80 \xe2\x82\xac \xf0\x9d\x84\x9e"
                                                    "\r\nnext\r\n") << true;
    QTest::newRow("Latin-1") << QByteArray("caf\xe9 \xc3\xa9t\xe9\r\n\x1b[35mlila\r\nstill\r\n") << false;
    QTest::newRow("lines as wide as the screen")
        << QByteArray(20, 'w') + "\r\n\x1b[32m" + QByteArray(19, 'x') + "\r\n" + QByteArray(21, 'y') + "\r\n" << true;
    QTest::newRow("sequences and strings")
        << QByteArray("\x1b]0;title\nwith a line feed\x1b\\after\r\n" K_ESC "7\x1b[32msaved" K_ESC "8\x1b[4mback\r\n\x1b[?25lhidden\x1b[?25h"
                      "\r\nc\x18" "an\x1b[3\r\n1mcut\r\n\x1b[1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;31mclamped\r\n\x1b[0m")
        << true;
    QTest::newRow("message window") << QByteArray("[Scan] Calling all\r\n[Scan] \x1b[33mNo answer\x1b[0m\r\n[Scan] "
                                                  "\x1b[31mSend failed\x1b[0m\r\n")
                                    << true;
}

// The editor active with a line of two rows; the host output goes through it
// whole, cut once at every place, and cut at random places.
void TestLineEditorScreen::hostOutputInPieces()
{
    QFETCH(QByteArray, output);
    QFETCH(bool, utf8);
    const QByteArray typed = "a line of two rows";
    Screen plain(4096, utf8);
    plain.feed(output + K_PROMPT + typed + " \b");
    const QList<quint64> expected = plain.snapshot();

    auto check = [&](const QList<int> &cuts) {
        Screen s(4096, utf8);
        runScript(s, {TRIGGER, typed});
        int from = 0;
        for (int cut : cuts + QList<int>{int(output.size())}) {
            zn::lineEditorHostOutput(s.editor, output.constData() + from, size_t(cut - from));
            from = cut;
        }
        if (s.snapshot() != expected) {
            QStringList at;
            for (int cut : cuts)
                at << QString::number(cut);
            QFAIL(qPrintable("the screen differs with the output cut at " + at.join(',')));
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

void TestLineEditorScreen::scripts_data()
{
    QTest::addColumn<QList<QByteArray>>("steps");
    QTest::addColumn<QByteArray>("screen");
    QTest::addColumn<int>("at");

    QTest::newRow("host output moves the prompt line below")
        << QList<QByteArray>{TRIGGER, "hello, this wraps over rows" K_LEFT K_LEFT, HOST "[Scan] found\r\n"}
        << QByteArray("[Scan] found|> hello, this wraps over rows") << 47;
    QTest::newRow("Enter leaves the line") << QList<QByteArray>{TRIGGER, "scan all the stations" K_LEFT K_ENTER, HOST "done\r\n"}
                                           << QByteArray("> scan all the stations|done|") << 60;
    QTest::newRow("shorter entry over a wrapped line")
        << QList<QByteArray>{TRIGGER, "a long line that takes two rows" K_CTRL_A K_RIGHT, K_UP} << QByteArray("> ls") << 4;
    QTest::newRow("Ctrl-L") << QList<QByteArray>{HOST "old output\r\n", TRIGGER, "ab" K_CTRL_L} << QByteArray("> ab") << 4;
    QTest::newRow("trigger after an unfinished line")
        << QList<QByteArray>{HOST "Scanning", TRIGGER, "x", HOST "done\r\n"} << QByteArray("Scanning|done|> x") << 43;
    QTest::newRow("trigger inside a sequence waits")
        << QList<QByteArray>{HOST "\x1b[3", TRIGGER, "ab", HOST "1mRED\r\n"} << QByteArray("RED|> ab") << 24;
    QTest::newRow("Enter inside a sequence does not echo")
        << QList<QByteArray>{HOST "\x1b[3", TRIGGER, "ab" K_ENTER, HOST "1mRED\r\n"} << QByteArray("RED|") << 20;
    QTest::newRow("SUB after an unfinished line") << QList<QByteArray>{HOST "ready" K_SUB} << QByteArray("ready|> ") << 22;
    QTest::newRow("abandoned line stays") << QList<QByteArray>{TRIGGER, "abc" K_CTRL_C, TRIGGER}
                                          << QByteArray("> abc|> ") << 22;
    QTest::newRow("message as wide as the screen")
        << QList<QByteArray>{TRIGGER, "ab", HOST + QByteArray(20, 'w'), HOST "\r\n"}
        << QByteArray(20, 'w') + "> ab" << 24;
}

void TestLineEditorScreen::scripts()
{
    QFETCH(QList<QByteArray>, steps);
    QFETCH(QByteArray, screen);
    QFETCH(int, at);

    Screen s;
    zn::lineEditorLoadHistory(s.editor, "ls", 2);
    runScript(s, steps);
    s.verify(screen, at);
}

QTEST_GUILESS_MAIN(TestLineEditorScreen)
#include "tst_lineeditorscreen.moc"
