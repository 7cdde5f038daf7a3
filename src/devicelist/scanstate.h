// The listed devices in row order. While an item is listed the state is its
// QObject parent and owns it.
#pragma once

#include "mac.h"

#include <QList>
#include <QMultiHash>
#include <QObject>

class ScanClientItem;

class ScanState : public QObject
{
    Q_OBJECT

public:
    explicit ScanState(QObject *owner);
    ~ScanState() override;

    // Takes ownership; inserts at pos when 0 <= pos < count(), else appends.
    // Null or already listed items are ignored.
    void insert(ScanClientItem *item, int pos);
    // Releases row i to the caller (parent cleared); null when out of range.
    ScanClientItem *takeAt(int i);
    // Deletes every item, last row first.
    void clear();

    // Every listed item with that MAC, in row order. Answers from thousands
    // of devices each look themselves up, so this goes through a MAC index.
    QList<ScanClientItem *> findByMac(const Mac &mac) const;
    // Re-files an item whose info.mac was changed while listed.
    void macChanged(ScanClientItem *item);

    int count() const { return int(m_items.size()); }
    ScanClientItem *at(int i) const;
    int indexOf(ScanClientItem *item) const { return int(m_items.indexOf(item)); }
    QObject *owner() const { return m_owner; }

private:
    void forget(ScanClientItem *item);

    QObject *m_owner;
    QList<ScanClientItem *> m_items;
    QMultiHash<Mac, ScanClientItem *> m_byMac;
    QHash<ScanClientItem *, Mac> m_filedMac; // the key each item is filed under
};
