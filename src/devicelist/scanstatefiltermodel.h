// The device list as the panel shows it: sorted by a column and filtered by a
// text, over the unchanged scan state model. Flat like its source.
//
// The source wraps each row insertion and removal in layout signals. Passed
// on, they would make every view relayout all rows per device found (and a
// generic sort/filter proxy re-sort all rows), so a scan of n devices would
// cost n^2. Here such a layout change is taken for the row change it wraps:
// rows are filed in and taken out one by one, and only a bare layout change
// of the source rebuilds the mapping.
//
// New devices are shown together, at most insertDelayMs after they were
// listed: a view relayouts and repaints all its rows for every insertion it
// sees in one pass of the event loop, and a scan brings thousands of rows
// within a second.
#pragma once

#include <QAbstractProxyModel>
#include <QTimer>

class ScanClientItem;
class ScanStateModel;

class ScanStateFilterModel : public QAbstractProxyModel
{
    Q_OBJECT

public:
    static constexpr int kInsertDelayMs = 50;

    explicit ScanStateFilterModel(ScanStateModel *source, QObject *parent = nullptr, int insertDelayMs = kInsertDelayMs);

    // Shows only the devices whose MAC address, IP address, board name or
    // remark contains the text, case ignored; all devices when it is empty.
    void setFilterText(const QString &text);
    QString filterText() const { return m_filter; }

    // Column -1: the order in which the devices were found.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    ScanClientItem *clientAt(const QModelIndex &proxyIndex) const;

    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &index) const override;
    QModelIndex sibling(int row, int column, const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    // Column titles as the source has them, also while no row is shown.
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    enum : int { Hidden = -1, New = -2 };

    void onRowsInserted(const QModelIndex &parent, int first, int last);
    void onRowsAboutToBeRemoved(const QModelIndex &parent, int first, int last);
    void onRowsRemoved(const QModelIndex &parent, int first, int last);
    void onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);
    void onLayoutAboutToBeChanged();
    void onLayoutChanged();
    // Files in the devices listed since the last time.
    void showNewRows();

    const ScanClientItem *item(int sourceRow) const;
    bool accepts(int sourceRow) const;
    // Below, equal or above zero as the left row sorts before, with or after the right one.
    int compareColumn(int leftSourceRow, int rightSourceRow) const;
    // The order shown: by the sort column, ties (and column -1) by source row.
    bool lessThan(int leftSourceRow, int rightSourceRow) const;
    // Where the source row belongs among the rows shown (it is not one of them).
    int insertionRow(int sourceRow) const;
    void insertRow(int sourceRow);
    void removeRow(int proxyRow);
    // Puts a shown row that may have left its place back where it belongs.
    void reposition(int proxyRow);
    // Re-files rows from..to-1 in m_proxyRowOf after they moved.
    void renumber(int from, int to);
    // All rows filtered and sorted afresh; persistent indexes follow their devices.
    void relayout();
    void rebuild();

    ScanStateModel *m_source;
    QList<int> m_rows;       // shown row -> source row
    QList<int> m_proxyRowOf; // source row -> shown row, or Hidden, or New
    QList<int> m_newRows;    // source rows not yet filed in, ascending
    QTimer m_showNewRows;
    QString m_filter;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_inSourceLayout = false;
    bool m_rowsChangedInLayout = false;
};
