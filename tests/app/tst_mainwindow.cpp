// The window: the delayed start of the engine, the routing of engine messages
// to the debug output, the menu bar, and Close.
#include "mainwindow.h"
#include "privatenetwork.h"
#include "scanserver.h"
#include "scanstatewidget.h"

#include <QAction>
#include <QApplication>
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
