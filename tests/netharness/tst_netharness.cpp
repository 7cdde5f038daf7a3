// The private network harness, one level down: it builds the promised links,
// runs the command there, passes its exit status on and kills what the
// command leaves behind; where it cannot make a namespace it skips without
// running the command. And the simulator refuses to send anywhere but inside
// the harness' namespaces (what it sends inside them, the end-to-end
// discovery tests check).
#include "privatenetwork.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

class TestNetHarness : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ZN_REQUIRE_PRIVATE_NETWORK(); }

    void runsInAPrivateNetworkOrNotAtAll()
    {
        const QString harness = QFileInfo(qEnvironmentVariable("ZNNET_EXEC")).absolutePath() + "/znnet-run";
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString survivor = dir.filePath(QStringLiteral("survivor"));
        QProcess nested;
        nested.start(harness, {"--segments", "2", "--", "/bin/sh", "-c",
                               QStringLiteral("(sleep 0.5; touch '%1') & ip -o -4 addr; \"$ZNNET_EXEC\" 2 ip -o -4 addr; exit 7")
                                   .arg(survivor)});
        QVERIFY(nested.waitForFinished(15000));
        QCOMPARE(nested.exitCode(), 7);
        QStringList addresses;
        static const QRegularExpression line(QStringLiteral("^\\d+: (\\S+)\\s+inet (\\S+)"), QRegularExpression::MultilineOption);
        for (auto match = line.globalMatch(QString::fromUtf8(nested.readAllStandardOutput())); match.hasNext();) {
            const QRegularExpressionMatch address = match.next();
            addresses << address.captured(1) + u' ' + address.captured(2);
        }
        QCOMPARE(addresses, (QStringList{"lo 127.0.0.1/8", "znt1 10.201.1.1/24", "znt2 10.201.2.1/24", // tool side
                                         "lo 127.0.0.1/8", "znd2 10.201.2.2/24"}));                   // segment 2
        QTest::qWait(1000);
        QVERIFY(!QFileInfo::exists(survivor));

        // Without a namespace it skips, under CI (ZN_REQUIRE_NETNS=1) it fails.
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        bare.insert(QStringLiteral("PATH"), dir.path()); // no unshare, no ip
        for (const auto &[required, exitCode, verdict] : {std::tuple("", 77, "SKIPPED"), std::tuple("1", 1, "FAILED")}) {
            QProcess harnessed;
            bare.insert(QStringLiteral("ZN_REQUIRE_NETNS"), QLatin1String(required));
            harnessed.setProcessEnvironment(bare);
            harnessed.start(QStringLiteral("/bin/bash"), {harness, "--", "/usr/bin/touch", survivor});
            QVERIFY(harnessed.waitForFinished(15000));
            QCOMPARE(harnessed.exitCode(), exitCode);
            QVERIFY(harnessed.readAllStandardError().startsWith(verdict + QByteArray(": cannot create a private network")));
        }
        QVERIFY(!QFileInfo::exists(survivor));
    }

    // Without the harness' marker it exits at once and nothing reaches the port.
    void simulatorRefusesToRunOutsideTheHarness()
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

QTEST_GUILESS_MAIN(TestNetHarness)
#include "tst_netharness.moc"
