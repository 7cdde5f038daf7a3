// The configuration dialog of one device: its downloaded registry as an
// editable tree, entries added and deleted, a debug dump, configuration files
// exported and imported, what saving would change, and the upload back to the
// device with a progress dialog. Closes by itself when the device goes.
#pragma once

#include "registryworkingcopy.h"
#include "scanclientinfo.h"
#include "scanclientregistry.h"
#include "tagmap.h"

#include <QDialog>
#include <QPointer>

class QAction;
class QModelIndex;
class QProgressDialog;
class RegistryModel;
class RegistryNewItemDialog;
class ScanClientItem;
class ScanServer;
namespace Ui {
class ScanClientRegistryDialog;
}

class ScanClientRegistryDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ScanClientRegistryDialog(QWidget *parent = nullptr);
    ~ScanClientRegistryDialog() override;

    // Edits the registry the device holds now (its last download); called
    // once, before the dialog runs. The device must be listed by a scan server.
    void setClient(ScanClientItem *cli);

public Q_SLOTS:
    // OK saves to the device; anything else asks first when there are unsaved changes.
    void done(int r) override;

private Q_SLOTS:
    void onSelectionChanged(const QModelIndex &index);
    void onNew();
    void onNewDialogFinished(int result);
    void onDelete();
    void onDump();
    void onChanges();
    void onExport();
    void onImport();
    void onClientRegistryProgress(ScanClientItem *cli, int percent);
    void onClientRegistrySaveComplete(ScanClientItem *cli);
    void onClientRegistrySaveError(ScanClientItem *cli, const QString &message);

private:
    void save();
    // A window of its own over the dialog, with a fixed-pitch text; Escape closes it.
    void showText(const QString &title, const QString &text);
    void setNewEnabled(bool enabled);
    void setDeleteEnabled(bool enabled);
    // Whether a save signal is about the running save of this dialog's device.
    bool isOurSave(const ScanClientItem *cli) const;
    QString startDirectory() const;

    Ui::ScanClientRegistryDialog *ui;
    ScanServer *server = nullptr;
    TagMap tagMap;
    ScanClientInfo info;
    RegistryWorkingCopy registry{ScanClientRegistry::Capacity};
    QAction *newAction = nullptr;
    QAction *deleteAction = nullptr;
    QAction *dumpAction = nullptr;
    RegistryModel *model = nullptr;
    RegistryNewItemDialog *newDialog = nullptr;
    QProgressDialog *progress = nullptr;
    QPointer<ScanClientItem> client;
    QString lastFile;
};
