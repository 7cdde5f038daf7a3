// The registry buffer goes to the device whole on upload: it must start
// clean, never share storage between copies and never overflow.
#include "scanclientregistry.h"

#include <QTest>

#include <algorithm>

namespace {

bool allBytesAre(const ScanClientRegistry &registry, uchar value, quint32 from = 0)
{
    const uchar *begin = registry.data();
    return std::all_of(begin + from, begin + ScanClientRegistry::Capacity, [value](uchar b) { return b == value; });
}

} // namespace

class TestScanClientRegistry : public QObject
{
    Q_OBJECT

private slots:
    void startsEmptyAndZeroFilled();
    void copiesAreDeep();
    void assignClampsToCapacity();
    void assignKeepsBytesBeyond();
    void setSize_data();
    void setSize();
    void travelsInVariant();
};

void TestScanClientRegistry::startsEmptyAndZeroFilled()
{
    const ScanClientRegistry registry;
    QCOMPARE(registry.size(), quint32(0));
    QVERIFY(allBytesAre(registry, 0));
}

void TestScanClientRegistry::copiesAreDeep()
{
    ScanClientRegistry original;
    original.assign(QByteArray(100, 'a'));
    original.data()[4095] = 'z';

    ScanClientRegistry copied(original);
    ScanClientRegistry assigned;
    assigned = original;
    QVERIFY(copied.data() != original.data());
    QVERIFY(assigned.data() != original.data());

    original.data()[0] = 'b';
    original.setSize(5);
    for (const ScanClientRegistry *copy : {&copied, &assigned}) {
        QCOMPARE(copy->size(), quint32(100));
        QCOMPARE(copy->data()[0], uchar('a'));
        QCOMPARE(copy->data()[4095], uchar('z')); // beyond the used size too
    }

    ScanClientRegistry &alias = assigned;
    assigned = alias; // self-assignment keeps the contents
    QCOMPARE(assigned.data()[0], uchar('a'));
}

void TestScanClientRegistry::assignClampsToCapacity()
{
    QByteArray bytes(5000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i % 251);

    ScanClientRegistry registry;
    registry.assign(bytes);
    QCOMPARE(registry.size(), ScanClientRegistry::Capacity);
    QVERIFY(std::equal(registry.data(), registry.data() + ScanClientRegistry::Capacity,
                       reinterpret_cast<const uchar *>(bytes.constData())));
}

void TestScanClientRegistry::assignKeepsBytesBeyond()
{
    ScanClientRegistry registry;
    registry.assign(QByteArray(ScanClientRegistry::Capacity, '\xAA'));
    registry.assign(QByteArrayLiteral("abc"));
    QCOMPARE(registry.size(), quint32(3));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(registry.data()), 3), QByteArrayLiteral("abc"));
    QVERIFY(allBytesAre(registry, 0xAA, 3));

    registry.assign(QByteArray());
    QCOMPARE(registry.size(), quint32(0));
    QCOMPARE(registry.data()[0], uchar('a'));
}

void TestScanClientRegistry::setSize_data()
{
    QTest::addColumn<quint32>("requested");
    QTest::addColumn<quint32>("size");

    QTest::newRow("zero") << quint32(0) << quint32(0);
    QTest::newRow("within") << quint32(100) << quint32(100);
    QTest::newRow("capacity") << quint32(4096) << quint32(4096);
    QTest::newRow("one more") << quint32(4097) << quint32(4096);
    QTest::newRow("largest") << quint32(0xFFFFFFFF) << quint32(4096);
}

void TestScanClientRegistry::setSize()
{
    QFETCH(quint32, requested);
    QFETCH(quint32, size);

    ScanClientRegistry registry;
    registry.assign(QByteArray(10, 'x'));
    registry.setSize(requested);
    QCOMPARE(registry.size(), size);
    QCOMPARE(registry.data()[9], uchar('x'));
    QCOMPARE(registry.data()[10], uchar(0));
}

void TestScanClientRegistry::travelsInVariant()
{
    ScanClientRegistry::registerMetaType();
    QVERIFY(QMetaType::fromName("ScanClientRegistry").isValid());

    ScanClientRegistry registry;
    registry.assign(QByteArrayLiteral("blob"));
    const QVariant variant = QVariant::fromValue(registry);
    registry.data()[0] = 'X';
    const ScanClientRegistry back = variant.value<ScanClientRegistry>();
    QCOMPARE(back.size(), quint32(4));
    QCOMPARE(back.data()[0], uchar('b'));
}

QTEST_GUILESS_MAIN(TestScanClientRegistry)
#include "tst_scanclientregistry.moc"
