// The flasher bookkeeping: one flasher per row, sixteen at most, and entries
// that go with their flashers.
#include "flasher.h"
#include "flashermap.h"

#include <QPointer>
#include <QStandardItemModel>
#include <QTest>

#include <memory>

class TestFlasherMap : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void limitsFlashers();
    void refusesInvalidIndex();
    void removedRowEndsFlasher();

private:
    std::unique_ptr<QStandardItemModel> m_rows;
};

void TestFlasherMap::init()
{
    m_rows = std::make_unique<QStandardItemModel>(20, 5);
}

void TestFlasherMap::cleanup()
{
    m_rows.reset();
}

void TestFlasherMap::limitsFlashers()
{
    FlasherMap map;
    for (int row = 0; row < FlasherMap::MaxFlashers; ++row) {
        Flasher *flasher = map.flash(m_rows->index(row, 0));
        QVERIFY(flasher);
        QCOMPARE(flasher->parent(), &map);
        QVERIFY(flasher->isActive());
    }
    QCOMPARE(map.flash(m_rows->index(16, 0)), nullptr);
    QCOMPARE(map.flash(m_rows->index(0, 0)), nullptr); // already flashing
    QCOMPARE(map.count(), 16);
    QCOMPARE(map.state(m_rows->index(0, 0)), Flasher::Steps);
    QCOMPARE(map.state(m_rows->index(16, 0)), -1);
}

void TestFlasherMap::refusesInvalidIndex()
{
    FlasherMap map;
    QCOMPARE(map.flash(QModelIndex()), nullptr);
    QCOMPARE(map.count(), 0);
}

void TestFlasherMap::removedRowEndsFlasher()
{
    FlasherMap map;
    QPointer<Flasher> doomed = map.flash(m_rows->index(3, 0));
    map.flash(m_rows->index(5, 0));

    m_rows->removeRow(3);
    // The row that moved up is still tracked under its new position.
    QCOMPARE(map.state(m_rows->index(4, 0)), Flasher::Steps);
    QTRY_VERIFY_WITH_TIMEOUT(doomed.isNull(), 1000);
    QCOMPARE(map.count(), 1);
    QCOMPARE(map.state(m_rows->index(3, 0)), -1);
    QVERIFY(map.state(m_rows->index(4, 0)) >= 0);
}

QTEST_MAIN(TestFlasherMap)
#include "tst_flashermap.moc"
