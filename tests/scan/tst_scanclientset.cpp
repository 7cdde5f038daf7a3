// The transfer set must forget a device the moment it is destroyed, without
// touching the half-destroyed object.
#include "scanclientitem.h"
#include "scanclientset.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestScanClientSet : public QObject
{
    Q_OBJECT

private slots:
    void addRefusesNullAndDuplicates();
    void removeRefusesNonMembers();
    void removedMemberIsNoLongerWatched();
    void destroyedMemberLeavesOnce();
    void findByMac();
};

void TestScanClientSet::addRefusesNullAndDuplicates()
{
    ScanClientSet set;
    ScanClientItem item;
    QSignalSpy added(&set, &ScanClientSet::clientAdded);

    QVERIFY(!set.add(nullptr));
    QVERIFY(set.add(&item));
    QVERIFY(!set.add(&item));
    QCOMPARE(set.count(), 1);
    QCOMPARE(added.count(), 1);
    QCOMPARE(added.at(0).at(0).value<ScanClientItem *>(), &item);
}

void TestScanClientSet::removeRefusesNonMembers()
{
    ScanClientSet set;
    ScanClientItem member;
    ScanClientItem stranger;
    set.add(&member);
    QSignalSpy removed(&set, &ScanClientSet::clientRemoved);

    QVERIFY(!set.remove(nullptr));
    QVERIFY(!set.remove(&stranger));
    QVERIFY(set.remove(&member));
    QVERIFY(!set.remove(&member));
    QCOMPARE(removed.count(), 1);
    QVERIFY(!set.contains(&member));
}

void TestScanClientSet::removedMemberIsNoLongerWatched()
{
    ScanClientSet set;
    auto *item = new ScanClientItem;
    set.add(item);
    set.remove(item);
    QSignalSpy removed(&set, &ScanClientSet::clientRemoved);
    delete item;
    QCOMPARE(removed.count(), 0);
}

void TestScanClientSet::destroyedMemberLeavesOnce()
{
    ScanClientSet set;
    auto *doomed = new ScanClientItem;
    ScanClientItem survivor;
    set.add(doomed);
    set.add(&survivor);
    QSignalSpy removed(&set, &ScanClientSet::clientRemoved);

    const void *address = doomed;
    delete doomed;
    QCOMPARE(removed.count(), 1);
    QCOMPARE(static_cast<const void *>(removed.at(0).at(0).value<ScanClientItem *>()), address);
    QCOMPARE(set.count(), 1);
    QVERIFY(set.contains(&survivor));
}

void TestScanClientSet::findByMac()
{
    ScanClientSet set;
    ScanClientItem first;
    ScanClientItem second;
    first.info.mac = Mac(0x0011);
    second.info.mac = Mac(0x0022);
    set.add(&first);
    set.add(&second);

    QCOMPARE(set.findByMac(Mac(0x0022)), &second);
    QCOMPARE(set.findByMac(Mac(0x0011)), &first);
    QCOMPARE(set.findByMac(Mac(0x0033)), nullptr);
    set.remove(&second);
    QCOMPARE(set.findByMac(Mac(0x0022)), nullptr);
}

QTEST_GUILESS_MAIN(TestScanClientSet)
#include "tst_scanclientset.moc"
