// The line editor drawing into the terminal core: whatever keys do, the screen
// shows the prompt and the line (wrapped over rows, nothing left behind) with
// the terminal cursor at the edit position.
#include "keynames.h"
#include "lineeditor.h"
#include "terminalcore.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

constexpr int kCols = 20;
constexpr int kRows = 6;

// A terminal as the frame sets it up, with a line editor writing into it.
class EditorOnScreen {
public:
    explicit EditorOnScreen(uint32_t capacity = 4096)
        : core(zn::terminalCoreCreate(&kCoreCallbacks, nullptr)),
          editor(zn::lineEditorCreate(this, &kEditorCallbacks, capacity))
    {
        core->defaultModes = core->modes | zn::kModeLnm;
        zn::terminalCoreResize(core, kCols, kRows, 100);
        zn::terminalCoreFullReset(core);
    }
    ~EditorOnScreen()
    {
        zn::lineEditorDestroy(editor);
        zn::terminalCoreDestroy(core);
    }
    EditorOnScreen(const EditorOnScreen &) = delete;
    EditorOnScreen &operator=(const EditorOnScreen &) = delete;

    void keys(const QByteArray &bytes) { zn::lineEditorKeys(editor, bytes.constData(), size_t(bytes.size())); }
    void hostOutput(const QByteArray &bytes)
    {
        zn::lineEditorHostOutput(editor, bytes.constData(), size_t(bytes.size()));
    }
    QByteArray line() const { return QByteArray(editor->line, editor->length); }

    QByteArray row(int y) const
    {
        const zn::TerminalCell *cells = zn::lineCells(zn::terminalCoreLine(core, y));
        QByteArray text;
        for (int x = 0; x < kCols; ++x)
            text += char(zn::cellChar(cells[x]));
        return text;
    }

    // The screen from row `top` on must show text and nothing after it, and
    // the cursor must stand at offset `at` of that text. A cursor that filled
    // a row's last column may still wait there to wrap.
    void verify(int top, const QByteArray &text, int at) const
    {
        for (int y = top; y < kRows; ++y) {
            const QByteArray expected = text.mid((y - top) * kCols, kCols).leftJustified(kCols, ' ');
            QCOMPARE(row(y), expected);
        }
        const int x = at % kCols;
        const int y = top + at / kCols;
        const bool waitsToWrap = x == 0 && at > 0 && core->wrapPending && int(core->cursorX) == kCols - 1
                                 && int(core->cursorY) == y - 1;
        if (!waitsToWrap) {
            QCOMPARE(int(core->cursorX), x);
            QCOMPARE(int(core->cursorY), y);
        }
    }

    void verifyPromptLine(int top) const { verify(top, "> " + line(), 2 + editor->cursor); }

    zn::TerminalCore *core;
    zn::LineEditor *editor;
    QByteArray sent;
    QList<QByteArray> lines;

private:
    static EditorOnScreen *self(void *owner) { return static_cast<EditorOnScreen *>(owner); }
    static const zn::TerminalCallbacks kCoreCallbacks;
    static const zn::LineEditorCallbacks kEditorCallbacks;
};

const zn::TerminalCallbacks EditorOnScreen::kCoreCallbacks{};
const zn::LineEditorCallbacks EditorOnScreen::kEditorCallbacks = {
    [](void *owner, const char *bytes, size_t length) { zn::terminalCoreFeed(self(owner)->core, bytes, length); },
    [](void *owner, const char *bytes, size_t length) { self(owner)->sent.append(bytes, qsizetype(length)); },
    [](void *owner, const char *bytes, size_t length) {
        self(owner)->lines.append(QByteArray(bytes, qsizetype(length)));
    },
};

} // namespace

class TestLineEditorScreen : public QObject {
    Q_OBJECT

private slots:
    void editing_data();
    void editing();
    void randomEditing();
    void hostOutputMovesPromptBelow();
    void enterLeavesLineAndMovesOn();
    void recallShorterEntryOverWrappedLine();
    void ctrlLRedrawsOnClearScreen();
};

void TestLineEditorScreen::editing_data()
{
    QTest::addColumn<QByteArray>("keys");

    const QByteArray wraps = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJ"; // 2 + 46: three rows
    QTest::newRow("typing") << QByteArray("hello");
    QTest::newRow("insert inside") << QByteArray("abc" K_LEFT K_LEFT "X");
    QTest::newRow("overwrite inside") << QByteArray(K_INSERT "abc" K_LEFT K_LEFT "X");
    QTest::newRow("line fills the first row") << QByteArray("abcdefghijklmnopqr");
    QTest::newRow("line one past the first row") << QByteArray("abcdefghijklmnopqrs");
    QTest::newRow("wrapped line") << wraps;
    QTest::newRow("back to the start of a wrapped line") << wraps + K_CTRL_A;
    QTest::newRow("insert at the start of a wrapped line") << wraps + K_CTRL_A "X";
    QTest::newRow("back and forth over a row end") << wraps + K_CTRL_A K_CTRL_E;
    QTest::newRow("backspace across the row boundary") << QByteArray("abcdefghijklmnopqrs" K_BACKSPACE K_BACKSPACE);
    QTest::newRow("delete inside a wrapped line") << wraps + K_CTRL_A K_RIGHT K_RIGHT K_CTRL_D;
    QTest::newRow("backspace inside a wrapped line") << wraps + K_CTRL_A K_RIGHT K_RIGHT K_RIGHT K_BACKSPACE;
    QTest::newRow("Ctrl-K in a wrapped line") << wraps + K_CTRL_A K_RIGHT K_CTRL_K;
    QTest::newRow("Ctrl-K and Ctrl-Y") << wraps + K_CTRL_A K_RIGHT K_CTRL_K K_CTRL_Y K_CTRL_A K_CTRL_Y;
    QTest::newRow("Ctrl-U in a wrapped line") << wraps + K_LEFT K_LEFT K_LEFT K_CTRL_U "new";
    QTest::newRow("left stepping over a row end") << QByteArray("abcdefghijklmnopqrst" K_LEFT K_LEFT K_LEFT);
}

void TestLineEditorScreen::editing()
{
    QFETCH(QByteArray, keys);

    EditorOnScreen s;
    zn::lineEditorTrigger(s.editor);
    s.keys(keys);
    s.verifyPromptLine(0);
}

// Random key sequences: after every key string the screen must match the line.
void TestLineEditorScreen::randomEditing()
{
    static const char *const kKeys[] = {
        "a", "b", "xyz", "0123456789", "\xe9", K_LEFT, K_RIGHT, K_HOME, K_END, K_CTRL_B, K_CTRL_F, K_CTRL_A,
        K_CTRL_E, K_BACKSPACE, K_DEL, K_CTRL_D, K_DELETE, K_CTRL_K, K_CTRL_Y, K_CTRL_U, K_INSERT,
        K_UP, K_DOWN, K_PAGE_UP, K_PAGE_DOWN,
    };
    // Entries of one, two, three and five rows' length.
    const QByteArray history =
        QByteArray("x\0", 2) + QByteArray(25, 'h') + '\0' + QByteArray(50, 'i') + '\0' + QByteArray(89, 'j') + '\0';
    QRandomGenerator random(7);
    for (int round = 0; round < 300; ++round) {
        EditorOnScreen s(90); // at most 89 bytes: 2 + 89 + 1 fit on the screen without scrolling
        zn::lineEditorLoadHistory(s.editor, history.constData(), size_t(history.size()));
        zn::lineEditorTrigger(s.editor);
        QByteArray typed;
        for (int step = 0; step < 40; ++step) {
            const char *key = kKeys[random.bounded(int(std::size(kKeys)))];
            typed += key;
            s.keys(key);
            s.verifyPromptLine(0);
            if (QTest::currentTestFailed()) {
                qWarning("round %d, keys %s", round, typed.toPercentEncoding().constData());
                return;
            }
        }
    }
}

void TestLineEditorScreen::hostOutputMovesPromptBelow()
{
    EditorOnScreen s;
    zn::lineEditorTrigger(s.editor);
    s.keys("hello, this wraps over rows" K_LEFT K_LEFT);
    s.hostOutput("[Scan] found\r\n");
    QCOMPARE(s.row(0), QByteArray("[Scan] found").leftJustified(kCols, ' '));
    s.verifyPromptLine(1);
}

void TestLineEditorScreen::enterLeavesLineAndMovesOn()
{
    EditorOnScreen s;
    zn::lineEditorTrigger(s.editor);
    s.keys("scan all the stations" K_LEFT K_ENTER);
    s.verify(0, "> scan all the stations", 2 * kCols);
    QCOMPARE(s.lines, QList<QByteArray>{"scan all the stations"});
    s.hostOutput("done\r\n");
    s.verify(0, QByteArray("> scan all the stations").leftJustified(2 * kCols, ' ') + "done", 3 * kCols);
}

void TestLineEditorScreen::recallShorterEntryOverWrappedLine()
{
    EditorOnScreen s;
    const char entry[] = "ls\0";
    zn::lineEditorLoadHistory(s.editor, entry, sizeof entry - 1);
    zn::lineEditorTrigger(s.editor);
    s.keys("a long line that takes up two rows" K_CTRL_A K_RIGHT);
    s.keys(K_UP);
    s.verifyPromptLine(0);
    QCOMPARE(s.line(), QByteArray("ls"));
}

void TestLineEditorScreen::ctrlLRedrawsOnClearScreen()
{
    EditorOnScreen s;
    s.hostOutput("old output\r\n");
    zn::lineEditorTrigger(s.editor);
    s.keys("ab" K_CTRL_L);
    s.verifyPromptLine(0);
}

QTEST_GUILESS_MAIN(TestLineEditorScreen)
#include "tst_lineeditorscreen.moc"
