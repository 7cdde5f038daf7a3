// The terminal widget: separator lines, the log against what was shown, paced
// replay against replay at once, a log that fails, and the line editor's
// history in the settings.
#include "replaypace.h"
#include "terminalscreen.h"

#include <QAction>
#include <QKeyEvent>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>

namespace {

const QString kHistoryKey = QStringLiteral("TerminalWidget/History");
const QString kLastLogFileKey = QStringLiteral("TerminalWidget/LastLogFile");
const QString kReplaySpeedKey = QStringLiteral("TerminalWidget/ReplaySpeed");

QString screenText(TerminalWidget *widget)
{
    return terminalLines(widget).join(QLatin1Char('\n'));
}

// Text typed as one key press, the way an input method delivers it.
void type(QWidget *widget, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
}

} // namespace

class TestTerminalWidget : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Settings go to a directory of the test's own, never the user's.
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QCoreApplication::setOrganizationName(QStringLiteral("Quillon"));
        QCoreApplication::setApplicationName(QStringLiteral("znscan"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    }

    void init() { QSettings().clear(); }

    // On 80 columns: 79 characters, on a line of their own, the cursor below.
    void separatorLine()
    {
        TerminalWidget widget;
        widget.printline();
        widget.input(QStringLiteral("abcde"));
        widget.printline(QStringLiteral("End of replay"));
        const QStringList rows{QString(79, QLatin1Char('-')), QStringLiteral("abcde"),
                               QStringLiteral("--- End of replay ---") + QString(58, QLatin1Char('-')), QString()};
        QCOMPARE(terminalLines(&widget).mid(0, 4), rows);
        const zn::TerminalCore *core = widget.frame()->core();
        QCOMPARE(QPoint(int(core->shownCursorX), int(core->shownCursorY)), QPoint(0, 3));
    }

    // Bytes per tick and tick length for a few line speeds.
    void replayPacing()
    {
        const uint cases[][3] = {{9600, 22, 23}, {38400, 96, 25}, {115200, 241, 21}, {5, 1, 1001}};
        for (const auto &[bitsPerSecond, bytes, intervalMs] : cases) {
            const ReplayPace pace = replayPace(bitsPerSecond);
            QCOMPARE(QList<uint>({pace.bytes, pace.intervalMs}), QList<uint>({bytes, intervalMs}));
        }
    }

    // A terminal fed the log shows what the logging one showed, colours and
    // all; a second logOpen on the same file appends.
    void logHoldsWhatWasShown()
    {
        const QString path = m_dir.filePath(QStringLiteral("shown.log"));
        TerminalWidget shown;
        QVERIFY(shown.logOpen(path));
        QCOMPARE(QSettings().value(kLastLogFileKey).toString(), path);
        shown.input(QStringLiteral("[Scan] \x1b[33mGrüße\x1b[0m"));
        shown.input("\r\n");
        shown.input("abc", 3);
        shown.input(int('!'));
        shown.printline(QStringLiteral("Title"));
        shown.ansiHelp();
        QVERIFY(shown.logOpen(path));
        shown.input(QStringLiteral("tail"));
        shown.printline();
        shown.logClose();

        TerminalWidget replayed;
        replayed.setUtf8Mode(true);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray log = file.readAll();
        replayed.input(log.constData(), int(log.size()));
        QCOMPARE(terminalCells(&replayed), terminalCells(&shown));
    }

    // The speed setting cuts the replay into ticks (multi-byte characters and
    // sequences split between them) with the same result as all at once.
    void pacedReplayShowsTheSameAsAtOnce()
    {
        const QString path = m_dir.filePath(QStringLiteral("replay.log"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < 40; ++i)
            file.write(QStringLiteral("x\x1b[3%1mäöü line %2 äöüäöü\x1b[0m\r\n").arg(i % 8).arg(i).toUtf8());
        file.close();

        QSettings().setValue(kReplaySpeedKey, 115200);
        TerminalWidget paced;
        QTest::ignoreMessage(QtDebugMsg, "241 bytes per 21ms");
        QVERIFY(paced.logReplay(path));
        QCOMPARE(QSettings().value(kLastLogFileKey).toString(), path);
        QVERIFY(!screenText(&paced).contains(QStringLiteral("End of replay")));
        QTRY_VERIFY(screenText(&paced).contains(QStringLiteral("End of replay")));

        QSettings().remove(kReplaySpeedKey);
        TerminalWidget atOnce;
        QVERIFY(atOnce.logReplay(path));
        QVERIFY(screenText(&atOnce).contains(QStringLiteral("xäöü line 39 äöüäöü"))); // UTF-8 in any mode
        QCOMPARE(terminalCells(&paced), terminalCells(&atOnce));
        QVERIFY(!atOnce.logReplay(m_dir.filePath(QStringLiteral("missing.log"))));
    }

    // A write that fails ends logging, with one red line naming file and error.
    void failedLogWriteStopsLogging()
    {
        TerminalWidget widget;
        QVERIFY(!widget.logOpen(m_dir.filePath(QStringLiteral("missing/x.log"))));
        QVERIFY(!widget.isLogging());
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full");
        QVERIFY(widget.logOpen(QStringLiteral("/dev/full")));
        QAction *stop = nullptr;
        for (QAction *action : widget.findChildren<QAction *>())
            stop = action->text() == QLatin1String("Stop logging") ? action : stop;
        QVERIFY(stop && stop->isEnabled());

        widget.input(QStringLiteral("abc"));
        QVERIFY(!widget.isLogging());
        QVERIFY(!stop->isEnabled());
        const QStringList lines = terminalLines(&widget);
        QCOMPARE(lines.at(0), QStringLiteral("abc"));
        QVERIFY2(lines.at(1).contains(QStringLiteral("/dev/full")) &&
                     lines.at(1).contains(QString::fromLocal8Bit(std::strerror(ENOSPC))),
                 qPrintable(lines.at(1)));
        QCOMPARE(zn::cellForeground(terminalCell(&widget, 0, 1)), zn::kColourStandard + 1);
        widget.input(QStringLiteral("more"));
        QCOMPARE(terminalLines(&widget).at(2), QStringLiteral("more"));
    }

    // Entered lines reach the settings a second after the prompt was shown
    // and come back in the next session's editor.
    void readlineHistoryKeptInSettings()
    {
        QSettings().setValue(kHistoryKey, QStringList{QStringLiteral("old")});
        const QString second = QStringLiteral("zweite ü");
        {
            TerminalWidget widget;
            widget.setUtf8Mode(true);
            QSignalSpy output(&widget, qOverload<const QString &>(&TerminalWidget::output));
            widget.enableReadline(true);
            for (const QString &line : {QStringLiteral("first"), second}) {
                widget.readlineTrigger();
                type(widget.frame(), line);
                QTest::keyClick(widget.frame(), Qt::Key_Return);
            }
            QCOMPARE(output.size(), 2);
            QCOMPARE(output.at(1).at(0).toString(), second + QStringLiteral("\r\n"));
            QTRY_COMPARE(QSettings().value(kHistoryKey).toStringList(),
                         (QStringList{QStringLiteral("old"), QStringLiteral("first"), second}));
        }
        TerminalWidget widget;
        widget.setUtf8Mode(true);
        widget.enableReadline(true);
        widget.setLineMode(true);
        QSignalSpy output(&widget, qOverload<const QString &>(&TerminalWidget::output));
        QSignalSpy lines(&widget, qOverload<const QString &>(&TerminalWidget::line));
        widget.readlineTrigger();
        for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Return})
            QTest::keyClick(widget.frame(), key);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines.at(0).at(0).toString(), QStringLiteral("first"));
        QVERIFY(output.isEmpty());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestTerminalWidget)
#include "tst_terminalwidget.moc"
