// Discovery end to end: simulated controllers on two segments answer real
// broadcasts that cross veth links; the headless front end lists them exactly
// as the simulator sent them.
#include "privatenetwork.h"
#include "simulatorprocess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

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

        QProcess cli;
        cli.start(qEnvironmentVariable("ZNSCAN_CLI"), {"scan", "--json", "--wait", "1500"});
        QVERIFY(cli.waitForFinished(20000));
        QCOMPARE(cli.exitCode(), 0);
        const QJsonArray devices = QJsonDocument::fromJson(cli.readAllStandardOutput()).array();
        const QStringList messages = QString::fromUtf8(cli.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(devices.size(), simulated.size());
        for (const QJsonValue &value : devices) {
            QJsonObject listed = value.toObject();
            QVERIFY(!listed.take(QStringLiteral("label")).toString().isEmpty());
            QCOMPARE(listed, simulated.take(listed.value(QStringLiteral("mac")).toString()));
        }
        QVERIFY(messages.contains(QStringLiteral("[Scan] Calling all stations")));
        QCOMPARE(messages.filter(QStringLiteral("[Scan] Discovered ")).size(), devices.size());
        for (auto &simulator : simulators)
            QTRY_VERIFY(simulator->lines().filter(QStringLiteral("discover from")).size() >= 3);
    }
};

QTEST_MAIN(TestDiscovery)
#include "tst_discovery.moc"
