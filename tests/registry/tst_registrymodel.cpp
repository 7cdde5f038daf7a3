// The registry model over a real and damaged blob, always watched by
// QAbstractItemModelTester: the tree it shows against the printer of
// "znscan-cli config show" (an independent walk of the same store), through
// random edits; and the results of its own operations.
#include "registryblob.h"
#include "registrymodel.h"
#include "registryprinter.h"
#include "store/blobbuilder.h"
#include "tagmap.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

namespace {

// The model's tree in the printer's text form, and its indexes (column 0),
// parents before their children.
void walk(const QAbstractItemModel &model, const QModelIndex &index, int depth, QString *text, QModelIndexList *all)
{
    const QString type = depth == 0 ? QStringLiteral("Section 0xFFFFFFFF") : index.data(Qt::ToolTipRole).toString();
    *text += QString(depth * 2, ' ') + index.data().toString() + " (" + type + ')';
    if (const QVariant value = index.siblingAtColumn(1).data(); value.isValid())
        *text += " = " + value.toString();
    if (const QVariant description = index.siblingAtColumn(2).data(); description.isValid())
        *text += "  -- " + description.toString();
    *text += '\n';
    *all << index;
    for (int row = 0; row < model.rowCount(index); ++row)
        walk(model, model.index(row, 0, index), depth + 1, text, all);
}

QString render(const QAbstractItemModel &model, QModelIndexList *all)
{
    QString text;
    all->clear();
    walk(model, model.index(0, 0), 0, &text, all);
    return text;
}

uint keyOf(const QModelIndex &index) { return index.data(RegistryModel::KeyRole).toUInt(); }

// The store finds a record by its key, so only the first with a key can be edited or removed.
bool firstWithKey(const QModelIndex &index)
{
    for (int row = 0; row < index.row(); ++row) {
        if (keyOf(index.siblingAtRow(row)) == keyOf(index))
            return false;
    }
    return true;
}

// A model over a store of its own, checked by the tester after every change.
struct ModelUnderTest {
    OpenStore store;
    RegistryModel model;
    QAbstractItemModelTester tester;

    ModelUnderTest(const QByteArray &blob, const TagMap *map, int capacity = 4096)
        : store(blob, capacity), tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest)
    {
        model.setTagMap(map);
        model.setRegistry(store.root);
    }
    QModelIndex root() const { return model.index(0, 0); }
};

} // namespace

class TestRegistryModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_map.loadFile(":/maps/znmap.csv"); }
    void randomEdits();
    void signalsAndRemovals();

private:
    TagMap m_map;
};

// A controller's registry with the damage a blob may carry, then inserts,
// removals and edits in random order: the tree must show what the printer
// of the same store shows, before and after each, and each result must say
// what happened to the store.
void TestRegistryModel::randomEdits()
{
    QList<uint32_t> keys = m_map.entries().keys();
    keys << 0x11A7F0F0 << 0xFFA7F0F0 << 0x30A70001; // unknown to the map, one of them of no type
    const QStringList texts{"1", "0x10", "-1", "192.168.7.9", "00:11:22:33:44:55", "2 - Static", "ab cd", "", "x"};
    // The key of the root opens the parent, so followed it would never end; a
    // repeated section key opens the first section, whose rows the second showed.
    const QByteArray damage = record(0xFFA70600, record(0xFFFFFFFF, record(0x02A70001, hex("01"))) + record(0xFFFFFFFF))
        + record(0x14A70101, hex("0a000001")) + record(0x14A70101) + record(0xFFA70500) + record(0xFFA70500)
        + rawRecord(0x02A70001, 99, "x");
    const QByteArray blob = rootBlob(sampleDeviceRegistry().mid(8) + damage);
    ModelUnderTest m(blob, &m_map, 1024);
    QSignalSpy changed(&m.model, &QAbstractItemModel::dataChanged);
    QModelIndexList indexes;
    QCOMPARE(render(m.model, &indexes), registryToText(m.store.root, m_map));
    QVERIFY(m.store.blob() == blob && !m.model.isModified()); // looking changes nothing
    QRandomGenerator random(10);
    for (int step = 0; step < 400; ++step) {
        const QModelIndex target = indexes[random.bounded(int(indexes.size()))];
        const bool section = target.data(RegistryModel::TypeRole).toUInt() == 255;
        const QByteArray before = m.store.blob();
        switch (random.bounded(3)) {
        case 0: {
            const uint32_t key = keys[random.bounded(int(keys.size()))];
            const QModelIndex added = m.model.insertItem(target, key);
            QVERIFY(section || !added.isValid());
            if (added.isValid())
                QVERIFY(keyOf(added) == key && added.parent() == target);
            else
                QCOMPARE(m.store.blob(), before);
            break;
        }
        case 1: {
            // A section's raw content is its value column's tooltip.
            const bool empty = !section || target.siblingAtColumn(1).data(Qt::ToolTipRole).toString().isEmpty();
            const bool removable = target.parent().isValid() && firstWithKey(target) && empty;
            QCOMPARE(m.model.removeRows(target.row(), 1, target.parent()), removable);
            QCOMPARE(m.store.blob() == before, !removable);
            break;
        }
        default:
            const qsizetype signalled = changed.size();
            const bool edited = m.model.setData(target.siblingAtColumn(1), texts[random.bounded(int(texts.size()))]);
            QCOMPARE(changed.size(), signalled + (edited ? 1 : 0));
            QVERIFY(edited ? firstWithKey(target) : m.store.blob() == before);
        }
        QCOMPARE(render(m.model, &indexes), registryToText(m.store.root, m_map));
    }
}

void TestRegistryModel::signalsAndRemovals()
{
    const QByteArray utc = record(0x03A70003, "UTC");
    ModelUnderTest m(rootBlob(record(0xFFA70100) + utc + utc + record(0x11A70004, le32(4))), &m_map);
    QVERIFY(!m.model.setData(m.model.index(1, 1, m.root()), "CET", Qt::DisplayRole));
    QVERIFY(!m.model.setData(m.model.index(2, 1, m.root()), "CET")); // the store would change the first
    QVERIFY(m.model.setData(m.model.index(1, 1, m.root()), "CET"));
    QVERIFY(m.model.isModified());
    QVERIFY(m.model.dump().startsWith("Registry "));
    // Removes what it can, from the same row on.
    QVERIFY(!m.model.removeRows(1, 4, m.root()));
    QCOMPARE(m.store.blob(), rootBlob(record(0xFFA70100)));
}

QTEST_MAIN(TestRegistryModel)
#include "tst_registrymodel.moc"
