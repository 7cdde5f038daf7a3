#include "byteorder.h"

#include <QTest>

class TestByteOrder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsMostSignificantByteFirst()
    {
        const unsigned char bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
        const unsigned char high[] = {0xFF, 0xFE, 0xFD, 0xFC, 0xFB, 0xFA, 0xF9, 0xF8};
        QCOMPARE(readBE32(bytes), 0x01020304u);
        QCOMPARE(readBE64(high), 0xFFFEFDFCFBFAF9F8ull);
        QCOMPARE(readBE16(high), 65534);
        QCOMPARE(readLE32(high), 0xFCFDFEFFu);
    }

    // Writers and readers of the same end undo each other at every width and
    // touch no byte beyond it.
    void writersRoundTripWithinTheirWidth()
    {
        const uint64_t value = 0x8877665544332211ull;
        for (size_t size = 1; size <= 8; ++size) {
            const uint64_t low = size == 8 ? value : value & ((1ull << (8 * size)) - 1);
            uint8_t be[9], le[9];
            std::fill(be, be + 9, 0xAA);
            std::fill(le, le + 9, 0xAA);
            writeBE(be, value, size);
            writeLE(le, value, size);
            QCOMPARE(readBE(be, size), low);
            QCOMPARE(readLE(le, size), low);
            QVERIFY(be[size] == 0xAA && le[size] == 0xAA && be[size - 1] == 0x11 && le[0] == 0x11);
        }
    }
};

QTEST_APPLESS_MAIN(TestByteOrder)
#include "tst_byteorder.moc"
