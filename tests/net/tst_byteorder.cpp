#include "byteorder.h"

#include <QTest>

class TestByteOrder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsMostSignificantByteFirst()
    {
        const unsigned char bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
        QCOMPARE(readBE32(bytes), 0x01020304u);
        QCOMPARE(readBE64(bytes), 0x0102030405060708ull);
        QCOMPARE(readBE16(bytes), 0x0102);
        const unsigned char high[] = {0xFF, 0xFE, 0xFD, 0xFC, 0xFB, 0xFA, 0xF9, 0xF8};
        QCOMPARE(readBE16(high), 65534);
        QCOMPARE(readBE32(high), 0xFFFEFDFCu);
        QCOMPARE(readBE64(high), 0xFFFEFDFCFBFAF9F8ull);
    }
};

QTEST_APPLESS_MAIN(TestByteOrder)
#include "tst_byteorder.moc"
