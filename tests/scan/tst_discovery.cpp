// Discovery end to end: simulated controllers in their own namespaces answer
// real broadcasts that cross a veth link; the headless front end and the
// engine list them exactly as the simulator sent them.
#include "datagram.h"
#include "privatenetwork.h"
#include "scanclientitem.h"
#include "scanserver.h"
#include "scanstate.h"
#include "scanstatemodel.h"
#include "simulatorprocess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
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

QJsonObject byMac(const QJsonArray &devices, const QString &mac)
{
    for (const QJsonValue &device : devices) {
        if (device.toObject().value(QStringLiteral("mac")).toString() == mac)
            return device.toObject();
    }
    return {};
}

// Every listed device is one of the simulated ones, listed once, and carries
// every identity field exactly as the simulator sent it.
void compareListed(const QJsonArray &listed, const QJsonArray &simulated)
{
    QCOMPARE(listed.size(), simulated.size());
    for (const QJsonValue &value : simulated) {
        const QJsonObject sent = value.toObject();
        const QJsonObject got = byMac(listed, sent.value(QStringLiteral("mac")).toString());
        QVERIFY2(!got.isEmpty(), qPrintable(sent.value(QStringLiteral("mac")).toString()));
        for (auto field = sent.begin(); field != sent.end(); ++field)
            QVERIFY2(got.value(field.key()) == field.value(),
                     qPrintable(QStringLiteral("%1: %2").arg(sent.value(QStringLiteral("mac")).toString(), field.key())));
        QVERIFY(!got.value(QStringLiteral("label")).toString().isEmpty());
    }
}

int segments()
{
    return qEnvironmentVariableIntValue("ZN_SEGMENTS");
}

} // namespace

class TestDiscovery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ZN_REQUIRE_PRIVATE_NETWORK(); }

    void everySegmentsDevicesAreListedOnceWithEveryField()
    {
        QJsonArray simulated;
        std::vector<std::unique_ptr<SimulatorProcess>> simulators;
        for (int segment = 1; segment <= segments(); ++segment) {
            const QStringList args{"--count", "12", "--seed", QString::number(40 + segment), "--spread", "300",
                                   "--duration", "15000"};
            for (const QJsonValue &device : SimulatorProcess::devices(args))
                simulated.append(device);
            simulators.push_back(std::make_unique<SimulatorProcess>());
            QVERIFY(simulators.back()->start(segment, args));
        }
        QCOMPARE(simulated.size(), 12 * segments());

        const CliRun run = runCli({"scan", "--json", "--wait", "1500"});
        QCOMPARE(run.exitCode, 0);
        compareListed(run.devices, simulated);
        QVERIFY(run.messages.contains(QStringLiteral("[Scan] Calling all stations")));
        QCOMPARE(run.messages.filter(QStringLiteral("[Scan] Discovered ")).size(), simulated.size());
        // Three requests from every socket reach every segment.
        for (auto &simulator : simulators)
            QTRY_VERIFY(simulator->lines().filter(QStringLiteral("discover from")).size() >= 3);
    }

    void buzzReachesOnlyTheAddressedDevice()
    {
        const QStringList args{"--count", "3", "--seed", "7", "--spread", "50", "--duration", "15000"};
        SimulatorProcess simulator;
        QVERIFY(simulator.start(1, args));
        ScanServer server;
        server.start();
        QVERIFY(server.isStarted());
        server.scanClients();
        QTRY_COMPARE(server.model()->state()->count(), 3);

        ScanClientItem *target = server.model()->state()->at(1);
        server.buzzClient(target);
        uint8_t expected[zn::kDatagramBufferSize];
        zn::DatagramBuilder builder = zn::datagramBegin(target->info.mac.value(), expected, sizeof expected, zn::OpBuzz);
        const size_t len = zn::datagramFinish(&builder);
        const QString hex = QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(expected), qsizetype(len)).toHex().toUpper());
        const QString line = QStringLiteral("buzz mac=%1 hex=%2").arg(target->info.mac.toString(), hex);
        QTRY_VERIFY(simulator.lines().contains(line));
        QTest::qWait(100);
        // One datagram per socket, all for the same device.
        QCOMPARE(simulator.lines().filter(QStringLiteral("buzz ")).size(), simulator.lines().count(line));
    }

    void answerWithWrongChecksumIsReportedAndNotListed()
    {
        const QStringList args{"--count", "2", "--seed", "9", "--spread", "50", "--duration", "15000"};
        const QString badMac = SimulatorProcess::devices(args).at(0).toObject().value(QStringLiteral("mac")).toString();
        SimulatorProcess simulator;
        QVERIFY(simulator.start(1, args + QStringList{"--corrupt-crc", badMac}));
        const CliRun run = runCli({"scan", "--json", "--wait", "800"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.devices.size(), 1);
        QVERIFY(byMac(run.devices, badMac).isEmpty());
        const QStringList crcLines = run.messages.filter(QStringLiteral("CRC ERROR"));
        QVERIFY(!crcLines.isEmpty());
        for (const QString &crcLine : crcLines)
            QVERIFY(crcLine.startsWith(QLatin1String("[Scan] \x1b[31mCRC ERROR len=")));
        QVERIFY(run.messages.filter(QStringLiteral("Discover: mac=") + badMac).isEmpty());
    }

    void quietScanWritesOnlyTheList()
    {
        SimulatorProcess simulator;
        QVERIFY(simulator.start(1, {"--count", "2", "--seed", "11", "--spread", "50", "--duration", "15000"}));
        const CliRun run = runCli({"scan", "--json", "--quiet", "--wait", "600"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.devices.size(), 2);
        QCOMPARE(run.messages, QStringList());
    }

    void cliRejectsBadArguments()
    {
        const CliRun run = runCli({"scan", "--wait", "soon"});
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.messages.value(0).startsWith(QLatin1String("usage: znscan-cli")));
        QCOMPARE(runCli({"frobnicate"}).exitCode, 2);
    }
};

QTEST_MAIN(TestDiscovery)
#include "tst_discovery.moc"
