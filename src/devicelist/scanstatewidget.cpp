#include "scanstatewidget.h"

#include "browsericon.h"
#include "ipv4.h"
#include "scanclientdialog.h"
#include "scanclientitem.h"
#include "scanclientregistrydialog.h"
#include "scanserver.h"
#include "scanstatefiltermodel.h"
#include "scanstatemodel.h"
#include "ui_scanstatewidget.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QShortcut>
#include <QUrl>

ScanStateWidget::ScanStateWidget(ScanServer *scanServer, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::ScanStateWidget)
    , server(scanServer)
    , filter(new ScanStateFilterModel(scanServer->model(), this))
{
    ui->setupUi(this);
    ui->m_view->setModel(filter);
    ui->m_view->expandToDepth(1);
    QHeaderView *header = ui->m_view->header();
    // In the order of discovery until a column is clicked.
    header->setSortIndicator(-1, Qt::AscendingOrder);
    ui->m_view->setSortingEnabled(true);
    header->resizeSection(ScanStateModel::MacColumn, 180);
    header->resizeSection(ScanStateModel::IpColumn, 140);
    header->resizeSection(ScanStateModel::SerialColumn, 140);
    header->resizeSection(ScanStateModel::MadeColumn, 180);

    browserIcon = defaultBrowserPixmap();
    if (!browserIcon.isNull())
        ui->m_pb_browser->setIcon(browserIcon);
    createActions();

    auto *remove = new QShortcut(QKeySequence::Delete, ui->m_view, nullptr, nullptr, Qt::WindowShortcut);
    connect(remove, &QShortcut::activated, this, &ScanStateWidget::removeItem);

    connect(ui->m_view, qOverload<const QModelIndex &>(&RowTreeView::selectionChanged), this,
            &ScanStateWidget::updateActions);
    connect(ui->m_view, &QAbstractItemView::doubleClicked, this, &ScanStateWidget::doubleClick);
    connect(ui->m_pb_buzz, &QPushButton::clicked, this, &ScanStateWidget::buzzClient);
    connect(ui->m_pb_reset, &QPushButton::clicked, this, &ScanStateWidget::resetClient);
    connect(ui->m_pb_browser, &QPushButton::clicked, this, qOverload<>(&ScanStateWidget::openBrowser));
    connect(ui->m_pb_scan, &QPushButton::clicked, this, &ScanStateWidget::scanClients);
    connect(ui->m_le_filter, &QLineEdit::textChanged, filter, &ScanStateFilterModel::setFilterText);
    // A filter hiding the selected row drops it without a selection signal.
    connect(filter, &QAbstractItemModel::layoutChanged, this, &ScanStateWidget::updateActions);
    // Queued: the dialog and the error box run from the event loop, after the
    // server's transfer code has returned.
    connect(server, &ScanServer::clientRegistryLoadComplete, this, &ScanStateWidget::onClientRegistryLoadComplete,
            Qt::QueuedConnection);
    connect(server, &ScanServer::clientRegistryLoadError, this, &ScanStateWidget::onClientRegistryLoadError,
            Qt::QueuedConnection);
    updateActions();
}

ScanStateWidget::~ScanStateWidget()
{
    delete ui;
}

void ScanStateWidget::createActions()
{
    const auto action = [this](const QString &text, const QIcon &icon, void (ScanStateWidget::*slot)()) {
        auto *created = new QAction(icon, text, this);
        connect(created, &QAction::triggered, this, slot);
        return created;
    };
    scanAction = action(ui->m_pb_scan->text(), ui->m_pb_scan->icon(), &ScanStateWidget::scanClients);
    buzzAction = action(ui->m_pb_buzz->text(), ui->m_pb_buzz->icon(), &ScanStateWidget::buzzClient);
    settingsAction = action(tr("Device Settings"), QIcon(QStringLiteral(":/icons/i16_brick_edit.png")),
                            &ScanStateWidget::configClientRegistry);
    browserAction = action(ui->m_pb_browser->text(), ui->m_pb_browser->icon(), &ScanStateWidget::openBrowser);
    detailsAction = action(tr("Details"), QIcon(QStringLiteral(":/icons/i16_brick_info.png")),
                           &ScanStateWidget::detailClient);
    resetAction = action(tr("Reset"), ui->m_pb_reset->icon(), &ScanStateWidget::resetClient);
    removeAction = action(tr("Remove"), QIcon(QStringLiteral(":/icons/i16_brick_delete.png")),
                          &ScanStateWidget::removeItem);

    m_menu = new QMenu(tr("&Scanner"), this);
    m_menu->addAction(scanAction);
    m_menu->addSeparator();
    m_menu->addActions({buzzAction, browserAction, detailsAction, resetAction, settingsAction, removeAction});
}

ScanClientItem *ScanStateWidget::itemAt(const QModelIndex &viewIndex) const
{
    return filter->clientAt(viewIndex);
}

ScanClientItem *ScanStateWidget::selectedItem() const
{
    return itemAt(ui->m_view->selectedIndex());
}

void ScanStateWidget::updateActions()
{
    const QModelIndex selected = isVisible() ? ui->m_view->selectedIndex() : QModelIndex();
    const bool enabled = selected.row() >= 0;
    for (QWidget *button : {ui->m_pb_buzz, ui->m_pb_reset, ui->m_pb_browser})
        button->setEnabled(enabled);
    for (QAction *action : {removeAction, settingsAction, browserAction, detailsAction, resetAction, buzzAction})
        action->setEnabled(enabled);
}

void ScanStateWidget::resetClient()
{
    server->resetClient(selectedItem());
}

void ScanStateWidget::removeItem()
{
    server->model()->deleteClient(selectedItem());
}

void ScanStateWidget::scanClients()
{
    server->scanClients();
}

void ScanStateWidget::buzzClient()
{
    server->buzzClient(selectedItem());
}

void ScanStateWidget::doubleClick(const QModelIndex &ix)
{
    if (ScanClientItem *item = itemAt(ix))
        detailClient(item);
}

void ScanStateWidget::configClientRegistry()
{
    server->loadClientRegistry(selectedItem());
}

void ScanStateWidget::detailClient()
{
    detailClient(selectedItem());
}

void ScanStateWidget::detailClient(ScanClientItem *item)
{
    if (!item)
        return;
    ScanClientDialog dialog(this);
    dialog.setClient(item);
    dialog.setBrowserIcon(ui->m_pb_browser->icon());
    connect(&dialog, qOverload<ScanClientItem *>(&ScanClientDialog::buzzClient), server, &ScanServer::buzzClient);
    connect(&dialog, qOverload<ScanClientItem *>(&ScanClientDialog::resetClient), server, &ScanServer::resetClient);
    connect(&dialog, qOverload<ScanClientItem *>(&ScanClientDialog::openBrowser), this,
            qOverload<ScanClientItem *>(&ScanStateWidget::openBrowser));
    dialog.exec();
}

void ScanStateWidget::openBrowser()
{
    openBrowser(selectedItem());
}

void ScanStateWidget::openBrowser(ScanClientItem *clo)
{
    if (!clo)
        return;
    if (clo->info.ip == 0) {
        QMessageBox::warning(this, tr("Configure"), tr("The controller needs to have an IP address configured first."),
                             QMessageBox::Ok);
        return;
    }
    // Taken now: the device may be removed while the question is open.
    const QUrl url(QStringLiteral("https://") + ipv4ToString(clo->info.ip) + u'/');
    QMessageBox box(QMessageBox::Information, tr("Configure"),
                    tr("An internet browser will open and display the device configuration program."),
                    QMessageBox::Ok | QMessageBox::Cancel, this);
    box.setDefaultButton(QMessageBox::Ok);
    if (!browserIcon.isNull())
        box.setIconPixmap(browserIcon);
    if (box.exec() == QMessageBox::Ok)
        QDesktopServices::openUrl(url);
}

void ScanStateWidget::onClientRegistryLoadComplete(ScanClientItem *cli)
{
    // Queued: the device may have been removed since, and the pointer with it.
    if (server->model()->rowOf(cli) < 0)
        return;
    ScanClientRegistryDialog dialog(this);
    dialog.setClient(cli);
    dialog.exec();
}

void ScanStateWidget::onClientRegistryLoadError(ScanClientItem *, const QString &message)
{
    QMessageBox::warning(this, QCoreApplication::applicationName(), message, QMessageBox::Ok);
}

void ScanStateWidget::contextMenuEvent(QContextMenuEvent *)
{
    m_menu->exec(QCursor::pos());
}

void ScanStateWidget::showEvent(QShowEvent *event)
{
    updateActions();
    QWidget::showEvent(event);
}

void ScanStateWidget::hideEvent(QHideEvent *event)
{
    updateActions();
    QWidget::hideEvent(event);
}

void ScanStateWidget::closeEvent(QCloseEvent *event)
{
    event->ignore();
}
