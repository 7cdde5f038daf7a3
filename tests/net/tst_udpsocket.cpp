// The socket layer in a private network: one segment, the tool side is znt1
// with 10.201.1.1/24 and the default route.
#include "messagelines.h"
#include "privatenetwork.h"
#include "udpsocket.h"

#include <QProcess>
#include <QTest>
#include <QUdpSocket>

namespace {

constexpr int kPort = 65533;

bool runIp(const QString &args)
{
    return QProcess::execute(QStringLiteral("ip"), args.split(QLatin1Char(' '))) == 0;
}

} // namespace

class TestUdpSocket : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { ZN_REQUIRE_PRIVATE_NETWORK(); }

    // Loopback has no hardware address and gets no socket; a second address
    // on one interface gets its own.
    void bindsWildcardThenEveryInterfaceAddress()
    {
        QVERIFY(runIp("addr add 10.201.1.3/24 dev znt1"));
        UDPSocket socket(nullptr);
        MessageLines log(&socket);
        const bool bound = socket.bind(kPort);
        QVERIFY(runIp("addr del 10.201.1.3/24 dev znt1"));
        QVERIFY(bound);
        QCOMPARE(log.messages(), (QStringList{"[Socket] UDP ANY:65533: bound", "[Socket] UDP 10.201.1.1:65533: bound",
                                              "[Socket] UDP 10.201.1.3:65533: bound"}));
        QCOMPARE(socket.socketCount(), 3);

        log.clear();
        QVERIFY(!socket.bind(kPort));
        QCOMPARE(log.messages(), QStringList{"[Socket] \x1b[31mAlready bound to 65533\x1b[0m"});
        QCOMPARE(log.errors(), QStringList{"Already bound to 65533"});
    }

    void portHeldUnsharedElsewhereFailsAfterThreeAttempts()
    {
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, kPort, QUdpSocket::DontShareAddress));
        UDPSocket socket(nullptr);
        MessageLines log(&socket);
        QVERIFY(!socket.bind(kPort));
        QCOMPARE(socket.boundPort(), -1);
        QCOMPARE(log.messages().size(), 3);
        QCOMPARE(log.warnings().size(), 2);
        QCOMPARE(log.errors().size(), 1);
    }

    // Broadcasts loop back to the sender's own wildcard socket, so the receive
    // path can be watched without a second host. Without the default route
    // the wildcard socket cannot send; the one bound to the interface address
    // still sends on its interface.
    void broadcastSendsFromEverySocketEvenWhenOneFails()
    {
        UDPSocket socket(nullptr);
        QVERIFY(socket.bind(kPort));
        QList<QByteArray> got;
        connect(&socket, &UDPSocket::received, this, [&](const QHostAddress &, int port, const void *data, size_t len) {
            if (port == kPort)
                got << QByteArray(static_cast<const char *>(data), qsizetype(len));
        });
        MessageLines log(&socket);
        QVERIFY(socket.broadcast("DISCOVER-loop", 13, "DISCOVERY"));
        QCOMPARE(log.messages(), (QStringList{"[Socket] [:65533]: Sent (DISCOVERY)", "[Socket] [10.201.1.1:65533]: Sent (DISCOVERY)"}));
        QTRY_COMPARE(got, (QList<QByteArray>{"DISCOVER-loop", "DISCOVER-loop"}));

        log.clear();
        got.clear();
        QVERIFY(runIp("route del default"));
        const bool sent = socket.broadcast("DISCOVER-one", 12, "DISCOVERY");
        QVERIFY(runIp("route add default dev znt1"));
        QVERIFY(!sent);
        QCOMPARE(log.errors().size(), 1);
        QVERIFY2(log.errors().first().startsWith(QLatin1String("[:65533]: ")), qPrintable(log.errors().first()));
        QCOMPARE(log.messages(), (QStringList{"[Socket] \x1b[31m" + log.errors().first() + "\x1b[0m",
                                              "[Socket] [10.201.1.1:65533]: Sent (DISCOVERY)"}));
        QTRY_COMPARE(got, QList<QByteArray>{"DISCOVER-one"});
    }
};

QTEST_GUILESS_MAIN(TestUdpSocket)
#include "tst_udpsocket.moc"
