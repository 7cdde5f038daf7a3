// The texts that label a device in the list and in the dialogs, and the
// comparison that decides whether an answer changes a listed device.
#include "scanclientinfo.h"

#include <QTest>

#include <functional>

namespace {

QDateTime madeAt(qint64 secondsSince2000)
{
    return QDateTime::fromSecsSinceEpoch(secondsSince2000 + 946684800, Qt::UTC);
}

ScanClientInfo identified()
{
    ScanClientInfo info;
    info.mac = Mac(0x00123456789A);
    info.ip = 0xC0A80105;
    info.netmask = 0xFFFFFF00;
    info.gateway = 0xC0A80101;
    info.networkMode = 1;
    info.developmentMode = 0;
    info.board = 12;
    info.boardName = QStringLiteral("ZX-100");
    info.remark = QStringLiteral("hall");
    info.cpu = 7;
    info.serial = 0x123456;
    info.made = madeAt(0);
    info.versionS = 1234;
    info.versionD = 1234;
    return info;
}

using Edit = std::function<void(ScanClientInfo &)>;

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestScanClientInfo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void defaults();
    void serialText_data();
    void serialText();
    void versionText_data();
    void versionText();
    void serialDescription_data();
    void serialDescription();
    void infoLines_data();
    void infoLines();
    void differsFrom_data();
    void differsFrom();
    void travelsInVariant();
};

void TestScanClientInfo::initTestCase()
{
    // A fixed zone one hour east of UTC shows that dates are shown in local time.
    qputenv("TZ", "CET-1");
}

void TestScanClientInfo::defaults()
{
    const ScanClientInfo info;
    QVERIFY(info.mac.isNull());
    QCOMPARE(info.networkMode, -1);
    QCOMPARE(info.developmentMode, -1);
    QVERIFY(!info.made.isValid());
    QCOMPARE(info.serialText(), QStringLiteral("0-0"));
}

void TestScanClientInfo::serialText_data()
{
    QTest::addColumn<QString>("boardName");
    QTest::addColumn<quint32>("board");
    QTest::addColumn<quint64>("serial");
    QTest::addColumn<QString>("text");

    QTest::newRow("board number") << QString() << quint32(12) << quint64(0x123456) << "12-4660";
    QTest::newRow("board name wins") << "ZX-100" << quint32(12) << quint64(0x123456) << "ZX-100-4660";
    QTest::newRow("low byte dropped") << QString() << quint32(1) << quint64(0xFF) << "1-0";
    QTest::newRow("bits above 39 dropped") << QString() << quint32(1) << quint64(0x123456789ABC) << "1-878082202";
    QTest::newRow("unsigned") << QString() << quint32(0) << quint64(0xFFFFFFFFFFFFFFFF) << "0-4294967295";
    QTest::newRow("board number unsigned") << QString() << quint32(0xFFFFFFFF) << quint64(0) << "4294967295-0";
}

void TestScanClientInfo::serialText()
{
    QFETCH(QString, boardName);
    QFETCH(quint32, board);
    QFETCH(quint64, serial);
    QFETCH(QString, text);

    ScanClientInfo info;
    info.boardName = boardName;
    info.board = board;
    info.serial = serial;
    QCOMPARE(info.serialText(), text);
}

void TestScanClientInfo::versionText_data()
{
    QTest::addColumn<quint32>("version");
    QTest::addColumn<QString>("text");

    QTest::newRow("1234") << quint32(1234) << "3412";
    QTest::newRow("507") << quint32(507) << "0705";
    QTest::newRow("5") << quint32(5) << "0500";
    QTest::newRow("100") << quint32(100) << "0001";
    QTest::newRow("0") << quint32(0) << "0000";
    QTest::newRow("9999") << quint32(9999) << "9999";
    QTest::newRow("10000 plain") << quint32(10000) << "10000";
    QTest::newRow("65535 plain") << quint32(65535) << "65535";
}

void TestScanClientInfo::versionText()
{
    QFETCH(quint32, version);
    QFETCH(QString, text);
    QCOMPARE(ScanClientInfo::versionText(version), text);
}

void TestScanClientInfo::serialDescription_data()
{
    QTest::addColumn<quint32>("versionS");
    QTest::addColumn<quint32>("versionD");
    QTest::addColumn<QString>("remark");
    QTest::addColumn<QString>("text");

    QTest::newRow("no versions") << quint32(0) << quint32(0) << QString() << "12-4660";
    QTest::newRow("equal versions once as D") << quint32(1234) << quint32(1234) << QString() << "12-4660 D3412";
    QTest::newRow("different versions") << quint32(1234) << quint32(507) << QString() << "12-4660 S3412 D0705";
    QTest::newRow("only S") << quint32(507) << quint32(0) << QString() << "12-4660 S0705";
    QTest::newRow("only D") << quint32(0) << quint32(507) << QString() << "12-4660 D0705";
    QTest::newRow("large version") << quint32(10001) << quint32(0) << QString() << "12-4660 S10001";
    QTest::newRow("remark") << quint32(0) << quint32(0) << "hall 2" << "12-4660 (hall 2)";
    QTest::newRow("all") << quint32(1234) << quint32(1234) << "hall" << "12-4660 D3412 (hall)";
}

void TestScanClientInfo::serialDescription()
{
    QFETCH(quint32, versionS);
    QFETCH(quint32, versionD);
    QFETCH(QString, remark);
    QFETCH(QString, text);

    ScanClientInfo info;
    info.board = 12;
    info.serial = 0x123456;
    info.versionS = versionS;
    info.versionD = versionD;
    info.remark = remark;
    QCOMPARE(info.serialDescription(), text);
}

void TestScanClientInfo::infoLines_data()
{
    QTest::addColumn<QString>("boardName");
    QTest::addColumn<quint32>("board");
    QTest::addColumn<quint32>("ip");
    QTest::addColumn<quint32>("netmask");
    QTest::addColumn<quint32>("gateway");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");

    const QString made = QStringLiteral(" manufactured on Sat Jan 1 01:00:00 2000");
    QTest::newRow("full") << "ZX-100" << quint32(12) << quint32(0xC0A80105) << quint32(0xFFFFFF00)
                          << quint32(0xC0A80101) << "ZX-100-4660" + made
                          << "MAC: 00:12:34:56:78:9A  IP: 192.168.1.5/24 (GW=192.168.1.1)";
    QTest::newRow("board number only") << QString() << quint32(12) << quint32(0xC0A80105) << quint32(0xFFFFFF00)
                                       << quint32(0) << "12-4660" + made
                                       << "MAC: 00:12:34:56:78:9A  IP: 192.168.1.5/24";
    QTest::newRow("board name only") << "ZX" << quint32(0) << quint32(0) << quint32(0) << quint32(0)
                                     << "ZX-4660" + made << "MAC: 00:12:34:56:78:9A";
    QTest::newRow("unknown board") << QString() << quint32(0) << quint32(0x0A000005) << quint32(0xFF000000)
                                   << quint32(0) << QString() << "MAC: 00:12:34:56:78:9A  IP: 10.0.0.5/8";
    QTest::newRow("mask with hole") << QString() << quint32(0) << quint32(0x0A000005) << quint32(0xFF00FF00)
                                    << quint32(0x0A000001) << QString()
                                    << "MAC: 00:12:34:56:78:9A  IP: 10.0.0.5/255.0.255.0 (GW=10.0.0.1)";
    QTest::newRow("zero mask") << QString() << quint32(0) << quint32(0x0A000005) << quint32(0) << quint32(0)
                               << QString() << "MAC: 00:12:34:56:78:9A  IP: 10.0.0.5/0.0.0.0";
    QTest::newRow("gateway without address") << QString() << quint32(0) << quint32(0) << quint32(0xFFFFFF00)
                                             << quint32(0x0A000001) << QString() << "MAC: 00:12:34:56:78:9A";
}

void TestScanClientInfo::infoLines()
{
    QFETCH(QString, boardName);
    QFETCH(quint32, board);
    QFETCH(quint32, ip);
    QFETCH(quint32, netmask);
    QFETCH(quint32, gateway);
    QFETCH(QString, first);
    QFETCH(QString, second);

    ScanClientInfo info;
    info.mac = Mac(0x00123456789A);
    info.boardName = boardName;
    info.board = board;
    info.serial = 0x123456;
    info.made = madeAt(0);
    info.ip = ip;
    info.netmask = netmask;
    info.gateway = gateway;
    QCOMPARE(info.infoLines(), QStringList({first, second}));
}

void TestScanClientInfo::differsFrom_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<bool>("differs");

    QTest::newRow("identical") << Edit([](ScanClientInfo &) {}) << false;
    QTest::newRow("mac") << Edit([](ScanClientInfo &i) { i.mac = Mac(1); }) << true;
    QTest::newRow("ip") << Edit([](ScanClientInfo &i) { i.ip = 0; }) << true;
    QTest::newRow("netmask") << Edit([](ScanClientInfo &i) { i.netmask = 0xFFFF0000; }) << true;
    QTest::newRow("gateway") << Edit([](ScanClientInfo &i) { i.gateway = 0; }) << true;
    QTest::newRow("networkMode") << Edit([](ScanClientInfo &i) { i.networkMode = 2; }) << true;
    QTest::newRow("board") << Edit([](ScanClientInfo &i) { i.board = 13; }) << true;
    QTest::newRow("boardName") << Edit([](ScanClientInfo &i) { i.boardName.clear(); }) << true;
    QTest::newRow("remark") << Edit([](ScanClientInfo &i) { i.remark = QStringLiteral("x"); }) << true;
    QTest::newRow("cpu") << Edit([](ScanClientInfo &i) { i.cpu = 8; }) << true;
    QTest::newRow("serial") << Edit([](ScanClientInfo &i) { i.serial = 0x123457; }) << true;
    QTest::newRow("made") << Edit([](ScanClientInfo &i) { i.made = madeAt(1); }) << true;
    QTest::newRow("made unknown") << Edit([](ScanClientInfo &i) { i.made = QDateTime(); }) << true;
    QTest::newRow("developmentMode ignored") << Edit([](ScanClientInfo &i) { i.developmentMode = 1; }) << false;
    QTest::newRow("versionS ignored") << Edit([](ScanClientInfo &i) { i.versionS = 1; }) << false;
    QTest::newRow("versionD ignored") << Edit([](ScanClientInfo &i) { i.versionD = 1; }) << false;
}

void TestScanClientInfo::differsFrom()
{
    QFETCH(Edit, edit);
    QFETCH(bool, differs);

    const ScanClientInfo stored = identified();
    ScanClientInfo answer = stored;
    edit(answer);
    QCOMPARE(stored.differsFrom(answer), differs);
    QCOMPARE(answer.differsFrom(stored), differs);
}

void TestScanClientInfo::travelsInVariant()
{
    ScanClientInfo::registerMetaType();
    QVERIFY(QMetaType::fromName("ScanClientInfo").isValid());

    const QVariant variant = QVariant::fromValue(identified());
    const ScanClientInfo back = variant.value<ScanClientInfo>();
    QVERIFY(!back.differsFrom(identified()));
    QCOMPARE(back.versionS, quint32(1234));
    QCOMPARE(back.developmentMode, 0);
}

QTEST_GUILESS_MAIN(TestScanClientInfo)
#include "tst_scanclientinfo.moc"
