#include "flashermap.h"

#include "flasher.h"

#include <QDebug>

FlasherMap::FlasherMap(QObject *parent)
    : QObject(parent)
{
}

Flasher *FlasherMap::flash(const QModelIndex &index)
{
    // A flasher that has stopped but is not yet deleted still holds its row.
    if (!index.isValid() || find(index) || m_entries.size() >= MaxFlashers)
        return nullptr;
    auto *flasher = new Flasher(this);
    connect(flasher, &QObject::destroyed, this, &FlasherMap::onFlasherDestroyed);
    m_entries.append({QPersistentModelIndex(index), flasher});
    flasher->flashRow(index);
    return flasher;
}

int FlasherMap::state(const QModelIndex &index) const
{
    const Entry *entry = find(index);
    return entry ? entry->flasher->count() : -1;
}

const FlasherMap::Entry *FlasherMap::find(const QModelIndex &index) const
{
    for (const Entry &entry : m_entries) {
        if (entry.index == index)
            return &entry;
    }
    return nullptr;
}

void FlasherMap::onFlasherDestroyed()
{
    // The sender is inside ~QObject: match its address, never read it.
    const QObject *dead = sender();
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (static_cast<const QObject *>(m_entries.at(i).flasher) == dead) {
            m_entries.removeAt(i);
            return;
        }
    }
    qDebug() << "DEAD FLASHER";
}
