// The device list as the view sees it: rows, cells, headers, the signals
// around row changes, and the flashing of rows that answer a scan.
#include "scanclientitem.h"
#include "scanstate.h"
#include "scanstatemodel.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QIcon>
#include <QPalette>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

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
    item->info.made = QDateTime::fromSecsSinceEpoch(946684800, Qt::UTC);
    item->info.versionS = 1234;
    item->info.versionD = 1234;
    return item;
}

bool iconIs(const QVariant &value, const char *path)
{
    const QIcon icon = value.value<QIcon>();
    return !icon.isNull()
        && icon.pixmap(16, 16).toImage() == QIcon(QString::fromLatin1(path)).pixmap(16, 16).toImage();
}

} // namespace

class TestScanStateModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void headers_data();
    void headers();
    void cells_data();
    void cells();
    void alignmentAndFlags();
    void appendSignalsInOrder();
    void addingTwiceKeepsOneRow();
    void removeClient();
    void deleteClient();
    void clientChangedRepaintsRow();
    void lookups();
    void consistentForViews();
    void serverlessModelIsEmpty();
    void destructionDeletesItems();
    void flashing();

private:
    void recordSignals();
    bool showsBell(int row) const;

    std::unique_ptr<QObject> m_server;
    ScanStateModel *m_model = nullptr;
    QStringList m_log;
};

void TestScanStateModel::initTestCase()
{
    // Dates are shown in local time with the locale's short format.
    qputenv("TZ", "CET-1");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestScanStateModel::init()
{
    m_server = std::make_unique<QObject>();
    m_model = new ScanStateModel(m_server.get());
}

void TestScanStateModel::cleanup()
{
    m_log.clear();
    m_server.reset();
}

void TestScanStateModel::headers_data()
{
    QTest::addColumn<int>("section");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("header");

    QTest::newRow("MAC") << 0 << int(Qt::Horizontal) << int(Qt::DisplayRole) << QVariant("MAC");
    QTest::newRow("IP") << 1 << int(Qt::Horizontal) << int(Qt::DisplayRole) << QVariant("IP");
    QTest::newRow("Serial") << 2 << int(Qt::Horizontal) << int(Qt::DisplayRole) << QVariant("Serial Number");
    QTest::newRow("Made") << 3 << int(Qt::Horizontal) << int(Qt::DisplayRole) << QVariant("Made");
    QTest::newRow("About") << 4 << int(Qt::Horizontal) << int(Qt::DisplayRole) << QVariant("About");
    QTest::newRow("no sixth column") << 5 << int(Qt::Horizontal) << int(Qt::DisplayRole) << QVariant();
    QTest::newRow("first row") << 0 << int(Qt::Vertical) << int(Qt::DisplayRole) << QVariant("1");
    QTest::newRow("tenth row") << 9 << int(Qt::Vertical) << int(Qt::DisplayRole) << QVariant("10");
    QTest::newRow("other role") << 0 << int(Qt::Horizontal) << int(Qt::ToolTipRole) << QVariant();
}

void TestScanStateModel::headers()
{
    QFETCH(int, section);
    QFETCH(int, orientation);
    QFETCH(int, role);
    QFETCH(QVariant, header);
    QCOMPARE(m_model->headerData(section, Qt::Orientation(orientation), role), header);
}

void TestScanStateModel::cells_data()
{
    QTest::addColumn<quint32>("ip");
    QTest::addColumn<quint32>("cpu");
    QTest::addColumn<QStringList>("texts");

    const QString label = QStringLiteral("12-4660 D3412");
    const QString made = QStringLiteral("1/1/00 1:00 AM");
    QTest::newRow("identified") << quint32(0x0A000005) << quint32(7)
                                << QStringList{"00:12:34:56:78:9A", "10.0.0.5", label, made, label};
    QTest::newRow("no address") << quint32(0) << quint32(7) << QStringList{"00:12:34:56:78:9A", "", label, made, label};
    QTest::newRow("unidentified") << quint32(0x0A000005) << quint32(0)
                                  << QStringList{"00:12:34:56:78:9A", "10.0.0.5", "", "", ""};
}

void TestScanStateModel::cells()
{
    QFETCH(quint32, ip);
    QFETCH(quint32, cpu);
    QFETCH(QStringList, texts);

    m_model->addClient(device(0x00123456789A));
    const QModelIndex first = m_model->addClient(device(0x00123456789A, ip, cpu));
    QCOMPARE(first.row(), 1);
    for (int column = 0; column < texts.size(); ++column)
        QCOMPARE(m_model->data(m_model->index(1, column)).toString(), texts.at(column));
    QVERIFY(iconIs(m_model->data(first, Qt::DecorationRole), ":/icons/i16_brick.png"));
    QVERIFY(!m_model->data(m_model->index(1, 1), Qt::DecorationRole).isValid());
    QVERIFY(!m_model->data(first, Qt::BackgroundRole).isValid());
    QVERIFY(!m_model->data(first, Qt::ToolTipRole).isValid());
}

void TestScanStateModel::alignmentAndFlags()
{
    m_model->addClient(device(1));
    const QVariant centred = QVariant::fromValue(Qt::Alignment(Qt::AlignHCenter | Qt::AlignVCenter));
    for (int column = 0; column < 4; ++column)
        QCOMPARE(m_model->data(m_model->index(0, column), Qt::TextAlignmentRole), centred);
    QVERIFY(!m_model->data(m_model->index(0, 4), Qt::TextAlignmentRole).isValid());

    QCOMPARE(m_model->flags(m_model->index(0, 2)), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    QCOMPARE(m_model->flags(QModelIndex()), Qt::NoItemFlags);
    QVERIFY(!m_model->index(1, 0).isValid());
    QVERIFY(!m_model->index(0, 5).isValid());
}

// Logs the structural signals of the model, with their rows, into m_log.
void TestScanStateModel::recordSignals()
{
    const auto rows = [this](const char *name) {
        return [this, name](const QModelIndex &, int first, int last) {
            m_log << QStringLiteral("%1 %2-%3").arg(QLatin1String(name)).arg(first).arg(last);
        };
    };
    connect(m_model, &QAbstractItemModel::layoutAboutToBeChanged, this, [this] { m_log << "layoutAboutToBeChanged"; });
    connect(m_model, &QAbstractItemModel::layoutChanged, this, [this] { m_log << "layoutChanged"; });
    connect(m_model, &QAbstractItemModel::rowsAboutToBeInserted, this, rows("rowsAboutToBeInserted"));
    connect(m_model, &QAbstractItemModel::rowsInserted, this, rows("rowsInserted"));
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this, rows("rowsAboutToBeRemoved"));
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, rows("rowsRemoved"));
}

void TestScanStateModel::appendSignalsInOrder()
{
    m_model->addClient(device(1));
    recordSignals();
    ScanClientItem *item = device(2);
    const QModelIndex index = m_model->addClient(item);

    QCOMPARE(m_log, (QStringList{"layoutAboutToBeChanged", "rowsAboutToBeInserted 1-1", "rowsInserted 1-1",
                                 "layoutChanged"}));
    QCOMPARE(index, m_model->index(1, 0));
    QCOMPARE(m_model->rowCount(), 2);
    QCOMPARE(item->parent(), m_model->state());
    QCOMPARE(m_model->headerData(1, Qt::Vertical).toString(), QStringLiteral("2"));
}

void TestScanStateModel::addingTwiceKeepsOneRow()
{
    ScanClientItem *item = device(1);
    m_model->addClient(device(2));
    m_model->addClient(item);
    QCOMPARE(m_model->addClient(item), m_model->index(1, 0));
    QCOMPARE(m_model->rowCount(), 2);
    QVERIFY(!m_model->addClient(nullptr).isValid());
}

void TestScanStateModel::removeClient()
{
    ScanClientItem *first = device(1);
    ScanClientItem *second = device(2);
    m_model->addClient(first);
    m_model->addClient(second);
    std::unique_ptr<ScanClientItem> stranger(device(3));
    recordSignals();

    QVERIFY(!m_model->removeClient(stranger.get()));
    QVERIFY(!m_model->removeClient(nullptr));
    QVERIFY(m_log.isEmpty());

    QVERIFY(m_model->removeClient(first));
    std::unique_ptr<ScanClientItem> released(first);
    QCOMPARE(m_log, (QStringList{"layoutAboutToBeChanged", "rowsAboutToBeRemoved 0-0", "rowsRemoved 0-0",
                                 "layoutChanged"}));
    QCOMPARE(first->parent(), nullptr);
    QCOMPARE(m_model->rowCount(), 1);
    QCOMPARE(m_model->clientAt(m_model->index(0, 3)), second);
    QVERIFY(!m_model->removeClient(first));
}

void TestScanStateModel::deleteClient()
{
    QPointer<ScanClientItem> listed = device(1);
    m_model->addClient(listed);
    QPointer<ScanClientItem> stranger = device(2);

    QVERIFY(!m_model->deleteClient(stranger));
    QVERIFY(!stranger.isNull());
    delete stranger;

    QVERIFY(m_model->deleteClient(listed));
    QVERIFY(listed.isNull());
    QCOMPARE(m_model->rowCount(), 0);
}

void TestScanStateModel::clientChangedRepaintsRow()
{
    m_model->addClient(device(1));
    ScanClientItem *item = device(2);
    m_model->addClient(item);
    QSignalSpy changed(m_model, &QAbstractItemModel::dataChanged);

    item->info.mac = Mac(3);
    m_model->clientChanged(item);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), m_model->index(1, 0));
    QCOMPARE(changed.at(0).at(1).toModelIndex(), m_model->index(1, 4));
    QCOMPARE(m_model->state()->findByMac(Mac(3)), QList<ScanClientItem *>{item});

    ScanClientItem stranger;
    m_model->clientChanged(&stranger);
    m_model->clientChanged(nullptr);
    QCOMPARE(changed.count(), 1);
}

void TestScanStateModel::lookups()
{
    ScanClientItem *first = device(1);
    ScanClientItem *second = device(2);
    m_model->addClient(first);
    m_model->addClient(second);
    ScanClientItem stranger;

    QCOMPARE(m_model->rowOf(second), 1);
    QCOMPARE(m_model->rowOf(&stranger), -1);
    QCOMPARE(m_model->indexOf(second, 3), m_model->index(1, 3));
    QVERIFY(!m_model->indexOf(&stranger, 0).isValid());
    QCOMPARE(m_model->clientAt(m_model->index(0, 4)), first);
    QCOMPARE(m_model->clientAt(QModelIndex()), nullptr);
    QVERIFY(!m_model->parent(m_model->index(0, 0)).isValid());
    QVERIFY(m_model->hasChildren());
    QVERIFY(!m_model->hasChildren(m_model->index(0, 0)));
    QCOMPARE(m_model->columnCount(), 5);
}

// Row insertion and removal are wrapped in layout-change signals, which the
// model tester refuses as nested changes; it checks everything else.
void TestScanStateModel::consistentForViews()
{
    ScanClientItem *item = device(1);
    m_model->addClient(item);
    m_model->addClient(device(2, 0, 0));
    QAbstractItemModelTester tester(m_model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    m_model->clientChanged(item);
    m_model->flashClient(item);
    QTRY_COMPARE_WITH_TIMEOUT(m_model->data(m_model->index(0, 0), Qt::BackgroundRole).isValid(), true, 1000);
}

void TestScanStateModel::serverlessModelIsEmpty()
{
    ScanStateModel model(nullptr);
    QModelIndex added = model.addClient(device(1));
    QVERIFY(!added.isValid());
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.state()->count(), 1);
    QVERIFY(!model.index(0, 0).isValid());
    std::unique_ptr<ScanClientItem> item(model.state()->at(0));
    QVERIFY(model.removeClient(item.get()));
}

void TestScanStateModel::destructionDeletesItems()
{
    QPointer<ScanClientItem> item = device(1);
    m_model->addClient(item);
    m_model->flashClient(item);
    m_server.reset();
    QVERIFY(item.isNull());
}

bool TestScanStateModel::showsBell(int row) const
{
    return iconIs(m_model->data(m_model->index(row, 0), Qt::DecorationRole), ":/icons/i16_bell.png");
}

void TestScanStateModel::flashing()
{
    QList<ScanClientItem *> items;
    for (int i = 0; i < 17; ++i) {
        items << device(0x100 + i);
        m_model->addClient(items.last());
    }

    // What row 0 shows at each repaint the flasher asks for.
    struct Shown
    {
        bool bell;
        QVariant background;
        QVariant foreground;
    };
    QList<Shown> shown;
    connect(m_model, &QAbstractItemModel::dataChanged, this, [&](const QModelIndex &from, const QModelIndex &to) {
        if (from.row() != 0)
            return;
        QCOMPARE(to, m_model->index(0, 4));
        shown << Shown{showsBell(0), m_model->data(m_model->index(0, 2), Qt::BackgroundRole),
                       m_model->data(m_model->index(0, 2), Qt::ForegroundRole)};
    });

    QElapsedTimer clock;
    clock.start();
    for (ScanClientItem *item : items)
        m_model->flashClient(item);
    m_model->flashClient(items.first()); // already flashing: no second flasher
    for (int row = 0; row < 16; ++row)
        QVERIFY2(showsBell(row), qPrintable(QString::number(row)));
    QVERIFY(!showsBell(16)); // sixteen flashers at most

    // A removed row ends its flasher at the next tick, freeing a place.
    QVERIFY(m_model->removeClient(items.at(5)));
    std::unique_ptr<ScanClientItem> removed(items.takeAt(5));
    QTRY_VERIFY_WITH_TIMEOUT((m_model->flashClient(items.last()), showsBell(15)), 1000);
    QVERIFY(clock.elapsed() < 2000); // well before the hold would end

    // Eight steps, bell until the last, colours on odd states.
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 8, 2000);
    const QBrush dark = QGuiApplication::palette().brush(QPalette::Active, QPalette::Dark);
    const QBrush bright = QGuiApplication::palette().brush(QPalette::Active, QPalette::BrightText);
    for (int step = 0; step < 8; ++step) {
        const int state = 7 - step;
        QCOMPARE(shown.at(step).bell, state > 0);
        QCOMPARE(shown.at(step).background.isValid(), state % 2 == 1);
        QCOMPARE(shown.at(step).foreground.isValid(), state % 2 == 1);
        if (state % 2 == 1) {
            QCOMPARE(shown.at(step).background.value<QBrush>(), dark);
            QCOMPARE(shown.at(step).foreground.value<QBrush>(), bright);
        }
    }

    // The row holds its last state for two seconds before it may flash again.
    m_model->flashClient(items.first());
    QVERIFY(!showsBell(0));
    QTRY_VERIFY_WITH_TIMEOUT((m_model->flashClient(items.first()), showsBell(0)), 4000);
    QVERIFY(clock.elapsed() >= 2500);
}

QTEST_MAIN(TestScanStateModel)
#include "tst_scanstatemodel.moc"
