// The private network harness, seen from inside: the links and addresses it
// builds, broadcasts crossing them both ways, its guard and its failure path.
// The same binary serves as the probe that runs in a device segment.
#include "privatenetwork.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <cstdio>

namespace {

constexpr quint16 kProbePort = 65533;
const QByteArray kProbe = "znnet probe";

int segmentCount()
{
    return qEnvironmentVariableIntValue("ZN_SEGMENTS");
}

QString harnessTool(const char *name)
{
    return QFileInfo(qEnvironmentVariable("ZNNET_EXEC")).absolutePath() + QLatin1Char('/') + QLatin1String(name);
}

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &args,
        const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, args);
    Run result;
    if (!process.waitForFinished(15000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// Runs this binary in a device segment in one of its probe roles.
Run runProbe(int segment, const QString &role)
{
    return run(qEnvironmentVariable("ZNNET_EXEC"),
               {QString::number(segment), QCoreApplication::applicationFilePath(), role});
}

// "name address/prefix ..." for every interface of this namespace, by name.
QStringList interfaceLines()
{
    QStringList lines;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        QString line = iface.name();
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                line += QStringLiteral(" %1/%2").arg(entry.ip().toString()).arg(entry.prefixLength());
        }
        lines << line;
    }
    lines.sort();
    return lines;
}

int probeListInterfaces()
{
    std::printf("%s\n", qPrintable(interfaceLines().join(QLatin1Char('\n'))));
    return 0;
}

int probeSend()
{
    QUdpSocket socket;
    return socket.writeDatagram(kProbe, QHostAddress(QHostAddress::Broadcast), kProbePort) == kProbe.size() ? 0 : 1;
}

int probeReceive()
{
    QUdpSocket socket;
    if (!socket.bind(QHostAddress::AnyIPv4, kProbePort, QAbstractSocket::ShareAddress))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    if (!socket.waitForReadyRead(5000))
        return 1;
    const QNetworkDatagram datagram = socket.receiveDatagram();
    std::printf("got %s from %s\n", datagram.data().constData(), qPrintable(datagram.senderAddress().toString()));
    return 0;
}

QString segmentAddress(int segment, int host)
{
    return QStringLiteral("10.201.%1.%2").arg(segment).arg(host);
}

} // namespace

class TestNetHarness : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void toolNamespaceHasOneLinkPerSegment();
    void everySegmentHasOneLinkToTheTool_data();
    void everySegmentHasOneLinkToTheTool();
    void guardAcceptsBothSides();
    void guardRefusesWithoutTheMarker();
    void execRefusesAnUnknownSegment();
    void broadcastFromASegmentReachesTheTool_data();
    void broadcastFromASegmentReachesTheTool();
    void broadcastFromTheToolReachesSegmentOne();
    void commandStatusIsPassedOnAndLeftoversAreKilled();
    void noNamespaceMeansSkipAndNoCommand();
};

void TestNetHarness::initTestCase()
{
    ZN_REQUIRE_PRIVATE_NETWORK();
    QVERIFY(segmentCount() >= 1);
}

void TestNetHarness::toolNamespaceHasOneLinkPerSegment()
{
    QStringList expected{QStringLiteral("lo 127.0.0.1/8")};
    for (int s = 1; s <= segmentCount(); ++s)
        expected << QStringLiteral("znt%1 %2/24").arg(s).arg(segmentAddress(s, 1));
    expected.sort();
    QCOMPARE(interfaceLines(), expected);
}

void TestNetHarness::everySegmentHasOneLinkToTheTool_data()
{
    QTest::addColumn<int>("segment");
    for (int s = 1; s <= segmentCount(); ++s)
        QTest::addRow("segment %d", s) << s;
}

void TestNetHarness::everySegmentHasOneLinkToTheTool()
{
    QFETCH(int, segment);
    const Run probe = runProbe(segment, QStringLiteral("--list-interfaces"));
    QCOMPARE(probe.exitCode, 0);
    QCOMPARE(probe.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
             (QStringList{QStringLiteral("lo 127.0.0.1/8"),
                          QStringLiteral("znd%1 %2/24").arg(segment).arg(segmentAddress(segment, 2))}));
}

void TestNetHarness::guardAcceptsBothSides()
{
    QCOMPARE(run(qEnvironmentVariable("ZNNET_CHECK"), {}).exitCode, 0);
    for (int s = 1; s <= segmentCount(); ++s)
        QCOMPARE(run(qEnvironmentVariable("ZNNET_EXEC"), {QString::number(s), qEnvironmentVariable("ZNNET_CHECK")}).exitCode, 0);
}

void TestNetHarness::guardRefusesWithoutTheMarker()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("ZN_NETNS"));
    QCOMPARE(run(harnessTool("znnet-check"), {}, environment).exitCode, 1);
    QCOMPARE(run(harnessTool("znnet-exec"), {QStringLiteral("1"), QStringLiteral("true")}, environment).exitCode, 3);
}

void TestNetHarness::execRefusesAnUnknownSegment()
{
    const Run exec = run(harnessTool("znnet-exec"), {QString::number(segmentCount() + 1), QStringLiteral("true")});
    QCOMPARE(exec.exitCode, 2);
    QVERIFY(exec.err.contains(QLatin1String("there is no segment")));
}

void TestNetHarness::broadcastFromASegmentReachesTheTool_data()
{
    everySegmentHasOneLinkToTheTool_data();
}

void TestNetHarness::broadcastFromASegmentReachesTheTool()
{
    QFETCH(int, segment);
    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress::AnyIPv4, kProbePort, QAbstractSocket::ShareAddress));
    QCOMPARE(runProbe(segment, QStringLiteral("--probe-send")).exitCode, 0);
    QVERIFY(socket.hasPendingDatagrams() || socket.waitForReadyRead(3000));
    const QNetworkDatagram datagram = socket.receiveDatagram();
    QCOMPARE(datagram.data(), kProbe);
    QCOMPARE(datagram.senderAddress().toString(), segmentAddress(segment, 2));
    QCOMPARE(datagram.destinationAddress(), QHostAddress(QHostAddress::Broadcast));
}

// The tool namespace's default route lets a wildcard socket's broadcast out.
void TestNetHarness::broadcastFromTheToolReachesSegmentOne()
{
    QProcess receiver;
    receiver.start(qEnvironmentVariable("ZNNET_EXEC"),
                   {QStringLiteral("1"), QCoreApplication::applicationFilePath(), QStringLiteral("--probe-receive")});
    QVERIFY(receiver.waitForReadyRead(5000));
    QCOMPARE(receiver.readLine().trimmed(), QByteArray("ready"));
    QUdpSocket socket;
    QCOMPARE(socket.writeDatagram(kProbe, QHostAddress(QHostAddress::Broadcast), kProbePort), qint64(kProbe.size()));
    QVERIFY(receiver.waitForFinished(6000));
    QCOMPARE(receiver.exitCode(), 0);
    QCOMPARE(receiver.readAll().trimmed(), QByteArray("got " + kProbe + " from " + segmentAddress(1, 1).toLatin1()));
}

// A harness within the harness: its own namespaces, the same guarantees.
void TestNetHarness::commandStatusIsPassedOnAndLeftoversAreKilled()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString survivor = dir.filePath(QStringLiteral("survivor"));
    const Run nested = run(harnessTool("znnet-run"),
                           {QStringLiteral("--"), QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                            QStringLiteral("(sleep 0.5; touch '%1') & exit 7").arg(survivor)});
    QCOMPARE(nested.exitCode, 7);
    QTest::qWait(1000);
    QVERIFY(!QFileInfo::exists(survivor));
}

void TestNetHarness::noNamespaceMeansSkipAndNoCommand()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString marker = dir.filePath(QStringLiteral("ran"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), dir.path()); // no unshare, no ip
    environment.remove(QStringLiteral("ZN_REQUIRE_NETNS"));
    const QStringList args = {harnessTool("znnet-run"), QStringLiteral("--"), QStringLiteral("/usr/bin/touch"), marker};
    const Run skipped = run(QStringLiteral("/bin/bash"), args, environment);
    QCOMPARE(skipped.exitCode, 77);
    QVERIFY2(skipped.err.startsWith(QLatin1String("SKIPPED: cannot create a private network namespace: ")),
             qPrintable(skipped.err));

    // Under CI the same situation is a failure, not a skip.
    environment.insert(QStringLiteral("ZN_REQUIRE_NETNS"), QStringLiteral("1"));
    const Run required = run(QStringLiteral("/bin/bash"), args, environment);
    QCOMPARE(required.exitCode, 1);
    QVERIFY2(required.err.startsWith(QLatin1String("FAILED: cannot create a private network namespace")),
             qPrintable(required.err));
    QVERIFY(!QFileInfo::exists(marker));
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString role = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (role == QLatin1String("--list-interfaces"))
        return probeListInterfaces();
    if (role == QLatin1String("--probe-send"))
        return probeSend();
    if (role == QLatin1String("--probe-receive"))
        return probeReceive();
    TestNetHarness test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_netharness.moc"
