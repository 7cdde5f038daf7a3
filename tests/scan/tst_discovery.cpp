// Discovery end to end: simulated controllers on two segments answer real
// broadcasts that cross veth links; the headless front end lists them exactly
// as the simulator sent them.
#include "privatenetwork.h"
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
};

QTEST_MAIN(TestDiscovery)
#include "tst_discovery.moc"
