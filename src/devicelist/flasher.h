// Flashes one row: eight 100 ms steps (states 7 down to 0), then holds state
// 0 for two seconds so that the row flashes at most once every 2.8 seconds,
// then deletes itself. A row that disappears ends its flasher at the next tick.
#pragma once

#include <QPersistentModelIndex>
#include <QTimer>

class Flasher : public QTimer
{
    Q_OBJECT

public:
    static constexpr int Steps = 8;
    static constexpr int StepMs = 100;
    static constexpr int HoldMs = 2000;

    explicit Flasher(QObject *parent);

    // Starts counting down for the row of index (its column-0 index).
    void flashRow(const QModelIndex &index);

    QPersistentModelIndex index() const { return m_index; }
    // 8 at start, down to 0; -1 when idle or stopped.
    int count() const { return m_count; }

signals:
    void flash(const QPersistentModelIndex &ix, int state);

private slots:
    void onTimeout();

private:
    QPersistentModelIndex m_index;
    int m_count = -1;
};
