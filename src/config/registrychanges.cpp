#include "registrychanges.h"

#include "store.h"
#include "tagmap.h"
#include "valuecodec.h"
#include "valuetypes.h"

#include <QCoreApplication>
#include <QHash>

#include <vector>

namespace {

// A store over a private copy of a blob, which opening may repair.
class OpenCopy
{
public:
    explicit OpenCopy(QByteArrayView blob) : m_buffer(blob.toByteArray())
    {
        m_buffer.resize(qMax<qsizetype>(m_buffer.size(), zn::kRegHeaderSize), '\0');
        m_root = zn::reg_open(reinterpret_cast<uint8_t *>(m_buffer.data()), size_t(m_buffer.size()));
    }
    ~OpenCopy() { zn::reg_close(m_root); }
    OpenCopy(const OpenCopy &) = delete;
    OpenCopy &operator=(const OpenCopy &) = delete;

    zn::RegistryHandle *root() const { return m_root; }

private:
    QByteArray m_buffer;
    zn::RegistryHandle *m_root = nullptr;
};

std::vector<zn::RegChild> childrenOf(zn::RegistryHandle *section)
{
    std::vector<zn::RegChild> children;
    if (section)
        zn::reg_children(section, &children);
    return children;
}

// A record's identity within its section: its key, and for a key that a
// damaged blob repeats, how many records before it had the key.
std::vector<quint64> identities(const std::vector<zn::RegChild> &children)
{
    QHash<uint32_t, quint32> seen;
    std::vector<quint64> ids;
    ids.reserve(children.size());
    for (const zn::RegChild &child : children)
        ids.push_back(quint64(seen[child.key]++) << 32 | child.key);
    return ids;
}

QByteArrayView payloadOf(const zn::RegChild &record)
{
    return QByteArrayView(record.payload, record.length);
}

class Comparison
{
public:
    explicit Comparison(const TagMap *tagMap) : m_tagMap(tagMap) {}

    void sections(zn::RegistryHandle *before, zn::RegistryHandle *after)
    {
        const std::vector<zn::RegChild> old = childrenOf(before);
        const std::vector<zn::RegChild> now = childrenOf(after);
        const std::vector<quint64> oldIds = identities(old);
        const std::vector<quint64> nowIds = identities(now);
        QHash<quint64, size_t> nowAt;
        for (size_t i = 0; i < now.size(); ++i)
            nowAt.insert(nowIds[i], i);
        std::vector<bool> kept(now.size(), false);
        for (size_t i = 0; i < old.size(); ++i) {
            const auto found = nowAt.constFind(oldIds[i]);
            if (found == nowAt.constEnd()) {
                subtree(RegistryChange::Removed, old[i]);
                continue;
            }
            const zn::RegChild &counterpart = now[*found];
            kept[*found] = true;
            enter(old[i].key);
            // Both are followed or neither: that depends on the identity alone.
            if (old[i].section)
                sections(old[i].section, counterpart.section);
            else if (payloadOf(old[i]) != payloadOf(counterpart))
                add(RegistryChange::Changed, valueText(old[i]), valueText(counterpart));
            leave();
        }
        for (size_t i = 0; i < now.size(); ++i) {
            if (!kept[i])
                subtree(RegistryChange::Added, now[i]);
        }
    }

    QList<RegistryChange> result() const { return m_changes; }

private:
    // The record, then everything inside it.
    void subtree(RegistryChange::Kind kind, const zn::RegChild &record)
    {
        enter(record.key);
        const QString text = valueText(record);
        add(kind, kind == RegistryChange::Removed ? text : QString(), kind == RegistryChange::Added ? text : QString());
        for (const zn::RegChild &child : childrenOf(record.section))
            subtree(kind, child);
        leave();
    }

    // A followed section shows no value; one never followed shows its raw bytes.
    QString valueText(const zn::RegChild &record) const
    {
        if (record.section)
            return QString();
        const TagMapEntry *entry = m_tagMap ? m_tagMap->find(record.key) : nullptr;
        return formatPayload(record.key, payloadOf(record), false, entry && entry->hex, m_tagMap).toString();
    }

    void enter(uint32_t key)
    {
        const TagMapEntry *entry = m_tagMap ? m_tagMap->find(key) : nullptr;
        m_path.append(key);
        m_names.append(entry && !entry->name.isEmpty() ? entry->name : hexKeyText(key));
    }

    void leave()
    {
        m_path.removeLast();
        m_names.removeLast();
    }

    void add(RegistryChange::Kind kind, const QString &before, const QString &after)
    {
        m_changes.append({kind, m_path, m_names.join(QStringLiteral(" / ")), before, after});
    }

    const TagMap *m_tagMap;
    QList<uint32_t> m_path;
    QStringList m_names;
    QList<RegistryChange> m_changes;
};

} // namespace

QList<RegistryChange> registryChanges(QByteArrayView before, QByteArrayView after, const TagMap *tagMap)
{
    const OpenCopy old(before);
    const OpenCopy now(after);
    Comparison comparison(tagMap);
    if (old.root() && now.root())
        comparison.sections(old.root(), now.root());
    return comparison.result();
}

QString registryChangeText(const RegistryChange &change)
{
    const QString type = valueTypeName(change.key());
    QString text = change.name + QStringLiteral(" (") + (type.isEmpty() ? QStringLiteral("Tag") : type)
        + QLatin1Char(' ') + hexKeyText(change.key()) + QLatin1Char(')');
    const bool section = zn::reg_is_section_key(change.key()) && change.before.isEmpty() && change.after.isEmpty();
    switch (change.kind) {
    case RegistryChange::Added:
        return QCoreApplication::translate("RegistryChanges", "added") + QLatin1Char(' ') + text
            + (section ? QString() : QStringLiteral(" = ") + change.after);
    case RegistryChange::Removed:
        return QCoreApplication::translate("RegistryChanges", "removed") + QLatin1Char(' ') + text
            + (section ? QString() : QStringLiteral(" = ") + change.before);
    case RegistryChange::Changed:
        break;
    }
    return QCoreApplication::translate("RegistryChanges", "changed") + QLatin1Char(' ') + text
        + QStringLiteral(": ") + change.before + QStringLiteral(" -> ") + change.after;
}
