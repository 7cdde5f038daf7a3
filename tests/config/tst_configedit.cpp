// The registry a configuration dialog edits, without the dialog: what model
// and store are after an import from a real file, and what an upload changes
// as "znscan-cli config diff" prints it (the program comes from $ZNSCAN_CLI).
#include "configfileio.h"
#include "programrun.h"
#include "registryblob.h"
#include "registrymodel.h"
#include "registryworkingcopy.h"
#include "store.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr size_t kCapacity = 4096;
const QByteArray kIp = record(0x14A70101, hex("c0a80102"));
const QByteArray kPort = record(0x11A70107, le32(514));

// "znscan-cli config diff" on two files: its exit status, and what it printed
// on standard output and error.
std::pair<int, QString> diff(const QString &before, const QString &after)
{
    const ProgramRun run = runProgram(qEnvironmentVariable("ZNSCAN_CLI"), {"config", "diff", before, after});
    return {run.exitCode, run.out + run.err};
}

} // namespace

class TestConfigEdit : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A file of these bytes in the test's folder.
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
    }
    // The configuration file of a registry blob, as the export writes it.
    QString save(const QString &name, const QByteArray &blob)
    {
        QString error;
        return writeConfigFile(m_dir.filePath(name), blob, &error) ? m_dir.filePath(name) : QString();
    }

private Q_SLOTS:
    // An import replaces the registry whole, leaving none of a bigger one's bytes
    // behind, and is an unsaved change even when it brings the same values; the
    // model shows the new store. A refused import changes nothing. (Export, and
    // an import after it, go through the dialog in tst_devicesettings.)
    void import()
    {
        RegistryModel model;
        RegistryWorkingCopy copy(kCapacity);
        copy.setModel(&model);
        copy.load(sampleDeviceRegistry());
        QString error;
        zn::RegistryHandle *root = copy.root();
        QVERIFY(!copy.importFile(write("refused.znc", "FRMP"), &error));
        QCOMPARE(error, "This is not a configuration file.");
        QVERIFY(copy.root() == root && !model.isModified());

        QVERIFY(copy.importFile(save("same.znc", sampleDeviceRegistry()), &error));
        QCOMPARE(copy.blob(), sampleDeviceRegistry());
        QCOMPARE(model.registry(), copy.root());
        QVERIFY(model.isModified() && copy.changes(nullptr).isEmpty());

        QVERIFY(copy.importFile(save("empty.znc", QByteArray()), &error));
        QCOMPARE(copy.blob(), rootBlob());
        const uint8_t *buffer = zn::reg_buffer(copy.root());
        QVERIFY(std::all_of(buffer + 8, buffer + kCapacity, [](uint8_t b) { return b == 0; }));
    }

    void changes_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("lines");

        const QByteArray network = record(0xFFA70100, kIp + kPort);
        const QByteArray otherIp = record(0x14A70101, hex("0a000001"));
        const QByteArray serial = record(0xFFA702FF, record(0xFFA70200, record(0x11A70200, le32(9600))));
        QTest::newRow("same records, other order")
            << rootBlob(network + record(0xFFA70000)) << rootBlob(record(0xFFA70000) + record(0xFFA70100, kPort + kIp))
            << "";
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

    // What an upload changes, as the dialog lists it and "znscan-cli config diff"
    // prints it, with status 1 when anything changes.
    void changes()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(QString, lines);

        QCOMPARE(diff(save("before.znc", before), save("after.znc", after)),
                 std::pair(lines.isEmpty() ? 0 : 1, lines.isEmpty() ? QString() : lines + '\n'));
    }

    void diffRefusesAFile()
    {
        const QString refused = write("refused.znc", "FRMP");
        QCOMPARE(diff(save("ip.znc", rootBlob(kIp)), refused),
                 std::pair(3, refused + ": This is not a configuration file.\n"));
    }
};

QTEST_MAIN(TestConfigEdit)
#include "tst_configedit.moc"
