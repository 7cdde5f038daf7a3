// The running flashers, at most one per row and at most 16 in all, so that a
// burst of answers cannot flood the view with repaints.
#pragma once

#include <QList>
#include <QObject>
#include <QPersistentModelIndex>

class Flasher;

class FlasherMap : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxFlashers = 16;

    explicit FlasherMap(QObject *parent = nullptr);

    // A new flasher for the row of index (column 0), or null when the row
    // already has one, the limit is reached or the index is invalid.
    Flasher *flash(const QModelIndex &index);
    // The flash state of that row, -1 when it has no flasher.
    int state(const QModelIndex &index) const;
    int count() const { return int(m_entries.size()); }

private slots:
    void onFlasherDestroyed();

private:
    // A short list rather than an ordered map: the keys are persistent
    // indexes, whose rows move when rows above them go.
    struct Entry
    {
        QPersistentModelIndex index;
        Flasher *flasher;
    };
    const Entry *find(const QModelIndex &index) const;

    QList<Entry> m_entries;
};
