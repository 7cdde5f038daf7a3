// Blob layout, opening and repair, the walk rule, and the dump. (Sections and
// their handles are checked by the fuzz corpus replay and the registry model.)
#include "blobbuilder.h"

#include <QRegularExpression>
#include <QStringList>
#include <QtTest>

#include <cstdio>

using namespace zn;

class TestRegStore : public QObject {
    Q_OBJECT

private slots:
    void open_data()
    {
        QTest::addColumn<QByteArray>("blob");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("dirty");

        const QByteArray empty = rootBlob();
        const QByteArray value = record(0x02A70001, "\x01");
        const QByteArray full = rootBlob(QByteArray(56, 'x'));
        QTest::newRow("zeros") << QByteArray(4096, '\0') << 4096 << empty << 1;
        QTest::newRow("capacity of one header") << empty << 8 << empty << 0;
        QTest::newRow("root fills the capacity") << full << 64 << full << 0;
        QTest::newRow("root one byte beyond") << rawRecord(0xFFFFFFFF, 57, QByteArray(56, 'x')) << 64 << empty << 1;
        QTest::newRow("root length 0xFFFFFFFF") << rawRecord(0xFFFFFFFF, 0xFFFFFFFF) << 64 << empty << 1;
        QTest::newRow("root is a value") << record(0x02FFFFFF, value) << 64 << empty << 1;
        QTest::newRow("root key gets its low bytes") << record(0xFF000000, value) << 64 << rootBlob(value) << 1;
        const QByteArray damaged = rootBlob(rawRecord(0x02A70001, 99));
        QTest::newRow("damaged child is kept") << damaged << 64 << damaged << 0;
    }

    void open()
    {
        QFETCH(QByteArray, blob);
        QFETCH(int, capacity);
        QFETCH(QByteArray, expected);
        QFETCH(int, dirty);

        OpenStore s(blob, capacity);
        QVERIFY(s.root);
        QCOMPARE(s.blob(), expected);
        QCOMPARE(reg_is_dirty(s.root), dirty);
        // A repair rewrites the header only; whatever lies behind it stays.
        QCOMPARE(s.snapshot().mid(8), blob.leftJustified(capacity, char(0xEE), true).mid(8));
    }

    void openRefusesBadArguments()
    {
        uint8_t bytes[8] = {};
        QVERIFY(!reg_open(nullptr, 4096));
        QVERIFY(!reg_open(bytes, 7));
        QCOMPARE(QByteArray(reinterpret_cast<char *>(bytes), 8), QByteArray(8, '\0'));
        reg_close(nullptr);
    }

    void walk_data()
    {
        QTest::addColumn<QByteArray>("contents"); // of the root
        QTest::addColumn<KeyList>("path");        // sections to open from the root
        QTest::addColumn<KeyList>("visible");
        QTest::addColumn<KeyList>("hidden");

        const QByteArray a = record(0x01A70001, le32(1));
        const QByteArray b = record(0x03A70002, "bb");
        const auto row = [](const char *name, const QByteArray &contents, const KeyList &path, const KeyList &visible,
                            const KeyList &hidden) { QTest::newRow(name) << contents << path << visible << hidden; };
        row("empty root", {}, {}, {}, {});
        row("last child ends at the section end", a + b, {}, {0x01A70001, 0x03A70002}, {});
        row("last child too long", a + rawRecord(0x03A70002, 3, "bb"), {}, {0x01A70001}, {0x03A70002});
        row("first child too long hides all", rawRecord(0x01A70001, 20, le32(1)) + b, {}, {}, {0x01A70001});
        row("length 0xFFFFFFFF", a + rawRecord(0x03A70002, 0xFFFFFFFF, "bb"), {}, {0x01A70001}, {0x03A70002});
        row("fewer than 8 bytes left", a + QByteArray("\x02\x00\xA7\x03\x00\x00\x00", 7), {}, {0x01A70001}, {});
        row("damage stays inside its section", record(0xFFA70010, a + rawRecord(0x03A70002, 9, "bb")) + b,
            {0xFFA70010}, {0x01A70001}, {0x03A70002});
        row("sibling after damaged section", record(0xFFA70010, rawRecord(0x01A70001, 5, le32(1))) + b, {},
            {0xFFA70010, 0x03A70002}, {});
    }

    void walk()
    {
        QFETCH(QByteArray, contents);
        QFETCH(KeyList, path);
        QFETCH(KeyList, visible);
        QFETCH(KeyList, hidden);

        OpenStore s(rootBlob(contents), 256);
        QCOMPARE(reg_is_dirty(s.root), 0);
        RegistryHandle *h = s.root;
        for (uint32_t key : path) {
            h = reg_open_section(h, key);
            QVERIFY(h);
        }
        QCOMPARE(keysOf(h), visible);
        QCOMPARE(reg_key_at(h, int(visible.size())), 0u);
        for (int i = 0; i < visible.size(); ++i)
            QCOMPARE(reg_index_of(h, visible[i]), i);
        for (uint32_t key : hidden) {
            uint32_t length = 99;
            QCOMPARE(reg_index_of(h, key), -1);
            QVERIFY(!reg_get(h, key, &length));
            QCOMPARE(length, 0u);
        }
    }

    void dump()
    {
        // Deep enough that a line would no longer fit into 80 characters.
        const QByteArray deep = record(0xFFA70003, record(0x03A70009, QByteArray(200, 'd')));
        OpenStore s(rootBlob(record(0xFFA70001, record(0xFFA70002, deep)) + record(0xFFA70004)), 512);
        RegistryHandle *a = reg_open_section(s.root, 0xFFA70001);
        RegistryHandle *b = reg_open_section(a, 0xFFA70002);
        RegistryHandle *c = reg_open_section(b, 0xFFA70003);
        RegistryHandle *removed = reg_open_section(s.root, 0xFFA70004);
        QCOMPARE(reg_remove(s.root, 0xFFA70004), 1);

        QStringList lines;
        reg_dump(c, [](void *context, const char *line) { static_cast<QStringList *>(context)->append(line); }, &lines);
        QVERIFY(!lines.isEmpty());
        lines[0].replace(QRegularExpression("^Registry 0x[0-9a-f]+:"), "Registry STORE:");
        // The C library's %p, as the store prints it.
        const auto handleLine = [&](int depth, const void *h, const void *parent, uint32_t key, int offset,
                                    uint32_t length) {
            const void *section = offset < 0 ? nullptr : s.buffer.constData() + offset;
            char text[200];
            std::snprintf(text, sizeof text, "Handle %p: parent=%p key=0x%08X section=%p:%u", h, parent, key, section,
                          length);
            return QString(depth, ' ') + QString::fromLatin1(text);
        };
        char first[80];
        const void *buffer = s.buffer.constData();
        std::snprintf(first, sizeof first, "Registry STORE: buf=%p:512 dirty=1", buffer);
        QCOMPARE(lines, (QStringList{QString::fromLatin1(first), handleLine(1, s.root, nullptr, 0xFFFFFFFF, 0, 232),
                                     handleLine(2, a, s.root, 0xFFA70001, 8, 224),
                                     handleLine(3, b, a, 0xFFA70002, 16, 216), handleLine(4, c, b, 0xFFA70003, 24, 208),
                                     handleLine(2, removed, s.root, 0, -1, 0)}));
    }
};

QTEST_GUILESS_MAIN(TestRegStore)
#include "tst_regstore.moc"
