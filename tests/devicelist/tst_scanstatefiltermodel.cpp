// The sorted and filtered device list: which devices a filter text finds, and
// random sequences of scans, removals, changes, sorts and filters checked
// against a plain recomputation, with Qt's model tester watching the signals.
#include "ipv4.h"
#include "scanclientitem.h"
#include "scanstate.h"
#include "scanstatefiltermodel.h"
#include "scanstatemodel.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QTest>
#include <QTimeZone>

#include <limits>
#include <memory>

namespace {

ScanClientItem *device(quint64 mac, quint32 ip, const QString &boardName, const QString &remark)
{
    auto *item = new ScanClientItem;
    item->info.mac = Mac(mac);
    item->info.ip = ip;
    item->info.board = 12;
    item->info.cpu = 7;
    item->info.serial = 0x100 * mac;
    item->info.boardName = boardName;
    item->info.remark = remark;
    item->info.made = QDateTime::fromSecsSinceEpoch(946684800 + qint64(ip % 1000) * 86400, QTimeZone::utc());
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

    // The rows as they must be shown, computed from scratch.
    QStringList expected(const QString &filter, int column, Qt::SortOrder order) const
    {
        QList<int> rows;
        for (int row = 0; row < m_model->rowCount(); ++row) {
            const ScanClientInfo &info = m_model->state()->at(row)->info;
            const QStringList fields{info.mac.toString(), info.ip ? ipv4ToString(info.ip) : QString(), info.boardName,
                                     info.remark};
            if (filter.isEmpty() || !fields.filter(filter, Qt::CaseInsensitive).isEmpty())
                rows << row;
        }
        const auto key = [this, column](int row) -> QVariant {
            const ScanClientInfo &info = m_model->state()->at(row)->info;
            switch (column) {
            case ScanStateModel::MacColumn:
                return info.mac.value();
            case ScanStateModel::IpColumn:
                return info.ip;
            case ScanStateModel::MadeColumn: // the rows without a date shown first
                return m_model->index(row, column).data().toString().isEmpty() ? std::numeric_limits<qint64>::min()
                                                                               : info.made.toMSecsSinceEpoch();
            default:
                return m_model->index(row, column).data().toString().toLower();
            }
        };
        std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
            if (column < 0)
                return false;
            const QPartialOrdering order_ = QVariant::compare(key(a), key(b));
            return order == Qt::AscendingOrder ? order_ == QPartialOrdering::Less : order_ == QPartialOrdering::Greater;
        });
        QStringList macs;
        for (int row : rows)
            macs << m_model->state()->at(row)->info.mac.toString();
        return macs;
    }

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<QObject>();
        m_model = new ScanStateModel(m_server.get());
        m_model->addClient(device(0x025A4E000001, 0x0A000005, QStringLiteral("ZX-7"), QString()));
        m_model->addClient(device(0x025A4E000002, 0xC0A80014, QStringLiteral("ZN-330 Pro"), QStringLiteral("Spare")));
        m_model->addClient(device(0x00123456789A, 0, QString(), QStringLiteral("hall 10.0")));
    }

    void cleanup() { m_server.reset(); }

    void filterFindsMacAddressBoardAndRemark_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("shown");
        const QString first = QStringLiteral("02:5A:4E:00:00:01");
        const QString second = QStringLiteral("02:5A:4E:00:00:02");
        const QString third = QStringLiteral("00:12:34:56:78:9A");
        QTest::newRow("empty: all") << "" << QStringList{first, second, third};
        QTest::newRow("MAC part, lower case") << "4e:00:0" << QStringList{first, second};
        QTest::newRow("address part") << "192.168." << QStringList{second};
        QTest::newRow("address and remark") << "10.0" << QStringList{first, third};
        QTest::newRow("board name") << "zx-" << QStringList{first};
        QTest::newRow("remark") << "SPARE" << QStringList{second};
        QTest::newRow("no address is not 0.0.0.0") << "0.0.0.0" << QStringList{};
        QTest::newRow("nothing") << "ZN-450" << QStringList{};
    }

    void filterFindsMacAddressBoardAndRemark()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, shown);
        ScanStateFilterModel proxy(m_model);
        proxy.setFilterText(filter);
        QCOMPARE(shownMacs(proxy), shown);
        QCOMPARE(proxy.headerData(0, Qt::Horizontal).toString(), m_model->headerData(0, Qt::Horizontal).toString());
    }

    // Whatever happens, the rows shown are those a fresh filter and sort give
    // once the new rows are filed in, and a persistent index stays on its
    // device while the device is shown.
    void randomSequencesKeepTheViewExact()
    {
        for (quint32 seed = 1; seed <= 40; ++seed) {
            init();
            QRandomGenerator random(seed);
            ScanStateFilterModel proxy(m_model, nullptr, 0);
            QAbstractItemModelTester tester(&proxy, QAbstractItemModelTester::FailureReportingMode::QtTest);
            QString filter;
            int column = -1;
            Qt::SortOrder order = Qt::AscendingOrder;
            const QStringList filters{"", "0", "4e:00:00:1", "spare", "zx", "10.0.", "9a"};
            const QStringList words{"", "Spare", "ZX-7", "zn-330", "hall 10.0.1"};
            for (int step = 0; step < 60; ++step) {
                QPersistentModelIndex held = proxy.index(int(random.bounded(qMax(1, proxy.rowCount()))), 1);
                ScanClientItem *heldItem = proxy.clientAt(held);
                const int rows = m_model->rowCount();
                ScanClientItem *target = rows ? m_model->state()->at(int(random.bounded(rows))) : nullptr;
                switch (random.bounded(7)) {
                case 0:
                case 1:
                    m_model->addClient(device(random.bounded(0x40) + 1, random.bounded(4) * 0x0A000001u,
                                              words.at(random.bounded(words.size())), words.at(random.bounded(words.size()))));
                    break;
                case 2:
                    m_model->deleteClient(target);
                    break;
                case 3:
                    if (target) {
                        target->info.ip = random.bounded(4) * 0x0A000001u;
                        target->info.remark = words.at(random.bounded(words.size()));
                        target->info.serial = random.bounded(3);
                        m_model->clientChanged(target);
                    }
                    break;
                case 4:
                    filter = filters.at(random.bounded(filters.size()));
                    proxy.setFilterText(filter);
                    break;
                case 5:
                    column = int(random.bounded(ScanStateModel::ColumnCount + 1)) - 1;
                    order = random.bounded(2) ? Qt::AscendingOrder : Qt::DescendingOrder;
                    proxy.sort(column, order);
                    break;
                case 6:
                    m_model->flashClient(target);
                    break;
                }
                if (random.bounded(4) == 0)
                    continue; // new rows wait: the next steps change and remove them
                QCoreApplication::processEvents();
                QVERIFY2(shownMacs(proxy) == expected(filter, column, order),
                         qPrintable(QStringLiteral("seed %1 step %2 column %3").arg(seed).arg(step).arg(column)));
                if (heldItem && m_model->rowOf(heldItem) >= 0 && held.isValid())
                    QCOMPARE(proxy.clientAt(held), heldItem);
                if (!held.isValid() && heldItem && m_model->rowOf(heldItem) >= 0)
                    QVERIFY(!proxy.mapFromSource(m_model->indexOf(heldItem)).isValid());
            }
            cleanup();
        }
    }
};

QTEST_MAIN(TestScanStateFilterModel)
#include "tst_scanstatefiltermodel.moc"
