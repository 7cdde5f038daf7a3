// The device container: row order, ownership, and the MAC lookup that every
// discovery answer goes through.
#include "scanclientitem.h"
#include "scanstate.h"

#include <QPointer>
#include <QTest>

#include <memory>

namespace {

ScanClientItem *device(quint64 mac, const QString &name = QString())
{
    auto *item = new ScanClientItem;
    item->info.mac = Mac(mac);
    item->setObjectName(name);
    return item;
}

QStringList names(const ScanState &state)
{
    QStringList list;
    for (int i = 0; i < state.count(); ++i)
        list << state.at(i)->objectName();
    return list;
}

QStringList names(const QList<ScanClientItem *> &items)
{
    QStringList list;
    for (const ScanClientItem *item : items)
        list << item->objectName();
    return list;
}

} // namespace

class TestScanState : public QObject
{
    Q_OBJECT

private slots:
    void insertPositions_data();
    void insertPositions();
    void insertTakesOwnershipOnce();
    void takeAtReleases();
    void destructionDeletesItems();
    void findByMacInRowOrder();
    void findByMacFollowsChanges();
};

void TestScanState::insertPositions_data()
{
    QTest::addColumn<int>("pos");
    QTest::addColumn<QStringList>("order");

    // Three rows a, b, c exist; x goes in at pos.
    QTest::newRow("append") << -1 << QStringList{"a", "b", "c", "x"};
    QTest::newRow("front") << 0 << QStringList{"x", "a", "b", "c"};
    QTest::newRow("middle") << 2 << QStringList{"a", "b", "x", "c"};
    QTest::newRow("at size appends") << 3 << QStringList{"a", "b", "c", "x"};
    QTest::newRow("beyond appends") << 99 << QStringList{"a", "b", "c", "x"};
}

void TestScanState::insertPositions()
{
    QFETCH(int, pos);
    QFETCH(QStringList, order);

    ScanState state(nullptr);
    state.insert(device(1, "a"), -1);
    state.insert(device(2, "b"), -1);
    state.insert(device(3, "c"), -1);
    state.insert(device(4, "x"), pos);
    QCOMPARE(names(state), order);
}

void TestScanState::insertTakesOwnershipOnce()
{
    QObject owner;
    auto *state = new ScanState(&owner);
    QCOMPARE(state->owner(), &owner);
    QCOMPARE(state->parent(), &owner);

    ScanClientItem *item = device(1);
    state->insert(item, -1);
    state->insert(item, 0); // a second row for one object would delete it twice
    state->insert(nullptr, -1);
    QCOMPARE(state->count(), 1);
    QCOMPARE(item->parent(), state);
}

void TestScanState::takeAtReleases()
{
    ScanState state(nullptr);
    state.insert(device(1, "a"), -1);
    state.insert(device(2, "b"), -1);

    std::unique_ptr<ScanClientItem> taken(state.takeAt(0));
    QCOMPARE(taken->objectName(), QStringLiteral("a"));
    QCOMPARE(taken->parent(), nullptr);
    QCOMPARE(names(state), QStringList{"b"});
    QVERIFY(state.findByMac(Mac(1)).isEmpty());

    QCOMPARE(state.takeAt(1), nullptr);
    QCOMPARE(state.takeAt(-1), nullptr);
    QCOMPARE(state.at(5), nullptr);
}

void TestScanState::destructionDeletesItems()
{
    QPointer<ScanClientItem> first = device(1);
    QPointer<ScanClientItem> second = device(2);
    {
        ScanState state(nullptr);
        state.insert(first, -1);
        state.insert(second, -1);
        state.clear();
        QCOMPARE(state.count(), 0);
        QVERIFY(first.isNull() && second.isNull());

        second = device(3);
        state.insert(second, -1);
    }
    QVERIFY(second.isNull());
}

void TestScanState::findByMacInRowOrder()
{
    ScanState state(nullptr);
    state.insert(device(0xA, "a1"), -1);
    state.insert(device(0xB, "b"), -1);
    state.insert(device(0xA, "a2"), -1);
    state.insert(device(0xA, "a0"), 0);

    QCOMPARE(names(state.findByMac(Mac(0xA))), (QStringList{"a0", "a1", "a2"}));
    QCOMPARE(names(state.findByMac(Mac(0xB))), QStringList{"b"});
    QVERIFY(state.findByMac(Mac(0xC)).isEmpty());

    delete state.takeAt(1);
    QCOMPARE(names(state.findByMac(Mac(0xA))), (QStringList{"a0", "a2"}));
}

void TestScanState::findByMacFollowsChanges()
{
    ScanState state(nullptr);
    ScanClientItem *item = device(0xA, "a");
    state.insert(item, -1);

    item->info.mac = Mac(0xB);
    QVERIFY(state.findByMac(Mac(0xA)).isEmpty()); // never an item with another MAC
    state.macChanged(item);
    QCOMPARE(names(state.findByMac(Mac(0xB))), QStringList{"a"});
    QVERIFY(state.findByMac(Mac(0xA)).isEmpty());

    std::unique_ptr<ScanClientItem> taken(state.takeAt(0));
    QVERIFY(state.findByMac(Mac(0xB)).isEmpty());
}

QTEST_GUILESS_MAIN(TestScanState)
#include "tst_scanstate.moc"
