#include "registrymodel.h"

#include "tagmap.h"
#include "valuecodec.h"
#include "valuetypes.h"

#include <QSet>
#include <QSize>

namespace {

enum Column { TagColumn, ValueColumn, DescriptionColumn, ColumnCount };

constexpr int kColumnWidths[ColumnCount] = {140, 220, 0};
constexpr int kRowHeight = 20;

zn::RegistryHandle *handleOf(const QModelIndex &index)
{
    return static_cast<zn::RegistryHandle *>(index.internalPointer());
}

void appendDumpLine(void *context, const char *line)
{
    *static_cast<QString *>(context) += QString::fromUtf8(line) + QLatin1Char('\n');
}

} // namespace

RegistryModel::RegistryModel(QObject *parent) : QAbstractItemModel(parent), m_rootName(tr("Root")) {}

void RegistryModel::setRegistry(zn::RegistryHandle *root)
{
    beginResetModel();
    m_root = root;
    forgetListings();
    endResetModel();
}

void RegistryModel::setTagMap(const TagMap *tagMap)
{
    beginResetModel();
    m_tagMap = tagMap;
    endResetModel();
}

const RegistryModel::Listing &RegistryModel::listing(zn::RegistryHandle *section) const
{
    auto found = m_listings.find(section);
    if (found != m_listings.end())
        return found->second;
    Listing &listed = m_listings[section];
    std::vector<zn::RegChild> children;
    zn::reg_children(section, &children);
    listed.rows.reserve(children.size());
    QSet<uint32_t> seen;
    for (const zn::RegChild &child : children) {
        if (child.section)
            listed.rowOfSection.insert(child.section, int(listed.rows.size()));
        bool first = false;
        if (!seen.contains(child.key)) {
            seen.insert(child.key);
            first = true;
        }
        listed.rows.push_back({child, first});
    }
    return listed;
}

int RegistryModel::visibleRows(zn::RegistryHandle *section) const
{
    const int rows = int(listing(section).rows.size());
    return section == m_pendingRowIn ? rows - 1 : rows;
}

const RegistryModel::Row *RegistryModel::rowOf(const QModelIndex &index) const
{
    zn::RegistryHandle *section = handleOf(index);
    if (!index.isValid() || !section || index.row() >= visibleRows(section))
        return nullptr;
    return &listing(section).rows[size_t(index.row())];
}

zn::RegistryHandle *RegistryModel::sectionOf(const QModelIndex &index) const
{
    // Only the first column has children, as the views expect.
    if (!index.isValid() || index.column() != TagColumn)
        return nullptr;
    if (!handleOf(index))
        return m_root;
    const Row *row = rowOf(index);
    return row ? row->record.section : nullptr;
}

QModelIndex RegistryModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount)
        return QModelIndex();
    if (!parent.isValid())
        return row == 0 ? createIndex(0, column, nullptr) : QModelIndex();
    zn::RegistryHandle *section = sectionOf(parent);
    if (!section || row >= visibleRows(section))
        return QModelIndex();
    return createIndex(row, column, section);
}

QModelIndex RegistryModel::parent(const QModelIndex &index) const
{
    zn::RegistryHandle *section = handleOf(index);
    if (!index.isValid() || !section)
        return QModelIndex();
    zn::RegistryHandle *enclosing = zn::reg_open_section(section, zn::kRegRootKey);
    if (!enclosing)
        return createIndex(0, TagColumn, nullptr);
    const auto &rowOfSection = listing(enclosing).rowOfSection;
    const auto found = rowOfSection.constFind(section);
    if (found == rowOfSection.constEnd())
        return QModelIndex(); // detached: its section was removed
    return createIndex(*found, TagColumn, enclosing);
}

int RegistryModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return 1;
    zn::RegistryHandle *section = sectionOf(parent);
    return section ? visibleRows(section) : 0;
}

int RegistryModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

bool RegistryModel::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant RegistryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::SizeHintRole)
        return QSize(kColumnWidths[index.column()], kRowHeight);
    if (handleOf(index)) {
        const Row *row = rowOf(index);
        return row ? recordData(*row, index.column(), role) : QVariant();
    }
    switch (role) {
    case TypeRole:
        return uint(zn::kRegSectionType);
    case KeyRole:
        return uint(zn::kRegRootKey);
    case Qt::DisplayRole:
        return index.column() == TagColumn ? QVariant(m_rootName) : QVariant();
    case Qt::DecorationRole:
        return index.column() == TagColumn && m_tagMap ? QVariant(m_tagMap->iconFor(zn::kRegRootKey)) : QVariant();
    default:
        return QVariant();
    }
}

QVariant RegistryModel::recordData(const Row &row, int column, int role) const
{
    const uint32_t key = row.record.key;
    if (key == 0)
        return QVariant();
    const TagMapEntry *entry = m_tagMap ? m_tagMap->find(key) : nullptr;
    // Each row shows its own bytes, even where a damaged blob repeats a key.
    const QByteArrayView payload(row.record.payload, row.record.length);
    switch (role) {
    case TypeRole:
        return uint(zn::reg_type_of(key));
    case KeyRole:
        return uint(key);
    case Qt::DecorationRole:
        return column == TagColumn && m_tagMap ? QVariant(m_tagMap->iconFor(key)) : QVariant();
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (column == TagColumn)
            return entry && !entry->name.isEmpty() ? entry->name : hexKeyText(key);
        if (column == DescriptionColumn)
            return entry && !entry->description.isEmpty() ? QVariant(entry->description) : QVariant();
        // A section that is never followed has no rows to show its content,
        // so its value shows the raw bytes.
        if (row.record.section)
            return QVariant();
        return formatPayload(key, payload, role == Qt::EditRole, entry && entry->hex, m_tagMap);
    case Qt::ToolTipRole:
        if (column == TagColumn) {
            const QString type = valueTypeName(key);
            return (type.isEmpty() ? QStringLiteral("Tag") : type) + QLatin1Char(' ') + hexKeyText(key);
        }
        if (column == ValueColumn)
            return formatPayload(key, payload, false, true, m_tagMap);
        if (entry && !entry->help.isEmpty())
            return QStringLiteral("<HTML><BODY>") + entry->help + QStringLiteral("</BODY></HTML>");
        return QVariant();
    default:
        return QVariant();
    }
}

bool RegistryModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    const Row *row = rowOf(index);
    if (role != Qt::EditRole || index.column() != ValueColumn || !row || row->record.key == 0
        || !row->addressable || zn::reg_is_section_key(row->record.key) || !valueTypeInfo(valueTypeOf(row->record.key)))
        return false;
    if (!parseValue(handleOf(index), row->record.key, value))
        return false;
    forgetListings();
    emit dataChanged(index, index);
    return true;
}

QVariant RegistryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return QString::number(section + 1);
    switch (section) {
    case TagColumn:
        return tr("Tag");
    case ValueColumn:
        return tr("Value");
    case DescriptionColumn:
        return tr("Description");
    default:
        return QVariant();
    }
}

bool RegistryModel::removeRows(int row, int count, const QModelIndex &parent)
{
    zn::RegistryHandle *section = sectionOf(parent);
    if (!section)
        return false;
    if (count < 1)
        return count == 0;
    for (int removed = 0; removed < count; ++removed) {
        const Row *listed = rowOf(createIndex(row, TagColumn, section));
        // The store removes by key, so only the record it finds first can go;
        // it refuses a section that still has content.
        if (!listed || listed->record.key == 0 || !listed->addressable
            || (zn::reg_is_section_key(listed->record.key) && listed->record.length != 0))
            return false;
        const uint32_t key = listed->record.key;
        beginRemoveRows(parent, row, row);
        [[maybe_unused]] const int done = zn::reg_remove(section, key);
        Q_ASSERT(done == 1);
        forgetListings();
        endRemoveRows();
    }
    return true;
}

QModelIndex RegistryModel::insertItem(const QModelIndex &parent, uint32_t key)
{
    const QModelIndex sectionIndex = parent.siblingAtColumn(TagColumn);
    zn::RegistryHandle *section = sectionOf(sectionIndex);
    // Tag 0 names nothing: key 0 means "none" to the store.
    if (!section || key == zn::kRegRootKey || zn::reg_tag_of(key) == 0)
        return QModelIndex();
    const Listing &before = listing(section);
    for (size_t row = 0; row < before.rows.size(); ++row) {
        if (before.rows[row].record.key == key)
            return index(int(row), TagColumn, sectionIndex);
    }
    bool created = false;
    if (zn::reg_is_section_key(key)) {
        created = zn::reg_create_section(section, key) != nullptr;
    } else if (const int size = newValueSize(key); size >= 0) {
        const QByteArray zeros(size, '\0');
        created = zn::reg_set(section, key, zeros.constData(), uint32_t(zeros.size())) == 1;
    }
    if (!created)
        return QModelIndex();
    forgetListings();
    // New records are appended to their section.
    const int row = visibleRows(section) - 1;
    Q_ASSERT(listing(section).rows[size_t(row)].record.key == key);
    m_pendingRowIn = section;
    beginInsertRows(sectionIndex, row, row);
    m_pendingRowIn = nullptr;
    endInsertRows();
    return index(row, TagColumn, sectionIndex);
}

Qt::ItemFlags RegistryModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags shown = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (!handleOf(index) || index.column() != ValueColumn)
        return shown;
    const Row *row = rowOf(index);
    if (!row || row->record.key == 0)
        return Qt::NoItemFlags;
    return row->addressable ? shown | Qt::ItemIsEditable : shown;
}

QModelIndex RegistryModel::buddy(const QModelIndex &index) const
{
    const Row *row = rowOf(index);
    if (!row || zn::reg_is_section_key(row->record.key))
        return QModelIndex();
    return index.siblingAtColumn(ValueColumn);
}

bool RegistryModel::isModified() const
{
    return m_root && zn::reg_is_dirty(m_root);
}

QString RegistryModel::dump() const
{
    QString text;
    if (m_root)
        zn::reg_dump(m_root, appendDumpLine, &text);
    return text;
}
