// The window: the delayed start of the engine, the routing of engine messages
// to the debug output and the message dock, the menu bar, and Close.
#include "mainwindow.h"
#include "privatenetwork.h"
#include "scanserver.h"
#include "scanstatewidget.h"
#include "terminalscreen.h"

#include <QAction>
#include <QApplication>
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

    void serverStartsAfterTheDelayAndEveryMessageGoesToDebugOutput()
    {
        const QtMessageHandler previous = qInstallMessageHandler(collectDebug);
        MainWindow window;
        QTest::qWait(MainWindow::kStartDelayMs / 2);
        QVERIFY(!window.scanServer()->isStarted());
        QTRY_VERIFY(window.scanServer()->isStarted());
        Q_EMIT window.scanServer()->message(QStringLiteral("[Scan] \x1b[33mcoloured\x1b[0m"));
        qInstallMessageHandler(previous);
        QCOMPARE(debugLines.first(), QStringLiteral("[Socket] UDP ANY:65533: bound"));
        QVERIFY(debugLines.contains(QStringLiteral("[Scan] Scanner started on Any:65533.")));
        QCOMPARE(debugLines.last(), QStringLiteral("[Scan] \x1b[33mcoloured\x1b[0m"));
    }

    // The device list's menu sits between File and Help, whatever order the
    // form made them in.
    void scannerMenuIsBetweenFileAndHelp()
    {
        MainWindow window;
        QStringList titles;
        for (const QAction *entry : window.menuBar()->actions())
            titles << entry->text();
        QCOMPARE(titles, (QStringList{"File", "&Scanner", "Help"}));
        QCOMPARE(window.menuBar()->actions().at(1)->menu(), window.scanStateWidget()->menu());
        auto *dock = window.findChild<QDockWidget *>(QStringLiteral("MessageDock"));
        QVERIFY(dock);
        QCOMPARE(window.scanStateWidget()->menu()->actions().last(), dock->toggleViewAction());
    }

    // The dock starts closed and collects the lines all the same: each
    // message on a line of its own, its colours applied.
    void messagesGoToTheHiddenDock()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *dock = window.findChild<QDockWidget *>(QStringLiteral("MessageDock"));
        QVERIFY(dock && !dock->isVisible());
        QTRY_VERIFY(window.scanServer()->isStarted());
        Q_EMIT window.scanServer()->message(QStringLiteral("[Scan] \x1b[33mcoloured\x1b[0m"));
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

    void closeClosesTheWindow()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
