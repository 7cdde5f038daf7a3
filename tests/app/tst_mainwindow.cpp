// The window: its form, its menus, the delayed start of the engine and the
// routing of engine messages to the debug output.
#include "mainwindow.h"
#include "privatenetwork.h"
#include "scanserver.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
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

    void formHasTitleSizeAndMenus()
    {
        MainWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Zentra Network Scan"));
        QCOMPARE(window.objectName(), QStringLiteral("MainWindow"));
        QCOMPARE(window.size(), QSize(942, 465));

        QStringList titles;
        for (QAction *action : window.menuBar()->actions())
            titles << action->text();
        QCOMPARE(titles, (QStringList{"File", "Help"}));

        auto *close = window.findChild<QAction *>(QStringLiteral("m_act_close"));
        QVERIFY(close);
        QCOMPARE(close->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QVERIFY(!close->icon().isNull());
        auto *fileMenu = window.findChild<QMenu *>(QStringLiteral("m_mnu_file"));
        QCOMPARE(fileMenu->actions().size(), 2);
        QVERIFY(fileMenu->actions().at(0)->isSeparator());
        QCOMPARE(fileMenu->actions().at(1), close);
        QVERIFY(window.findChild<QAction *>(QStringLiteral("m_act_about")));
    }

    void serverStartsAfterTheDelayAndEveryMessageGoesToDebugOutput()
    {
        debugLines.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectDebug);
        MainWindow window;
        QVERIFY(!window.scanServer()->isStarted());
        QTest::qWait(MainWindow::kStartDelayMs / 2);
        QVERIFY(!window.scanServer()->isStarted());
        QTRY_VERIFY(window.scanServer()->isStarted());
        Q_EMIT window.scanServer()->message(QStringLiteral("[Scan] \x1b[33mcoloured\x1b[0m"));
        qInstallMessageHandler(previous);

        QCOMPARE(debugLines.first(), QStringLiteral("[Socket] UDP ANY:65533: bound"));
        QVERIFY(debugLines.contains(QStringLiteral("[Scan] Scanner started on Any:65533.")));
        QCOMPARE(debugLines.last(), QStringLiteral("[Scan] \x1b[33mcoloured\x1b[0m"));
    }

    void closeActionClosesTheWindow()
    {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.findChild<QAction *>(QStringLiteral("m_act_close"))->trigger();
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
