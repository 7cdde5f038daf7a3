// The registry model over real and damaged blobs, always watched by
// QAbstractItemModelTester: the tree it shows against the printer of
// "znscan-cli config show" (an independent walk of the same store), through
// random edits; and the results of its own operations.
#include "registryblob.h"
#include "registrymodel.h"
#include "registryprinter.h"
#include "store/blobbuilder.h"
#include "tagmap.h"
#include "valuetypes.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr int kCapacity = 4096;

// The model's tree in the printer's text form.
void render(const QAbstractItemModel &model, const QModelIndex &index, int depth, QString *text)
{
    const QString type = depth == 0 ? QStringLiteral("Section 0xFFFFFFFF") : index.data(Qt::ToolTipRole).toString();
    *text += QString(depth * 2, ' ') + index.data().toString() + " (" + type + ')';
    if (const QVariant value = index.siblingAtColumn(1).data(); value.isValid())
        *text += " = " + value.toString();
    if (const QVariant description = index.siblingAtColumn(2).data(); description.isValid())
        *text += "  -- " + description.toString();
    *text += '\n';
    for (int row = 0; row < model.rowCount(index); ++row)
        render(model, model.index(row, 0, index), depth + 1, text);
}

QString render(const QAbstractItemModel &model)
{
    QString text;
    render(model, model.index(0, 0), 0, &text);
    return text;
}

// Every index of the tree, parents before their children.
QModelIndexList allIndexes(const QAbstractItemModel &model, const QModelIndex &parent = {})
{
    QModelIndexList list;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex child = model.index(row, 0, parent);
        list << child << allIndexes(model, child);
    }
    return list;
}

uint keyOf(const QModelIndex &index) { return index.data(RegistryModel::KeyRole).toUInt(); }

// A model over a store of its own, checked by the tester after every change.
struct ModelUnderTest {
    OpenStore store;
    RegistryModel model;
    QAbstractItemModelTester tester;

    ModelUnderTest(const QByteArray &blob, const TagMap *map, int capacity = kCapacity)
        : store(blob, capacity), tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest)
    {
        model.setTagMap(map);
        model.setRegistry(store.root);
    }
    QModelIndex root() const { return model.index(0, 0); }
    QModelIndex at(int row, const QModelIndex &parent) const { return model.index(row, 0, parent); }
};

} // namespace

class TestRegistryModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void treeAsPrinted_data();
    void treeAsPrinted();
    void randomEdits();
    void rootRow();
    void texts();
    void setData();
    void insertItem();
    void removeRows();

private:
    TagMap m_map;
};

void TestRegistryModel::initTestCase()
{
    m_map.loadFile(":/maps/znmap.csv");
    QVERIFY(m_map.errors().isEmpty());
}

void TestRegistryModel::treeAsPrinted_data()
{
    QTest::addColumn<QByteArray>("blob");

    const QByteArray ip = record(0x14A70101, hex("c0a80102"));
    QTest::newRow("device registry") << sampleDeviceRegistry();
    QTest::newRow("empty registry") << rootBlob();
    // The key of the root opens the parent: followed, the tree would never end.
    QTest::newRow("root key below the root") << rootBlob(record(0xFFA70100, record(0xFFFFFFFF, ip) + ip));
    QTest::newRow("root key in the root") << rootBlob(record(0xFFFFFFFF) + ip);
    // The key opens the first section with it: followed, the second showed the first's rows.
    QTest::newRow("repeated section") << rootBlob(record(0xFFA70100, ip) + record(0xFFA70100, record(0xFFA70100)));
    QTest::newRow("repeated value") << rootBlob(ip + record(0x14A70101, hex("0a000001")));
    QTest::newRow("damaged tail") << rootBlob(ip + rawRecord(0x02A70001, 99, "x"));
}

void TestRegistryModel::treeAsPrinted()
{
    QFETCH(QByteArray, blob);

    ModelUnderTest m(blob, &m_map);
    QCOMPARE(render(m.model), registryToText(m.store.root, m_map));
    QCOMPARE(m.store.blob(), blob); // looking changes nothing
    QVERIFY(!m.model.isModified());
}

// Inserts, removals and edits in random order: the tree must follow the
// store after each, and each result must say what happened to the store.
void TestRegistryModel::randomEdits()
{
    QList<uint32_t> keys = m_map.entries().keys();
    keys << 0x11A7F0F0 << 0xFFA7F0F0 << 0x30A70001; // unknown to the map, one of them of no type
    const QStringList texts{"1", "0x10", "-1", "192.168.7.9", "00:11:22:33:44:55", "2 - Static", "ab cd", "", "x"};
    QRandomGenerator random(10);
    ModelUnderTest m(sampleDeviceRegistry(), &m_map, 1024);
    for (int step = 0; step < 400; ++step) {
        const QModelIndexList indexes = QModelIndexList{m.root()} + allIndexes(m.model, m.root());
        const QModelIndex target = indexes[random.bounded(int(indexes.size()))];
        const QByteArray before = m.store.blob();
        switch (random.bounded(3)) {
        case 0: {
            const uint32_t key = keys[random.bounded(int(keys.size()))];
            const QModelIndex added = m.model.insertItem(target, key);
            const bool section = target.data(RegistryModel::TypeRole).toUInt() == 255;
            QCOMPARE(added.isValid() && section, added.isValid());
            if (added.isValid()) {
                QCOMPARE(keyOf(added), key);
                QCOMPARE(added.parent(), target);
            } else if (section) {
                QCOMPARE(m.store.blob(), before);
            }
            break;
        }
        case 1: {
            const bool removable = target.parent().isValid() && !m.model.hasChildren(target);
            QCOMPARE(m.model.removeRows(target.row(), 1, target.parent()), removable);
            QCOMPARE(m.store.blob() == before, !removable);
            break;
        }
        default: {
            const QString text = texts[random.bounded(int(texts.size()))];
            if (!m.model.setData(target.siblingAtColumn(1), text))
                QCOMPARE(m.store.blob(), before);
        }
        }
        QCOMPARE(render(m.model), registryToText(m.store.root, m_map));
    }
}

void TestRegistryModel::rootRow()
{
    ModelUnderTest m(rootBlob(), &m_map);
    QCOMPARE(m.model.rowCount(), 1);
    QVERIFY(m.model.hasChildren());
    QVERIFY(!m.model.hasChildren(m.root()));
    QCOMPARE(m.root().data().toString(), "Root");
    QVERIFY(!m.root().data(Qt::DecorationRole).value<QIcon>().isNull());
    m.model.setRootName("Config");
    QCOMPARE(m.root().data().toString(), "Config");
    QCOMPARE(m.root().data(RegistryModel::TypeRole), QVariant(255u));
    QCOMPARE(m.root().data(RegistryModel::KeyRole), QVariant(0xFFFFFFFFu));

    const QStringList dump = m.model.dump().split('\n');
    QVERIFY(dump.first().startsWith("Registry "));
    QVERIFY(dump.at(1).startsWith(" Handle "));
    QCOMPARE(dump.last(), QString()); // each line ends with a line feed
}

void TestRegistryModel::texts()
{
    const QByteArray section = record(0x11A70107, le32(514)) + QByteArray(64, '\x5A');
    ModelUnderTest m(rootBlob(record(0xFFA70100, section)), &m_map);
    const QModelIndex network = m.at(0, m.root());
    QCOMPARE(network.siblingAtColumn(1).data(Qt::ToolTipRole).toString(),
             "07 01 A7 11 04 00 00 00 02 02 00 00" + QString(" 5A").repeated(52) + " ...");
    const QModelIndex port = m.at(0, network);
    QCOMPARE(port.siblingAtColumn(2).data(Qt::ToolTipRole).toString(), "<HTML><BODY>Default: 514</BODY></HTML>");
    QVERIFY(!network.siblingAtColumn(2).data(Qt::ToolTipRole).isValid());
    QCOMPARE(port.siblingAtColumn(1).data(Qt::EditRole), QVariant(514));
}

void TestRegistryModel::setData()
{
    const QByteArray second = record(0x14A70101, hex("0a000001"));
    ModelUnderTest m(rootBlob(record(0x14A70101, hex("c0a80102")) + second + record(0xFFA70100)), &m_map);
    const QModelIndex ip = m.at(0, m.root()).siblingAtColumn(1);
    QSignalSpy changed(&m.model, &QAbstractItemModel::dataChanged);

    QVERIFY(!m.model.setData(ip, "10.0.0.1", Qt::DisplayRole));
    QVERIFY(!m.model.setData(ip.siblingAtColumn(0), "10.0.0.1"));
    QVERIFY(!m.model.setData(ip, "10.0.0.300"));
    QVERIFY(!m.model.setData(m.at(2, m.root()).siblingAtColumn(1), "00"));
    // The store finds only the first record of a key: the second is shown, never edited.
    QVERIFY(!(m.model.flags(m.at(1, m.root()).siblingAtColumn(1)) & Qt::ItemIsEditable));
    QVERIFY(!m.model.setData(m.at(1, m.root()).siblingAtColumn(1), "10.0.0.1"));
    QVERIFY(changed.isEmpty());
    QVERIFY(!m.model.isModified());

    QVERIFY(m.model.setData(ip, "10.0.0.1"));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().at(0).value<QModelIndex>(), ip);
    QVERIFY(m.model.isModified());
    QCOMPARE(m.store.blob(), rootBlob(record(0x14A70101, hex("0a000001")) + second + record(0xFFA70100)));
}

void TestRegistryModel::insertItem()
{
    const QByteArray network = record(0xFFA70100, record(0x14A70101, hex("c0a80102")));
    ModelUnderTest m(rootBlob(network), &m_map, 56);
    QSignalSpy inserted(&m.model, &QAbstractItemModel::rowsInserted);
    const QModelIndex section = m.at(0, m.root());

    // An existing key is selected, not duplicated; a value row is no place for items.
    QCOMPARE(m.model.insertItem(section.siblingAtColumn(2), 0x14A70101), m.at(0, section));
    QVERIFY(!m.model.insertItem(m.at(0, section), 0x11A70107).isValid());
    QVERIFY(!m.model.insertItem(section, 0xFFFFFFFF).isValid());
    QVERIFY(!m.model.insertItem(section, 0x14000000).isValid());
    QVERIFY(!m.model.insertItem(section, 0x30A70001).isValid()); // a type without a new value
    QVERIFY(inserted.isEmpty());

    const QModelIndex port = m.model.insertItem(section, 0x11A70107);
    QCOMPARE(port, m.at(1, section));
    const QModelIndex serial = m.model.insertItem(m.root(), 0xFFA702FF);
    QCOMPARE(serial, m.at(1, m.root()));
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(m.store.blob(), rootBlob(record(0xFFA70100, record(0x14A70101, hex("c0a80102")) + record(0x11A70107,
                                                                                                     le32(0)))
                                      + record(0xFFA702FF)));
    // 8 bytes left: a 4-byte value needs 12.
    QVERIFY(!m.model.insertItem(serial, 0x11A70200).isValid());
    QCOMPARE(inserted.size(), 2);
}

void TestRegistryModel::removeRows()
{
    const QByteArray values = record(0x02A70001, hex("01")) + record(0x03A70003, "UTC") + record(0x11A70004, le32(4));
    ModelUnderTest m(rootBlob(record(0xFFA70000, values) + record(0xFFA70100) + record(0xFFA70100)), &m_map);
    const QModelIndex general = m.at(0, m.root());

    QVERIFY(m.model.removeRows(0, 2, general));
    QCOMPARE(m.model.rowCount(general), 1);
    QCOMPARE(keyOf(m.at(0, general)), 0x11A70004u);
    QVERIFY(m.model.removeRows(0, 0, general));
    QVERIFY(!m.model.removeRows(0, 1, m.root())); // not empty
    // The store would take the first of the two empty sections for the second.
    QVERIFY(!m.model.removeRows(2, 1, m.root()));
    QVERIFY(m.model.removeRows(1, 2, m.root()));
    QCOMPARE(m.store.blob(), rootBlob(record(0xFFA70000, record(0x11A70004, le32(4)))));
}

QTEST_MAIN(TestRegistryModel)
#include "tst_registrymodel.moc"
