#include "scanstatemodel.h"

#include "flasher.h"
#include "flashermap.h"
#include "ipv4.h"
#include "scanclientitem.h"
#include "scanstate.h"

#include <QBrush>
#include <QGuiApplication>
#include <QLocale>
#include <QPalette>

namespace {

// Without a CPU type, board type and serial number a device has no
// identity worth showing beyond its addresses.
bool isIdentified(const ScanClientInfo &info)
{
    return info.cpu != 0 && info.board != 0 && info.serial != 0;
}

} // namespace

ScanStateModel::ScanStateModel(QObject *parent)
    : QAbstractItemModel(parent)
    , m_server(parent)
    , m_flashers(nullptr)
    , m_state(new ScanState(this))
{
    m_flashers = new FlasherMap(this);
}

ScanStateModel::~ScanStateModel() = default;

QModelIndex ScanStateModel::addClient(ScanClientItem *item)
{
    if (!item)
        return {};
    const int listed = rowOf(item);
    if (listed >= 0)
        return index(listed, MacColumn);
    const int n = m_state->count();
    if (m_server) {
        emit layoutAboutToBeChanged();
        beginInsertRows(QModelIndex(), n, n);
    }
    m_state->insert(item, -1);
    if (m_server) {
        endInsertRows();
        emit layoutChanged();
    }
    return index(n, MacColumn);
}

bool ScanStateModel::removeClient(ScanClientItem *item)
{
    const int row = rowOf(item);
    if (row < 0)
        return false;
    if (m_server) {
        emit layoutAboutToBeChanged();
        beginRemoveRows(QModelIndex(), row, row);
    }
    m_state->takeAt(row);
    if (m_server) {
        endRemoveRows();
        emit layoutChanged();
    }
    return true;
}

bool ScanStateModel::deleteClient(ScanClientItem *item)
{
    const bool removed = removeClient(item);
    if (removed)
        delete item;
    return removed;
}

void ScanStateModel::clientChanged(ScanClientItem *item)
{
    const int row = rowOf(item);
    if (row < 0)
        return;
    m_state->macChanged(item);
    if (m_server)
        emit dataChanged(index(row, MacColumn), index(row, AboutColumn));
}

void ScanStateModel::flashClient(ScanClientItem *item)
{
    if (!item)
        return;
    if (Flasher *flasher = m_flashers->flash(indexOf(item, MacColumn)))
        connect(flasher, &Flasher::flash, this, &ScanStateModel::onFlash);
}

ScanClientItem *ScanStateModel::clientAt(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return m_state->at(index.row());
}

QModelIndex ScanStateModel::indexOf(ScanClientItem *item, int column) const
{
    const int row = rowOf(item);
    return row < 0 ? QModelIndex() : index(row, column);
}

int ScanStateModel::rowOf(ScanClientItem *item) const
{
    return item ? m_state->indexOf(item) : -1;
}

QModelIndex ScanStateModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!m_server || parent.isValid() || row < 0 || row >= m_state->count() || column < 0
        || column >= ColumnCount)
        return {};
    return createIndex(row, column);
}

QModelIndex ScanStateModel::parent(const QModelIndex &) const
{
    return {};
}

int ScanStateModel::rowCount(const QModelIndex &parent) const
{
    return m_server && !parent.isValid() ? m_state->count() : 0;
}

int ScanStateModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

bool ScanStateModel::hasChildren(const QModelIndex &parent) const
{
    return !parent.isValid();
}

QVariant ScanStateModel::data(const QModelIndex &index, int role) const
{
    if (!m_server || !index.isValid())
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::TextAlignmentRole:
        if (column == AboutColumn)
            return {};
        return QVariant::fromValue(Qt::Alignment(Qt::AlignHCenter | Qt::AlignVCenter));
    case Qt::BackgroundRole:
    case Qt::ForegroundRole:
    case Qt::DecorationRole:
        if (QVariant flash = flashData(index, role); flash.isValid())
            return flash;
        break;
    default:
        break;
    }
    if (role != Qt::DisplayRole && role != Qt::DecorationRole)
        return {};
    const ScanClientItem *item = m_state->at(index.row());
    if (!item)
        return {};
    if (role == Qt::DecorationRole)
        return column == MacColumn ? QVariant(icon(m_restIcon, ":/icons/i16_brick.png")) : QVariant();
    return displayText(item, column);
}

// Icons are loaded on first use: only a view asks for them, and a headless
// front end has no GUI application to make pixmaps with.
const QIcon &ScanStateModel::icon(QIcon &cache, const char *path)
{
    if (cache.isNull())
        cache = QIcon(QString::fromLatin1(path));
    return cache;
}

// Colours and icon of a flashing row: bell while the state is above 0, the
// palette's dark and bright-text colours on odd states.
QVariant ScanStateModel::flashData(const QModelIndex &index, int role) const
{
    const int state = m_flashers->state(index.siblingAtColumn(MacColumn));
    if (state <= 0)
        return {};
    if (role == Qt::DecorationRole)
        return index.column() == MacColumn ? QVariant(icon(m_flashIcon, ":/icons/i16_bell.png")) : QVariant();
    if (state % 2 == 0)
        return {};
    const QPalette::ColorRole colour = role == Qt::BackgroundRole ? QPalette::Dark : QPalette::BrightText;
    return QGuiApplication::palette().brush(QPalette::Active, colour);
}

QVariant ScanStateModel::displayText(const ScanClientItem *item, int column) const
{
    const ScanClientInfo &info = item->info;
    switch (column) {
    case MacColumn:
        return info.mac.toString();
    case IpColumn:
        return info.ip ? ipv4ToString(info.ip) : QString();
    case SerialColumn:
    case AboutColumn:
        return isIdentified(info) ? info.serialDescription() : QString();
    case MadeColumn:
        return isIdentified(info) ? QLocale().toString(info.made.toLocalTime(), QLocale::ShortFormat) : QString();
    default:
        return {};
    }
}

QVariant ScanStateModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return QString::number(section + 1);
    switch (section) {
    case MacColumn:
        return tr("MAC");
    case IpColumn:
        return tr("IP");
    case SerialColumn:
        return tr("Serial Number");
    case MadeColumn:
        return tr("Made");
    case AboutColumn:
        return tr("About");
    default:
        return {};
    }
}

Qt::ItemFlags ScanStateModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}

void ScanStateModel::onFlash(const QPersistentModelIndex &ix, int)
{
    if (ix.isValid())
        emit dataChanged(ix, ix.sibling(ix.row(), AboutColumn));
}
