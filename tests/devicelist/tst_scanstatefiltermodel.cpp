// The device list and its sorted and filtered view: which devices a filter
// text finds, and random sequences of scans, removals, changes, flashes,
// sorts and filters, after which the device list must hold what a plain list
// holds and the rows kept up to date one by one must equal those of a proxy
// built afresh, with Qt's model tester watching every signal.
#include "scanclientitem.h"
#include "scanstate.h"
#include "scanstatefiltermodel.h"
#include "scanstatemodel.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QTest>

#include <memory>

namespace {

// Serial mac % 3: 0 leaves the device unidentified, without serial text and date.
ScanClientItem *device(quint64 mac, quint32 ip, const QString &boardName, const QString &remark)
{
    auto *item = new ScanClientItem;
    item->info = {Mac(mac), ip, 0, 0, 1, 0, 12, boardName, remark, 7, mac % 3,
                  QDateTime::fromSecsSinceEpoch(946684800 + qint64(ip % 7) * 86400)};
    return item;
}

QStringList shownMacs(const QAbstractItemModel &model)
{
    QStringList macs;
    for (int row = 0; row < model.rowCount(); ++row)
        macs << model.index(row, ScanStateModel::MacColumn).data().toString();
    return macs;
}

} // namespace

class TestScanStateFilterModel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QObject> m_server;
    ScanStateModel *m_model = nullptr;

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<QObject>();
        m_model = new ScanStateModel(m_server.get());
        m_model->addClient(device(0x025A4E000001, 0x0A000005, QStringLiteral("ZX-7"), QString()));
        m_model->addClient(device(0x025A4E000002, 0xC0A80014, QStringLiteral("ZN-330"), QStringLiteral("Spare")));
        m_model->addClient(device(0x00123456789A, 0, QString(), QStringLiteral("hall 10.0")));
    }

    void cleanup() { m_server.reset(); }

    // A part of the MAC (case ignored), address, board name or remark; a
    // device without an address is not 0.0.0.0. Addresses sort numerically.
    void filterFindsMacAddressBoardAndRemark()
    {
        ScanStateFilterModel proxy(m_model);
        for (const auto &[filter, shown] :
             {std::pair("4e:00:0", QStringList{"02:5A:4E:00:00:01", "02:5A:4E:00:00:02"}),
              std::pair("10.0", QStringList{"02:5A:4E:00:00:01", "00:12:34:56:78:9A"}),
              std::pair("zx-", QStringList{"02:5A:4E:00:00:01"}), std::pair("SPARE", QStringList{"02:5A:4E:00:00:02"}),
              std::pair("0.0.0.0", QStringList{})}) {
            proxy.setFilterText(QString::fromLatin1(filter));
            QCOMPARE(shownMacs(proxy), shown);
        }
        proxy.setFilterText(QString());
        proxy.sort(ScanStateModel::IpColumn, Qt::DescendingOrder); // 192.168... > 10.0...
        QCOMPARE(shownMacs(proxy), (QStringList{"02:5A:4E:00:00:02", "02:5A:4E:00:00:01", "00:12:34:56:78:9A"}));
    }

    // The state owns exactly the rows of the plain list and finds the devices
    // with a MAC in row order, also after MAC changes and repeated scans of
    // listed devices. A persistent index stays on its device while it is shown.
    void randomSequencesMatchAPlainListAndAFreshProxy()
    {
        const QStringList filters{"", "0", "4e:00:00:1", "spare", "zx", "10.0.", "9a"};
        const QStringList words{"", "Spare", "ZX-7", "zn-330", "hall 10.0.1"};
        for (quint32 seed = 1; seed <= 40; ++seed) {
            init();
            QRandomGenerator random(seed);
            const auto word = [&] { return words.at(random.bounded(words.size())); };
            ScanStateFilterModel proxy(m_model, nullptr, 0);
            ScanState *state = m_model->state();
            QList<ScanClientItem *> rows{state->at(0), state->at(1), state->at(2)};
            QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
            for (int step = 0; step < 60; ++step) {
                const QPersistentModelIndex held = proxy.index(int(random.bounded(qMax(1, proxy.rowCount()))), 1);
                ScanClientItem *heldItem = proxy.clientAt(held);
                ScanClientItem *target = rows.isEmpty() ? nullptr : rows.at(random.bounded(int(rows.size())));
                switch (random.bounded(8)) {
                case 0:
                case 1:
                    rows << device(random.bounded(16) + 1, random.bounded(4) * 0x0A000001u, word(), word());
                    m_model->addClient(rows.last());
                    break;
                case 2:
                    m_model->deleteClient(target);
                    rows.removeOne(target);
                    break;
                case 3:
                    if (target) {
                        target->info.mac = Mac(random.bounded(16) + 1);
                        target->info.ip = random.bounded(4) * 0x0A000001u;
                        target->info.remark = word();
                        target->info.serial = random.bounded(3);
                        m_model->clientChanged(target);
                    }
                    break;
                case 4:
                    proxy.setFilterText(filters.at(random.bounded(filters.size())));
                    break;
                case 5:
                    proxy.sort(int(random.bounded(ScanStateModel::ColumnCount + 1)) - 1,
                               random.bounded(2) ? Qt::AscendingOrder : Qt::DescendingOrder);
                    break;
                case 6:
                    m_model->flashClient(target);
                    break;
                case 7:
                    m_model->addClient(target); // listed once only
                    break;
                }
                QCOMPARE(state->count(), rows.size());
                for (int i = 0; i < rows.size(); ++i)
                    QVERIFY(state->at(i) == rows[i] && rows[i]->parent() == state);
                QVERIFY(!state->at(-1) && !state->at(int(rows.size())));
                for (quint64 mac = 1; mac <= 16; ++mac) {
                    QList<ScanClientItem *> expected;
                    std::copy_if(rows.begin(), rows.end(), std::back_inserter(expected),
                                 [mac](ScanClientItem *item) { return item->info.mac == Mac(mac); });
                    QCOMPARE(state->findByMac(Mac(mac)), expected);
                }
                if (random.bounded(4) == 0)
                    continue; // new rows wait: the next steps change and remove them
                QCoreApplication::processEvents();
                ScanStateFilterModel fresh(m_model);
                fresh.setFilterText(proxy.filterText());
                fresh.sort(proxy.sortColumn(), proxy.sortOrder());
                QVERIFY2(shownMacs(proxy) == shownMacs(fresh), qPrintable(QStringLiteral("seed %1 step %2").arg(seed).arg(step)));
                if (heldItem && held.isValid())
                    QCOMPARE(proxy.clientAt(held), heldItem);
                else if (heldItem)
                    QVERIFY(!proxy.mapFromSource(m_model->indexOf(heldItem)).isValid());
            }
            cleanup();
        }
    }
};

QTEST_MAIN(TestScanStateFilterModel)
#include "tst_scanstatefiltermodel.moc"
