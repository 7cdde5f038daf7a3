// The configuration file container: CRC-32, writing, validation byte by
// byte, the size limit and the import into a registry buffer.
#include "configfile.h"
#include "testbytes.h"

#include <QtTest>

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

} // namespace

class TestConfigFile : public QObject {
    Q_OBJECT

private slots:
    // The complement of the common CRC-32: its check value, also continued
    // over a split. (The table is made by the same loop for every entry.)
    void crc()
    {
        QCOMPARE(configCrc32(bytesOf("123456789"), 9), 0x340BC6D9u);
        QCOMPARE(configCrc32(bytesOf("56789"), 5, configCrc32(bytesOf("1234"), 4)), 0x340BC6D9u);
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

    // Every byte counts. Changed with the CRC left as it was, a file is
    // refused; with the CRC made to match, a change of the container or of
    // the root record's header is refused, one inside the root imported.
    void everyByteCounts()
    {
        const QByteArray file = fileFor(kExampleBlob);
        const int crcAt = int(file.size()) - 4;
        for (int i = 0; i < file.size(); ++i) {
            QByteArray changed = file;
            changed[i] = char(changed[i] ^ 0x01);
            QVERIFY2(import(changed) == "refused", qPrintable(QString::number(i)));
            if (i >= crcAt)
                continue;
            changed.replace(crcAt, 4, le32(configCrc32(bytesOf(changed) + 8, size_t(crcAt - 16))));
            const bool inside = i >= 32 && i < crcAt - 8;
            QVERIFY2(import(changed) == (inside ? changed.mid(24, kExampleBlob.size()) : "refused"),
                     qPrintable(QString::number(i)));
        }
        QCOMPARE(import(fileFor(hex("FFFFFFFF"))), QByteArray("refused")); // shorter than a record header
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
