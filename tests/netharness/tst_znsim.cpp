// The simulator refuses to send anywhere but inside the harness' namespaces:
// without the harness' marker it exits at once and nothing reaches the port.
// (What it sends inside them, the end-to-end discovery tests check.)
#include "privatenetwork.h"

#include <QProcess>
#include <QTest>
#include <QUdpSocket>

class TestZnSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ZN_REQUIRE_PRIVATE_NETWORK(); }

    void refusesToRunOutsideTheHarness()
    {
        QUdpSocket port;
        QVERIFY(port.bind(QHostAddress::AnyIPv4, 65533, QAbstractSocket::ShareAddress));
        QProcess simulator;
        QProcessEnvironment outside = QProcessEnvironment::systemEnvironment();
        outside.remove(QStringLiteral("ZN_NETNS"));
        simulator.setProcessEnvironment(outside);
        simulator.start(qEnvironmentVariable("ZNSIM"), {"--count", "3", "--send-raw", "444953434F5645520001C3"});
        QVERIFY(simulator.waitForFinished(10000));
        QCOMPARE(simulator.exitCode(), 3);
        QVERIFY(simulator.readAllStandardError().contains("refusing to send outside a private network namespace"));
        QVERIFY(!port.waitForReadyRead(300));
    }
};

QTEST_GUILESS_MAIN(TestZnSim)
#include "tst_znsim.moc"
