// The private network harness, one level down: it builds the promised links,
// runs the command there, passes its exit status on and kills what the
// command leaves behind; where it cannot make a namespace it skips without
// running the command.
#include "privatenetwork.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

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

        QProcess skipped;
        QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
        bare.insert(QStringLiteral("PATH"), dir.path()); // no unshare, no ip
        bare.remove(QStringLiteral("ZN_REQUIRE_NETNS"));
        skipped.setProcessEnvironment(bare);
        skipped.start(QStringLiteral("/bin/bash"), {harness, "--", "/usr/bin/touch", survivor});
        QVERIFY(skipped.waitForFinished(15000));
        QCOMPARE(skipped.exitCode(), 77);
        QVERIFY(skipped.readAllStandardError().startsWith("SKIPPED: cannot create a private network namespace: "));

        // Under CI the same situation fails instead.
        QProcess required;
        bare.insert(QStringLiteral("ZN_REQUIRE_NETNS"), QStringLiteral("1"));
        required.setProcessEnvironment(bare);
        required.start(QStringLiteral("/bin/bash"), {harness, "--", "/usr/bin/touch", survivor});
        QVERIFY(required.waitForFinished(15000));
        QCOMPARE(required.exitCode(), 1);
        QVERIFY(required.readAllStandardError().startsWith("FAILED: cannot create a private network namespace"));
        QVERIFY(!QFileInfo::exists(survivor));
    }
};

QTEST_GUILESS_MAIN(TestNetHarness)
#include "tst_netharness.moc"
