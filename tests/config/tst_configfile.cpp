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

const uint8_t *bytesOf(const QByteArray &a) { return reinterpret_cast<const uint8_t *>(a.constData()); }

QByteArray fileFor(const QByteArray &blob)
{
    QByteArray file(int(configFileSize(size_t(blob.size()))), '\0');
    const size_t written = configFileWrite(bytesOf(blob), size_t(blob.size()),
                                           reinterpret_cast<uint8_t *>(file.data()), size_t(file.size()));
    return written == size_t(file.size()) ? file : QByteArray();
}

// Stores a CRC that matches the (edited) contents, so only the intended test fails.
void fixCrc(QByteArray &file)
{
    file.replace(file.size() - 4, 4, le32(configCrc32(bytesOf(file) + 8, size_t(file.size() - 20))));
}

ConfigFileStatus unwrap(const QByteArray &file, QByteArray *blob = nullptr)
{
    const uint8_t *start = nullptr;
    size_t length = 0;
    const ConfigFileStatus status = configFileUnwrap(bytesOf(file), size_t(file.size()), kCapacity, &start, &length);
    if (status == ConfigFileStatus::Ok && blob)
        *blob = QByteArray(reinterpret_cast<const char *>(start), int(length));
    return status;
}

const QByteArray kEmptyRoot = hex("FFFFFFFF00000000");
const QByteArray kExampleBlob = hex("FFFFFFFF 11000000 0000A7FF 09000000 0100A702 01000000 01");

using FileEdit = std::function<void(QByteArray &)>;

} // namespace

Q_DECLARE_METATYPE(FileEdit)

class TestConfigFile : public QObject {
    Q_OBJECT

private slots:
    void crc();
    void write_data();
    void write();
    void validation_data();
    void validation();
    void everyByteCounts();
    void import_data();
    void import();
};

void TestConfigFile::crc()
{
    const QByteArray text("123456789");
    QCOMPARE(configCrc32(bytesOf(text), 9), 0x340BC6D9u);
    QCOMPARE(configCrc32(nullptr, 0), 0xFFFFFFFFu);
    // Against the bitwise definition, continued over a split.
    QRandomGenerator random(3);
    for (int i = 0; i < 200; ++i) {
        QByteArray data(random.bounded(300), '\0');
        for (char &c : data)
            c = char(random.bounded(256));
        uint32_t expected = 0xFFFFFFFF;
        for (char c : data) {
            expected ^= uint8_t(c);
            for (int bit = 0; bit < 8; ++bit)
                expected = expected & 1 ? (expected >> 1) ^ 0xEDB88320 : expected >> 1;
        }
        const size_t split = size_t(random.bounded(int(data.size()) + 1));
        QCOMPARE(configCrc32(bytesOf(data) + split, size_t(data.size()) - split, configCrc32(bytesOf(data), split)),
                 expected);
    }
}

void TestConfigFile::write_data()
{
    QTest::addColumn<QByteArray>("blob");
    QTest::addColumn<QByteArray>("file");

    QTest::newRow("empty root") << kEmptyRoot
                                << hex("46524d50 24000000 5a4e4350 1c000000 52454750 08000000"
                                       "ffffffff 00000000 43524350 04000000 073b6f9e");
    QTest::newRow("25-byte example") << kExampleBlob
                                     << hex("46524d50 35000000 5a4e4350 2d000000 52454750 19000000"
                                            "ffffffff 11000000 0000a7ff 09000000 0100a702 01000000 01"
                                            "43524350 04000000 e6477ed3");
    QTest::newRow("no blob") << QByteArray()
                             << hex("46524d50 1c000000 5a4e4350 14000000 52454750 00000000 43524350 04000000 48cd1418");
}

void TestConfigFile::write()
{
    QFETCH(QByteArray, blob);
    QFETCH(QByteArray, file);

    QCOMPARE(fileFor(blob), file);
    QByteArray unwrapped;
    QCOMPARE(unwrap(file, &unwrapped), ConfigFileStatus::Ok);
    QCOMPARE(unwrapped, blob);
    // One byte short of room: nothing is written.
    QByteArray out(file.size() - 1, 'o');
    QCOMPARE(configFileWrite(bytesOf(blob), size_t(blob.size()), reinterpret_cast<uint8_t *>(out.data()),
                             size_t(out.size())),
             size_t(0));
    QCOMPARE(out, QByteArray(file.size() - 1, 'o'));
}

void TestConfigFile::validation_data()
{
    QTest::addColumn<QByteArray>("blob");
    QTest::addColumn<FileEdit>("edit");
    QTest::addColumn<bool>("valid");

    const auto row = [](const char *name, const QByteArray &blob, bool valid, FileEdit edit) {
        QTest::newRow(name) << blob << edit << valid;
    };
    const FileEdit none = [](QByteArray &) {};
    // Single changed bytes are tried below; here the CRC is made to match, so only the named test can fail.
    row("valid example", kExampleBlob, true, none);
    row("valid empty root", kEmptyRoot, true, none);
    row("valid without blob", QByteArray(), true, none);
    row("3: form type", kExampleBlob, false, [](QByteArray &f) { f[8] = 'z'; fixCrc(f); });
    row("3: form length", kExampleBlob, false, [](QByteArray &f) { f.replace(12, 4, le32(f.size() - 15)); fixCrc(f); });
    row("4: registry tag", kExampleBlob, false, [](QByteArray &f) { f[19] = 'Q'; fixCrc(f); });
    row("4: registry length", kExampleBlob, false, [](QByteArray &f) { f.replace(20, 4, le32(24)); fixCrc(f); });
    row("7: root key", kExampleBlob, false, [](QByteArray &f) { f[24] = char(0xFE); fixCrc(f); });
    row("7: root length", kExampleBlob, false, [](QByteArray &f) { f.replace(28, 4, le32(16)); fixCrc(f); });
    row("7: blob shorter than a header", hex("FFFFFFFF"), false, none);
}

void TestConfigFile::validation()
{
    QFETCH(QByteArray, blob);
    QFETCH(FileEdit, edit);
    QFETCH(bool, valid);

    QByteArray file = fileFor(blob);
    QVERIFY(!file.isEmpty());
    edit(file);
    QCOMPARE(unwrap(file), valid ? ConfigFileStatus::Ok : ConfigFileStatus::NotConfigFile);
}

void TestConfigFile::everyByteCounts()
{
    const QByteArray file = fileFor(kExampleBlob);
    for (int i = 0; i < file.size(); ++i) {
        QByteArray changed = file;
        changed[i] = char(changed[i] ^ 0x10);
        QVERIFY2(unwrap(changed) == ConfigFileStatus::NotConfigFile, qPrintable(QString::number(i)));
    }
    // Files shorter than the empty container never pass, whatever their contents.
    for (int size = 0; size < 36; ++size)
        QCOMPARE(unwrap(fileFor(QByteArray()).left(size)), ConfigFileStatus::NotConfigFile);
    // 4132 bytes fill a 4096-byte registry; one more is too big, before anything is read.
    for (int blobSize : {4096, 4097}) {
        const QByteArray big = fileFor(le32(0xFFFFFFFF) + le32(uint32_t(blobSize - 8)) + QByteArray(blobSize - 8, 'r'));
        const ConfigFileStatus status = blobSize == 4096 ? ConfigFileStatus::Ok : ConfigFileStatus::TooBig;
        QCOMPARE(configFileCheckSize(uint64_t(big.size()), kCapacity), status);
        QCOMPARE(unwrap(big), status);
    }
}

void TestConfigFile::import_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("registry"); // empty: refused

    QByteArray badCrc = fileFor(kEmptyRoot);
    badCrc[30] = 1;
    QTest::newRow("example") << fileFor(kExampleBlob) << kExampleBlob;
    QTest::newRow("empty root") << fileFor(kEmptyRoot) << kEmptyRoot;
    QTest::newRow("36-byte file is an empty registry") << fileFor(QByteArray()) << kEmptyRoot;
    QTest::newRow("refused") << badCrc << QByteArray();
}

void TestConfigFile::import()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, registry);

    // The buffer still holds an earlier registry, which must not survive an import.
    const QByteArray earlier = kExampleBlob + QByteArray(int(kCapacity) - kExampleBlob.size(), 'b');
    QByteArray buffer = earlier;
    size_t used = 77;
    uint8_t *registryBuffer = reinterpret_cast<uint8_t *>(buffer.data());
    const ConfigFileStatus status = configFileImport(bytesOf(file), size_t(file.size()), registryBuffer, kCapacity, &used);
    if (registry.isEmpty()) {
        QCOMPARE(status, ConfigFileStatus::NotConfigFile);
        QCOMPARE(buffer, earlier);
        QCOMPARE(used, size_t(77));
        return;
    }
    QCOMPARE(status, ConfigFileStatus::Ok);
    QCOMPARE(buffer.left(int(used)), registry);
    QCOMPARE(fileFor(buffer.left(int(used))), fileFor(registry)); // an export comes back byte for byte
}

QTEST_GUILESS_MAIN(TestConfigFile)
#include "tst_configfile.moc"
