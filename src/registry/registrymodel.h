// An open registry store as a three-column tree (tag, value, description)
// for the item views. Names, icons and texts come from a tag map, values go
// through the value text codec. Edits change the store at once; its dirty
// flag is the only record that anything changed.
//
// The top level holds one row, the root section. Every other index carries
// the handle of the section that contains its record, and its row is the
// record's place in that section. Sections are followed only where the
// store's reg_children follows them: a record keyed like the root below the
// root, or a second section with the key of an earlier one, is listed with
// its raw bytes and never has children, so every tree ends and every record
// appears once.
#pragma once

#include "store.h"

#include <QAbstractItemModel>
#include <QHash>

#include <unordered_map>
#include <vector>

class TagMap;

class RegistryModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Roles {
        TypeRole = Qt::UserRole,    // the row's type code (255 for the root)
        KeyRole = Qt::UserRole + 1, // the row's full key (0xFFFFFFFF for the root)
    };

    explicit RegistryModel(QObject *parent = nullptr);

    // Not owned. The store must stay open until setRegistry is called again
    // (with null, or the root of the store that replaces it).
    void setRegistry(zn::RegistryHandle *root);
    zn::RegistryHandle *registry() const { return m_root; }
    // Not owned; may be null.
    void setTagMap(const TagMap *tagMap);
    const TagMap *tagMap() const { return m_tagMap; }

    // The text of the root row; takes effect the next time the views ask.
    QString rootName() const { return m_rootName; }
    void setRootName(const QString &name) { m_rootName = name; }

    // Adds a new item to the section at parent (the root row or a section
    // row): an empty section, or a value of zero bytes of the key's type. An
    // existing key is not duplicated. The index of the item, or an invalid
    // index when none can be added (no room, a key that cannot be created).
    QModelIndex insertItem(const QModelIndex &parent, uint32_t key);
    // The store's dirty flag; false without a registry.
    bool isModified() const;
    // The store's debug listing, one line feed after each line.
    QString dump() const;

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Removes count rows from row on; a section must be empty. True only when
    // all of them went.
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // The value column of a value row; nothing for the root and sections.
    QModelIndex buddy(const QModelIndex &index) const override;

private:
    struct Row {
        zn::RegChild record;
        bool addressable; // the store finds this record by its key (the first with it)
    };
    // One section's records, listed once per state of the store: views ask
    // for every cell, and a walk per question would cost the square of the
    // section's size.
    struct Listing {
        std::vector<Row> rows;
        QHash<const zn::RegistryHandle *, int> rowOfSection; // followed sections
    };

    const Listing &listing(zn::RegistryHandle *section) const;
    int visibleRows(zn::RegistryHandle *section) const;
    // The record of an index other than the root row, or null.
    const Row *rowOf(const QModelIndex &index) const;
    // The section an index stands for: the registry root for the root row,
    // the followed section of a section row, otherwise null.
    zn::RegistryHandle *sectionOf(const QModelIndex &index) const;
    QVariant recordData(const Row &row, int column, int role) const;
    // Every edit moves records, so every listing is stale afterwards.
    void forgetListings() { m_listings.clear(); }

    zn::RegistryHandle *m_root = nullptr;
    const TagMap *m_tagMap = nullptr;
    QString m_rootName;
    // References into it stay valid while other sections are listed.
    mutable std::unordered_map<const zn::RegistryHandle *, Listing> m_listings;
    // While the views are told of a new last row, it is not yet theirs.
    zn::RegistryHandle *m_pendingRowIn = nullptr;
};
