#include "rowtreeview.h"

RowTreeView::RowTreeView(QWidget *parent)
    : QTreeView(parent)
{
}

QModelIndex RowTreeView::selectedIndex() const
{
    const QModelIndexList selected = selectedIndexes();
    return selected.isEmpty() ? QModelIndex() : selected.first();
}

// The selection model clears a reset model's selection silently; listeners
// must still see it go.
void RowTreeView::reset()
{
    QTreeView::reset();
    Q_EMIT selectionChanged(selectedIndex());
}

void RowTreeView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QTreeView::selectionChanged(selected, deselected);
    Q_EMIT selectionChanged(selectedIndex());
}

void RowTreeView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTreeView::currentChanged(current, previous);
    Q_EMIT currentIndexChanged(current, previous);
}

void RowTreeView::forEachDescendant(const QModelIndex &item, void (QTreeView::*apply)(const QModelIndex &))
{
    if (!model())
        return;
    QList<QModelIndex> pending{item};
    while (!pending.isEmpty()) {
        const QModelIndex parent = pending.takeLast();
        const int rows = model()->rowCount(parent);
        for (int row = 0; row < rows; ++row) {
            const QModelIndex child = model()->index(row, 0, parent);
            if (child.isValid()) {
                pending.append(child);
                (this->*apply)(child);
            }
        }
    }
}

void RowTreeView::expandSubtree(const QModelIndex &item)
{
    forEachDescendant(item, &QTreeView::expand);
    expand(item);
}

void RowTreeView::collapseSubtree(const QModelIndex &item)
{
    collapse(item);
    forEachDescendant(item, &QTreeView::collapse);
}

void RowTreeView::expandCurrentSubtree()
{
    expandSubtree(currentIndex());
}

void RowTreeView::collapseCurrentSubtree()
{
    collapseSubtree(currentIndex());
}
