#include "scanstatefiltermodel.h"

#include "ipv4.h"
#include "scanclientitem.h"
#include "scanstate.h"
#include "scanstatemodel.h"

#include <algorithm>
#include <utility>

namespace {

template <typename T>
int threeWay(const T &a, const T &b)
{
    return (b < a) - (a < b);
}

} // namespace

ScanStateFilterModel::ScanStateFilterModel(ScanStateModel *source, QObject *parent, int insertDelayMs)
    : QAbstractProxyModel(parent)
    , m_source(source)
{
    setSourceModel(source);
    m_showNewRows.setSingleShot(true);
    m_showNewRows.setInterval(insertDelayMs);
    connect(&m_showNewRows, &QTimer::timeout, this, &ScanStateFilterModel::showNewRows);
    connect(source, &QAbstractItemModel::rowsInserted, this, &ScanStateFilterModel::onRowsInserted);
    connect(source, &QAbstractItemModel::rowsAboutToBeRemoved, this, &ScanStateFilterModel::onRowsAboutToBeRemoved);
    connect(source, &QAbstractItemModel::rowsRemoved, this, &ScanStateFilterModel::onRowsRemoved);
    connect(source, &QAbstractItemModel::dataChanged, this, &ScanStateFilterModel::onDataChanged);
    connect(source, &QAbstractItemModel::layoutAboutToBeChanged, this, &ScanStateFilterModel::onLayoutAboutToBeChanged);
    connect(source, &QAbstractItemModel::layoutChanged, this, &ScanStateFilterModel::onLayoutChanged);
    connect(source, &QAbstractItemModel::modelAboutToBeReset, this, &ScanStateFilterModel::beginResetModel);
    connect(source, &QAbstractItemModel::modelReset, this, [this] {
        rebuild();
        endResetModel();
    });
    rebuild();
}

void ScanStateFilterModel::setFilterText(const QString &text)
{
    if (text == m_filter)
        return;
    m_filter = text;
    relayout();
}

void ScanStateFilterModel::sort(int column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    relayout();
}

ScanClientItem *ScanStateFilterModel::clientAt(const QModelIndex &proxyIndex) const
{
    return m_source->clientAt(mapToSource(proxyIndex));
}

QModelIndex ScanStateFilterModel::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid() || proxyIndex.model() != this || proxyIndex.row() >= m_rows.size())
        return {};
    return m_source->index(m_rows.at(proxyIndex.row()), proxyIndex.column());
}

QModelIndex ScanStateFilterModel::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.model() != m_source)
        return {};
    const int row = m_proxyRowOf.value(sourceIndex.row(), Hidden);
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

QModelIndex ScanStateFilterModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= m_rows.size() || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex ScanStateFilterModel::parent(const QModelIndex &) const
{
    return {};
}

QModelIndex ScanStateFilterModel::sibling(int row, int column, const QModelIndex &) const
{
    return index(row, column);
}

int ScanStateFilterModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ScanStateFilterModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_source->columnCount();
}

bool ScanStateFilterModel::hasChildren(const QModelIndex &parent) const
{
    return !parent.isValid();
}

QVariant ScanStateFilterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return m_source->headerData(section, orientation, role);
}

const ScanClientItem *ScanStateFilterModel::item(int sourceRow) const
{
    return m_source->state()->at(sourceRow);
}

bool ScanStateFilterModel::accepts(int sourceRow) const
{
    if (m_filter.isEmpty())
        return true;
    const ScanClientInfo &info = item(sourceRow)->info;
    const QString ip = info.ip != 0 ? ipv4ToString(info.ip) : QString();
    for (const QString &field : {info.mac.toString(), ip, info.boardName, info.remark}) {
        if (field.contains(m_filter, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

int ScanStateFilterModel::compareColumn(int leftSourceRow, int rightSourceRow) const
{
    const ScanClientInfo &left = item(leftSourceRow)->info;
    const ScanClientInfo &right = item(rightSourceRow)->info;
    const auto shown = [this](int sourceRow) {
        return m_source->data(m_source->index(sourceRow, m_sortColumn)).toString();
    };
    switch (m_sortColumn) {
    case ScanStateModel::MacColumn:
        return threeWay(left.mac.value(), right.mac.value());
    case ScanStateModel::IpColumn:
        return threeWay(left.ip, right.ip);
    case ScanStateModel::MadeColumn: {
        // Devices whose date is not shown come first.
        const bool leftShown = !shown(leftSourceRow).isEmpty();
        const bool rightShown = !shown(rightSourceRow).isEmpty();
        if (leftShown != rightShown || !leftShown)
            return threeWay(leftShown, rightShown);
        return threeWay(left.made, right.made);
    }
    default:
        return shown(leftSourceRow).compare(shown(rightSourceRow), Qt::CaseInsensitive);
    }
}

bool ScanStateFilterModel::lessThan(int leftSourceRow, int rightSourceRow) const
{
    if (m_sortColumn >= 0) {
        const int order = compareColumn(leftSourceRow, rightSourceRow);
        if (order != 0)
            return m_sortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
    }
    return leftSourceRow < rightSourceRow;
}

int ScanStateFilterModel::insertionRow(int sourceRow) const
{
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), sourceRow,
                                     [this](int shown, int row) { return lessThan(shown, row); });
    return int(at - m_rows.begin());
}

void ScanStateFilterModel::renumber(int from, int to)
{
    for (int row = from; row < to; ++row)
        m_proxyRowOf[m_rows.at(row)] = row;
}

void ScanStateFilterModel::insertRow(int sourceRow)
{
    const int at = insertionRow(sourceRow);
    beginInsertRows(QModelIndex(), at, at);
    m_rows.insert(at, sourceRow);
    renumber(at, int(m_rows.size()));
    endInsertRows();
}

void ScanStateFilterModel::removeRow(int proxyRow)
{
    beginRemoveRows(QModelIndex(), proxyRow, proxyRow);
    m_proxyRowOf[m_rows.at(proxyRow)] = Hidden;
    m_rows.remove(proxyRow);
    renumber(proxyRow, int(m_rows.size()));
    endRemoveRows();
}

void ScanStateFilterModel::reposition(int proxyRow)
{
    if (m_sortColumn < 0)
        return; // the order of discovery never changes
    const int sourceRow = m_rows.at(proxyRow);
    const int last = int(m_rows.size()) - 1;
    if ((proxyRow == 0 || lessThan(m_rows.at(proxyRow - 1), sourceRow))
        && (proxyRow == last || lessThan(sourceRow, m_rows.at(proxyRow + 1))))
        return;
    m_rows.remove(proxyRow);
    const int to = insertionRow(sourceRow);
    m_rows.insert(proxyRow, sourceRow);
    // The destination counts the rows before the move.
    beginMoveRows(QModelIndex(), proxyRow, proxyRow, QModelIndex(), to > proxyRow ? to + 1 : to);
    m_rows.move(proxyRow, to);
    renumber(std::min(proxyRow, to), std::max(proxyRow, to) + 1);
    endMoveRows();
}

void ScanStateFilterModel::onRowsInserted(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    m_rowsChangedInLayout = m_inSourceLayout;
    const int count = last - first + 1;
    if (first < m_proxyRowOf.size()) {
        for (QList<int> *rows : {&m_rows, &m_newRows}) {
            for (int &row : *rows)
                row += row >= first ? count : 0;
        }
    }
    m_proxyRowOf.insert(first, count, New);
    for (int row = first; row <= last; ++row)
        m_newRows.insert(std::lower_bound(m_newRows.begin(), m_newRows.end(), row), row);
    if (!m_showNewRows.isActive())
        m_showNewRows.start();
}

void ScanStateFilterModel::showNewRows()
{
    for (int row : std::exchange(m_newRows, {})) {
        m_proxyRowOf[row] = Hidden;
        if (accepts(row))
            insertRow(row);
    }
}

void ScanStateFilterModel::onRowsAboutToBeRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    m_rowsChangedInLayout = m_inSourceLayout;
    QList<int> shown;
    for (int row = first; row <= last; ++row) {
        if (m_proxyRowOf.at(row) >= 0)
            shown.append(m_proxyRowOf.at(row));
        else if (m_proxyRowOf.at(row) == New)
            m_newRows.removeOne(row);
    }
    // The highest first, so that the others keep their numbers.
    std::sort(shown.begin(), shown.end(), std::greater<>());
    for (int row : shown)
        removeRow(row);
}

void ScanStateFilterModel::onRowsRemoved(const QModelIndex &parent, int first, int last)
{
    if (parent.isValid())
        return;
    const int count = last - first + 1;
    m_proxyRowOf.remove(first, count);
    for (QList<int> *rows : {&m_rows, &m_newRows}) {
        for (int &row : *rows)
            row -= row > last ? count : 0;
    }
}

void ScanStateFilterModel::onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                         const QList<int> &roles)
{
    if (!topLeft.isValid() || topLeft.parent().isValid())
        return;
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        const int shown = m_proxyRowOf.value(row, Hidden);
        if (shown == New)
            continue; // filed in as it is then
        const bool passes = accepts(row);
        if (shown < 0) {
            if (passes)
                insertRow(row);
        } else if (!passes) {
            removeRow(shown);
        } else {
            reposition(shown);
            const int now = m_proxyRowOf.at(row);
            Q_EMIT dataChanged(index(now, topLeft.column()), index(now, bottomRight.column()), roles);
        }
    }
}

void ScanStateFilterModel::onLayoutAboutToBeChanged()
{
    m_inSourceLayout = true;
    m_rowsChangedInLayout = false;
}

void ScanStateFilterModel::onLayoutChanged()
{
    m_inSourceLayout = false;
    if (m_rowsChangedInLayout)
        return;
    // A bare layout change may have reordered the source rows: nothing shown
    // can be trusted any more.
    beginResetModel();
    rebuild();
    endResetModel();
}

void ScanStateFilterModel::rebuild()
{
    const int count = m_source->rowCount();
    m_rows.clear();
    m_newRows.clear();
    m_showNewRows.stop();
    m_proxyRowOf.fill(Hidden, count);
    for (int row = 0; row < count; ++row) {
        if (accepts(row))
            m_rows.append(row);
    }
    if (m_sortColumn >= 0)
        std::sort(m_rows.begin(), m_rows.end(), [this](int a, int b) { return lessThan(a, b); });
    renumber(0, int(m_rows.size()));
}

void ScanStateFilterModel::relayout()
{
    Q_EMIT layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    QList<int> sourceRows;
    for (const QModelIndex &index : before)
        sourceRows.append(m_rows.value(index.row(), -1));
    rebuild();
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int row = m_proxyRowOf.value(sourceRows.at(i), Hidden);
        after.append(row < 0 ? QModelIndex() : index(row, before.at(i).column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
}
