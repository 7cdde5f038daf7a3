// The socket layer in a private network: one segment, the tool side on znt1.
#include "privatenetwork.h"
#include "udpsocket.h"

#include <QNetworkInterface>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

namespace {

constexpr int kPort = 65533;

QStringList messages(const QSignalSpy &spy)
{
    QStringList lines;
    for (const QList<QVariant> &args : spy)
        lines << args.at(0).toString();
    return lines;
}

// The IPv4 addresses the layer must bind, found independently of it.
QStringList interfaceAddresses()
{
    QStringList addresses;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        if (iface.hardwareAddress().isEmpty() || iface.hardwareAddress() == QLatin1String("00:00:00:00:00:00"))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                addresses << entry.ip().toString();
        }
    }
    return addresses;
}

bool runIp(const QStringList &args)
{
    return QProcess::execute(QStringLiteral("ip"), args) == 0;
}

} // namespace

class TestUdpSocket : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ZN_REQUIRE_PRIVATE_NETWORK(); }

    void bindsWildcardThenEveryInterfaceAddress()
    {
        UDPSocket socket(nullptr);
        QSignalSpy spy(&socket, &UDPSocket::message);
        QVERIFY(socket.bind(kPort));

        QStringList expected{QStringLiteral("[Socket] UDP ANY:65533: bound")};
        for (const QString &address : interfaceAddresses())
            expected << QStringLiteral("[Socket] UDP %1:65533: bound").arg(address);
        QCOMPARE(messages(spy), expected);
        QCOMPARE(socket.socketCount(), expected.size());
        QVERIFY(socket.socketCount() >= 2);
    }

    void secondAddressOnOneInterfaceGetsItsOwnSocket()
    {
        QVERIFY(runIp({"addr", "add", "10.201.1.3/24", "dev", "znt1"}));
        UDPSocket socket(nullptr);
        QVERIFY(socket.bind(kPort));
        const int count = socket.socketCount();
        QVERIFY(runIp({"addr", "del", "10.201.1.3/24", "dev", "znt1"}));
        QCOMPARE(count, 1 + interfaceAddresses().size() + 1);
    }

    void secondBindIsRefused()
    {
        UDPSocket socket(nullptr);
        QVERIFY(socket.bind(kPort));
        QSignalSpy messageSpy(&socket, &UDPSocket::message);
        QSignalSpy errorSpy(&socket, &UDPSocket::error);
        QVERIFY(!socket.bind(kPort));
        QCOMPARE(messages(messageSpy), QStringList{"[Socket] \x1b[31mAlready bound to 65533\x1b[0m"});
        QCOMPARE(messages(errorSpy), QStringList{"Already bound to 65533"});
    }

    void portHeldUnsharedElsewhereFailsAfterThreeAttempts()
    {
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, kPort, QUdpSocket::DontShareAddress));
        UDPSocket socket(nullptr);
        QSignalSpy spy(&socket, &UDPSocket::message);
        QSignalSpy warnings(&socket, &UDPSocket::warning);
        QSignalSpy errors(&socket, &UDPSocket::error);
        QVERIFY(!socket.bind(kPort));
        QCOMPARE(socket.boundPort(), -1);

        const QStringList lines = messages(spy);
        QCOMPARE(lines.size(), 3);
        QVERIFY(QRegularExpression("^\\[Socket\\] \x1b\\[33mUDP ANY:65533: .+ \\(Shared bind failed, trying "
                                   "SO_REUSEPORT\\)\x1b\\[0m$").match(lines.at(0)).hasMatch());
        QVERIFY(QRegularExpression("^\\[Socket\\] \x1b\\[33mUDP ANY:65533: .+ \\(Shared bind failed again, "
                                   "trying unshared\\)\x1b\\[0m$").match(lines.at(1)).hasMatch());
        QVERIFY(QRegularExpression("^\\[Socket\\] \x1b\\[31mUDP ANY:65533: .+\x1b\\[0m$").match(lines.at(2)).hasMatch());
        QCOMPARE(warnings.size(), 2);
        QCOMPARE(errors.size(), 1);
        QVERIFY(!socket.broadcast("x", 1, "DISCOVERY"));
    }

    void broadcastSendsOnceFromEverySocket()
    {
        UDPSocket socket(nullptr);
        QVERIFY(socket.bind(kPort));
        QSignalSpy spy(&socket, &UDPSocket::message);
        QVERIFY(socket.broadcast("hello", 5, "DISCOVERY"));

        QStringList expected{QStringLiteral("[Socket] [:65533]: Sent (DISCOVERY)")};
        for (const QString &address : interfaceAddresses())
            expected << QStringLiteral("[Socket] [%1:65533]: Sent (DISCOVERY)").arg(address);
        QCOMPARE(messages(spy), expected);

        spy.clear();
        QVERIFY(socket.broadcast("hello", 5, nullptr));
        QVERIFY(spy.isEmpty());
    }

    void unboundBroadcastFailsSilently()
    {
        UDPSocket socket(nullptr);
        QSignalSpy spy(&socket, &UDPSocket::message);
        QVERIFY(!socket.broadcast("hello", 5, "DISCOVERY"));
        QVERIFY(spy.isEmpty());
    }

    // Broadcasts loop back to the sender's own wildcard socket, so the receive
    // path can be watched without a second host.
    void ownBroadcastIsReceivedWithSenderAndBytes()
    {
        UDPSocket socket(nullptr);
        QVERIFY(socket.bind(kPort));
        QByteArray got;
        int gotPort = 0;
        connect(&socket, &UDPSocket::received, this,
                [&](const QHostAddress &, int port, const void *data, size_t len) {
                    got = QByteArray(static_cast<const char *>(data), qsizetype(len));
                    gotPort = port;
                });
        QVERIFY(socket.broadcast("DISCOVER-loop", 13, nullptr));
        QTRY_COMPARE(got, QByteArray("DISCOVER-loop"));
        QCOMPARE(gotPort, kPort);
    }

    void longDatagramIsCutTo2048Bytes()
    {
        UDPSocket socket(nullptr);
        QVERIFY(socket.bind(kPort));
        qsizetype length = 0;
        connect(&socket, &UDPSocket::received, this,
                [&](const QHostAddress &, int, const void *, size_t len) { length = qsizetype(len); });
        QUdpSocket sender;
        QCOMPARE(sender.writeDatagram(QByteArray(3000, 'x'), QHostAddress::LocalHost, kPort), 3000);
        QTRY_COMPARE(length, qsizetype(2048));
    }
};

QTEST_GUILESS_MAIN(TestUdpSocket)
#include "tst_udpsocket.moc"
