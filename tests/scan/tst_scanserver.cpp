// The scanning engine on a bound socket inside a private network. Answers are
// injected at the socket layer's `received` signal, exactly where real
// datagrams enter the engine, so every filter and report can be checked.
#include "datagram.h"
#include "messagelines.h"
#include "privatenetwork.h"
#include "scanclientitem.h"
#include "scanserver.h"
#include "scanstate.h"
#include "scanstatemodel.h"
#include "simulatorprocess.h"
#include "udpsocket.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <QUdpSocket>

#include <functional>

namespace {

const QHostAddress kDevice(QStringLiteral("10.201.1.2"));
const QString kReceived = QStringLiteral("[Scan] %1 bytes received from 10.201.1.2 (DISCOVER)");

using Edit = std::function<void(zn::DecodedIdentity &)>;

QByteArray withFixedCrc(QByteArray frame)
{
    frame.back() = char(zn::crc8(reinterpret_cast<const uint8_t *>(frame.constData()), size_t(frame.size() - 1)));
    return frame;
}

// A discovery answer of device 02:5A:4E:00:00:01 (board 12 "ZX-7", serial
// 0x123456) that reports 10.201.1.2/24.
QByteArray answer(const Edit &edit = {})
{
    zn::DecodedIdentity id;
    id.mac = 0x025A4E000001;
    id.ip = 0x0AC90102;
    id.netmask = 0xFFFFFF00;
    id.board = 12;
    id.boardName = "ZX-7";
    id.boardNameSize = 4;
    id.cpu = 0x33;
    id.serial = 0x123456;
    id.hasMade = true;
    id.versionS = 1234;
    if (edit)
        edit(id);
    uint8_t buffer[zn::kDatagramBufferSize];
    zn::DatagramBuilder b = zn::datagramBegin(id.mac, buffer, sizeof buffer, zn::OpDiscoverAnswer);
    zn::datagramAppendIdentity(&b, id);
    return QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(zn::datagramFinish(&b)));
}

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestScanServer : public QObject
{
    Q_OBJECT

    ScanServer *server = nullptr;

    void inject(const QByteArray &datagram, const QHostAddress &peer = kDevice, int port = 65533)
    {
        Q_EMIT server->findChild<UDPSocket *>()->received(peer, port, datagram.constData(), size_t(datagram.size()));
    }

    int rows() const { return server->model()->rowCount(); }
    ScanClientItem *item(int row) const { return server->model()->state()->at(row); }

private Q_SLOTS:
    void initTestCase() { ZN_REQUIRE_PRIVATE_NETWORK(); }

    void init()
    {
        server = new ScanServer();
        server->start();
        QVERIFY(server->isStarted());
    }

    void cleanup()
    {
        delete server;
        server = nullptr;
    }

    void startAndStopAreReported()
    {
        // Queued signals carry the records by these names.
        QVERIFY(QMetaType::fromName("ScanClientInfo").isValid() && QMetaType::fromName("ScanClientRegistry").isValid());
        MessageLines log(server);
        server->start(); // started already: nothing happens
        server->stop();
        QVERIFY(!server->isStarted());
        server->start();
        const QStringList lines = log.messages();
        QCOMPARE(lines.mid(0, 2), (QStringList{"[Scan] Scanner stopped", "[Socket] UDP ANY:65533: bound"}));
        QCOMPARE(lines.last(), QStringLiteral("[Scan] Scanner started on Any:65533."));
    }

    void failedStartIsOneRedLineAndSendsReportNoSocket()
    {
        cleanup();
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 65533, QUdpSocket::DontShareAddress));
        ScanServer failing;
        MessageLines log(&failing);
        failing.start();
        QVERIFY(!failing.isStarted());
        QCOMPARE(log.messages().last(), QStringLiteral("[Scan] \x1b[31mScanner failed to start.\x1b[0m"));
        QCOMPARE(log.errors().last(), QStringLiteral("Scanner failed to start."));
        log.clear();
        failing.scanClients();
        QTest::qWait(200);
        QCOMPARE(log.messages().count(QStringLiteral("[Scan] \x1b[31msend: No socket\x1b[0m")), 3);
    }

    // The devices must see the requests at least 50 ms apart, even when the
    // event loop is held up past the time one was due or Scan is pressed
    // again at once. The gaps are taken where the devices receive them.
    void devicesSeeRequestsFiftyMillisecondsApart_data()
    {
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("requests");
        QTest::newRow("one press, the loop stalls") << 1 << 3;
        QTest::newRow("a second press waits for the first request's pause") << 2 << 4;
    }

    void devicesSeeRequestsFiftyMillisecondsApart()
    {
        QFETCH(int, presses);
        QFETCH(int, requests);
        SimulatorProcess devices;
        QVERIFY(devices.start(1, {"--count", "0"}));
        for (int press = 0; press < presses; ++press)
            server->scanClients();
        QTimer::singleShot(30, Qt::PreciseTimer, this, [] {
            QElapsedTimer stall;
            stall.start();
            while (stall.elapsed() < 35) {
            }
        });
        const int perRequest = server->findChild<UDPSocket *>()->socketCount();
        QTRY_COMPARE(devices.lines().filter(QStringLiteral("discover from")).size(), requests * perRequest);
        QTest::qWait(200);
        QList<double> at;
        for (const QString &line : devices.lines().filter(QStringLiteral("discover from")))
            at << line.section(QStringLiteral("at="), 1).toDouble() * 1000;
        QCOMPARE(at.size(), requests * perRequest);
        std::sort(at.begin(), at.end());
        for (int request = 1; request < requests; ++request) {
            const double gap = at[request * perRequest] - at[request * perRequest - 1];
            QVERIFY2(gap >= 50, qPrintable(QStringLiteral("request %1 came %2 ms after the one before").arg(request + 1).arg(gap)));
        }
    }

    void secondScanRestartsTheScanWindow()
    {
        server->scanClients();
        QTest::qWait(2500);
        QVERIFY(server->isScanning());
        server->scanClients();
        QTest::qWait(2000); // 4.5 s after the first press, 2 s after the second
        QVERIFY(server->isScanning());
        QTRY_VERIFY_WITH_TIMEOUT(!server->isScanning(), 1500);
    }

    void answerAddsOneDevice_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("made");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QDateTime>("madeAt");
        QTest::newRow("made 0, address reported") << answer() << "Sat Jan 1 00:00:00 2000" << "10.201.1.2"
                                                  << QDateTime(QDate(2000, 1, 1), QTime(0, 0), QTimeZone::utc());
        QTest::newRow("latest date, no 32-bit wrap") << answer([](zn::DecodedIdentity &id) { id.madeSince2000 = ~0u; })
                                                     << "Tue Feb 7 06:28:15 2136" << "10.201.1.2"
                                                     << QDateTime(QDate(2136, 2, 7), QTime(6, 28, 15), QTimeZone::utc());
        // The address record follows the MAC record: without it the device is
        // listed with the address its datagram came from.
        QTest::newRow("no address record") << withFixedCrc(answer().remove(20, 16)) << "Sat Jan 1 00:00:00 2000"
                                           << "10.201.1.7" << QDateTime(QDate(2000, 1, 1), QTime(0, 0), QTimeZone::utc());
    }

    void answerAddsOneDevice()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, made);
        QFETCH(QString, ip);
        QFETCH(QDateTime, madeAt);
        MessageLines log(server);
        inject(datagram, QHostAddress(QStringLiteral("10.201.1.7")));
        QCOMPARE(log.messages(),
                 (QStringList{QStringLiteral("[Scan] %1 bytes received from 10.201.1.7 (DISCOVER)").arg(datagram.size()),
                              "[Scan] Discover: mac=02:5A:4E:00:00:01 board=0x0000000C(ZX-7) cpu=0x00000033 "
                              "serial=0x0000000000123456 made=" + made,
                              "[Scan] Discovered ZX-7-4660 at 02:5A:4E:00:00:01"}));
        QCOMPARE(rows(), 1);
        QCOMPARE(QHostAddress(item(0)->info.ip).toString(), ip);
        QCOMPARE(item(0)->info.made, madeAt);
    }

    // A device's name reaches the message window with its control characters
    // shown, not acted on: it can neither clear the window nor forge a line.
    void deviceNameCannotSteerTheTerminal()
    {
        static const char name[] = "ZX\x1b[2J\r\n[Scan] Configuration saved\x7f\xc2\x9b";
        MessageLines log(server);
        inject(answer([](zn::DecodedIdentity &id) {
            id.boardName = name;
            id.boardNameSize = sizeof name - 1;
        }));
        const QString shown = QStringLiteral("ZX\\x1B[2J\\x0D\\x0A[Scan] Configuration saved\\x7F\\x9B");
        QCOMPARE(log.messages().mid(1), (QStringList{"[Scan] Discover: mac=02:5A:4E:00:00:01 board=0x0000000C(" + shown
                                                         + ") cpu=0x00000033 serial=0x0000000000123456 made=Sat Jan 1 "
                                                           "00:00:00 2000",
                                                     "[Scan] Discovered " + shown + "-4660 at 02:5A:4E:00:00:01"}));
    }

    // An answer that changes nothing shown leaves the row alone; a changed one
    // updates every item with that MAC.
    void answersUpdateOnlyChangedDevices()
    {
        inject(answer());
        auto *twin = new ScanClientItem();
        twin->info = item(0)->info;
        server->model()->addClient(twin);
        MessageLines log(server);
        QSignalSpy changed(server->model(), &QAbstractItemModel::dataChanged);
        inject(answer());
        inject(answer([](zn::DecodedIdentity &id) { id.versionS = 4321; }));
        QCOMPARE(log.messages().size(), 4); // bytes received, Discover; twice
        QVERIFY(changed.isEmpty());
        QCOMPARE(item(0)->info.versionS, 1234u);

        inject(answer([](zn::DecodedIdentity &id) { id.ip = 0x0AC90109; }));
        QCOMPARE(log.messages().count(QStringLiteral("[Scan] Discovered ZX-7-4660 at 02:5A:4E:00:00:01")), 2);
        QCOMPARE(changed.size(), 2);
        QVERIFY(item(0)->info.ip == 0x0AC90109u && item(1)->info.ip == 0x0AC90109u);
    }

    // Forged answers with ever new MACs fill the list up to its limit, then
    // only warn once per scan; listed devices still get their updates.
    void listStopsGrowingAtItsLimit()
    {
        const auto withMac = [](quint64 mac) { return answer([mac](zn::DecodedIdentity &id) { id.mac = mac; }); };
        for (int n = 0; n < ScanServer::MaxListedDevices; ++n)
            inject(withMac(0x025A4E000000 + quint64(n)));
        MessageLines log(server);
        for (int scan = 0; scan < 2; ++scan) {
            server->scanClients();
            inject(withMac(0x025A4F000000));
            inject(withMac(0x025A4F000001));
        }
        QCOMPARE(rows(), ScanServer::MaxListedDevices);
        QCOMPARE(log.messages().filter(QStringLiteral("Device list full")).size(), 2);
        inject(answer([](zn::DecodedIdentity &id) { id.ip = 0x0AC90109; }));
        QCOMPARE(server->model()->state()->findByMac(Mac(0x025A4E000001)).first()->info.ip, 0x0AC90109u);
    }

    // Foreign datagrams leave no trace; malformed ones only their "bytes received" line.
    void droppedDatagrams_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("logged");
        const QByteArray valid = answer();
        QTest::newRow("10 bytes") << valid.left(10) << 65533 << false;
        QTest::newRow("wrong magic") << withFixedCrc("DISCOVEX" + valid.mid(8)) << 65533 << false;
        QTest::newRow("wrong source port") << valid << 65532 << false;
        QTest::newRow("bare frame") << withFixedCrc(QByteArray("DISCOVER\x00\x02?", 11)) << 65533 << true;
        QTest::newRow("request opcode") << withFixedCrc(QByteArray(valid).replace(9, 1, "\x01")) << 65533 << true;
    }

    void droppedDatagrams()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(int, port);
        QFETCH(bool, logged);
        MessageLines log(server);
        inject(datagram, kDevice, port);
        QCOMPARE(log.messages(), logged ? QStringList{kReceived.arg(datagram.size())} : QStringList());
        QVERIFY(log.errors().isEmpty());
        QCOMPARE(rows(), 0);
    }

    void wrongChecksumGivesOneRedLine()
    {
        QByteArray datagram = answer();
        const auto computed = uint8_t(datagram.back());
        datagram.back() = char(computed ^ 0x5A);
        MessageLines log(server);
        inject(datagram);
        const QString text = QString::asprintf("CRC ERROR len=%d my=0x%02X his=0x%02X", int(datagram.size()),
                                               unsigned(computed ^ 0x5A), unsigned(computed));
        QCOMPARE(log.messages(), (QStringList{kReceived.arg(datagram.size()), "[Scan] \x1b[31m" + text + "\x1b[0m"}));
        QCOMPARE(log.errors(), QStringList{text});
        QCOMPARE(rows(), 0);
    }

    // The request line comes before the socket layer's Sent lines; a device
    // without a MAC is a warning, and nothing is sent.
    void resetIsLoggedThenSentOnEverySocket()
    {
        MessageLines log(server);
        ScanClientItem device;
        device.info.mac = Mac(0x001122334455);
        server->resetClient(&device);
        server->resetClient(nullptr);
        const QString sent = QStringLiteral("^\\[Socket\\] .*Sent \\(DISCOVERY\\)$");
        QCOMPARE(log.messages().mid(1).filter(QRegularExpression(sent)).size(), server->findChild<UDPSocket *>()->socketCount());
        QCOMPARE(log.messages().first(), QStringLiteral("[Scan] Reset Cold MAC(00:11:22:33:44:55)"));
        log.clear();
        device.info.mac = Mac();
        server->resetClient(&device);
        QCOMPARE(log.messages(), (QStringList{"[Scan] Reset Cold MAC(00:00:00:00:00:00)",
                                              "[Scan] \x1b[33m00:00:00:00:00:00 is not a valid MAC address\x1b[0m"}));
    }

    void rowsFlashOnlyWhileTheScanWindowIsOpen()
    {
        inject(answer());
        const QModelIndex row = server->model()->index(0, 0);
        QTest::qWait(250);
        QVERIFY(!server->model()->data(row, Qt::BackgroundRole).isValid());
        server->scanClients();
        inject(answer());
        QTRY_VERIFY_WITH_TIMEOUT(server->model()->data(row, Qt::BackgroundRole).isValid(), 500);
    }
};

QTEST_MAIN(TestScanServer)
#include "tst_scanserver.moc"
