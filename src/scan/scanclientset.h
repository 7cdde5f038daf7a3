// A set of device objects that drops members as they are destroyed; the scan
// server keeps its devices with a running transfer in one.
#pragma once

#include <QObject>
#include <QSet>

class Mac;
class ScanClientItem;

class ScanClientSet : public QObject
{
    Q_OBJECT

public:
    explicit ScanClientSet(QObject *parent = nullptr);

    // False for null or a member already in the set.
    bool add(ScanClientItem *cli);
    // False for null or an item not in the set.
    bool remove(ScanClientItem *cli);
    bool contains(ScanClientItem *cli) const { return m_items.contains(cli); }
    qsizetype count() const { return m_items.size(); }

    // The first member (in the set's iteration order) with that MAC, or null.
    ScanClientItem *findByMac(const Mac &mac) const;

signals:
    void clientAdded(ScanClientItem *cli);
    void clientRemoved(ScanClientItem *cli);

private slots:
    void clientDestroyed();

private:
    QSet<ScanClientItem *> m_items;
};
