// The simulator's devices: the command-line and JSON forms, the generated
// identities and the answers they send.
#include "devicegenerator.h"
#include "devicelist.h"
#include "simdevice.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QTest>

namespace {

QJsonObject specJson(const QString &spec, QString *error)
{
    SimDevice device;
    if (!parseDeviceSpec(spec, &device, error))
        return {};
    return deviceToJson(device);
}

} // namespace

class TestSimDevice : public QObject {
    Q_OBJECT

private slots:
    void fullDeviceJson();
    void minimalDeviceJson();
    void specFields_data();
    void specFields();
    void badSpecs_data();
    void badSpecs();
    void jsonRoundTrip();
    void badJson_data();
    void badJson();
    void generatedDevicesAreUniqueAndRepeatable();
    void generatedDevicesAreVaried();
    void answersDecodeToTheDevice();
    void corruptDeviceAnswersWithABadChecksum();
    void corruptMacMustNameADevice();
};

void TestSimDevice::fullDeviceJson()
{
    QString error;
    const QJsonObject json = specJson(QStringLiteral(
        "mac=02:5a:4e:10:00:01,ip=10.1.2.3,netmask=255.255.255.0,gateway=10.1.2.1,networkMode=2,developmentMode=5,"
        "board=0x2A,cpu=168496141,serial=0xFEDCBA9876543210,made=2021-03-04T05:06:07Z,versionS=1234,versionD=507,"
        "boardName=ZN-450,remark=Halle S\u00FCd"), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const QJsonObject expected{
        {"mac", "02:5A:4E:10:00:01"}, {"ip", "10.1.2.3"}, {"netmask", "255.255.255.0"}, {"gateway", "10.1.2.1"},
        {"networkMode", 2}, {"developmentMode", 1}, {"board", 42}, {"cpu", 168496141}, {"versionS", 1234},
        {"versionD", 507}, {"boardName", "ZN-450"}, {"remark", QString::fromUtf8("Halle Süd")},
        {"serial", "0xFEDCBA9876543210"}, {"made", "2021-03-04T05:06:07Z"},
    };
    QCOMPARE(json, expected);
}

void TestSimDevice::minimalDeviceJson()
{
    QString error;
    const QJsonObject expected{
        {"mac", "02:5A:4E:00:00:07"}, {"ip", "0.0.0.0"}, {"netmask", "0.0.0.0"}, {"gateway", "0.0.0.0"},
        {"networkMode", -1}, {"developmentMode", -1}, {"board", 0}, {"cpu", 0}, {"versionS", 0}, {"versionD", 0},
        {"boardName", ""}, {"remark", ""}, {"serial", "0x0000000000000000"}, {"made", QJsonValue::Null},
    };
    QCOMPARE(specJson(QStringLiteral("mac=7"), &error), expected);
}

void TestSimDevice::specFields_data()
{
    QTest::addColumn<QString>("spec");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("value");
    QTest::newRow("short MAC gets the vendor prefix") << "mac=1:2" << "mac" << QJsonValue("02:5A:4E:00:01:02");
    QTest::newRow("made 0 is the start of 2000") << "mac=1,made=0" << "made" << QJsonValue("2000-01-01T00:00:00Z");
    QTest::newRow("last representable date") << "mac=1,made=0xFFFFFFFF" << "made" << QJsonValue("2136-02-07T06:28:15Z");
    QTest::newRow("made none") << "mac=1,made=none" << "made" << QJsonValue(QJsonValue::Null);
    QTest::newRow("development mode off") << "mac=1,developmentMode=0" << "developmentMode" << QJsonValue(0);
    QTest::newRow("network mode number") << "mac=1,networkMode=7" << "networkMode" << QJsonValue(7);
    QTest::newRow("negative network mode") << "mac=1,networkMode=-2" << "networkMode" << QJsonValue(-2);
    QTest::newRow("largest board") << "mac=1,board=0xFFFFFFFF" << "board" << QJsonValue(qint64(0xFFFFFFFF));
    QTest::newRow("largest version") << "mac=1,versionD=65535" << "versionD" << QJsonValue(65535);
    QTest::newRow("later key wins") << "mac=1,board=1,board=2" << "board" << QJsonValue(2);
    QTest::newRow("empty remark") << "mac=1,remark=" << "remark" << QJsonValue("");
    QTest::newRow("remark with '='") << "mac=1,remark=a=b" << "remark" << QJsonValue("a=b");
}

void TestSimDevice::specFields()
{
    QFETCH(QString, spec);
    QFETCH(QString, key);
    QFETCH(QJsonValue, value);
    QString error;
    const QJsonObject json = specJson(spec, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(json.value(key), value);
}

void TestSimDevice::badSpecs_data()
{
    QTest::addColumn<QString>("spec");
    QTest::newRow("no mac") << "board=1";
    QTest::newRow("zero mac") << "mac=0";
    QTest::newRow("seven MAC groups") << "mac=1:2:3:4:5:6:7";
    QTest::newRow("unknown key") << "mac=1,colour=red";
    QTest::newRow("no '='") << "mac=1,board";
    QTest::newRow("three-part address") << "mac=1,ip=1.2.3";
    QTest::newRow("board beyond 32 bits") << "mac=1,board=0x100000000";
    QTest::newRow("version beyond 16 bits") << "mac=1,versionS=65536";
    QTest::newRow("negative board") << "mac=1,board=-1";
    QTest::newRow("date before 2000") << "mac=1,made=1999-12-31T23:59:59Z";
    QTest::newRow("date not ISO") << "mac=1,made=yesterday";
    QTest::newRow("badcrc not a flag") << "mac=1,badcrc=yes";
}

void TestSimDevice::badSpecs()
{
    QFETCH(QString, spec);
    SimDevice device;
    QString error;
    QVERIFY(!parseDeviceSpec(spec, &device, &error));
    QVERIFY(!error.isEmpty());
}

void TestSimDevice::jsonRoundTrip()
{
    const QList<SimDevice> generated = generateDevices(300, 5);
    const QByteArray json = devicesToJson(generated);
    QList<SimDevice> parsed;
    QString error;
    QVERIFY2(devicesFromJson(json, &parsed, &error), qPrintable(error));
    QCOMPARE(parsed.size(), generated.size());
    QCOMPARE(devicesToJson(parsed), json);
}

void TestSimDevice::badJson_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("not JSON") << QByteArray("[{");
    QTest::newRow("not an array") << QByteArray(R"({"mac": "1"})");
    QTest::newRow("element not an object") << QByteArray(R"([{"mac": "1"}, 2])");
    QTest::newRow("device without mac") << QByteArray(R"([{"board": 1}])");
    QTest::newRow("wrong type") << QByteArray(R"([{"mac": "1", "ip": 17}])");
}

void TestSimDevice::badJson()
{
    QFETCH(QByteArray, json);
    QList<SimDevice> devices;
    QString error;
    QVERIFY(!devicesFromJson(json, &devices, &error));
    QVERIFY(!error.isEmpty());
}

void TestSimDevice::generatedDevicesAreUniqueAndRepeatable()
{
    const QList<SimDevice> devices = generateDevices(5000, 3);
    QSet<quint64> macs;
    for (qsizetype i = 0; i < devices.size(); ++i) {
        QCOMPARE(devices[i].identity.mac, 0x025A4E030000ull + quint64(i) + 1);
        macs.insert(devices[i].identity.mac);
    }
    QCOMPARE(macs.size(), devices.size());
    QCOMPARE(devicesToJson(generateDevices(50, 3)), devicesToJson(devices.mid(0, 50)));
    QVERIFY(devicesToJson(generateDevices(50, 4)) != devicesToJson(devices.mid(0, 50)));
    // Another seed, another block of addresses; the block wraps within the vendor prefix.
    QCOMPARE(generateDevices(1, 0x1FF).first().identity.mac, 0x025A4EFF0001ull);
    QCOMPARE(generateDevices(0x10000, 0xFF).last().identity.mac, 0x025A4E000000ull);
}

// The scanner's display rules each need some devices to exercise them.
void TestSimDevice::generatedDevicesAreVaried()
{
    int noBoardName = 0, remarks = 0, sameVersions = 0, noDate = 0, bigVersion = 0, developing = 0;
    QSet<int> networkModes;
    for (const SimDevice &d : generateDevices(1000, 1)) {
        noBoardName += d.boardName.isEmpty();
        remarks += !d.remark.isEmpty();
        sameVersions += d.identity.versionS != 0 && d.identity.versionS == d.identity.versionD;
        noDate += !d.identity.hasMade;
        bigVersion += d.identity.versionS > 9999;
        developing += d.identity.developmentMode == 1;
        networkModes.insert(d.identity.networkMode);
    }
    for (int count : {noBoardName, remarks, sameVersions, noDate, bigVersion, developing})
        QVERIFY(count >= 10 && count <= 900);
    QCOMPARE(networkModes, (QSet<int>{-1, 0, 1, 2, 7}));
}

void TestSimDevice::answersDecodeToTheDevice()
{
    for (const SimDevice &device : generateDevices(200, 9)) {
        const QByteArray answer = deviceAnswer(device);
        zn::DecodedDatagram out;
        QCOMPARE(zn::datagramDecode(0x01020304, reinterpret_cast<const uint8_t *>(answer.constData()),
                                    size_t(answer.size()), &out),
                 zn::DecodeStatus::Ok);
        QCOMPARE(out.opcode, uint16_t(zn::OpDiscoverAnswer));
        SimDevice decoded;
        decoded.identity = out.identity;
        decoded.boardName = QString::fromUtf8(out.identity.boardName, qsizetype(out.identity.boardNameSize));
        decoded.remark = QString::fromUtf8(out.identity.remark, qsizetype(out.identity.remarkSize));
        QCOMPARE(deviceToJson(decoded), deviceToJson(device));
    }
}

void TestSimDevice::corruptDeviceAnswersWithABadChecksum()
{
    SimDevice device;
    QString error;
    QVERIFY(parseDeviceSpec(QStringLiteral("mac=5,badcrc=1"), &device, &error));
    const QByteArray answer = deviceAnswer(device);
    zn::DecodedDatagram out;
    QCOMPARE(zn::datagramDecode(0, reinterpret_cast<const uint8_t *>(answer.constData()), size_t(answer.size()), &out),
             zn::DecodeStatus::CrcError);
}

void TestSimDevice::corruptMacMustNameADevice()
{
    DeviceListSources sources;
    sources.count = 3;
    sources.corruptMacs = {QStringLiteral("1:0:3")}; // the third device of seed 1
    QList<SimDevice> devices;
    QString error;
    QVERIFY2(buildDeviceList(sources, &devices, &error), qPrintable(error));
    QCOMPARE(devices.size(), 3);
    QVERIFY(!devices[0].badCrc && !devices[1].badCrc && devices[2].badCrc);
    sources.corruptMacs = {QStringLiteral("1:0:4")};
    QVERIFY(!buildDeviceList(sources, &devices, &error));
}

QTEST_APPLESS_MAIN(TestSimDevice)
#include "tst_simdevice.moc"
