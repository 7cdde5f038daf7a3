// Editing a blob: the dirty flag, the capacity limit, failed edits, handles
// that follow their sections, and data taken from the blob itself.
#include "blobbuilder.h"

#include <QtTest>

#include <functional>
#include <utility>

using namespace zn;

namespace {

using Records = QList<std::pair<uint32_t, QByteArray>>;

QByteArray records(const Records &list)
{
    QByteArray bytes;
    for (const auto &[key, payload] : list)
        bytes += record(key, payload);
    return bytes;
}

// The handles a failing edit works on.
struct Target {
    RegistryHandle *root;
    RegistryHandle *nonEmpty; // section 0xFFA70001 holding 0x03A70002 "abcd"
    RegistryHandle *detached; // its section was removed
    const uint8_t *freeSpace; // the first byte behind the blob
};

using FailingEdit = std::function<int(const Target &)>;

} // namespace

Q_DECLARE_METATYPE(FailingEdit)

class TestRegStoreEdits : public QObject {
    Q_OBJECT

private slots:
    void dirtyFlag_data();
    void dirtyFlag();
    void capacityLimit_data();
    void capacityLimit();
    void failedEditChangesNothing_data();
    void failedEditChangesNothing();
    void handlesFollowTheirSections_data();
    void handlesFollowTheirSections();
    void dataFromTheBlob_data();
    void dataFromTheBlob();
    void appendGoesBeforeHiddenRecords();
};

void TestRegStoreEdits::dirtyFlag_data()
{
    QTest::addColumn<uint32_t>("key");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("dirty");

    QTest::newRow("identical bytes") << 0x01A70001u << le32(5) << 0;
    QTest::newRow("one byte changed") << 0x01A70001u << le32(6) << 1;
    QTest::newRow("longer") << 0x01A70001u << QByteArray("\x05\x00\x00\x00\x00", 5) << 1;
    QTest::newRow("shorter") << 0x01A70001u << QByteArray("\x05", 1) << 1;
    QTest::newRow("identical empty") << 0x03A70002u << QByteArray() << 0;
    QTest::newRow("new key") << 0x01A70003u << le32(5) << 1;
}

void TestRegStoreEdits::dirtyFlag()
{
    QFETCH(uint32_t, key);
    QFETCH(QByteArray, payload);
    QFETCH(int, dirty);

    OpenStore s(rootBlob(record(0x01A70001, le32(5)) + record(0x03A70002)), 128);
    QCOMPARE(reg_is_dirty(s.root), 0);
    QCOMPARE(reg_set(s.root, key, payload.constData(), uint32_t(payload.size())), 1);
    QCOMPARE(reg_is_dirty(s.root), dirty);
    QCOMPARE(valueOf(s.root, key), payload);
    reg_set_dirty(s.root);
    QCOMPARE(reg_is_dirty(s.root), 1);
}

void TestRegStoreEdits::capacityLimit_data()
{
    QTest::addColumn<int>("spare");    // free bytes behind the blob
    QTest::addColumn<uint32_t>("key"); // a new value, the existing one, or a new section
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("fits");

    // The blob holds one 10-byte value record: 18 bytes in use.
    QTest::newRow("new value fills exactly") << 46 << 0x03A70002u << 38 << true;
    QTest::newRow("new value one byte over") << 46 << 0x03A70002u << 39 << false;
    QTest::newRow("grown value fills exactly") << 46 << 0x03A70001u << 48 << true;
    QTest::newRow("grown value one byte over") << 46 << 0x03A70001u << 49 << false;
    QTest::newRow("section fills exactly") << 8 << 0xFFA70003u << 0 << true;
    QTest::newRow("section one byte over") << 7 << 0xFFA70003u << 0 << false;
    QTest::newRow("no spare, same length") << 0 << 0x03A70001u << 2 << true;
    QTest::newRow("no spare, shorter") << 0 << 0x03A70001u << 1 << true;
}

void TestRegStoreEdits::capacityLimit()
{
    QFETCH(int, spare);
    QFETCH(uint32_t, key);
    QFETCH(int, length);
    QFETCH(bool, fits);

    const QByteArray blob = rootBlob(record(0x03A70001, "ab"));
    OpenStore s(blob, int(blob.size()) + spare);
    const QByteArray before = s.snapshot();
    const QByteArray payload(length, 'p');
    bool done = false;
    if (reg_is_section_key(key))
        done = reg_create_section(s.root, key) != nullptr;
    else
        done = reg_set(s.root, key, payload.constData(), uint32_t(length)) == 1;

    QCOMPARE(done, fits);
    if (fits) {
        QCOMPARE(reg_is_dirty(s.root), 1);
        QCOMPARE(valueOf(s.root, key), payload);
        if (spare)
            QCOMPARE(reg_used_size(s.root), reg_capacity(s.root));
    } else {
        QCOMPARE(s.snapshot(), before);
        QCOMPARE(reg_is_dirty(s.root), 0);
    }
}

void TestRegStoreEdits::failedEditChangesNothing_data()
{
    QTest::addColumn<FailingEdit>("edit");

    const auto row = [](const char *name, FailingEdit edit) { QTest::newRow(name) << edit; };
    row("value with a section key", [](const Target &t) { return reg_set(t.root, 0xFFA70009, "x", 1); });
    row("value with tag 0", [](const Target &t) { return reg_set(t.root, 0x11000000, "xxxx", 4); });
    row("new value beyond capacity", [](const Target &t) { return reg_set(t.nonEmpty, 0x03A70005, "", 0); });
    row("grown value beyond capacity",
        [](const Target &t) { return reg_set(t.nonEmpty, 0x03A70002, "abcd12345678", 12); });
    row("section beyond capacity", [](const Target &t) { return int(!!reg_create_section(t.nonEmpty, 0xFFA70006)); });
    row("remove a key of a subsection", [](const Target &t) { return reg_remove(t.root, 0x03A70002); });
    row("remove non-empty section", [](const Target &t) { return reg_remove(t.root, 0xFFA70001); });
    row("create root key", [](const Target &t) { return int(!!reg_create_section(t.root, 0xFFFFFFFF)); });
    row("create value key", [](const Target &t) { return int(!!reg_create_section(t.root, 0x11A70004)); });
    row("set on detached handle", [](const Target &t) { return reg_set(t.detached, 0x03A70007, "", 0); });
    row("create on detached handle",
        [](const Target &t) { return int(!!reg_create_section(t.detached, 0xFFA70007)); });
    row("remove on detached handle", [](const Target &t) { return reg_remove(t.detached, 0x11A70004); });
    row("data in the free space", [](const Target &t) { return reg_set(t.nonEmpty, 0x03A70002, t.freeSpace, 2); });
    row("data across the used end",
        [](const Target &t) { return reg_set(t.root, 0x11A70004, t.freeSpace - 2, 4); });
    row("null data", [](const Target &t) { return reg_set(t.root, 0x11A70004, nullptr, 4); });
}

void TestRegStoreEdits::failedEditChangesNothing()
{
    QFETCH(FailingEdit, edit);

    const QByteArray section = record(0xFFA70001, record(0x03A70002, "abcd"));
    const QByteArray blob = rootBlob(section + record(0xFFA70003) + record(0x11A70004, le32(4)));
    OpenStore s(blob, int(blob.size()) + 7); // room for less than one header
    Target t{s.root, reg_open_section(s.root, 0xFFA70001), reg_open_section(s.root, 0xFFA70003), nullptr};
    QCOMPARE(reg_remove(s.root, 0xFFA70003), 1);
    QCOMPARE(reg_set(s.root, 0x03A70008, "", 0), 1); // takes the 8 bytes freed again
    t.freeSpace = reinterpret_cast<const uint8_t *>(s.buffer.constData()) + reg_used_size(s.root);
    const QByteArray before = s.snapshot();
    const KeyList rootKeys = keysOf(s.root);

    QCOMPARE(edit(t), 0);
    QCOMPARE(s.snapshot(), before);
    QCOMPARE(keysOf(s.root), rootKeys);
    QCOMPARE(reg_is_dirty(s.root), 1);
    QCOMPARE(reg_section_key(t.nonEmpty), 0xFFA70001u);
    QCOMPARE(reg_section_key(t.detached), 0u);
}

void TestRegStoreEdits::handlesFollowTheirSections_data()
{
    QTest::addColumn<int>("edit");
    QTest::addColumn<Records>("a"); // the contents of section A afterwards
    QTest::addColumn<QByteArray>("bValue");

    const Records a{{0x03A70011, "aa"}, {0xFFA70012, {}}};
    QTest::newRow("grow a value") << 0 << Records{{0x03A70011, "aaaa"}, {0xFFA70012, {}}} << QByteArray("bee");
    QTest::newRow("shrink a value") << 1 << Records{{0x03A70011, "a"}, {0xFFA70012, {}}} << QByteArray("bee");
    QTest::newRow("add a value") << 2 << a + Records{{0x03A70013, "new"}} << QByteArray("bee");
    QTest::newRow("remove a value") << 3 << Records{{0xFFA70012, {}}} << QByteArray("bee");
    QTest::newRow("create a section") << 4 << a + Records{{0xFFA70014, {}}} << QByteArray("bee");
    QTest::newRow("remove an empty section") << 5 << Records{{0x03A70011, "aa"}} << QByteArray("bee");
    QTest::newRow("grow the value before C") << 6 << a << QByteArray("beeeeeee");
}

void TestRegStoreEdits::handlesFollowTheirSections()
{
    QFETCH(int, edit);
    QFETCH(Records, a);
    QFETCH(QByteArray, bValue);

    const QByteArray c = record(0xFFA70030, record(0x03A70031, "sea"));
    const auto blobWith = [&](const Records &aContents, const QByteArray &b) {
        return rootBlob(record(0xFFA70010, records(aContents)) + record(0xFFA70020, record(0x03A70021, b) + c));
    };
    OpenStore s(blobWith({{0x03A70011, "aa"}, {0xFFA70012, {}}}, "bee"), 256);
    RegistryHandle *ha = reg_open_section(s.root, 0xFFA70010);
    RegistryHandle *empty = reg_open_section(ha, 0xFFA70012);
    RegistryHandle *hb = reg_open_section(s.root, 0xFFA70020);
    RegistryHandle *hc = reg_open_section(hb, 0xFFA70030);
    QVERIFY(empty && hc);

    switch (edit) {
    case 0:
        QCOMPARE(reg_set(ha, 0x03A70011, "aaaa", 4), 1);
        break;
    case 1:
        QCOMPARE(reg_set(ha, 0x03A70011, "a", 1), 1);
        break;
    case 2:
        QCOMPARE(reg_set(ha, 0x03A70013, "new", 3), 1);
        break;
    case 3:
        QCOMPARE(reg_remove(ha, 0x03A70011), 1);
        break;
    case 4:
        QVERIFY(reg_create_section(ha, 0xFFA70014));
        break;
    case 5:
        QCOMPARE(reg_remove(ha, 0xFFA70012), 1);
        break;
    case 6:
        QCOMPARE(reg_set(hb, 0x03A70021, bValue.constData(), uint32_t(bValue.size())), 1);
        break;
    }

    QCOMPARE(s.blob(), blobWith(a, bValue));
    QCOMPARE(reg_section_key(hb), 0xFFA70020u);
    QCOMPARE(reg_section_key(hc), 0xFFA70030u);
    QCOMPARE(valueOf(hb, 0x03A70021), bValue);
    QCOMPARE(valueOf(hc, 0x03A70031), QByteArray("sea"));
    QCOMPARE(reg_open_section(hb, 0xFFA70030), hc);
    QCOMPARE(reg_section_key(empty), edit == 5 ? 0u : 0xFFA70012u);
}

void TestRegStoreEdits::dataFromTheBlob_data()
{
    QTest::addColumn<int>("target"); // 0: section A, 1: section B
    QTest::addColumn<uint32_t>("key");
    QTest::addColumn<uint32_t>("sourceKey"); // a value of A or B
    QTest::addColumn<int>("offset");         // into the source payload
    QTest::addColumn<int>("length");

    const uint32_t va = 0x03A70011;
    const uint32_t vb = 0x03A70021;
    const uint32_t fresh = 0x03A70099;
    QTest::newRow("new value from a later section") << 0 << fresh << vb << 0 << 5;
    QTest::newRow("new value from an earlier section") << 1 << fresh << va << 0 << 3;
    QTest::newRow("grow from a later section") << 0 << va << vb << 0 << 5;
    QTest::newRow("grow from itself and beyond") << 0 << va << va << 0 << 11;
    QTest::newRow("grow across the insert point") << 0 << va << va << 1 << 6;
    QTest::newRow("shrink to own suffix") << 0 << va << va << 1 << 2;
    QTest::newRow("shrink to own prefix") << 0 << va << va << 0 << 2;
    QTest::newRow("shrink from a later section") << 0 << va << vb << 3 << 2;
    QTest::newRow("same length, shifted") << 0 << va << va << 1 << 3;
    QTest::newRow("same length from a later section") << 0 << va << vb << 2 << 3;
    // From A's length field on: the very bytes the edit rewrites.
    QTest::newRow("new value from the section header") << 0 << fresh << va << -12 << 8;
    QTest::newRow("grow from the section header") << 0 << va << va << -12 << 10;
}

void TestRegStoreEdits::dataFromTheBlob()
{
    QFETCH(int, target);
    QFETCH(uint32_t, key);
    QFETCH(uint32_t, sourceKey);
    QFETCH(int, offset);
    QFETCH(int, length);

    Records sections[2] = {{{0x03A70011, "alp"}}, {{0x03A70021, "bravo"}}};
    const auto blobWith = [](const Records *contents) {
        return rootBlob(record(0xFFA70010, records(contents[0])) + record(0xFFA70020, records(contents[1])));
    };
    OpenStore s(blobWith(sections), 256);
    RegistryHandle *handles[2] = {reg_open_section(s.root, 0xFFA70010), reg_open_section(s.root, 0xFFA70020)};
    const uint8_t *source = reg_get(handles[sourceKey == 0x03A70011 ? 0 : 1], sourceKey) + offset;
    const int sourceOffset = int(source - reinterpret_cast<const uint8_t *>(s.buffer.constData()));
    const QByteArray expectedValue = s.snapshot().mid(sourceOffset, length);

    QCOMPARE(reg_set(handles[target], key, source, uint32_t(length)), 1);

    Records &list = sections[target];
    if (list.first().first == key)
        list.first().second = expectedValue;
    else
        list.append({key, expectedValue});
    QCOMPARE(s.blob(), blobWith(sections));
}

void TestRegStoreEdits::appendGoesBeforeHiddenRecords()
{
    // A damaged record hides the rest of its section; a new record placed
    // behind it would be hidden as well, so it goes before.
    const QByteArray damaged = rawRecord(0x03A70019, 50, "zz");
    OpenStore s(rootBlob(record(0xFFA70010, record(0x03A70011, "x") + damaged) + damaged), 256);
    RegistryHandle *section = reg_open_section(s.root, 0xFFA70010);

    QCOMPARE(reg_set(section, 0x03A70012, "new", 3), 1);
    QVERIFY(reg_create_section(s.root, 0xFFA70020));

    const QByteArray contents = record(0x03A70011, "x") + record(0x03A70012, "new") + damaged;
    QCOMPARE(s.blob(), rootBlob(record(0xFFA70010, contents) + record(0xFFA70020) + damaged));
    QCOMPARE(keysOf(section), (KeyList{0x03A70011, 0x03A70012}));
    QCOMPARE(keysOf(s.root), (KeyList{0xFFA70010, 0xFFA70020}));
}

QTEST_GUILESS_MAIN(TestRegStoreEdits)
#include "tst_regstore_edits.moc"
