// The device container against a plain list: row order, ownership, and the
// MAC lookup that every discovery answer goes through.
#include "scanclientitem.h"
#include "scanstate.h"

#include <QPointer>
#include <QRandomGenerator>
#include <QTest>

class TestScanState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Random inserts (also of listed items and at any position), removals and
    // MAC changes: the state always holds and owns exactly the rows of the
    // plain list, and the lookup gives the items with a MAC in row order.
    void followsAPlainListThroughRandomChanges()
    {
        QRandomGenerator random(4711);
        auto *state = new ScanState(nullptr);
        QList<ScanClientItem *> rows;
        const auto randomMac = [&random] { return Mac(random.bounded(1, 5)); };
        for (int step = 0; step < 3000; ++step) {
            const int row = rows.isEmpty() ? -1 : random.bounded(int(rows.size()));
            switch (random.bounded(5)) {
            case 0:
            case 1: {
                auto *item = new ScanClientItem;
                item->info.mac = randomMac();
                const int pos = random.bounded(-1, int(rows.size()) + 2);
                state->insert(item, pos);
                rows.insert(pos >= 0 && pos < rows.size() ? pos : rows.size(), item);
                break;
            }
            case 2:
                if (row >= 0) {
                    std::unique_ptr<ScanClientItem> taken(state->takeAt(row));
                    QCOMPARE(taken.get(), rows.takeAt(row));
                    QCOMPARE(taken->parent(), nullptr);
                }
                break;
            case 3:
                if (row >= 0) {
                    rows[row]->info.mac = randomMac();
                    state->macChanged(rows[row]);
                }
                break;
            default:
                state->insert(row >= 0 ? rows[row] : nullptr, random.bounded(-1, int(rows.size()) + 1));
                break;
            }
            QCOMPARE(state->count(), rows.size());
            for (int i = 0; i < rows.size(); ++i)
                QVERIFY(state->at(i) == rows[i] && rows[i]->parent() == state);
            for (quint64 mac = 1; mac < 5; ++mac) {
                QList<ScanClientItem *> expected;
                std::copy_if(rows.begin(), rows.end(), std::back_inserter(expected),
                             [mac](ScanClientItem *item) { return item->info.mac == Mac(mac); });
                QCOMPARE(state->findByMac(Mac(mac)), expected);
            }
        }
        QCOMPARE(state->takeAt(int(rows.size())), nullptr);
        QCOMPARE(state->at(-1), nullptr);
        const QList<QPointer<ScanClientItem>> listed(rows.begin(), rows.end());
        delete state;
        QVERIFY(!listed.isEmpty() && std::all_of(listed.begin(), listed.end(), [](const auto &item) { return item.isNull(); }));
    }
};

QTEST_GUILESS_MAIN(TestScanState)
#include "tst_scanstate.moc"
