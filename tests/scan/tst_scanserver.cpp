// The scanning engine on a bound socket inside a private network. Answers are
// injected at the socket layer's `received` signal, exactly where real
// datagrams enter the engine, so every filter and report can be checked.
#include "datagram.h"
#include "privatenetwork.h"
#include "scanclientitem.h"
#include "scanserver.h"
#include "scanstate.h"
#include "scanstatemodel.h"
#include "simulatorprocess.h"
#include "udpsocket.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTimer>
#include <QTest>
#include <QUdpSocket>

namespace {

const QHostAddress kDevice(QStringLiteral("10.201.1.2"));
constexpr uint64_t kMac = 0x025A4E000001ull;

struct Answer {
    uint64_t mac = kMac;
    uint32_t board = 12;
    const char *boardName = "";
    uint32_t cpu = 0x33;
    uint64_t serial = 0x123456;
    uint32_t ip = 0x0AC90102; // 10.201.1.2
    uint32_t versionS = 1234;
    uint32_t made = 0;
};

QByteArray buildAnswer(const Answer &answer)
{
    uint8_t buffer[zn::kDatagramBufferSize];
    zn::DatagramBuilder b = zn::datagramBegin(answer.mac, buffer, sizeof buffer, zn::OpDiscoverAnswer);
    zn::datagramAppendU32(&b, zn::TagBoard, answer.board);
    zn::datagramAppendU32(&b, zn::TagCpu, answer.cpu);
    const uint8_t serial[8] = {uint8_t(answer.serial >> 56), uint8_t(answer.serial >> 48), uint8_t(answer.serial >> 40),
                               uint8_t(answer.serial >> 32), uint8_t(answer.serial >> 24), uint8_t(answer.serial >> 16),
                               uint8_t(answer.serial >> 8),  uint8_t(answer.serial)};
    zn::datagramAppendData(&b, zn::TagSerial, serial, sizeof serial);
    zn::datagramAppendData(&b, zn::TagBoardName, answer.boardName, strlen(answer.boardName));
    const uint8_t address[12] = {uint8_t(answer.ip >> 24), uint8_t(answer.ip >> 16), uint8_t(answer.ip >> 8),
                                 uint8_t(answer.ip), 255, 255, 255, 0, 10, 201, 1, 1};
    zn::datagramAppendData(&b, zn::TagAddress, address, sizeof address);
    const uint8_t version[2] = {uint8_t(answer.versionS >> 8), uint8_t(answer.versionS)};
    zn::datagramAppendData(&b, zn::TagVersionS, version, sizeof version);
    zn::datagramAppendU32(&b, zn::TagMade, answer.made);
    const size_t len = zn::datagramFinish(&b);
    return QByteArray(reinterpret_cast<const char *>(buffer), qsizetype(len));
}

QByteArray withFixedCrc(QByteArray frame)
{
    frame[frame.size() - 1] = char(zn::crc8(reinterpret_cast<const uint8_t *>(frame.constData()), size_t(frame.size() - 1)));
    return frame;
}

QStringList lines(const QSignalSpy &spy)
{
    QStringList out;
    for (const QList<QVariant> &args : spy)
        out << args.at(0).toString();
    return out;
}

} // namespace

class TestScanServer : public QObject
{
    Q_OBJECT

    ScanServer *server = nullptr;

    void inject(const QByteArray &datagram, const QHostAddress &peer = kDevice, int port = 65533)
    {
        UDPSocket *socket = server->findChild<UDPSocket *>();
        QVERIFY(socket);
        Q_EMIT socket->received(peer, port, datagram.constData(), size_t(datagram.size()));
    }

    int rows() const { return server->model()->rowCount(); }

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

    void recordTypesTravelInQueuedSignals()
    {
        QVERIFY(QMetaType::fromName("ScanClientInfo").isValid());
        QVERIFY(QMetaType::fromName("ScanClientRegistry").isValid());
    }

    void startAndStopAreReported()
    {
        ScanServer fresh;
        QSignalSpy spy(&fresh, &ScanServer::message);
        fresh.start(); // the port is shared with the server of init()
        QCOMPARE(lines(spy).last(), QStringLiteral("[Scan] Scanner started on Any:65533."));
        QCOMPARE(lines(spy).first(), QStringLiteral("[Socket] UDP ANY:65533: bound"));
        spy.clear();
        fresh.start();
        QVERIFY(spy.isEmpty());
        fresh.stop();
        QCOMPARE(lines(spy), QStringList{"[Scan] Scanner stopped"});
        QVERIFY(!fresh.isStarted());
    }

    void failedStartIsOneRedLineAndSendsReportNoSocket()
    {
        delete server;
        server = nullptr;
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 65533, QUdpSocket::DontShareAddress));
        ScanServer failing;
        QSignalSpy messages(&failing, &ScanServer::message);
        QSignalSpy errors(&failing, &ScanServer::error);
        failing.start();
        QVERIFY(!failing.isStarted());
        QCOMPARE(lines(messages).last(), QStringLiteral("[Scan] \x1b[31mScanner failed to start.\x1b[0m"));
        QCOMPARE(lines(errors).last(), QStringLiteral("Scanner failed to start."));

        messages.clear();
        failing.scanClients();
        QTest::qWait(200);
        QCOMPARE(lines(messages).count(QStringLiteral("[Scan] \x1b[31msend: No socket\x1b[0m")), 3);
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
        QTest::qWait(2000);
        server->scanClients();
        QTest::qWait(1500); // 3.5 s after the first press, 1.5 s after the second
        QVERIFY(server->isScanning());
        QTRY_VERIFY_WITH_TIMEOUT(!server->isScanning(), 2500);
    }

    void answerAddsOneDeviceWithItsReport()
    {
        QSignalSpy spy(server, &ScanServer::message);
        Answer answer;
        answer.boardName = "ZX-7";
        answer.made = 0; // 2000-01-01 00:00:00 UTC
        const QByteArray datagram = buildAnswer(answer);
        inject(datagram);
        QCOMPARE(lines(spy),
                 (QStringList{QStringLiteral("[Scan] %1 bytes received from 10.201.1.2 (DISCOVER)").arg(datagram.size()),
                              "[Scan] Discover: mac=02:5A:4E:00:00:01 board=0x0000000C(ZX-7) cpu=0x00000033 "
                              "serial=0x0000000000123456 made=Sat Jan 1 00:00:00 2000",
                              "[Scan] Discovered ZX-7-4660 at 02:5A:4E:00:00:01"}));
        QCOMPARE(rows(), 1);
        const ScanClientItem *item = server->model()->state()->at(0);
        QCOMPARE(item->info.ip, 0x0AC90102u);
        QCOMPARE(item->info.netmask, 0xFFFFFF00u);
        QCOMPARE(item->info.versionS, 1234u);
    }

    void repeatedAnswerChangesNothing()
    {
        inject(buildAnswer(Answer()));
        QSignalSpy spy(server, &ScanServer::message);
        QSignalSpy changed(server->model(), &QAbstractItemModel::dataChanged);
        inject(buildAnswer(Answer()));
        QCOMPARE(lines(spy).size(), 2); // bytes received, Discover
        QVERIFY(changed.isEmpty());
        QCOMPARE(rows(), 1);

        Answer versionOnly;
        versionOnly.versionS = 4321;
        inject(buildAnswer(versionOnly));
        QCOMPARE(lines(spy).filter(QStringLiteral("Discovered")).size(), 0);
        QCOMPARE(server->model()->state()->at(0)->info.versionS, 1234u);
    }

    void changedAnswerUpdatesEveryItemWithThatMac()
    {
        inject(buildAnswer(Answer()));
        auto *twin = new ScanClientItem();
        twin->info = server->model()->state()->at(0)->info;
        server->model()->addClient(twin);

        QSignalSpy spy(server, &ScanServer::message);
        QSignalSpy changed(server->model(), &QAbstractItemModel::dataChanged);
        Answer moved;
        moved.ip = 0x0AC90109;
        inject(buildAnswer(moved));
        QCOMPARE(lines(spy).filter(QStringLiteral("Discovered 12-4660 at 02:5A:4E:00:00:01")).size(), 2);
        QCOMPARE(changed.size(), 2);
        for (int row = 0; row < rows(); ++row)
            QCOMPARE(server->model()->state()->at(row)->info.ip, 0x0AC90109u);
    }

    void foreignAndShortDatagramsLeaveNoTrace_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("port");
        const QByteArray valid = buildAnswer(Answer());
        QTest::newRow("10 bytes") << valid.left(10) << 65533;
        QTest::newRow("wrong magic") << withFixedCrc(QByteArray(valid).replace(0, 8, "DISCOVEX")) << 65533;
        QTest::newRow("wrong source port") << valid << 65532;
        QTest::newRow("empty") << QByteArray() << 65533;
    }

    void foreignAndShortDatagramsLeaveNoTrace()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(int, port);
        QSignalSpy spy(server, &ScanServer::message);
        inject(datagram, kDevice, port);
        QVERIFY(spy.isEmpty());
        QCOMPARE(rows(), 0);
    }

    void malformedAnswersAreLoggedOnlyAsReceived_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QByteArray shortMac = buildAnswer(Answer());
        shortMac[11] = 7; // MAC record of 5 payload bytes: the frame is dropped whole
        QTest::newRow("5-byte MAC record") << withFixedCrc(shortMac);
        QTest::newRow("bare frame") << withFixedCrc(QByteArray("DISCOVER\x00\x02?", 11));
        QByteArray request = buildAnswer(Answer());
        request[9] = zn::OpDiscoverRequest;
        QTest::newRow("request opcode") << withFixedCrc(request);
        QByteArray zeroMac = buildAnswer(Answer());
        for (int i = 14; i < 20; ++i)
            zeroMac[i] = 0;
        QTest::newRow("zero MAC") << withFixedCrc(zeroMac);
    }

    void malformedAnswersAreLoggedOnlyAsReceived()
    {
        QFETCH(QByteArray, datagram);
        QSignalSpy spy(server, &ScanServer::message);
        QSignalSpy errors(server, &ScanServer::error);
        inject(datagram);
        QCOMPARE(lines(spy), QStringList{QStringLiteral("[Scan] %1 bytes received from 10.201.1.2 (DISCOVER)")
                                              .arg(datagram.size())});
        QVERIFY(errors.isEmpty());
        QCOMPARE(rows(), 0);
    }

    void wrongChecksumGivesOneRedLine()
    {
        QByteArray datagram = buildAnswer(Answer());
        const auto carried = uint8_t(datagram.back() ^ 0x5A);
        const auto computed = uint8_t(datagram.back());
        datagram.back() = char(carried);
        QSignalSpy spy(server, &ScanServer::message);
        QSignalSpy errors(server, &ScanServer::error);
        inject(datagram);
        const QString text = QString::asprintf("CRC ERROR len=%d my=0x%02X his=0x%02X", int(datagram.size()),
                                               unsigned(carried), unsigned(computed));
        QCOMPARE(lines(spy).size(), 2);
        QCOMPARE(lines(spy).at(1), QStringLiteral("[Scan] \x1b[31m") + text + QStringLiteral("\x1b[0m"));
        QCOMPARE(lines(errors), QStringList{text});
        QCOMPARE(rows(), 0);
    }

    void rowsFlashOnlyWhileTheScanWindowIsOpen()
    {
        inject(buildAnswer(Answer()));
        const QModelIndex row = server->model()->index(0, 0);
        QTest::qWait(250);
        QVERIFY(!server->model()->data(row, Qt::BackgroundRole).isValid());

        server->scanClients();
        inject(buildAnswer(Answer()));
        QTRY_VERIFY_WITH_TIMEOUT(server->model()->data(row, Qt::BackgroundRole).isValid(), 500);
    }

    void randomDatagramsNeverBreakTheEngine()
    {
        QRandomGenerator random(20261206);
        const QByteArray valid = buildAnswer(Answer());
        QSignalSpy errors(server, &ScanServer::error);
        int crcErrorsExpected = 0;
        for (int i = 0; i < 20000; ++i) {
            QByteArray datagram;
            switch (i % 3) {
            case 0: // noise, sometimes with the magic in front
                datagram.resize(random.bounded(0, 300));
                for (char &c : datagram)
                    c = char(random.bounded(256));
                if (i % 2)
                    datagram.replace(0, qMin<qsizetype>(8, datagram.size()), QByteArray("DISCOVER").left(datagram.size()));
                break;
            case 1: // a valid answer with a few bytes flipped and the checksum made right again
                datagram = valid;
                for (int flips = random.bounded(1, 6); flips > 0; --flips)
                    datagram[random.bounded(8, int(datagram.size()) - 1)] = char(random.bounded(256));
                datagram = withFixedCrc(datagram);
                break;
            default: // truncated or extended answers
                datagram = valid.left(random.bounded(11, int(valid.size()) + 1)) + QByteArray(random.bounded(0, 40), '\x01');
                if (random.bounded(2))
                    datagram = withFixedCrc(datagram);
                break;
            }
            if (datagram.size() >= 11 && datagram.startsWith("DISCOVER")
                && zn::crc8(reinterpret_cast<const uint8_t *>(datagram.constData()), size_t(datagram.size())) != 0)
                ++crcErrorsExpected;
            inject(datagram);
        }
        QCOMPARE(errors.size(), crcErrorsExpected);
        for (int row = 0; row < rows(); ++row)
            QVERIFY(!server->model()->state()->at(row)->info.mac.isNull());
    }
};

QTEST_MAIN(TestScanServer)
#include "tst_scanserver.moc"
