// The tree view of both panels: it reports its selection as one index, so a
// panel can follow the selection from a single signal, and it expands or
// collapses whole subtrees.
#pragma once

#include <QTreeView>

class RowTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit RowTreeView(QWidget *parent = nullptr);

    // The first selected index; invalid when nothing is selected.
    QModelIndex selectedIndex() const;

    void reset() override;

public Q_SLOTS:
    void expandSubtree(const QModelIndex &item);
    void collapseSubtree(const QModelIndex &item);
    void expandCurrentSubtree();
    void collapseCurrentSubtree();

Q_SIGNALS:
    void selectionChanged(const QModelIndex &index);
    void currentIndexChanged(const QModelIndex &current, const QModelIndex &previous);

protected Q_SLOTS:
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    // Applies expand or collapse to every descendant of item.
    void forEachDescendant(const QModelIndex &item, void (QTreeView::*apply)(const QModelIndex &));
};
