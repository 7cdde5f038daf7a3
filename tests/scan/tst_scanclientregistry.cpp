// The registry buffer goes to the device whole on upload: it must start
// clean, never share storage between copies and never overflow.
#include "scanclientregistry.h"

#include <QTest>

class TestScanClientRegistry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanDeepAndBounded()
    {
        ScanClientRegistry original;
        const QByteArray zeros(ScanClientRegistry::Capacity, '\0');
        QCOMPARE(QByteArray::fromRawData(reinterpret_cast<const char *>(original.data()), zeros.size()), zeros);
        original.assign(QByteArray(5000, '\xAA'));
        QCOMPARE(original.size(), ScanClientRegistry::Capacity);
        original.assign("abc");
        ScanClientRegistry copied(original);
        ScanClientRegistry assigned;
        assigned = original;
        original.data()[4095] = 'z';
        original.setSize(0xFFFFFFFF);
        QCOMPARE(original.size(), ScanClientRegistry::Capacity);
        for (const ScanClientRegistry *copy : {&copied, &assigned}) {
            QCOMPARE(copy->size(), 3u);
            const QByteArray bytes(reinterpret_cast<const char *>(copy->data()), ScanClientRegistry::Capacity);
            QCOMPARE(bytes, "abc" + QByteArray(ScanClientRegistry::Capacity - 3, '\xAA')); // beyond the size too
        }
        const ScanClientRegistry unwritten;
        assigned = unwritten; // no old bytes may survive an assignment from a registry never written
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(std::as_const(assigned).data()), zeros.size()), zeros);
    }
};

QTEST_GUILESS_MAIN(TestScanClientRegistry)
#include "tst_scanclientregistry.moc"
