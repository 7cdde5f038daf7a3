// Editing a blob: random edits against a model of the tree (the capacity
// limit and a record hidden behind a damaged one included), and data the store must not take.
#include "blobbuilder.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace zn;

namespace {

// The tree as the edits should leave it; the blob is its serialisation.
struct Node {
    uint32_t key = 0xFFFFFFFF;
    QByteArray payload;   // of a value
    QList<Node> children; // of a section
    QByteArray hidden;    // behind a damaged record at the section end, where no edit may put a record

    QByteArray blob() const
    {
        QByteArray contents = payload;
        for (const Node &c : children)
            contents += c.blob();
        return record(key, contents + hidden);
    }

    Node *child(uint32_t k)
    {
        const auto it = std::find_if(children.begin(), children.end(), [k](const Node &c) { return c.key == k; });
        return it == children.end() ? nullptr : &*it;
    }

    Node *at(const KeyList &path)
    {
        return path.isEmpty() ? this : child(path.first())->at(path.mid(1));
    }

    KeyList keys() const
    {
        KeyList list;
        for (const Node &c : children)
            list.append(c.key);
        return list;
    }
};

} // namespace

class TestRegStoreEdits : public QObject {
    Q_OBJECT

private slots:
    void randomEditsMatchModel()
    {
        // Values, removals and new sections through every open handle, in small
        // buffers so that edits also fail for want of room. After each edit the
        // blob is the model's, every handle lists its section, and the dirty flag
        // is set exactly when some byte changed. (Values copied from the blob
        // itself are the fuzz corpus replay's.)
        QRandomGenerator random(11);
        for (int run = 0; run < 60; ++run) {
            const int capacity = 24 + random.bounded(200);
            Node model;
            model.hidden = rawRecord(0x03A70019, 50, "zz");
            OpenStore s(model.blob(), capacity);
            QList<std::pair<KeyList, RegistryHandle *>> open{{{}, s.root}};
            bool dirty = false;
            for (int step = 0; step < 60; ++step) {
                const auto [path, h] = open[random.bounded(int(open.size()))];
                Node *section = model.at(path);
                const QByteArray before = s.snapshot();
                const int used = int(model.blob().size());
                const uint32_t type = random.bounded(3) ? (random.bounded(2) ? 0x01A70000u : 0x03A70000u) : 0xFFA70000u;
                const uint32_t key = type | random.bounded(1, 4);
                Node *existing = section->child(key);
                bool done = false, changed = false;
                switch (random.bounded(3)) {
                case 0: {
                    if (reg_is_section_key(key))
                        continue;
                    QByteArray payload = QByteArray::number(random.generate64(), 36).left(random.bounded(17));
                    if (random.bounded(3) == 0) { // one byte too many, exactly the room left, or up to 8 bytes less
                        const int room = capacity - used - (existing ? -int(existing->payload.size()) : 8);
                        payload = QByteArray(qMax(0, room + 1 - random.bounded(10)), 'r');
                    }
                    const int grown = int(payload.size()) - (existing ? int(existing->payload.size()) : -8);
                    done = reg_set(h, key, payload.constData(), uint32_t(payload.size())) == 1;
                    QCOMPARE(done, used + grown <= capacity);
                    if (done) {
                        changed = !existing || existing->payload != payload;
                        if (existing)
                            existing->payload = payload;
                        else
                            section->children.append({key, payload, {}, {}});
                    }
                    break;
                }
                case 1:
                    done = reg_remove(h, key) == 1;
                    QCOMPARE(done, existing && existing->children.isEmpty());
                    if (done) {
                        section->children.removeIf([key](const Node &n) { return n.key == key; });
                        const KeyList gone = path + KeyList{key};
                        open.removeIf([&](const auto &o) { return o.first.mid(0, gone.size()) == gone; });
                        changed = true;
                    }
                    break;
                default: {
                    RegistryHandle *created = reg_create_section(h, key);
                    done = created != nullptr;
                    QCOMPARE(done, reg_is_section_key(key) && (existing || used + 8 <= capacity));
                    if (!done)
                        break;
                    changed = !existing;
                    if (!existing)
                        section->children.append({key, {}, {}, {}});
                    const auto known = std::find_if(open.begin(), open.end(),
                                                    [&](const auto &o) { return o.first == path + KeyList{key}; });
                    if (known == open.end())
                        open.append({path + KeyList{key}, created});
                    else
                        QCOMPARE(known->second, created);
                }
                }
                dirty = dirty || changed;
                QCOMPARE(s.blob(), model.blob());
                QCOMPARE(reg_is_dirty(s.root), int(dirty));
                if (!done)
                    QCOMPARE(s.snapshot(), before);
                for (const auto &[p, handle] : open)
                    QCOMPARE(keysOf(handle), model.at(p)->keys());
            }
        }
    }

    void dataFromFreeSpaceIsRefused()
    {
        // The store never reads the bytes behind the used end, and takes no missing data. (Edits beyond the
        // capacity, of a detached section and of keys no value may have fail in the random edits and the fuzz
        // corpus replay.)
        const QByteArray blob = rootBlob(record(0xFFA70001, record(0x03A70002, "abcd")) + record(0x11A70004, le32(4)));
        OpenStore s(blob, int(blob.size()) + 64); // room enough: each edit fails by its own rule
        RegistryHandle *section = reg_open_section(s.root, 0xFFA70001);
        const uint8_t *freeSpace = reinterpret_cast<const uint8_t *>(s.buffer.constData()) + reg_used_size(s.root);
        const QByteArray before = s.snapshot();
        QCOMPARE(reg_set(section, 0x03A70002, freeSpace, 2), 0);
        QCOMPARE(reg_set(s.root, 0x11A70004, freeSpace - 2, 4), 0);
        QCOMPARE(reg_set(s.root, 0x11A70004, nullptr, 4), 0);
        QCOMPARE(s.snapshot(), before);
    }
};

QTEST_GUILESS_MAIN(TestRegStoreEdits)
#include "tst_regstore_edits.moc"
