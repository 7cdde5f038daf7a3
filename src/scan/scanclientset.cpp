#include "scanclientset.h"

#include "scanclientitem.h"

ScanClientSet::ScanClientSet(QObject *parent)
    : QObject(parent)
{
}

bool ScanClientSet::add(ScanClientItem *cli)
{
    if (!cli || m_items.contains(cli))
        return false;
    m_items.insert(cli);
    connect(cli, &QObject::destroyed, this, &ScanClientSet::clientDestroyed);
    emit clientAdded(cli);
    return true;
}

bool ScanClientSet::remove(ScanClientItem *cli)
{
    if (!cli || !m_items.remove(cli))
        return false;
    disconnect(cli, &QObject::destroyed, this, &ScanClientSet::clientDestroyed);
    emit clientRemoved(cli);
    return true;
}

ScanClientItem *ScanClientSet::findByMac(const Mac &mac) const
{
    for (ScanClientItem *cli : m_items) {
        if (cli->info.mac == mac)
            return cli;
    }
    return nullptr;
}

void ScanClientSet::clientDestroyed()
{
    // The sender is inside ~QObject: it is matched by address only, never
    // touched or cast, since its ScanClientItem part is already gone.
    const QObject *dead = sender();
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        ScanClientItem *cli = *it;
        if (static_cast<const QObject *>(cli) == dead) {
            m_items.erase(it);
            emit clientRemoved(cli);
            return;
        }
    }
}
