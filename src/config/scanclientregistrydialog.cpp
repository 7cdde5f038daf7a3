#include "scanclientregistrydialog.h"

#include "dumpview.h"
#include "registrydelegate.h"
#include "registrymodel.h"
#include "registrynewitemdialog.h"
#include "scanclientitem.h"
#include "scanserver.h"
#include "scanstate.h"
#include "scanstatemodel.h"
#include "ui_scanclientregistrydialog.h"

#include <QAction>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QProgressDialog>
#include <QShortcut>
#include <QStandardPaths>

namespace {

constexpr uint kSectionType = 255;

QString fileFilter()
{
    return ScanClientRegistryDialog::tr("Zentra Configuration Files") + QStringLiteral(" (*.znc);;All Files (*.*)");
}

// The server that lists a device: the device's parent is the list, owned by
// the model, whose parent is the server.
ScanServer *serverOf(const ScanClientItem *cli)
{
    const auto *state = qobject_cast<const ScanState *>(cli->parent());
    const QObject *model = state ? state->owner() : nullptr;
    return model ? qobject_cast<ScanServer *>(model->parent()) : nullptr;
}

} // namespace

ScanClientRegistryDialog::ScanClientRegistryDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::ScanClientRegistryDialog)
{
    ui->setupUi(this);
    resize(800, 500);
    ui->m_view->setItemDelegate(new RegistryDelegate(this));
    connect(ui->m_view, qOverload<const QModelIndex &>(&RowTreeView::selectionChanged), this,
            &ScanClientRegistryDialog::onSelectionChanged);

    // The view's context menu; Insert and Delete work anywhere in the dialog.
    newAction = new QAction(ui->m_pb_new->icon(), ui->m_pb_new->text(), this);
    newAction->setShortcut(Qt::Key_Insert);
    deleteAction = new QAction(ui->m_pb_delete->icon(), ui->m_pb_delete->text(), this);
    deleteAction->setShortcut(Qt::Key_Delete);
    dumpAction = new QAction(QIcon(QStringLiteral(":/icons/i16_bug.png")), tr("Dump"), this);
    ui->m_view->addActions({newAction, deleteAction, dumpAction});

    connect(ui->m_pb_new, &QPushButton::clicked, this, &ScanClientRegistryDialog::onNew);
    connect(newAction, &QAction::triggered, this, &ScanClientRegistryDialog::onNew);
    connect(ui->m_pb_delete, &QPushButton::clicked, this, &ScanClientRegistryDialog::onDelete);
    connect(deleteAction, &QAction::triggered, this, &ScanClientRegistryDialog::onDelete);
    connect(dumpAction, &QAction::triggered, this, &ScanClientRegistryDialog::onDump);
    connect(ui->m_pb_export, &QPushButton::clicked, this, &ScanClientRegistryDialog::onExport);
    connect(ui->m_pb_import, &QPushButton::clicked, this, &ScanClientRegistryDialog::onImport);
    connect(ui->m_pb_changes, &QPushButton::clicked, this, &ScanClientRegistryDialog::onChanges);

    tagMap.loadDefaults();
    if (!tagMap.errors().isEmpty()) {
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("<P>") + tagMap.errors().join(QStringLiteral("<BR>")) + QStringLiteral("</P>"),
                             QMessageBox::Ok);
    }

    model = new RegistryModel(this);
    model->setTagMap(&tagMap);
    model->setRootName(tr("Config"));
    registry.setModel(model);
    ui->m_view->setModel(model);
    ui->m_view->header()->resizeSection(0, 250);
    ui->m_view->header()->resizeSection(1, 150);
    onSelectionChanged(QModelIndex());
}

ScanClientRegistryDialog::~ScanClientRegistryDialog()
{
    // Emptying the model resets the view, whose selection change reaches
    // this dialog: it must happen while the form is still here.
    registry.setModel(nullptr);
    delete ui;
}

void ScanClientRegistryDialog::setClient(ScanClientItem *cli)
{
    client = cli;
    server = serverOf(cli);
    info = cli->info;
    registry.load(QByteArrayView(cli->registry.data(), cli->registry.size()));
    connect(cli, &QObject::destroyed, this, &QWidget::close);
    if (server) {
        connect(server, &ScanServer::clientRegistrySaveComplete, this,
                &ScanClientRegistryDialog::onClientRegistrySaveComplete, Qt::QueuedConnection);
        connect(server, &ScanServer::clientRegistrySaveError, this,
                &ScanClientRegistryDialog::onClientRegistrySaveError, Qt::QueuedConnection);
        connect(server, &ScanServer::clientRegistryProgress, this,
                &ScanClientRegistryDialog::onClientRegistryProgress, Qt::QueuedConnection);
    }
    const QStringList lines = info.infoLines();
    ui->m_lbl_description1->setText(lines.value(0));
    ui->m_lbl_description2->setText(lines.value(1));
    ui->m_view->expandToDepth(1);
}

void ScanClientRegistryDialog::setNewEnabled(bool enabled)
{
    ui->m_pb_new->setEnabled(enabled);
    newAction->setEnabled(enabled);
}

void ScanClientRegistryDialog::setDeleteEnabled(bool enabled)
{
    ui->m_pb_delete->setEnabled(enabled);
    deleteAction->setEnabled(enabled);
}

void ScanClientRegistryDialog::onSelectionChanged(const QModelIndex &index)
{
    bool typed = false;
    const uint type = index.data(RegistryModel::TypeRole).toUInt(&typed);
    const bool section = typed && type == kSectionType;
    const QModelIndex first = index.siblingAtColumn(0);
    setDeleteEnabled(typed && (!section || !model->hasChildren(first)));
    setNewEnabled(section);
}

void ScanClientRegistryDialog::onNew()
{
    if (!newDialog) {
        newDialog = new RegistryNewItemDialog(this);
        connect(newDialog, &QDialog::finished, this, &ScanClientRegistryDialog::onNewDialogFinished);
    }
    newDialog->setTagMap(model->tagMap());
    setNewEnabled(false);
    newDialog->show();
}

void ScanClientRegistryDialog::onNewDialogFinished(int result)
{
    setNewEnabled(true);
    const uint32_t key = newDialog->selectedKey();
    if (result != QDialog::Accepted || key == 0)
        return;
    QModelIndex section = ui->m_view->currentIndex();
    bool typed = false;
    const uint type = section.data(RegistryModel::TypeRole).toUInt(&typed);
    if (!typed)
        return;
    // A new entry goes into the section of the selected value.
    if (type != kSectionType)
        section = section.parent();
    const QModelIndex added = model->insertItem(section, key);
    if (added.isValid())
        ui->m_view->setCurrentIndex(added);
}

void ScanClientRegistryDialog::onDelete()
{
    const QModelIndex current = ui->m_view->currentIndex();
    if (!current.isValid())
        return;
    int row = current.row();
    int column = current.column();
    const QPersistentModelIndex removedFrom = current.parent();
    model->removeRow(row, removedFrom);

    // The row that took the deleted one's place, else the section's new last
    // row, else the section itself, and so on up.
    QModelIndex parent = removedFrom;
    for (;;) {
        const int rows = model->rowCount(parent);
        if (rows > 0) {
            ui->m_view->setCurrentIndex(model->index(qMin(row, rows - 1), column, parent));
            return;
        }
        if (!parent.isValid())
            break;
        row = parent.row();
        column = parent.column();
        parent = parent.parent();
    }
    ui->m_view->setCurrentIndex(QModelIndex());
}

void ScanClientRegistryDialog::showText(const QString &title, const QString &text)
{
    auto *window = new DumpView(this, text);
    window->setWindowFlags(Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(title);
    auto *escape = new QShortcut(Qt::Key_Escape, window);
    connect(escape, &QShortcut::activated, window, &QWidget::close);
    window->show();
}

void ScanClientRegistryDialog::onDump()
{
    showText(tr("Configuration dump for %1").arg(info.mac.toString()), model->dump());
}

void ScanClientRegistryDialog::onChanges()
{
    QStringList lines;
    for (const RegistryChange &change : registry.changes(&tagMap))
        lines << registryChangeText(change);
    showText(tr("Changes saving would make to %1").arg(info.mac.toString()),
             lines.isEmpty() ? tr("No changes.") : lines.join(QLatin1Char('\n')));
}

QString ScanClientRegistryDialog::startDirectory() const
{
    return lastFile.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) : lastFile;
}

void ScanClientRegistryDialog::onExport()
{
    const QString title = tr("Export Configuration");
    const QString path = QFileDialog::getSaveFileName(this, title, startDirectory(), fileFilter());
    if (path.isEmpty())
        return;
    QString error;
    if (!registry.exportFile(path, &error)) {
        QMessageBox::warning(this, title, error, QMessageBox::Ok);
        return;
    }
    lastFile = path;
}

void ScanClientRegistryDialog::onImport()
{
    const QString title = tr("Import Configuration");
    const QString path = QFileDialog::getOpenFileName(this, title, startDirectory(), fileFilter());
    if (path.isEmpty())
        return;
    QString error;
    if (!registry.importFile(path, &error)) {
        QMessageBox::warning(this, title, error, QMessageBox::Ok);
        return;
    }
    ui->m_view->expandToDepth(1);
    lastFile = path;
}

bool ScanClientRegistryDialog::isOurSave(const ScanClientItem *cli) const
{
    // A queued signal may name a device that is gone: compared before it is read.
    return progress && client && cli == client && cli->info.mac == info.mac;
}

void ScanClientRegistryDialog::onClientRegistryProgress(ScanClientItem *cli, int percent)
{
    if (isOurSave(cli))
        progress->setValue(percent);
}

void ScanClientRegistryDialog::onClientRegistrySaveComplete(ScanClientItem *cli)
{
    if (isOurSave(cli))
        progress->accept();
}

void ScanClientRegistryDialog::onClientRegistrySaveError(ScanClientItem *cli, const QString &message)
{
    if (!isOurSave(cli))
        return;
    progress->done(0);
    QMessageBox::warning(this, windowTitle(), message, QMessageBox::Ok);
}

void ScanClientRegistryDialog::done(int r)
{
    if (!client) {
        // The device went: a running save cannot finish either.
        if (progress)
            progress->done(0);
        QDialog::done(0);
        return;
    }
    if (r != QDialog::Accepted && model->isModified()) {
        QMessageBox question(QMessageBox::Question, windowTitle(),
                             tr("There are unsaved changes. What do you want to do?"),
                             QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        question.setDefaultButton(QMessageBox::Cancel);
        const int answer = question.exec();
        if (answer == QMessageBox::Discard)
            QDialog::done(r);
        else if (answer == QMessageBox::Save)
            save();
        return;
    }
    if (r == QDialog::Accepted)
        save();
    else
        QDialog::done(r);
}

void ScanClientRegistryDialog::save()
{
    // A device that went while the question was open takes no upload.
    if (!server || !client)
        return;
    progress = new QProgressDialog(this);
    progress->setLabelText(tr("Saving configuration"));
    progress->setRange(0, 100);
    // Only what the registry uses goes out; the rest of the area is zero.
    ScanClientRegistry upload;
    upload.assign(registry.blob());
    server->saveClientRegistry(client, upload);
    const int result = progress->exec();
    delete progress;
    progress = nullptr;
    // Cancelled: the device gets no further block. After an error there is
    // no transfer left to end.
    if (result != QDialog::Accepted) {
        server->abortClientRegistryTransfer(info.mac);
        return;
    }
    QDialog::done(QDialog::Accepted);
}
