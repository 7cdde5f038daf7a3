// The configuration file container: CRC-32, writing, the seven validation
// tests, the size limit and the import into a registry buffer.
#include "configfile.h"

#include <QtTest>

#include <functional>

using namespace zn;

namespace {

constexpr size_t kCapacity = 4096;

QByteArray le32(uint32_t value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char(value >> (8 * i));
    return bytes;
}

void putLe32(QByteArray &bytes, int offset, uint32_t value) { bytes.replace(offset, 4, le32(value)); }

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
    const int size = int(file.size());
    putLe32(file, size - 4, configCrc32(bytesOf(file) + 8, size_t(size - 20)));
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

const QByteArray kEmptyRoot = QByteArray::fromHex("FFFFFFFF00000000");
const QByteArray kExampleBlob = QByteArray::fromHex("FFFFFFFF 11000000 0000A7FF 09000000 0100A702 01000000 01");

using FileEdit = std::function<void(QByteArray &)>;

} // namespace

Q_DECLARE_METATYPE(FileEdit)
Q_DECLARE_METATYPE(ConfigFileStatus)

class TestConfigFile : public QObject {
    Q_OBJECT

private slots:
    void crcCheckValue();
    void write_data();
    void write();
    void writeRefusesSmallOutput();
    void validation_data();
    void validation();
    void everyByteCounts();
    void sizeLimit_data();
    void sizeLimit();
    void importCopiesTheBlob_data();
    void importCopiesTheBlob();
    void failedImportLeavesRegistry();
};

void TestConfigFile::crcCheckValue()
{
    const QByteArray text("123456789");
    QCOMPARE(configCrc32(bytesOf(text), 9), 0x340BC6D9u);
    // Continuing over a split gives the same value.
    QCOMPARE(configCrc32(bytesOf(text) + 4, 5, configCrc32(bytesOf(text), 4)), 0x340BC6D9u);
    QCOMPARE(configCrc32(nullptr, 0), 0xFFFFFFFFu);
}

void TestConfigFile::write_data()
{
    QTest::addColumn<QByteArray>("blob");
    QTest::addColumn<QByteArray>("file");

    QTest::newRow("empty root") << kEmptyRoot
                                << QByteArray::fromHex("46524d50 24000000 5a4e4350 1c000000 52454750 08000000"
                                                       "ffffffff 00000000 43524350 04000000 073b6f9e");
    QTest::newRow("25-byte example")
        << kExampleBlob
        << QByteArray::fromHex("46524d50 35000000 5a4e4350 2d000000 52454750 19000000"
                               "ffffffff 11000000 0000a7ff 09000000 0100a702 01000000 01"
                               "43524350 04000000 e6477ed3");
    QTest::newRow("no blob") << QByteArray()
                             << QByteArray::fromHex("46524d50 1c000000 5a4e4350 14000000 52454750 00000000"
                                                    "43524350 04000000 48cd1418");
}

void TestConfigFile::write()
{
    QFETCH(QByteArray, blob);
    QFETCH(QByteArray, file);

    QCOMPARE(fileFor(blob), file);
    QByteArray unwrapped;
    QCOMPARE(unwrap(file, &unwrapped), ConfigFileStatus::Ok);
    QCOMPARE(unwrapped, blob);
}

void TestConfigFile::writeRefusesSmallOutput()
{
    QByteArray out(60, 'o');
    QCOMPARE(configFileWrite(bytesOf(kExampleBlob), size_t(kExampleBlob.size()),
                             reinterpret_cast<uint8_t *>(out.data()), size_t(out.size())),
             size_t(0));
    QCOMPARE(out, QByteArray(60, 'o'));
}

void TestConfigFile::validation_data()
{
    QTest::addColumn<QByteArray>("blob");
    QTest::addColumn<FileEdit>("edit");
    QTest::addColumn<bool>("valid");

    const FileEdit none = [](QByteArray &) {};
    QTest::newRow("valid example") << kExampleBlob << none << true;
    QTest::newRow("valid empty root") << kEmptyRoot << none << true;
    QTest::newRow("valid without blob") << QByteArray() << none << true;
    QTest::newRow("1: 23 bytes") << QByteArray() << FileEdit([](QByteArray &f) { f.truncate(23); }) << false;
    QTest::newRow("1: empty file") << QByteArray() << FileEdit([](QByteArray &f) { f.clear(); }) << false;
    QTest::newRow("2: outer tag") << kExampleBlob << FileEdit([](QByteArray &f) { f[3] = 'Q'; }) << false;
    QTest::newRow("2: outer length") << kExampleBlob << FileEdit([](QByteArray &f) { f[4] = char(f[4] + 1); })
                                     << false;
    QTest::newRow("3: form type") << kExampleBlob << FileEdit([](QByteArray &f) {
        f[8] = 'z';
        fixCrc(f);
    }) << false;
    QTest::newRow("3: form length") << kExampleBlob << FileEdit([](QByteArray &f) {
        putLe32(f, 12, uint32_t(f.size() - 15));
        fixCrc(f);
    }) << false;
    QTest::newRow("4: registry tag") << kExampleBlob << FileEdit([](QByteArray &f) {
        f[19] = 'Q';
        fixCrc(f);
    }) << false;
    QTest::newRow("4: registry length") << kExampleBlob << FileEdit([](QByteArray &f) {
        putLe32(f, 20, 24);
        fixCrc(f);
    }) << false;
    QTest::newRow("5: checksum tag") << kExampleBlob << FileEdit([](QByteArray &f) { f[f.size() - 12] = 'X'; })
                                     << false;
    QTest::newRow("5: checksum length") << kExampleBlob << FileEdit([](QByteArray &f) {
        putLe32(f, int(f.size()) - 8, 5);
    }) << false;
    QTest::newRow("6: checksum") << kExampleBlob << FileEdit([](QByteArray &f) { f[f.size() - 1] ^= 1; }) << false;
    QTest::newRow("6: covered byte") << kExampleBlob << FileEdit([](QByteArray &f) { f[40] ^= 0x80; }) << false;
    QTest::newRow("7: root key") << kExampleBlob << FileEdit([](QByteArray &f) {
        f[24] = char(0xFE);
        fixCrc(f);
    }) << false;
    QTest::newRow("7: root length") << kExampleBlob << FileEdit([](QByteArray &f) {
        putLe32(f, 28, 16);
        fixCrc(f);
    }) << false;
    QTest::newRow("7: blob shorter than a header") << QByteArray::fromHex("FFFFFFFF") << none << false;
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
}

void TestConfigFile::sizeLimit_data()
{
    QTest::addColumn<int>("blobSize");
    QTest::addColumn<ConfigFileStatus>("status");

    QTest::newRow("full registry: 4132 bytes") << 4096 << ConfigFileStatus::Ok;
    QTest::newRow("4133 bytes") << 4097 << ConfigFileStatus::TooBig;
}

void TestConfigFile::sizeLimit()
{
    QFETCH(int, blobSize);
    QFETCH(ConfigFileStatus, status);

    const QByteArray blob = le32(0xFFFFFFFF) + le32(uint32_t(blobSize - 8)) + QByteArray(blobSize - 8, 'r');
    const QByteArray file = fileFor(blob);
    QCOMPARE(configFileCheckSize(uint64_t(file.size()), kCapacity), status);
    QCOMPARE(unwrap(file), status);
}

void TestConfigFile::importCopiesTheBlob_data()
{
    QTest::addColumn<QByteArray>("blob");
    QTest::addColumn<QByteArray>("registry");

    QTest::newRow("example") << kExampleBlob << kExampleBlob;
    QTest::newRow("empty root") << kEmptyRoot << kEmptyRoot;
    QTest::newRow("36-byte file is an empty registry") << QByteArray() << kEmptyRoot;
}

void TestConfigFile::importCopiesTheBlob()
{
    QFETCH(QByteArray, blob);
    QFETCH(QByteArray, registry);

    // The buffer still holds an earlier registry, which must not survive.
    QByteArray buffer = kExampleBlob + QByteArray(int(kCapacity) - kExampleBlob.size(), 'b');
    size_t used = 0;
    QCOMPARE(configFileImport(bytesOf(fileFor(blob)), size_t(fileFor(blob).size()),
                              reinterpret_cast<uint8_t *>(buffer.data()), kCapacity, &used),
             ConfigFileStatus::Ok);
    QCOMPARE(buffer.left(int(used)), registry);
    // An exported registry comes back byte for byte.
    QCOMPARE(fileFor(buffer.left(int(used))), fileFor(registry));
}

void TestConfigFile::failedImportLeavesRegistry()
{
    QByteArray file = fileFor(kEmptyRoot);
    file[30] = 1;
    QByteArray buffer(int(kCapacity), 'b');
    size_t used = 77;
    QCOMPARE(configFileImport(bytesOf(file), size_t(file.size()), reinterpret_cast<uint8_t *>(buffer.data()),
                              kCapacity, &used),
             ConfigFileStatus::NotConfigFile);
    QCOMPARE(buffer, QByteArray(int(kCapacity), 'b'));
    QCOMPARE(used, size_t(77));
}

QTEST_GUILESS_MAIN(TestConfigFile)
#include "tst_configfile.moc"
