// Buzz and reset end to end: a simulated controller is scanned into the panel,
// then buzzed and reset from the panel's buttons and from the command line.
// It must receive exactly the command datagrams, one from each socket.
#include "privatenetwork.h"
#include "programrun.h"
#include "rowtreeview.h"
#include "scanserver.h"
#include "scanstatemodel.h"
#include "scanstatewidget.h"
#include "simulatorprocess.h"
#include "udpsocket.h"

#include <QPushButton>
#include <QTest>

namespace {

// "DISCOVER", the opcode, the MAC record of 00:11:22:33:44:55, for reset the
// cold kind record, then the CRC-8.
const QString kBuzz = QStringLiteral("buzz mac=00:11:22:33:44:55 hex="
                                     "444953434F564552" "0003" "0008" "1500" "001122334455" "64");
const QString kReset = QStringLiteral("reset mac=00:11:22:33:44:55 kind=1 hex="
                                      "444953434F564552" "0000" "0008" "1500" "001122334455" "0003" "1123" "01" "20");

} // namespace

class TestDeviceCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ZN_REQUIRE_PRIVATE_NETWORK(); }

    void panelAndCommandLineSendExactlyTheCommands()
    {
        SimulatorProcess simulator;
        QVERIFY(simulator.start(1, {"--device", "mac=00:11:22:33:44:55,board=12,cpu=7,serial=4660", "--spread", "50"}));
        const auto received = [&simulator] {
            QStringList commands = simulator.lines().filter(QRegularExpression(QStringLiteral("^(buzz|reset) ")));
            commands.sort();
            return commands;
        };

        ScanServer server;
        ScanStateWidget panel(&server);
        panel.show();
        server.start();
        const int sockets = server.findChild<UDPSocket *>()->socketCount();
        const auto click = [&panel](const char *name) { panel.findChild<QPushButton *>(QLatin1String(name))->click(); };
        click("m_pb_scan");
        auto *view = panel.findChild<RowTreeView *>();
        QTRY_COMPARE(view->model()->rowCount(), 1);
        view->setCurrentIndex(view->model()->index(0, 0));
        click("m_pb_buzz");
        click("m_pb_reset");
        QStringList expected = QStringList(sockets, kBuzz) + QStringList(sockets, kReset);
        QTRY_COMPARE(received(), expected);
        server.stop();

        const QString cli = qEnvironmentVariable("ZNSCAN_CLI");
        QCOMPARE(runProgram(cli, {"buzz", "00:11:22:33:44:55"}).exitCode, 0);
        QCOMPARE(runProgram(cli, {"reset", "0:11:22:33:44:55"}).exitCode, 0);
        expected = QStringList(2 * sockets, kBuzz) + QStringList(2 * sockets, kReset);
        QTRY_COMPARE(received(), expected);
        QTest::qWait(200); // nothing more arrives
        QCOMPARE(received(), expected);
    }
};

QTEST_MAIN(TestDeviceCommands)
#include "tst_devicecommands.moc"
