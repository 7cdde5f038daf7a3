// The configuration file container: CRC-32, writing, the seven validation
// tests, the size limit and the import into a registry buffer.
#include "configfile.h"
#include "testbytes.h"

#include <QRandomGenerator>
#include <QtTest>

#include <functional>

using namespace zn;

namespace {

constexpr size_t kCapacity = 4096;
const QByteArray kEmptyRoot = hex("FFFFFFFF00000000");
const QByteArray kExampleBlob = hex("FFFFFFFF 11000000 0000A7FF 09000000 0100A702 01000000 01");

const uint8_t *bytesOf(const QByteArray &a) { return reinterpret_cast<const uint8_t *>(a.constData()); }

QByteArray fileFor(const QByteArray &blob)
{
    QByteArray file(int(configFileSize(size_t(blob.size()))), '\0');
    const size_t written = configFileWrite(bytesOf(blob), size_t(blob.size()),
                                           reinterpret_cast<uint8_t *>(file.data()), size_t(file.size()));
    return written == size_t(file.size()) ? file : QByteArray();
}

// The registry a file imports into a buffer that still holds an earlier one,
// or why it is refused; a refusal must leave buffer and used size alone.
QByteArray import(const QByteArray &file)
{
    const QByteArray earlier = kExampleBlob.leftJustified(int(kCapacity), 'b');
    QByteArray buffer = earlier;
    size_t used = 77;
    const ConfigFileStatus status = configFileImport(bytesOf(file), size_t(file.size()),
                                                     reinterpret_cast<uint8_t *>(buffer.data()), kCapacity, &used);
    if (status == ConfigFileStatus::Ok)
        return buffer.left(int(used));
    const QByteArray why = status == ConfigFileStatus::TooBig ? "too big" : "refused";
    return buffer == earlier && used == 77 ? why : why + ", buffer changed";
}

using FileEdit = std::function<void(QByteArray &)>;

} // namespace

Q_DECLARE_METATYPE(FileEdit)

class TestConfigFile : public QObject {
    Q_OBJECT

private slots:
    void crc()
    {
        QCOMPARE(configCrc32(bytesOf("123456789"), 9), 0x340BC6D9u);
        // Against the bitwise definition, continued over a split.
        QRandomGenerator random(3);
        for (int i = 0; i < 200; ++i) {
            QByteArray data(random.bounded(300), '\0');
            uint32_t expected = 0xFFFFFFFF;
            for (char &c : data) {
                c = char(random.bounded(256));
                expected ^= uint8_t(c);
                for (int bit = 0; bit < 8; ++bit)
                    expected = expected & 1 ? (expected >> 1) ^ 0xEDB88320 : expected >> 1;
            }
            const size_t split = size_t(random.bounded(int(data.size()) + 1));
            QCOMPARE(configCrc32(bytesOf(data) + split, size_t(data.size()) - split, configCrc32(bytesOf(data), split)),
                     expected);
        }
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("blob");
        QTest::addColumn<QByteArray>("file");

        QTest::newRow("empty root") << kEmptyRoot
                                    << hex("46524d50 24000000 5a4e4350 1c000000 52454750 08000000"
                                           "ffffffff 00000000 43524350 04000000 073b6f9e");
        QTest::newRow("no blob") << QByteArray()
                                 << hex("46524d50 1c000000 5a4e4350 14000000 52454750 00000000"
                                        "43524350 04000000 48cd1418");
    }

    void write()
    {
        QFETCH(QByteArray, blob);
        QFETCH(QByteArray, file);

        QCOMPARE(fileFor(blob), file);
        QCOMPARE(import(file), blob.isEmpty() ? kEmptyRoot : blob); // 36 bytes are an empty registry
        // One byte short of room: nothing is written.
        QByteArray out(file.size() - 1, 'o');
        QCOMPARE(configFileWrite(bytesOf(blob), size_t(blob.size()), reinterpret_cast<uint8_t *>(out.data()),
                                 size_t(out.size())),
                 size_t(0));
        QCOMPARE(out, QByteArray(file.size() - 1, 'o'));
    }

    void validation_data()
    {
        QTest::addColumn<FileEdit>("edit"); // of the example's file, its CRC made to match afterwards
        QTest::addColumn<QByteArray>("registry");

        const auto refused = [](const char *name, FileEdit edit) {
            QTest::newRow(name) << edit << QByteArray("refused");
        };
        QTest::newRow("example") << FileEdit([](QByteArray &) {}) << kExampleBlob;
        refused("3: form type", [](QByteArray &f) { f[8] = 'z'; });
        refused("3: form length", [](QByteArray &f) { f.replace(12, 4, le32(f.size() - 15)); });
        refused("4: registry tag", [](QByteArray &f) { f[19] = 'Q'; });
        refused("4: registry length", [](QByteArray &f) { f.replace(20, 4, le32(24)); });
        refused("7: root key", [](QByteArray &f) { f[24] = char(0xFE); });
        refused("7: root length", [](QByteArray &f) { f.replace(28, 4, le32(16)); });
        refused("7: blob shorter than a header", [](QByteArray &f) { f = fileFor(hex("FFFFFFFF")); });
    }

    void validation()
    {
        QFETCH(FileEdit, edit);
        QFETCH(QByteArray, registry);

        QByteArray file = fileFor(kExampleBlob);
        edit(file);
        file.replace(file.size() - 4, 4, le32(configCrc32(bytesOf(file) + 8, size_t(file.size() - 20))));
        QCOMPARE(import(file), registry);
    }

    void everyByteCounts()
    {
        const QByteArray file = fileFor(kExampleBlob);
        for (int i = 0; i < file.size(); ++i) {
            QByteArray changed = file;
            changed[i] = char(changed[i] ^ 0x10);
            QVERIFY2(import(changed) == "refused", qPrintable(QString::number(i)));
        }
        // Files shorter than the empty container never pass, whatever their contents.
        for (int size = 0; size < 36; ++size)
            QCOMPARE(import(fileFor(QByteArray()).left(size)), QByteArray("refused"));
        // 4132 bytes fill a 4096-byte registry; one more is too big, before anything is read.
        const auto blob = [](int size) { return le32(0xFFFFFFFF) + le32(size - 8) + QByteArray(size - 8, 'r'); };
        QCOMPARE(configFileCheckSize(4132, kCapacity), ConfigFileStatus::Ok);
        QCOMPARE(configFileCheckSize(4133, kCapacity), ConfigFileStatus::TooBig);
        QCOMPARE(import(fileFor(blob(4096))), blob(4096));
        QCOMPARE(import(fileFor(blob(4097))), QByteArray("too big"));
    }
};

QTEST_GUILESS_MAIN(TestConfigFile)
#include "tst_configfile.moc"
