// Discovery end to end: simulated controllers in their own namespaces answer
// real broadcasts that cross a veth link; the headless front end and the
// engine list them exactly as the simulator sent them.
#include "privatenetwork.h"
#include "scanclientitem.h"
#include "scanserver.h"
#include "scanstate.h"
#include "scanstatemodel.h"
#include "simulatorprocess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace {

struct CliRun {
    int exitCode = -1;
    QJsonArray devices;
    QStringList messages;
};

CliRun runCli(const QStringList &args)
{
    QProcess cli;
    cli.start(qEnvironmentVariable("ZNSCAN_CLI"), args);
    CliRun run;
    if (!cli.waitForFinished(20000))
        return run;
    run.exitCode = cli.exitCode();
    run.devices = QJsonDocument::fromJson(cli.readAllStandardOutput()).array();
    run.messages = QString::fromUtf8(cli.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}

} // namespace

class TestDiscovery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ZN_REQUIRE_PRIVATE_NETWORK(); }

    // Every simulated device is listed once, with every identity field exactly
    // as the simulator sent it, and every segment gets three requests.
    void everySegmentsDevicesAreListedOnceWithEveryField()
    {
        QHash<QString, QJsonObject> simulated;
        std::vector<std::unique_ptr<SimulatorProcess>> simulators;
        for (int segment = 1; segment <= qEnvironmentVariableIntValue("ZN_SEGMENTS"); ++segment) {
            const QStringList args{"--count", "12", "--seed", QString::number(40 + segment), "--spread", "300"};
            for (const QJsonValue &device : SimulatorProcess::devices(args))
                simulated.insert(device[QStringLiteral("mac")].toString(), device.toObject());
            simulators.push_back(std::make_unique<SimulatorProcess>());
            QVERIFY(simulators.back()->start(segment, args));
        }
        QCOMPARE(simulated.size(), 12 * int(simulators.size()));

        const CliRun run = runCli({"scan", "--json", "--wait", "1500"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.devices.size(), simulated.size());
        for (const QJsonValue &value : run.devices) {
            QJsonObject listed = value.toObject();
            QVERIFY(!listed.take(QStringLiteral("label")).toString().isEmpty());
            QCOMPARE(listed, simulated.take(listed.value(QStringLiteral("mac")).toString()));
        }
        QVERIFY(run.messages.contains(QStringLiteral("[Scan] Calling all stations")));
        QCOMPARE(run.messages.filter(QStringLiteral("[Scan] Discovered ")).size(), run.devices.size());
        for (auto &simulator : simulators)
            QTRY_VERIFY(simulator->lines().filter(QStringLiteral("discover from")).size() >= 3);
    }

    void buzzReachesOnlyTheAddressedDevice()
    {
        SimulatorProcess simulator;
        QVERIFY(simulator.start(1, {"--count", "3", "--seed", "7", "--spread", "50"}));
        ScanServer server;
        server.start();
        server.scanClients();
        QTRY_COMPARE(server.model()->state()->count(), 3);
        server.buzzClient(server.model()->state()->at(1));
        QTRY_VERIFY(!simulator.lines().filter(QStringLiteral("buzz ")).isEmpty());
        QTest::qWait(100);
        const QString target = QStringLiteral("buzz mac=") + server.model()->state()->at(1)->info.mac.toString() + u' ';
        for (const QString &line : simulator.lines().filter(QStringLiteral("buzz ")))
            QVERIFY2(line.startsWith(target), qPrintable(line));
    }

    void quietScanWritesOnlyTheList()
    {
        SimulatorProcess simulator;
        QVERIFY(simulator.start(1, {"--count", "2", "--seed", "11", "--spread", "50"}));
        const CliRun run = runCli({"scan", "--json", "--quiet", "--wait", "600"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.devices.size(), 2);
        QCOMPARE(run.messages, QStringList());
    }
};

QTEST_MAIN(TestDiscovery)
#include "tst_discovery.moc"
