// The simulator seen from the tool's side of the private network: datagrams
// built and decoded with the codec, answers compared with --print-devices.
#include "datagram.h"
#include "privatenetwork.h"
#include "simdevice.h"
#include "simulatorprocess.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QUdpSocket>

#include <functional>

namespace {

const QString kDeviceAddress = QStringLiteral("10.201.1.2");

const QStringList kDevices{
    QStringLiteral("--device"),
    QStringLiteral("mac=02:5A:4E:10:00:01,ip=10.1.2.3,netmask=255.255.255.0,gateway=10.1.2.1,networkMode=2,"
                   "developmentMode=5,board=0x2A,cpu=0x0A0B0C0D,serial=0xFEDCBA9876543210,"
                   "made=2021-03-04T05:06:07Z,versionS=1234,versionD=1234,boardName=ZN-450,remark=Halle S\u00FCd"),
    QStringLiteral("--device"), QStringLiteral("mac=02:5A:4E:10:00:02,made=0"),
    QStringLiteral("--device"), QStringLiteral("mac=02:5A:4E:10:00:03,badcrc=1"),
    QStringLiteral("--count"), QStringLiteral("20"), QStringLiteral("--seed"), QStringLiteral("11"),
    QStringLiteral("--spread"), QStringLiteral("150"), QStringLiteral("--duration"), QStringLiteral("20000"),
};
const QString kBadMac = QStringLiteral("02:5A:4E:10:00:03");
constexpr uint64_t kFirstMac = 0x025A4E100001;

QByteArray command(uint64_t mac, uint16_t opcode, const std::function<void(zn::DatagramBuilder *)> &records = {})
{
    uint8_t buffer[zn::kDatagramBufferSize];
    zn::DatagramBuilder builder = zn::datagramBegin(mac, buffer, sizeof buffer, opcode);
    if (records)
        records(&builder);
    const size_t length = zn::datagramFinish(&builder);
    return QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(length));
}

QString hexText(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QJsonObject decodedJson(const zn::DecodedIdentity &identity)
{
    SimDevice device;
    device.identity = identity;
    device.boardName = QString::fromUtf8(identity.boardName, qsizetype(identity.boardNameSize));
    device.remark = QString::fromUtf8(identity.remark, qsizetype(identity.remarkSize));
    return deviceToJson(device);
}

// Every datagram from another host arriving within `ms` (or until `count`
// have come); the test's own broadcasts come back to it and are left out.
QList<QNetworkDatagram> collect(QUdpSocket *socket, int ms, int count = -1)
{
    const QList<QHostAddress> own = QNetworkInterface::allAddresses();
    QList<QNetworkDatagram> datagrams;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && datagrams.size() != count) {
        if (!socket->hasPendingDatagrams() && !socket->waitForReadyRead(int(qMax<qint64>(1, ms - clock.elapsed()))))
            continue;
        const QNetworkDatagram datagram = socket->receiveDatagram();
        if (!own.contains(datagram.senderAddress()))
            datagrams << datagram;
    }
    return datagrams;
}

bool sendBroadcast(QUdpSocket *socket, const QByteArray &datagram)
{
    return socket->writeDatagram(datagram, QHostAddress(QHostAddress::Broadcast), zn::kScanPort) == datagram.size();
}

int runSimulator(const QStringList &args, const QProcessEnvironment &environment, QByteArray *stdErr = nullptr)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("ZNSIM"), args);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    if (stdErr)
        *stdErr = process.readAllStandardError();
    return process.exitCode();
}

} // namespace

class TestZnSim : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void everyDeviceAnswersOnceWithItsPrintedIdentity();
    void commandsAreLogged_data();
    void commandsAreLogged();
    void commandsForOthersAreIgnored_data();
    void commandsForOthersAreIgnored();
    void unicastRepliesGoToTheRequester();
    void rawDatagramIsSentAsGiven();
    void refusesToRunOutsideTheHarness();
    void stopsCleanlyOnSignalAndAfterItsDuration();

private:
    SimulatorProcess *m_simulator = nullptr;
    QUdpSocket *m_socket = nullptr;
};

void TestZnSim::initTestCase()
{
    ZN_REQUIRE_PRIVATE_NETWORK();
    QVERIFY(!qEnvironmentVariableIsEmpty("ZNSIM"));
    QCOMPARE(QProcess::execute(qEnvironmentVariable("ZNNET_CHECK"), {}), 0);
}

void TestZnSim::init()
{
    m_socket = new QUdpSocket;
    QVERIFY(m_socket->bind(QHostAddress::AnyIPv4, zn::kScanPort, QAbstractSocket::ShareAddress));
    m_simulator = new SimulatorProcess;
}

void TestZnSim::cleanup()
{
    delete m_simulator;
    m_simulator = nullptr;
    delete m_socket;
    m_socket = nullptr;
}

void TestZnSim::everyDeviceAnswersOnceWithItsPrintedIdentity()
{
    const QJsonArray printed = SimulatorProcess::devices(kDevices);
    QCOMPARE(printed.size(), 23);
    QVERIFY(m_simulator->start(1, kDevices));

    QVERIFY(sendBroadcast(m_socket, command(0, zn::OpDiscoverRequest)));
    const QList<QNetworkDatagram> answers = collect(m_socket, 1500, printed.size());
    QCOMPARE(answers.size(), printed.size());

    QHash<QString, QJsonObject> answered;
    int badChecksums = 0;
    for (const QNetworkDatagram &answer : answers) {
        QCOMPARE(answer.senderAddress().toString(), kDeviceAddress);
        QCOMPARE(answer.senderPort(), int(zn::kScanPort));
        QCOMPARE(answer.destinationAddress(), QHostAddress(QHostAddress::Broadcast));
        const QByteArray bytes = answer.data();
        zn::DecodedDatagram out;
        const zn::DecodeStatus status = zn::datagramDecode(0x0A0A0A0A, reinterpret_cast<const uint8_t *>(bytes.constData()),
                                                           size_t(bytes.size()), &out);
        if (status == zn::DecodeStatus::CrcError) {
            ++badChecksums;
            continue;
        }
        QCOMPARE(status, zn::DecodeStatus::Ok);
        QCOMPARE(out.opcode, uint16_t(zn::OpDiscoverAnswer));
        const QJsonObject json = decodedJson(out.identity);
        QVERIFY2(!answered.contains(json.value(QStringLiteral("mac")).toString()), "answered twice");
        answered.insert(json.value(QStringLiteral("mac")).toString(), json);
    }
    QCOMPARE(badChecksums, 1);
    for (const QJsonValue &device : printed) {
        const QString mac = device.toObject().value(QStringLiteral("mac")).toString();
        if (mac != kBadMac)
            QCOMPARE(answered.value(mac), device.toObject());
    }
    QTRY_VERIFY(!m_simulator->lines().filter(QStringLiteral("discover from 10.201.1.1:65533 at=")).isEmpty());
}

void TestZnSim::commandsAreLogged_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("line");
    const QString mac = QStringLiteral("02:5A:4E:10:00:01");
    const uint8_t cold = 1;
    const QByteArray buzz = command(kFirstMac, zn::OpBuzz);
    const QByteArray reset = command(kFirstMac, zn::OpReset,
                                     [&](zn::DatagramBuilder *b) { zn::datagramAppendData(b, zn::TagResetKind, &cold, 1); });
    const QByteArray autoReset = command(kFirstMac, zn::OpReset);
    QTest::newRow("buzz") << buzz << QStringLiteral("buzz mac=%1 hex=%2").arg(mac, hexText(buzz));
    QTest::newRow("cold reset") << reset << QStringLiteral("reset mac=%1 kind=1 hex=%2").arg(mac, hexText(reset));
    QTest::newRow("reset without kind") << autoReset
                                        << QStringLiteral("reset mac=%1 kind=none hex=%2").arg(mac, hexText(autoReset));
}

void TestZnSim::commandsAreLogged()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, line);
    QVERIFY(m_simulator->start(1, kDevices));
    QVERIFY(sendBroadcast(m_socket, datagram));
    QTRY_VERIFY(m_simulator->lines().contains(line));
    QTest::qWait(100);
    QCOMPARE(m_simulator->lines().filter(QRegularExpression(QStringLiteral("^(buzz|reset|ignored) "))),
             QStringList{line});
    QCOMPARE(collect(m_socket, 200).size(), 0); // no command is answered
}

void TestZnSim::commandsForOthersAreIgnored_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("line");
    QByteArray corrupt = command(kFirstMac, zn::OpBuzz);
    corrupt[corrupt.size() - 1] = char(corrupt.back() ^ 1);
    QTest::newRow("unknown MAC") << command(0x025A4E999999, zn::OpBuzz)
                                 << "ignored unknown-mac op=3 mac=02:5A:4E:99:99:99 from 10.201.1.1:65533";
    QTest::newRow("bad checksum") << corrupt << "ignored crc len=21";
    QTest::newRow("foreign") << QByteArray("HELLO, WORLD") << "ignored foreign len=12 from 10.201.1.1:65533";
    QTest::newRow("no MAC") << command(0, zn::OpBuzz) << "ignored malformed op=3 len=11 from 10.201.1.1:65533";
    QTest::newRow("opcode without handler") << command(kFirstMac, zn::OpDownloadRequest)
                                            << "ignored opcode op=4 mac=02:5A:4E:10:00:01 from 10.201.1.1:65533";
    QTest::newRow("corrupt discovery request") << QByteArray(zn::kMagic) + QByteArray::fromHex("0001C4")
                                               << "ignored crc len=11";
}

void TestZnSim::commandsForOthersAreIgnored()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, line);
    QVERIFY(m_simulator->start(1, kDevices));
    QVERIFY(sendBroadcast(m_socket, datagram));
    QTRY_COMPARE(m_simulator->lines().filter(QStringLiteral("ignored ")).size(), 1);
    QVERIFY2(m_simulator->lines().filter(QStringLiteral("ignored ")).first().startsWith(line),
             qPrintable(m_simulator->lines().join(QLatin1Char('\n'))));
    QVERIFY(m_simulator->lines().filter(QRegularExpression(QStringLiteral("^(buzz|reset|discover) "))).isEmpty());
    QCOMPARE(collect(m_socket, 300).size(), 0);
}

void TestZnSim::unicastRepliesGoToTheRequester()
{
    const QStringList args{QStringLiteral("--count"), QStringLiteral("5"), QStringLiteral("--spread"),
                           QStringLiteral("50"), QStringLiteral("--reply"), QStringLiteral("unicast")};
    QVERIFY(m_simulator->start(1, args));
    QUdpSocket requester;
    QVERIFY(requester.bind(QHostAddress::AnyIPv4, 0));
    QVERIFY(sendBroadcast(&requester, command(0, zn::OpDiscoverRequest)));
    const QList<QNetworkDatagram> answers = collect(&requester, 1000, 5);
    QCOMPARE(answers.size(), 5);
    for (const QNetworkDatagram &answer : answers) {
        QCOMPARE(answer.senderPort(), int(zn::kScanPort));
        QCOMPARE(answer.destinationAddress().toString(), QStringLiteral("10.201.1.1"));
    }
    QCOMPARE(collect(m_socket, 100).size(), 0); // nothing broadcast
    QTRY_VERIFY(!m_simulator->lines().filter(QStringLiteral("discover from 10.201.1.1:%1 at=").arg(requester.localPort())).isEmpty());
}

void TestZnSim::rawDatagramIsSentAsGiven()
{
    const QByteArray raw = QByteArray::fromHex("444953434F5645520002FFFF00");
    QVERIFY(m_simulator->start(1, {QStringLiteral("--send-raw"), hexText(raw), QStringLiteral("--raw-from-port"),
                                   QStringLiteral("4000")}));
    const QList<QNetworkDatagram> received = collect(m_socket, 1000, 1);
    QCOMPARE(received.size(), 1);
    QCOMPARE(received.first().data(), raw);
    QCOMPARE(received.first().senderAddress().toString(), kDeviceAddress);
    QCOMPARE(received.first().senderPort(), 4000);
    QVERIFY(m_simulator->lines().contains(QStringLiteral("sent raw len=13")));
}

void TestZnSim::refusesToRunOutsideTheHarness()
{
    QProcessEnvironment outside = QProcessEnvironment::systemEnvironment();
    outside.remove(QStringLiteral("ZN_NETNS"));
    QByteArray message;
    QCOMPARE(runSimulator({QStringLiteral("--count"), QStringLiteral("1")}, outside, &message), 3);
    QVERIFY(message.contains("refusing"));
    QCOMPARE(collect(m_socket, 200).size(), 0);
    QCOMPARE(runSimulator({QStringLiteral("--count"), QStringLiteral("1"), QStringLiteral("--print-devices")}, outside), 0);
    QCOMPARE(runSimulator({QStringLiteral("--device"), QStringLiteral("board=1"), QStringLiteral("--print-devices")},
                          outside),
             2);
}

void TestZnSim::stopsCleanlyOnSignalAndAfterItsDuration()
{
    QProcess simulator;
    simulator.start(qEnvironmentVariable("ZNSIM"), {QStringLiteral("--count"), QStringLiteral("2"),
                                                    QStringLiteral("--duration"), QStringLiteral("0")});
    QVERIFY(simulator.waitForReadyRead(5000));
    QTest::qWait(100);
    simulator.terminate();
    QVERIFY(simulator.waitForFinished(3000));
    QCOMPARE(simulator.exitStatus(), QProcess::NormalExit);
    QCOMPARE(simulator.exitCode(), 0);

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(runSimulator({QStringLiteral("--duration"), QStringLiteral("300")}, QProcessEnvironment::systemEnvironment()),
             0);
    QVERIFY(clock.elapsed() >= 300);
}

QTEST_GUILESS_MAIN(TestZnSim)
#include "tst_znsim.moc"
