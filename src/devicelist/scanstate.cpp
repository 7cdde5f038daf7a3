#include "scanstate.h"

#include "scanclientitem.h"

#include <algorithm>

ScanState::ScanState(QObject *owner)
    : QObject(owner)
    , m_owner(owner)
{
}

ScanState::~ScanState()
{
    clear();
}

void ScanState::insert(ScanClientItem *item, int pos)
{
    if (!item || m_filedMac.contains(item))
        return; // a second row for one object would delete it twice
    item->setParent(this);
    if (pos >= 0 && pos < count())
        m_items.insert(pos, item);
    else
        m_items.append(item);
    m_byMac.insert(item->info.mac, item);
    m_filedMac.insert(item, item->info.mac);
}

ScanClientItem *ScanState::takeAt(int i)
{
    if (i < 0 || i >= count())
        return nullptr;
    ScanClientItem *item = m_items.takeAt(i);
    forget(item);
    item->setParent(nullptr);
    return item;
}

void ScanState::clear()
{
    while (!m_items.isEmpty())
        delete takeAt(count() - 1);
}

QList<ScanClientItem *> ScanState::findByMac(const Mac &mac) const
{
    QList<ScanClientItem *> found;
    for (auto it = m_byMac.constFind(mac); it != m_byMac.cend() && it.key() == mac; ++it) {
        if (it.value()->info.mac == mac)
            found.append(it.value());
    }
    // Several items with one MAC are rare; only then is the row order sought.
    if (found.size() > 1) {
        std::sort(found.begin(), found.end(),
                  [this](ScanClientItem *a, ScanClientItem *b) { return indexOf(a) < indexOf(b); });
    }
    return found;
}

void ScanState::macChanged(ScanClientItem *item)
{
    const auto filed = m_filedMac.constFind(item);
    if (filed == m_filedMac.cend() || filed.value() == item->info.mac)
        return;
    forget(item);
    m_byMac.insert(item->info.mac, item);
    m_filedMac.insert(item, item->info.mac);
}

ScanClientItem *ScanState::at(int i) const
{
    return i >= 0 && i < count() ? m_items.at(i) : nullptr;
}

void ScanState::forget(ScanClientItem *item)
{
    m_byMac.remove(m_filedMac.take(item), item);
}
