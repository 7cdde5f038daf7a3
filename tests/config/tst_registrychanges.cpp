// What an upload changes, key by key: the comparison, each way round, and
// "znscan-cli config diff" over files (the program comes from $ZNSCAN_CLI).
#include "configfile.h"
#include "registrychanges.h"
#include "registryblob.h"
#include "tagmap.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString changeLines(const QByteArray &before, const QByteArray &after, const TagMap &map)
{
    QStringList lines;
    for (const RegistryChange &change : registryChanges(before, after, &map))
        lines << registryChangeText(change);
    return lines.join('\n');
}

// Added one way round is removed the other way; changed stays changed.
QString mirrored(QString lines)
{
    lines.replace(QRegularExpression("^added ", QRegularExpression::MultilineOption), "ADDED ");
    lines.replace(QRegularExpression("^removed ", QRegularExpression::MultilineOption), "added ");
    return lines.replace(QRegularExpression("^ADDED ", QRegularExpression::MultilineOption), "removed ");
}

QByteArray fileFor(const QByteArray &blob)
{
    QByteArray file(qsizetype(zn::configFileSize(size_t(blob.size()))), '\0');
    zn::configFileWrite(reinterpret_cast<const uint8_t *>(blob.constData()), size_t(blob.size()),
                        reinterpret_cast<uint8_t *>(file.data()), size_t(file.size()));
    return file;
}

const QByteArray kIp = record(0x14A70101, hex("c0a80102"));
const QByteArray kPort = record(0x11A70107, le32(514));

} // namespace

class TestRegistryChanges : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void changes_data();
    void changes();
    void command_data();
    void command();

private:
    TagMap m_map;
    QTemporaryDir m_dir;
};

void TestRegistryChanges::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_map.loadFile(":/maps/znmap.csv");
}

void TestRegistryChanges::changes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("lines");

    const QByteArray network = record(0xFFA70100, kIp + kPort);
    const QString ip = "Network / IP Address (IPv4 0x14A70101)";
    QTest::newRow("same records, other order") << rootBlob(network + record(0xFFA70000))
                                               << rootBlob(record(0xFFA70000) + record(0xFFA70100, kPort + kIp)) << "";
    QTest::newRow("value") << rootBlob(network) << rootBlob(record(0xFFA70100, record(0x14A70101, hex("0a000001")) + kPort))
                           << "changed " + ip + ": 192.168.1.2 -> 10.0.0.1";
    QTest::newRow("password set again") << rootBlob(record(0x19A70005, "$1$a")) << rootBlob(record(0x19A70005, "$1$b"))
                                        << "changed Password (Password 0x19A70005): Set -> Set";
    QTest::newRow("removed value") << rootBlob(network) << rootBlob(record(0xFFA70100, kIp))
                                   << "removed Network / Syslog Port (UInt 0x11A70107) = 514";
    QTest::newRow("section with contents")
        << rootBlob(network) << rootBlob(network + record(0xFFA702FF, record(0xFFA70200, record(0x11A70200, le32(9600)))))
        << "added Serial (Section 0xFFA702FF)\n"
           "added Serial / ttyS0 (Section 0xFFA70200)\n"
           "added Serial / ttyS0 / Speed (UInt 0x11A70200) = 9600";
    QTest::newRow("removed, changed, then added")
        << rootBlob(record(0x03A70007, "a") + kIp + kPort) << rootBlob(record(0x02A70001, hex("01")) + kPort + record(0x03A70007, "b"))
        << "changed System name (String 0x03A70007): a -> b\n"
           "removed IP Address (IPv4 0x14A70101) = 192.168.1.2\n"
           "added Development mode (Bool 0x02A70001) = True";
    // A damaged blob repeating a key: matched by place among the records with the key.
    QTest::newRow("repeated key") << rootBlob(kIp + record(0x14A70101, hex("0a000001")))
                                  << rootBlob(kIp + record(0x14A70101, hex("0a000003")))
                                  << "changed IP Address (IPv4 0x14A70101): 10.0.0.1 -> 10.0.0.3";
    // Never followed, so compared as raw bytes.
    QTest::newRow("root key below the root") << rootBlob(record(0xFFFFFFFF, hex("01"))) << rootBlob(record(0xFFFFFFFF, hex("02")))
                                             << "changed 0xFFFFFFFF (Section 0xFFFFFFFF): 01 -> 02";
    QTest::newRow("from a damaged root") << hex("00000000 ffffffff") << rootBlob(kIp)
                                         << "added IP Address (IPv4 0x14A70101) = 192.168.1.2";
}

void TestRegistryChanges::changes()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QString, lines);

    const QString forth = changeLines(before, after, m_map);
    QCOMPARE(forth, lines);
    if (!lines.contains("changed"))
        QCOMPARE(changeLines(after, before, m_map), mirrored(forth));
    QCOMPARE(changeLines(after, after, m_map), QString());
}

void TestRegistryChanges::command_data()
{
    QTest::addColumn<QByteArrayList>("files");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("error"); // %2 stands for the second file's path

    const QByteArray ip = fileFor(rootBlob(kIp));
    QTest::newRow("equal") << QByteArrayList{ip, ip} << 0 << QByteArray() << QByteArray();
    QTest::newRow("differ") << QByteArrayList{ip, fileFor(rootBlob(kPort))} << 1
                            << QByteArray("removed IP Address (IPv4 0x14A70101) = 192.168.1.2\n"
                                          "added Syslog Port (UInt 0x11A70107) = 514\n")
                            << QByteArray();
    QTest::newRow("refused") << QByteArrayList{ip, "FRMP"} << 3 << QByteArray()
                             << QByteArray("%2: This is not a configuration file.\n");
    QTest::newRow("one file") << QByteArrayList{ip} << 2 << QByteArray() << QByteArray();
}

void TestRegistryChanges::command()
{
    QFETCH(QByteArrayList, files);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, error);

    QStringList arguments{"config", "diff"};
    for (const QByteArray &contents : files) {
        arguments << m_dir.filePath(QString("%1.znc").arg(arguments.size()));
        QFile file(arguments.last());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
    }
    QProcess process;
    process.start(qEnvironmentVariable("ZNSCAN_CLI"), arguments);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), exitCode);
    QCOMPARE(process.readAllStandardOutput(), out);
    if (exitCode != 2)
        QCOMPARE(process.readAllStandardError(), error.replace("%2", arguments.last().toUtf8()));
}

QTEST_MAIN(TestRegistryChanges)
#include "tst_registrychanges.moc"
