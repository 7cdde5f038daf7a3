// The registry a configuration dialog edits, without the dialog: export and
// import through real files, what model and store are after an import, what
// an upload changes, and "znscan-cli config diff" (the program comes from $ZNSCAN_CLI).
#include "configfile.h"
#include "registryblob.h"
#include "registrymodel.h"
#include "registryworkingcopy.h"
#include "store.h"
#include "tagmap.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr size_t kCapacity = 4096;
const QByteArray kIp = record(0x14A70101, hex("c0a80102"));
const QByteArray kPort = record(0x11A70107, le32(514));

QByteArray fileFor(const QByteArray &blob)
{
    QByteArray file(qsizetype(zn::configFileSize(size_t(blob.size()))), '\0');
    zn::configFileWrite(reinterpret_cast<const uint8_t *>(blob.constData()), size_t(blob.size()),
                        reinterpret_cast<uint8_t *>(file.data()), size_t(file.size()));
    return file;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestConfigEdit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void exportImport();
    void changes_data();
    void changes();
    void diffCommand();

private:
    QString write(const QString &name, const QByteArray &bytes);
    TagMap m_map;
    QTemporaryDir m_dir;
};

void TestConfigEdit::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_map.loadFile(":/maps/znmap.csv");
}

QString TestConfigEdit::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

// An exported file imports to the same blob; the import is an unsaved change
// even so, and the model shows the new store. A refused import changes nothing.
void TestConfigEdit::exportImport()
{
    RegistryModel model;
    RegistryWorkingCopy copy(kCapacity);
    copy.setModel(&model);
    copy.load(sampleDeviceRegistry());
    QString error;
    const QString path = m_dir.filePath("device.znc");
    QVERIFY(copy.exportFile(path, &error));
    QCOMPARE(contents(path), fileFor(sampleDeviceRegistry()));

    QByteArray changed = fileFor(rootBlob());
    changed[30] = char(changed[30] ^ 0x40);
    zn::RegistryHandle *root = copy.root();
    QVERIFY(!copy.importFile(write("changed.znc", changed), &error));
    QCOMPARE(error, "This is not a configuration file.");
    QVERIFY(copy.root() == root && !model.isModified());

    QVERIFY(copy.importFile(path, &error));
    QCOMPARE(copy.blob(), sampleDeviceRegistry());
    QCOMPARE(model.registry(), copy.root());
    QVERIFY(model.isModified());
    QVERIFY(copy.changes(nullptr).isEmpty());

    // A smaller registry leaves none of the bigger one's bytes behind it.
    QVERIFY(copy.importFile(write("empty.znc", fileFor(QByteArray())), &error));
    QCOMPARE(copy.blob(), rootBlob());
    const uint8_t *buffer = zn::reg_buffer(copy.root());
    QVERIFY(std::all_of(buffer + 8, buffer + kCapacity, [](uint8_t b) { return b == 0; }));
}

void TestConfigEdit::changes_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QString>("lines");

    const QByteArray network = record(0xFFA70100, kIp + kPort);
    const QByteArray otherIp = record(0x14A70101, hex("0a000001"));
    const QByteArray serial = record(0xFFA702FF, record(0xFFA70200, record(0x11A70200, le32(9600))));
    QTest::newRow("same records, other order") << rootBlob(network + record(0xFFA70000))
                                               << rootBlob(record(0xFFA70000) + record(0xFFA70100, kPort + kIp)) << "";
    QTest::newRow("section with contents") << rootBlob(network) << rootBlob(network + serial)
                                           << "added Serial (Section 0xFFA702FF)\n"
                                              "added Serial / ttyS0 (Section 0xFFA70200)\n"
                                              "added Serial / ttyS0 / Speed (UInt 0x11A70200) = 9600";
    QTest::newRow("removed, changed, then added")
        << rootBlob(record(0x03A70007, "a") + kIp + kPort)
        << rootBlob(record(0x02A70001, hex("01")) + kPort + record(0x03A70007, "b"))
        << "changed System name (String 0x03A70007): a -> b\n"
           "removed IP Address (IPv4 0x14A70101) = 192.168.1.2\n"
           "added Development mode (Bool 0x02A70001) = True";
    // A damaged blob repeating a key: matched by place among the records with the key.
    QTest::newRow("repeated key") << rootBlob(kIp + otherIp) << rootBlob(kIp + record(0x14A70101, hex("0a000003")))
                                  << "changed IP Address (IPv4 0x14A70101): 10.0.0.1 -> 10.0.0.3";
}

void TestConfigEdit::changes()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QString, lines);

    QStringList texts;
    for (const RegistryChange &change : registryChanges(before, after, &m_map))
        texts << registryChangeText(change);
    QCOMPARE(texts.join('\n'), lines);
}

void TestConfigEdit::diffCommand()
{
    const QString ip = write("ip.znc", fileFor(rootBlob(kIp)));
    for (const QString &other : {write("port.znc", fileFor(rootBlob(kPort))), write("refused.znc", "FRMP")}) {
        QProcess process;
        process.start(qEnvironmentVariable("ZNSCAN_CLI"), {"config", "diff", ip, other});
        QVERIFY(process.waitForFinished(10000));
        const bool refused = other.endsWith("refused.znc");
        QCOMPARE(process.exitCode(), refused ? 3 : 1);
        QCOMPARE(process.readAllStandardOutput() + process.readAllStandardError(),
                 refused ? other.toUtf8() + ": This is not a configuration file.\n"
                         : "removed IP Address (IPv4 0x14A70101) = 192.168.1.2\n"
                           "added Syslog Port (UInt 0x11A70107) = 514\n");
    }
}

QTEST_MAIN(TestConfigEdit)
#include "tst_configedit.moc"
