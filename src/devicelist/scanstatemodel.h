// The discovered devices as a flat item model: one row per device, five
// columns. Rows flash (bell icon, alternating colours) when their device
// answers a scan.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QPersistentModelIndex>

class FlasherMap;
class ScanClientItem;
class ScanState;

class ScanStateModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Column { MacColumn, IpColumn, SerialColumn, MadeColumn, AboutColumn, ColumnCount };

    // parent is the scan server; while it is null the model shows no rows.
    explicit ScanStateModel(QObject *parent);
    ~ScanStateModel() override;

    // Appends a row for the item (taking ownership); the index of its column
    // 0. An item already listed keeps its row.
    QModelIndex addClient(ScanClientItem *item);
    // Takes the item's row out; ownership returns to the caller. False when
    // it is not listed.
    bool removeClient(ScanClientItem *item);
    // removeClient, then deletes the item when it was listed.
    bool deleteClient(ScanClientItem *item);
    // Repaints the item's row; call after changing its info.
    void clientChanged(ScanClientItem *item);
    // Flashes the item's row unless it is flashing or 16 rows already are.
    void flashClient(ScanClientItem *item);

    ScanClientItem *clientAt(const QModelIndex &index) const;
    QModelIndex indexOf(ScanClientItem *item, int column = 0) const;
    // Linear search over the rows; -1 when not listed.
    int rowOf(ScanClientItem *item) const;
    ScanState *state() const { return m_state; }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private slots:
    void onFlash(const QPersistentModelIndex &ix, int state);

private:
    QVariant flashData(const QModelIndex &index, int role) const;
    QVariant displayText(const ScanClientItem *item, int column) const;
    static const QIcon &icon(QIcon &cache, const char *path);

    QObject *m_server;
    FlasherMap *m_flashers;
    ScanState *m_state;
    mutable QIcon m_restIcon;
    mutable QIcon m_flashIcon;
};
