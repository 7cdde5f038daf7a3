// "znscan-cli config show": a configuration file holding one value of every
// type, printed as JSON and as text, and the files the import refuses. The
// program comes from $ZNSCAN_CLI.
#include "configfile.h"
#include "password.h"
#include "store.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

namespace {

constexpr size_t kCapacity = 4096;

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Result runCli(const QStringList &args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C"); // the C locale's short date and time formats
    env.insert("TZ", "UTC");
    process.setProcessEnvironment(env);
    process.start(qEnvironmentVariable("ZNSCAN_CLI"), args);
    Result result;
    if (!process.waitForFinished(30000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QByteArray le32(uint32_t value)
{
    QByteArray bytes;
    for (int i = 0; i < 4; ++i)
        bytes.append(char(value >> (8 * i)));
    return bytes;
}

void set(zn::RegistryHandle *section, uint32_t key, const QByteArray &payload)
{
    QVERIFY(zn::reg_set(section, key, payload.constData(), uint32_t(payload.size())));
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray wrap(const uint8_t *blob, size_t size)
{
    QByteArray file(int(zn::configFileSize(size)), '\0');
    const size_t written =
        zn::configFileWrite(blob, size, reinterpret_cast<uint8_t *>(file.data()), size_t(file.size()));
    return written ? file : QByteArray();
}

// "depth key type name = value -- description" per object, depth first.
void flatten(const QJsonObject &object, int depth, QStringList *lines)
{
    QString line = QStringLiteral("%1 %2 [%3] %4").arg(depth).arg(object["key"].toString(),
                                                                object["type"].toString(),
                                                                object["name"].toString());
    if (object.contains("value"))
        line += " = " + object["value"].toString();
    line += " -- " + object["description"].toString();
    *lines << line;
    QCOMPARE(object.contains("value"), !object.contains("children"));
    for (const QJsonValue &child : object["children"].toArray())
        flatten(child.toObject(), depth + 1, lines);
}

} // namespace

class TestConfigShow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void json();
    void text();
    void emptyRegistry();
    void refusedFiles_data();
    void refusedFiles();
    void usage_data();
    void usage();

private:
    QTemporaryDir m_dir;
    QString m_allTypes;
};

void TestConfigShow::initTestCase()
{
    QVERIFY2(QFileInfo(qEnvironmentVariable("ZNSCAN_CLI")).isExecutable(), "set ZNSCAN_CLI to znscan-cli");
    QVERIFY(m_dir.isValid());

    std::vector<uint8_t> buffer(kCapacity, 0);
    zn::RegistryHandle *root = zn::reg_open(buffer.data(), buffer.size());
    QVERIFY(root);
    zn::RegistryHandle *general = zn::reg_create_section(root, 0xFFA70000);
    set(general, 0x00A70300, QByteArray::fromHex("010203"));
    set(general, 0x01A70112, le32(uint32_t(-5)));
    set(general, 0x02A70001, QByteArray::fromHex("01"));
    set(general, 0x03A70007, QByteArray("Zentra \xC2\xB0 1"));
    set(general, 0x04A70001, le32(0));
    set(general, 0x05A70001, le32(3661));
    set(general, 0x06A70001, le32(1) + le32(3600));
    set(general, 0x07A70001, QByteArray::fromHex("0180"));
    set(general, 0x08A70001, QByteArray(8, '\xFF'));
    set(general, 0x10A70100, le32(2));
    set(general, 0x11A70109, le32(0));
    set(general, 0x11A70512, le32(0x00FFEEDD));
    set(general, 0x15A70001, QByteArray::fromHex("001a2b3c4d5e"));
    set(general, 0x16A70001, QByteArray::fromHex("20010db8000000000000000000000001"));
    set(general, 0x18A70001, QByteArray(8, '\xFF'));
    set(general, 0x19A70005, md5Crypt("password", "$1$saltsalt"));
    set(general, 0x20A70001, QByteArray::fromHex("fbff0300"));
    set(general, 0x21A70501, QByteArray::fromHex("000000008002e001"));
    set(general, 0x22A70008, QByteArray::fromHex("20035802"));
    set(general, 0x30A70001, QByteArray::fromHex("ab"));
    zn::RegistryHandle *network = zn::reg_create_section(root, 0xFFA70100);
    set(network, 0x14A70101, QByteArray::fromHex("c0a80102"));
    set(network, 0x14A70107, QByteArray::fromHex("00000000"));
    set(network, 0x11A70107, le32(514));
    zn::RegistryHandle *serial = zn::reg_create_section(root, 0xFFA702FF);
    zn::RegistryHandle *tty = zn::reg_create_section(serial, 0xFFA70200);
    set(tty, 0x11A70200, le32(115200));
    zn::reg_create_section(root, 0xFFA7F000);
    const QByteArray file = wrap(buffer.data(), zn::reg_used_size(root));
    zn::reg_close(root);

    m_allTypes = m_dir.filePath("alltypes.znc");
    QVERIFY(writeFile(m_allTypes, file));
}

void TestConfigShow::json()
{
    const Result result = runCli({"config", "show", m_allTypes, "--json"});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.out, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);

    QStringList lines;
    flatten(document.object(), 0, &lines);
    const QStringList expected = {
        "0 0xFFFFFFFF [Section] Root -- ",
        "1 0xFFA70000 [Section] General -- General configuration",
        "2 0x00A70300 [Binary] Touch calibration = 01 02 03 -- ",
        "2 0x01A70112 [Int] Buddy Port = -5 -- Port for connecting with companion device",
        "2 0x02A70001 [Bool] Development mode = True -- Used during software development with ZentraManager.",
        QString::fromUtf8("2 0x03A70007 [String] System name = Zentra \u00B0 1 -- Arbitrary system name"),
        "2 0x04A70001 [Date] 0x04A70001 = 1 Jan 1990 -- ",
        "2 0x05A70001 [Time] 0x05A70001 = 01:01:01 -- ",
        "2 0x06A70001 [DateTime] 0x06A70001 = 2 Jan 1990 01:00:00 -- ",
        "2 0x07A70001 [BitArray] 0x07A70001 = 10000000 00000001 -- ",
        "2 0x08A70001 [Int64] 0x08A70001 = -1 -- ",
        "2 0x10A70100 [Enum] Mode = 2 - Static -- How network configuration is obtained",
        "2 0x11A70109 [UInt] Application Server Port = Not set -- "
        "Port number at server that the application should connect to",
        "2 0x11A70512 [UInt] Color correction = 0x00FFEEDD -- Signage Display Panel Color Correction (RGB888)",
        "2 0x15A70001 [MAC] 0x15A70001 = 00:1A:2B:3C:4D:5E -- ",
        "2 0x16A70001 [IPv6] 0x16A70001 = 2001:db8::1 -- ",
        "2 0x18A70001 [UInt64] 0x18A70001 = 18446744073709551615 -- ",
        "2 0x19A70005 [Password] Password = Set -- Application password",
        "2 0x20A70001 [] 0x20A70001 = -5,3 -- ",
        "2 0x21A70501 [] Unit 1 Geometry = 640x480+0+0 -- Sub Unit 1 Geometry",
        "2 0x22A70008 [] Display Size = 800x600 -- Selects size of framebuffer",
        "2 0x30A70001 [] 0x30A70001 = AB -- ",
        "1 0xFFA70100 [Section] Network -- Network configuration",
        "2 0x14A70101 [IPv4] IP Address = 192.168.1.2 -- Static IP address",
        "2 0x14A70107 [IPv4] Syslog Host = Not set -- Static IP address of syslog server",
        "2 0x11A70107 [UInt] Syslog Port = 514 -- Static port number of syslog server",
        "1 0xFFA702FF [Section] Serial -- Serial port configuration",
        "2 0xFFA70200 [Section] ttyS0 -- ",
        "3 0x11A70200 [UInt] Speed = 115200 -- Bits per second",
        "1 0xFFA7F000 [Section] 0xFFA7F000 -- ",
    };
    QCOMPARE(lines, expected);
}

void TestConfigShow::text()
{
    const Result result = runCli({"config", "show", m_allTypes});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.err, QByteArray());
    const QStringList lines = QString::fromUtf8(result.out).split('\n');
    QCOMPARE(lines.size(), 31); // 30 records and the empty text after the last line end
    QCOMPARE(lines.at(0), QStringLiteral("Root (Section 0xFFFFFFFF)"));
    QCOMPARE(lines.at(1), QStringLiteral("  General (Section 0xFFA70000)  -- General configuration"));
    QCOMPARE(lines.at(2), QStringLiteral("    Touch calibration (Binary 0x00A70300) = 01 02 03"));
    QCOMPARE(lines.at(11), QStringLiteral("    Mode (Enum 0x10A70100) = 2 - Static  -- "
                                          "How network configuration is obtained"));
    QCOMPARE(lines.at(18), QStringLiteral("    0x20A70001 (Tag 0x20A70001) = -5,3"));
    QCOMPARE(lines.at(28), QStringLiteral("      Speed (UInt 0x11A70200) = 115200  -- Bits per second"));
    QCOMPARE(lines.at(29), QStringLiteral("  0xFFA7F000 (Section 0xFFA7F000)"));
    QCOMPARE(lines.at(30), QString());
}

void TestConfigShow::emptyRegistry()
{
    // A 36-byte file holds an empty blob and shows an empty root.
    const QString path = m_dir.filePath("empty.znc");
    const uint8_t none = 0;
    QVERIFY(writeFile(path, wrap(&none, 0)));
    const Result result = runCli({"config", "show", path});
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, QByteArray("Root (Section 0xFFFFFFFF)\n"));
}

void TestConfigShow::refusedFiles_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QByteArray>("error");

    QFile file(m_allTypes);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();

    QByteArray badCrc = good;
    badCrc[50] = char(badCrc[50] ^ 1);
    QByteArray badOuterLength = good;
    badOuterLength[4] = char(badOuterLength[4] + 1);
    QByteArray tooBig(4133, '\0');
    tooBig.replace(0, good.size(), good);

    QTest::newRow("changed blob byte") << badCrc << QByteArray("This is not a configuration file.\n");
    QTest::newRow("changed outer length") << badOuterLength << QByteArray("This is not a configuration file.\n");
    QTest::newRow("short file") << good.left(35) << QByteArray("This is not a configuration file.\n");
    QTest::newRow("empty file") << QByteArray() << QByteArray("This is not a configuration file.\n");
    QTest::newRow("4133 bytes") << tooBig << QByteArray("File too big.\n");
}

void TestConfigShow::refusedFiles()
{
    QFETCH(QByteArray, contents);
    QFETCH(QByteArray, error);

    const QString path = m_dir.filePath("refused.znc");
    QVERIFY(writeFile(path, contents));
    const Result result = runCli({"config", "show", path, "--json"});
    QCOMPARE(result.exitCode, 3);
    QCOMPARE(result.err, error);
    QCOMPARE(result.out, QByteArray());
}

void TestConfigShow::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("missing file") << QStringList{"config", "show", m_dir.filePath("none.znc")} << 3;
    QTest::newRow("no subcommand") << QStringList{"config"} << 2;
    QTest::newRow("unknown subcommand") << QStringList{"config", "dump", m_allTypes} << 2;
    QTest::newRow("no file") << QStringList{"config", "show", "--json"} << 2;
    QTest::newRow("two files") << QStringList{"config", "show", m_allTypes, m_allTypes} << 2;
    QTest::newRow("unknown option") << QStringList{"config", "show", m_allTypes, "--xml"} << 2;
}

void TestConfigShow::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    const Result result = runCli(args);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY(!result.err.isEmpty());
    QCOMPARE(result.out, QByteArray());
}

QTEST_GUILESS_MAIN(TestConfigShow)
#include "tst_configshow.moc"
