// The built-in tag map: its file layout and every key, name, description,
// named value and flag it defines.
#include "tagmap.h"

#include <QFile>
#include <QtTest>

namespace {

const QString kMapPath = QStringLiteral(":/maps/znmap.csv");

struct Expected
{
    uint32_t key;
    QString name;
    QString description;
    QString values; // "number=name(description);..."
};

QList<Expected> expectedKeys()
{
    QList<Expected> rows = {
        {0xFFA70000, "General", "General configuration", ""},
        {0x02A70001, "Development mode", "Used during software development with ZentraManager.", ""},
        {0x02A70002, "Restrict Remote Config Access",
         "Allow access to configuration data only if debug jumper/DIP-Switch is on.", ""},
        {0x03A70003, "Timezone", "Name of timezone file", ""},
        {0x11A70004, "CPU Clock", "CPU Clock frequency", ""},
        {0x19A70005, "Password", "Application password", ""},
        {0x10A70006, "Display Orientation", "Selects default orientation of framebuffer display",
         QString::fromUtf8("0=0\u00B0();1=90\u00B0();2=180\u00B0();3=270\u00B0()")},
        {0x03A70007, "System name", "Arbitrary system name", ""},
        {0x22A70008, "Display Size", "Selects size of framebuffer", ""},
        {0x02A70009, "Restrict Debug Console", "Disable debug console access.", ""},
        {0x11A7000A, "System address", "Configured address, e.g. for RS485.", ""},
        {0xFFA70100, "Network", "Network configuration", ""},
        {0x10A70100, "Mode", "How network configuration is obtained",
         "0=Disabled(Networking disabled);1=DHCP(Automatic configuration using DHCP);"
         "2=Static(Static configuration)"},
        {0x14A70101, "IP Address", "Static IP address", ""},
        {0x14A70102, "Netmask", "Static network mask", ""},
        {0x14A70103, "Gateway", "Static default gateway", ""},
        {0x14A70104, "Boot Host", "Static IP Address of TFTP boot server", ""},
        {0x03A70105, "Boot path", "Static path of firmware file on TFTP boot server", ""},
        {0x11A70106, "Boot port", "Static Port number on TFTP boot server", "0=Default()"},
        {0x14A70107, "Syslog Host", "Static IP address of syslog server", ""},
        {0x11A70107, "Syslog Port", "Static port number of syslog server", ""},
        {0x14A70108, "Application Server IP", "IP Address of server that the application should connect to", ""},
        {0x11A70109, "Application Server Port", "Port number at server that the application should connect to",
         "0=Not set()"},
        {0x03A7010A, "Application Server Path", "Path for building an application URL", ""},
        {0x03A7010B, "Application Server URL Scheme", "URL scheme for application server (e.g. ws or wss)", ""},
        {0x03A70108, "Application Server URL", "Full URL of server that the application should connect to", ""},
        {0x14A7010C, "Incoming IP address", "IP address to listen at for incoming connections", ""},
        {0x11A7010D, "Incoming Port", "Port number to listen at for incoming connections", ""},
        {0x03A7010E, "Root path", "NFS path to root filesystem", ""},
        {0x14A7010F, "DNS1", "Primary DNS server", ""},
        {0x14A70110, "DNS2", "Secondary DNS server", ""},
        {0x14A70111, "NTP Server", "Static IP address of NTP time server", ""},
        {0x14A70112, "Buddy Host", "IP Address of companion device", ""},
        {0x01A70112, "Buddy Port", "Port for connecting with companion device", ""},
        {0x10A70112, "Buddy Mode", "Server/Client selection for companion device connection",
         "0=Disabled();1=Server();2=Client()"},
        {0x14A70113, "Diagnostics Host", "IP Address of diagnostics server", ""},
        {0x01A70113, "Diagnostics Port", "Port for connecting with diagnostics server", ""},
        {0xFFA702FF, "Serial", "Serial port configuration", ""},
        {0x11A70200, "Speed", "Bits per second", "0=Not set()"},
        {0x11A70201, "Address", "Serial bus address", "0=Not set()"},
        {0xFFA703FF, "Display", "Display configuration", ""},
        {0x00A70300, "Touch calibration", "", ""},
        {0x11A70301, "TFP410 Deskew", "TFP410 Deskew", ""},
        {0x11A70400, "Device ID", "", ""},
        {0x00A70401, "Pairing key", "", ""},
        {0x03A70402, "Device type", "", ""},
        {0x03A70403, "Version string", "", ""},
        {0x11A70404, "Input count", "", ""},
        {0x11A70405, "Output count", "", ""},
        {0xFFA70500, "Signage Display", "Signage Display Configuration", ""},
        {0x11A70510, "Soft Current limit", "Total Current Limit (mA, Software Enforced)", ""},
        {0x11A70511, "Temperature limit", QString::fromUtf8("Signage Display Panel Temperature Limit (\u00B0C)"), ""},
        {0x11A70512, "Color correction", "Signage Display Panel Color Correction (RGB888)", ""},
        {0x11A70513, "Fan control temperature", QString::fromUtf8("Fan turns on above this temperature (\u00B0C)"),
         ""},
        {0x11A70514, "Brightness limit", QString::fromUtf8("Max brightness setting for LEDs (0\u20264095)"), ""},
        {0x11A70515, "Lane count", "Number of driven data lanes", ""},
        {0x10A70516, "Tile layout", "Geometry of LED tiles",
         "0=48x16x32();1=8x8();2=16x16();3=32x8();4=32x16();5=72x24x2();6=48x16x2()"},
    };
    for (uint32_t n = 0; n < 32; ++n) {
        rows.append({0xFFA70200 + n, QStringLiteral("ttyS%1").arg(n), "", ""});
        rows.append({0xFFA70400 + n, QStringLiteral("GPIO Pairing %1").arg(n), "", ""});
    }
    for (uint32_t n = 1; n <= 4; ++n) {
        rows.append({0x21A70500 + n, QStringLiteral("Unit %1 Geometry").arg(n),
                     QStringLiteral("Sub Unit %1 Geometry").arg(n), ""});
    }
    return rows;
}

QString describeValues(const TagMapEntry &entry)
{
    QStringList parts;
    for (const TagMapValue &value : entry.values)
        parts << QStringLiteral("%1=%2(%3)").arg(TagMap::valueText(value), value.name, value.description);
    return parts.join(';');
}

} // namespace

class TestZnMap : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fileLayout();
    void loadsWithoutErrors();
    void everyKey_data();
    void everyKey();
    void noOtherKeys();
    void flagsHelpAndIcons();
    void allTagsInFamilyRange();

private:
    TagMap m_map;
};

void TestZnMap::initTestCase()
{
    m_map.loadFile(kMapPath);
}

void TestZnMap::fileLayout()
{
    QFile file(kMapPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith(",,,\r\n"));
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\n"), bytes.count("\r\n"));
    QCOMPARE(bytes.count("\r"), bytes.count("\r\n"));

    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    QCOMPARE(lines.count(",,,,\r"), 5);
    QCOMPARE(lines.count("\r"), 1);
    const qsizetype blank = lines.indexOf("\r");
    QVERIFY(lines.at(blank + 1).startsWith("\"0x11A70510\",\"Soft Current limit\","));
    for (const QByteArray &line : lines) {
        if (line.startsWith('"'))
            QVERIFY2(QRegularExpression("^\"0x[0-9A-F]{8}(:[0-9]+)?\",\"").match(QString::fromUtf8(line)).hasMatch(),
                     line.constData());
    }
    QVERIFY(bytes.contains("\"0x10A70006:3\",\"270\xC2\xB0\","));
    QVERIFY(bytes.contains("\"0x11A70512\",\"Color correction\","
                           "\"Signage Display Panel Color Correction (RGB888)\",,,\"x\"\r\n"));
}

void TestZnMap::loadsWithoutErrors()
{
    QCOMPARE(m_map.errors(), QStringList());
}

void TestZnMap::everyKey_data()
{
    QTest::addColumn<uint>("key");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("values");
    for (const Expected &row : expectedKeys()) {
        QTest::addRow("0x%08X", row.key) << uint(row.key) << row.name << row.description << row.values;
    }
}

void TestZnMap::everyKey()
{
    QFETCH(uint, key);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, values);

    const TagMapEntry *entry = m_map.find(key);
    QVERIFY(entry);
    QCOMPARE(entry->key, key);
    QCOMPARE(entry->name, name);
    QCOMPARE(entry->description, description);
    QCOMPARE(describeValues(*entry), values);
}

void TestZnMap::noOtherKeys()
{
    QCOMPARE(m_map.entries().size(), expectedKeys().size());
}

void TestZnMap::flagsHelpAndIcons()
{
    for (const TagMapEntry &entry : m_map.entries()) {
        QCOMPARE(entry.hex, entry.key == 0x11A70512);
        QCOMPARE(entry.help, entry.key == 0x11A70107 ? QStringLiteral("Default: 514") : QString());
        QVERIFY(entry.icon.isEmpty());
        for (const TagMapValue &value : entry.values) {
            QVERIFY(!value.hex);
            QVERIFY(value.help.isEmpty() && value.icon.isEmpty());
        }
    }
}

void TestZnMap::allTagsInFamilyRange()
{
    for (uint32_t key : m_map.entries().keys())
        QCOMPARE(key & 0x00FF0000, 0x00A70000u);
}

QTEST_MAIN(TestZnMap)
#include "tst_znmap.moc"
