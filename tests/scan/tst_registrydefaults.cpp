// The default entries a download adds: only the missing ones, each appended
// to its section (sections appended to the root when missing), numbers in
// the blob's byte order, and nothing twice.
#include "registryblob.h"
#include "registrydefaults.h"

#include <QTest>

class TestRegistryDefaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void missingEntriesAreAppendedOnce()
    {
        const auto port = [](uint32_t n, const QByteArray &speed) {
            return record(0xFFA70200 + n, record(0x11A70200, speed));
        };
        const QByteArray general = record(0x02A70001, hex("01")) + record(0x03A70007, "Lobby");
        const QByteArray device = rootBlob(record(0xFFA70000, general) + record(0xFFA702FF, port(3, le32(9600))));
        const QByteArray zero4 = le32(0);
        const QByteArray expected = rootBlob(
            record(0xFFA70000, general + record(0x02A70002, hex("01")) + record(0x03A70003) + record(0x19A70005))
            + record(0xFFA702FF, port(3, le32(9600)) + port(0, zero4) + port(1, zero4) + port(2, zero4)
                                     + port(4, zero4) + port(5, zero4))
            + record(0xFFA70100, record(0x10A70100, le32(1)) + record(0x14A70101, zero4) + record(0x14A70102, zero4)
                                     + record(0x14A70103, zero4) + record(0x14A70104, zero4) + record(0x03A70105)
                                     + record(0x14A70108, zero4) + record(0x11A70109, zero4) + record(0x03A7010A)));

        QByteArray area = device.leftJustified(4096, char(0xEE));
        auto *buffer = reinterpret_cast<uint8_t *>(area.data());
        for (int pass = 1; pass <= 2; ++pass) {
            QCOMPARE(zn::completeRegistryDefaults(buffer, 4096), size_t(expected.size()));
            QCOMPARE(area.left(expected.size()), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestRegistryDefaults)
#include "tst_registrydefaults.moc"
