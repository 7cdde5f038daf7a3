// The window: the delayed start of the engine, the routing of engine messages
// to the debug output and to the message dock, and where the dock and the
// device list's menu sit. The menu titles and their order are checked with
// the translations.
#include "mainwindow.h"
#include "privatenetwork.h"
#include "scanserver.h"
#include "scanstatewidget.h"
#include "terminalscreen.h"

#include <QAction>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {

QStringList debugLines;

void collectDebug(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtDebugMsg)
        debugLines << text;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ZN_REQUIRE_PRIVATE_NETWORK(); }

    // The dock starts closed and collects the lines all the same: each
    // message on a line of its own, its colours applied.
    void messagesGoToDebugOutputAndTheHiddenDock()
    {
        const QtMessageHandler previous = qInstallMessageHandler(collectDebug);
        MainWindow window;
        QTest::qWait(MainWindow::kStartDelayMs / 2);
        QVERIFY(!window.scanServer()->isStarted());
        window.show();
        QTRY_VERIFY(window.scanServer()->isStarted());
        Q_EMIT window.scanServer()->message(QStringLiteral("[Scan] \x1b[33mcoloured\x1b[0m"));
        qInstallMessageHandler(previous);
        QCOMPARE(debugLines.first(), QStringLiteral("[Socket] UDP ANY:65533: bound"));
        QCOMPARE(debugLines.last(), QStringLiteral("[Scan] \x1b[33mcoloured\x1b[0m"));

        QMenu *scanner = window.scanStateWidget()->menu();
        QCOMPARE(window.menuBar()->actions().at(1)->menu(), scanner);
        auto *dock = window.findChild<QDockWidget *>(QStringLiteral("MessageDock"));
        QVERIFY(dock && !dock->isVisible());
        QCOMPARE(scanner->actions().last(), dock->toggleViewAction());
        dock->toggleViewAction()->trigger();
        QVERIFY(dock->isVisible());

        auto *terminal = dock->findChild<TerminalWidget *>();
        const QStringList lines = terminalLines(terminal);
        const int row = int(lines.lastIndexOf(QStringLiteral("[Scan] coloured")));
        QVERIFY2(row > 0, qPrintable(lines.join(QLatin1Char('\n'))));
        QCOMPARE(lines.at(row - 1), QStringLiteral("[Scan] Scanner started on Any:65533."));
        QVERIFY(lines.mid(row + 1).join(QString()).isEmpty());
        const int32_t screenRow = row - int32_t(terminal->frame()->core()->historyCount);
        QCOMPARE(zn::cellForeground(terminalCell(terminal, 7, screenRow)), zn::kColourStandard + 3);
        QCOMPARE(zn::cellForeground(terminalCell(terminal, 0, screenRow)), zn::kColourDefault);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
