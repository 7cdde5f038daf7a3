// The device list as the view sees it: cells, the signals around row changes,
// and the flashing of rows that answer a scan.
#include "scanclientitem.h"
#include "scanstate.h"
#include "scanstatemodel.h"

#include <QAbstractItemModelTester>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QIcon>
#include <QPalette>
#include <QTest>
#include <QTimeZone>

#include <memory>

namespace {

// A device that reports everything; board, cpu or serial 0 leaves it unidentified.
ScanClientItem *device(quint64 mac, quint32 ip = 0x0A000005, quint32 cpu = 7)
{
    auto *item = new ScanClientItem;
    item->info.mac = Mac(mac);
    item->info.ip = ip;
    item->info.board = 12;
    item->info.cpu = cpu;
    item->info.serial = 0x123456;
    item->info.made = QDateTime::fromSecsSinceEpoch(946684800, QTimeZone::utc());
    item->info.versionS = item->info.versionD = 1234;
    return item;
}

bool iconIs(const QVariant &value, const char *path)
{
    const QIcon icon = value.value<QIcon>();
    return !icon.isNull() && icon.pixmap(16, 16).toImage() == QIcon(QString::fromLatin1(path)).pixmap(16, 16).toImage();
}

} // namespace

class TestScanStateModel : public QObject
{
    Q_OBJECT

    std::unique_ptr<QObject> m_server;
    ScanStateModel *m_model = nullptr;
    QStringList m_log;

    // Logs the layout, row and change signals of the model, with their rows.
    void recordSignals()
    {
        const auto rows = [this](const char *name) {
            return [this, name](const QModelIndex &, int first, int last) {
                m_log << QStringLiteral("%1 %2-%3").arg(QLatin1String(name)).arg(first).arg(last);
            };
        };
        connect(m_model, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] { m_log << "layoutAboutToBeChanged"; });
        connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] { m_log << "layoutChanged"; });
        connect(m_model, &QAbstractItemModel::rowsInserted, this, rows("rowsInserted"));
        connect(m_model, &QAbstractItemModel::rowsRemoved, this, rows("rowsRemoved"));
        connect(m_model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &from, const QModelIndex &to) {
            m_log << QStringLiteral("dataChanged %1,%2-%3,%4").arg(from.row()).arg(from.column()).arg(to.row()).arg(to.column());
        });
    }

    bool showsBell(int row) const
    {
        return iconIs(m_model->data(m_model->index(row, 0), Qt::DecorationRole), ":/icons/i16_bell.png");
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Dates are shown in local time with the locale's short format.
        qputenv("TZ", "CET-1");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void init()
    {
        m_server = std::make_unique<QObject>();
        m_model = new ScanStateModel(m_server.get());
    }

    void cleanup()
    {
        m_log.clear();
        m_server.reset();
    }

    // Devices that report everything, no address, and no CPU type, board type
    // or serial number: without any of those three a device is unidentified.
    void cells()
    {
        const QString label = QStringLiteral("12-4660 D3412"), made = QStringLiteral("1/1/00 1:00 AM");
        const QStringList unidentified{"00:12:34:56:78:9A", "10.0.0.5", "", "", ""};
        const QList<QStringList> rows{{"00:12:34:56:78:9A", "10.0.0.5", label, made, label},
                                      {"00:12:34:56:78:9A", "", label, made, label},
                                      unidentified, unidentified, unidentified};
        for (int row = 0; row < rows.size(); ++row)
            QCOMPARE(m_model->addClient(device(0x00123456789A)).row(), row);
        ScanState *state = m_model->state();
        state->at(1)->info.ip = 0;
        state->at(2)->info.cpu = 0;
        state->at(3)->info.board = 0;
        state->at(4)->info.serial = 0;
        for (int row = 0; row < rows.size(); ++row) {
            for (int column = 0; column < ScanStateModel::ColumnCount; ++column)
                QCOMPARE(m_model->data(m_model->index(row, column)).toString(), rows[row][column]);
        }
        QVERIFY(iconIs(m_model->data(m_model->index(0, 0), Qt::DecorationRole), ":/icons/i16_brick.png"));
    }

    // Insertion and removal wrapped in layout changes, a change reported for
    // the whole row, nothing for a device listed already or not at all. Qt's
    // model tester, which would refuse those layout changes as nested in the
    // row changes, checks the rest of what views rely on.
    void rowsComeAndGoWithTheirSignals()
    {
        ScanClientItem *first = device(1);
        m_model->addClient(first);
        recordSignals();
        ScanClientItem *second = device(2, 0, 0);
        m_model->addClient(second);
        QCOMPARE(m_model->addClient(second), m_model->index(1, 0)); // listed once only
        std::unique_ptr<ScanClientItem> stranger(device(3));
        QVERIFY(!m_model->removeClient(stranger.get()) && !m_model->removeClient(nullptr));
        QVERIFY(!m_model->deleteClient(stranger.get()));
        m_model->clientChanged(stranger.get());
        second->info.mac = Mac(3);
        m_model->clientChanged(second);
        QVERIFY(m_model->removeClient(first));
        std::unique_ptr<ScanClientItem> released(first);
        QCOMPARE(m_log, (QStringList{"layoutAboutToBeChanged", "rowsInserted 1-1", "layoutChanged",
                                     "dataChanged 1,0-1,4", "layoutAboutToBeChanged", "rowsRemoved 0-0",
                                     "layoutChanged"}));
        QCOMPARE(first->parent(), nullptr);
        QCOMPARE(m_model->clientAt(m_model->index(0, 3)), second);
        QAbstractItemModelTester tester(m_model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    void flashing()
    {
        QList<ScanClientItem *> items;
        for (int i = 0; i < 17; ++i) {
            items << device(0x100 + i);
            m_model->addClient(items.last());
        }
        // What row 0 shows at each repaint the flasher asks for: b for the
        // bell, c for the palette's dark background and bright text.
        QStringList shown;
        connect(m_model, &QAbstractItemModel::dataChanged, this, [&](const QModelIndex &from, const QModelIndex &to) {
            const QVariant background = m_model->data(m_model->index(0, 2), Qt::BackgroundRole);
            const QVariant foreground = m_model->data(m_model->index(0, 2), Qt::ForegroundRole);
            const QPalette palette = QGuiApplication::palette();
            if (from.row() == 0 && to == m_model->index(0, 4))
                shown << QString(showsBell(0) ? "b" : "-")
                             + (background == QVariant(palette.brush(QPalette::Active, QPalette::Dark))
                                        && foreground == QVariant(palette.brush(QPalette::Active, QPalette::BrightText))
                                    ? "c"
                                    : background.isValid() || foreground.isValid() ? "?" : "-");
        });

        QElapsedTimer clock;
        clock.start();
        for (ScanClientItem *item : items)
            m_model->flashClient(item);
        m_model->flashClient(items.first()); // already flashing: no second flasher
        for (int row = 0; row < 16; ++row)
            QVERIFY2(showsBell(row), qPrintable(QString::number(row)));
        QVERIFY(!showsBell(16)); // sixteen flashers at most

        // A removed row ends its flasher at the next tick, freeing a place;
        // the rows below keep their flashes as they move up.
        QVERIFY(m_model->removeClient(items.at(5)));
        std::unique_ptr<ScanClientItem> removed(items.takeAt(5));
        QVERIFY(showsBell(5) && showsBell(14) && !showsBell(15));
        QTRY_VERIFY_WITH_TIMEOUT((m_model->flashClient(items.last()), showsBell(15)), 1000);
        QVERIFY(clock.elapsed() < 2000); // well before the hold would end

        // Eight steps, bell until the last, colours on odd states.
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 8, 2000);
        QCOMPARE(shown, (QStringList{"bc", "b-", "bc", "b-", "bc", "b-", "bc", "--"}));

        // The row holds its last state for two seconds before it may flash again.
        m_model->flashClient(items.first());
        QVERIFY(!showsBell(0));
        QTRY_VERIFY_WITH_TIMEOUT((m_model->flashClient(items.first()), showsBell(0)), 4000);
        QVERIFY(clock.elapsed() >= 2500);
    }
};

QTEST_MAIN(TestScanStateModel)
#include "tst_scanstatemodel.moc"
