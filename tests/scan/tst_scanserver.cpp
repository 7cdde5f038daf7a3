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
#include <QTest>
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
// 0x123456) that reports 10.201.1.2.
QByteArray answer(const Edit &edit = {})
{
    zn::DecodedIdentity id;
    id.mac = 0x025A4E000001;
    id.ip = 0x0AC90102;
    id.board = 12;
    id.boardName = "ZX-7";
    id.boardNameSize = 4;
    id.cpu = 0x33;
    id.serial = 0x123456;
    id.hasMade = true;
    if (edit)
        edit(id);
    uint8_t buffer[zn::kDatagramBufferSize];
    zn::DatagramBuilder b = zn::datagramBegin(id.mac, buffer, sizeof buffer, zn::OpDiscoverAnswer);
    zn::datagramAppendIdentity(&b, id);
    return QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(zn::datagramFinish(&b)));
}

} // namespace

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

    // A second start does nothing; a start on a port held unshared elsewhere
    // is one red line, and every request then reports the missing socket.
    void startStopAndFailedStart()
    {
        MessageLines log(server);
        server->start();
        server->stop();
        QVERIFY(!server->isStarted());
        server->start();
        QCOMPARE(log.messages().mid(0, 2), (QStringList{"[Scan] Scanner stopped", "[Socket] UDP ANY:65533: bound"}));
        server->stop();
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 65533, QUdpSocket::DontShareAddress));
        log.clear();
        server->start();
        QVERIFY(!server->isStarted());
        QCOMPARE(log.messages().last(), QStringLiteral("[Scan] \x1b[31mScanner failed to start.\x1b[0m"));
        log.clear();
        server->scanClients();
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

    // Rows flash only while the scan window is open; a second press restarts it.
    void rowsFlashOnlyWhileTheScanWindowIsOpen()
    {
        inject(answer());
        const QModelIndex row = server->model()->index(0, 0);
        // A flash shows its colour every other 100 ms step.
        for (int step = 0; step < 8; ++step) {
            QTest::qWait(100);
            QVERIFY(!server->model()->data(row, Qt::BackgroundRole).isValid());
        }
        server->scanClients();
        QTest::qWait(2500);
        server->scanClients();
        QTest::qWait(2000); // 4.5 s after the first press, 2 s after the second
        inject(answer());
        QTRY_VERIFY_WITH_TIMEOUT(server->model()->data(row, Qt::BackgroundRole).isValid(), 500);
        QTRY_VERIFY_WITH_TIMEOUT(!server->isScanning(), 1500);
    }

    // A device's name reaches the message window with its control characters
    // shown, not acted on: it can neither clear the window nor forge a line.
    void answerAddsOneDevice_data()
    {
        static const char name[] = "ZX\x1b[2J\r\n[Scan] Configuration saved\x7f\xc2\x9b";
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("shownName");
        QTest::addColumn<QString>("made");
        const QString made2000 = QStringLiteral("Sat Jan 1 00:00:00 2000");
        QTest::newRow("made 0, address reported") << answer() << "10.201.1.2" << "ZX-7" << made2000;
        QTest::newRow("latest date, no 32-bit wrap") << answer([](zn::DecodedIdentity &id) { id.madeSince2000 = ~0u; })
                                                     << "10.201.1.2" << "ZX-7" << "Tue Feb 7 06:28:15 2136";
        // The address record follows the MAC record: without it the device is
        // listed with the address its datagram came from.
        QTest::newRow("no address record") << withFixedCrc(answer().remove(20, 16)) << "10.201.1.7" << "ZX-7" << made2000;
        QTest::newRow("control characters in the name") << answer([](zn::DecodedIdentity &id) {
            id.boardName = name;
            id.boardNameSize = sizeof name - 1;
        }) << "10.201.1.2" << "ZX\\x1B[2J\\x0D\\x0A[Scan] Configuration saved\\x7F\\x9B" << made2000;
    }

    void answerAddsOneDevice()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, ip);
        QFETCH(QString, shownName);
        QFETCH(QString, made);
        MessageLines log(server);
        inject(datagram, QHostAddress(QStringLiteral("10.201.1.7")));
        QCOMPARE(log.messages(),
                 (QStringList{QStringLiteral("[Scan] %1 bytes received from 10.201.1.7 (DISCOVER)").arg(datagram.size()),
                              "[Scan] Discover: mac=02:5A:4E:00:00:01 board=0x0000000C(" + shownName
                                  + ") cpu=0x00000033 serial=0x0000000000123456 made=" + made,
                              "[Scan] Discovered " + shownName + "-4660 at 02:5A:4E:00:00:01"}));
        QCOMPARE(rows(), 1);
        QCOMPARE(QHostAddress(item(0)->info.ip).toString(), ip);
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
        QCOMPARE(log.messages().size(), 2); // bytes received, Discover
        QVERIFY(changed.isEmpty());

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

    // Foreign datagrams leave no trace; malformed ones only their "bytes
    // received" line, one with a wrong checksum also a red line.
    void droppedDatagrams_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("logged");
        QTest::addColumn<QString>("error");
        const QByteArray valid = answer();
        const auto crc = uint8_t(valid.back());
        QTest::newRow("10 bytes") << valid.left(10) << 65533 << false << "";
        QTest::newRow("wrong magic") << withFixedCrc("DISCOVEX" + valid.mid(8)) << 65533 << false << "";
        QTest::newRow("wrong source port") << valid << 65532 << false << "";
        QTest::newRow("bare frame") << withFixedCrc(QByteArray("DISCOVER\x00\x02?", 11)) << 65533 << true << "";
        QTest::newRow("request opcode") << withFixedCrc(QByteArray(valid).replace(9, 1, "\x01")) << 65533 << true << "";
        QTest::newRow("wrong checksum") << valid.chopped(1).append(char(crc ^ 0x5A)) << 65533 << true
                                        << QString::asprintf("CRC ERROR len=%d my=0x%02X his=0x%02X", int(valid.size()),
                                                             unsigned(crc ^ 0x5A), unsigned(crc));
    }

    void droppedDatagrams()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(int, port);
        QFETCH(bool, logged);
        QFETCH(QString, error);
        MessageLines log(server);
        inject(datagram, kDevice, port);
        QStringList lines = logged ? QStringList{kReceived.arg(datagram.size())} : QStringList();
        if (!error.isEmpty())
            lines << "[Scan] \x1b[31m" + error + "\x1b[0m";
        QCOMPARE(log.messages(), lines);
        QCOMPARE(log.errors(), error.isEmpty() ? QStringList() : QStringList{error});
        QCOMPARE(rows(), 0);
    }

    // A reset of a device without a MAC is a warning and sends nothing; one
    // without a device does nothing. (What a reset sends, the buzz and reset
    // test in the device list checks byte for byte.)
    void resetWithoutMacOnlyWarns()
    {
        MessageLines log(server);
        ScanClientItem device;
        server->resetClient(&device);
        server->resetClient(nullptr);
        QCOMPARE(log.messages(), (QStringList{"[Scan] Reset Cold MAC(00:00:00:00:00:00)",
                                              "[Scan] \x1b[33m00:00:00:00:00:00 is not a valid MAC address\x1b[0m"}));
    }
};

QTEST_MAIN(TestScanServer)
#include "tst_scanserver.moc"
