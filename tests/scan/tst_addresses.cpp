// MAC and IPv4 text forms: the device list, the log lines and the reset
// command all depend on them being exact.
#include "ipv4.h"
#include "mac.h"

#include <QHash>
#include <QTest>

class TestAddresses : public QObject
{
    Q_OBJECT

private slots:
    void macText_data();
    void macText();
    void macFromBytes();
    void macParse_data();
    void macParse();
    void macParseFailureClearsTarget();
    void macKeysHash();
    void ipv4Text_data();
    void ipv4Text();
    void netmaskPrefix_data();
    void netmaskPrefix();
};

void TestAddresses::macText_data()
{
    QTest::addColumn<quint64>("value");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << quint64(0) << QChar(u':') << "00:00:00:00:00:00";
    QTest::newRow("upper case") << quint64(0xabcdef012345) << QChar(u':') << "AB:CD:EF:01:23:45";
    QTest::newRow("other separator") << quint64(0x00123456789A) << QChar(u'-') << "00-12-34-56-78-9A";
    QTest::newRow("all ones") << quint64(0xFFFFFFFFFFFF) << QChar(u':') << "FF:FF:FF:FF:FF:FF";
    QTest::newRow("bits above 48 dropped") << quint64(0xFFFF123456789ABC) << QChar(u':') << "12:34:56:78:9A:BC";
}

void TestAddresses::macText()
{
    QFETCH(quint64, value);
    QFETCH(QChar, separator);
    QFETCH(QString, text);
    QCOMPARE(Mac(value).toString(separator), text);
}

void TestAddresses::macFromBytes()
{
    const uchar octets[6] = {0x00, 0x12, 0x34, 0x56, 0x78, 0x9A};
    const Mac mac = Mac::fromBytes(octets);
    QCOMPARE(mac.value(), quint64(0x00123456789A));
    QCOMPARE(mac.toString(), QStringLiteral("00:12:34:56:78:9A"));
}

void TestAddresses::macParse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("prefix"); // -1: none
    QTest::addColumn<bool>("ok");
    QTest::addColumn<quint64>("value");

    QTest::newRow("full") << "00:12:34:56:78:9A" << qint64(-1) << true << quint64(0x00123456789A);
    QTest::newRow("lower case, dashes") << "ab-cd-ef-01-02-03" << qint64(-1) << true << quint64(0xABCDEF010203);
    QTest::newRow("mixed separators") << "12-34:56" << qint64(-1) << true << quint64(0x123456);
    QTest::newRow("single digits") << "0:1:2:3:4:5" << qint64(-1) << true << quint64(0x000102030405);
    QTest::newRow("one group") << "7" << qint64(-1) << true << quint64(0x7);
    QTest::newRow("vendor prefix") << "12:34:56" << qint64(0xABCDEF) << true << quint64(0xABCDEF123456);
    QTest::newRow("no prefix") << "12:34:56" << qint64(-1) << true << quint64(0x123456);
    QTest::newRow("zero prefix") << "12:34:56" << qint64(0) << true << quint64(0x123456);
    QTest::newRow("prefix kept to 24 bits") << "01" << qint64(0x1ABCDEF) << true << quint64(0xABCDEF000001);
    QTest::newRow("too long for prefix") << "12:34:56:78" << qint64(0xABCDEF) << true << quint64(0x12345678);
    QTest::newRow("seven groups") << "12:34:56:78:9A:BC:DE" << qint64(-1) << false << quint64(0);
    QTest::newRow("trailing separator") << "12:34:" << qint64(-1) << false << quint64(0);
    QTest::newRow("leading separator") << ":12:34" << qint64(-1) << false << quint64(0);
    QTest::newRow("double separator") << "12::34" << qint64(-1) << false << quint64(0);
    QTest::newRow("dotted") << "0011.2233" << qint64(-1) << false << quint64(0);
    QTest::newRow("no separators") << "001122334455" << qint64(-1) << false << quint64(0);
    QTest::newRow("three digits") << "123" << qint64(-1) << false << quint64(0);
    QTest::newRow("empty") << "" << qint64(-1) << false << quint64(0);
    QTest::newRow("zero") << "00:00:00:00:00:00" << qint64(-1) << false << quint64(0);
    QTest::newRow("zero with prefix") << "0" << qint64(0xABCDEF) << false << quint64(0);
    QTest::newRow("leading blank") << " 12:34" << qint64(-1) << false << quint64(0);
    QTest::newRow("trailing blank") << "12:34 " << qint64(-1) << false << quint64(0);
    QTest::newRow("not hex") << "12:3g" << qint64(-1) << false << quint64(0);
}

void TestAddresses::macParse()
{
    QFETCH(QString, text);
    QFETCH(qint64, prefix);
    QFETCH(bool, ok);
    QFETCH(quint64, value);

    Mac mac(0x42);
    const std::optional<quint32> vendor = prefix < 0 ? std::nullopt : std::optional<quint32>(quint32(prefix));
    QCOMPARE(Mac::parse(text, &mac, vendor), ok);
    QCOMPARE(mac.value(), value);
}

void TestAddresses::macParseFailureClearsTarget()
{
    Mac mac(0x123456);
    QVERIFY(!Mac::parse(QStringLiteral("xx"), &mac));
    QVERIFY(mac.isNull());

    // The text form parses back to the same address.
    const Mac original(0x0A1B2C3D4E5F);
    QVERIFY(Mac::parse(original.toString(), &mac));
    QCOMPARE(mac, original);
}

void TestAddresses::macKeysHash()
{
    QHash<Mac, int> rows;
    rows.insert(Mac(0x001122334455), 1);
    rows.insert(Mac(0x001122334456), 2);
    rows.insert(Mac(0x001122334455), 3);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.value(Mac(0x001122334455)), 3);
    QVERIFY(!rows.contains(Mac(0x112233445500)));
}

void TestAddresses::ipv4Text_data()
{
    QTest::addColumn<quint32>("address");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << quint32(0) << "0.0.0.0";
    QTest::newRow("first byte most significant") << quint32(0xC0A80105) << "192.168.1.5";
    QTest::newRow("all ones") << quint32(0xFFFFFFFF) << "255.255.255.255";
    QTest::newRow("ten") << quint32(0x0A000005) << "10.0.0.5";
}

void TestAddresses::ipv4Text()
{
    QFETCH(quint32, address);
    QFETCH(QString, text);
    QCOMPARE(ipv4ToString(address), text);
}

void TestAddresses::netmaskPrefix_data()
{
    QTest::addColumn<quint32>("netmask");
    QTest::addColumn<int>("prefix");

    QTest::newRow("/24") << quint32(0xFFFFFF00) << 24;
    QTest::newRow("/32") << quint32(0xFFFFFFFF) << 32;
    QTest::newRow("/31") << quint32(0xFFFFFFFE) << 31;
    QTest::newRow("/8 is the shortest") << quint32(0xFF000000) << 8;
    QTest::newRow("/7 too short") << quint32(0xFE000000) << -1;
    QTest::newRow("/1 too short") << quint32(0x80000000) << -1;
    QTest::newRow("zero") << quint32(0) << -1;
    QTest::newRow("hole") << quint32(0xFF00FF00) << -1;
    QTest::newRow("low bit set") << quint32(0xFFFF0001) << -1;
    QTest::newRow("reversed") << quint32(0x00FFFFFF) << -1;
}

void TestAddresses::netmaskPrefix()
{
    QFETCH(quint32, netmask);
    QFETCH(int, prefix);
    QCOMPARE(netmaskPrefixLength(netmask), prefix);
}

QTEST_GUILESS_MAIN(TestAddresses)
#include "tst_addresses.moc"
