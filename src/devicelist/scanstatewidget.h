// The device list panel: the discovered devices over a row of buttons, a
// context menu and the "&Scanner" menu of the main window. It talks to the
// scan server only through the server's public slots and signals.
#pragma once

#include <QPixmap>
#include <QWidget>

class QAction;
class QMenu;
class QModelIndex;
class ScanClientItem;
class ScanServer;
class ScanStateFilterModel;
namespace Ui {
class ScanStateWidget;
}

class ScanStateWidget : public QWidget
{
    Q_OBJECT

public:
    ScanStateWidget(ScanServer *server, QWidget *parent = nullptr);
    ~ScanStateWidget() override;

    // Shown in the menu bar and as the context menu; the main window adds its entries.
    QMenu *menu() const { return m_menu; }

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private Q_SLOTS:
    void updateActions();
    void resetClient();
    void removeItem();
    void scanClients();
    void buzzClient();
    void doubleClick(const QModelIndex &ix);
    void configClientRegistry();
    void detailClient();
    void detailClient(ScanClientItem *item);
    void openBrowser();
    void openBrowser(ScanClientItem *clo);
    void onClientRegistryLoadComplete(ScanClientItem *cli);
    void onClientRegistryLoadError(ScanClientItem *cli, const QString &message);

private:
    // The device of the first selected row; null when none is selected.
    ScanClientItem *selectedItem() const;
    ScanClientItem *itemAt(const QModelIndex &viewIndex) const;
    void createActions();

    Ui::ScanStateWidget *ui;
    ScanServer *server;
    ScanStateFilterModel *filter;
    QMenu *m_menu = nullptr;
    QAction *scanAction = nullptr;
    QAction *buzzAction = nullptr;
    QAction *settingsAction = nullptr;
    QAction *browserAction = nullptr;
    QAction *detailsAction = nullptr;
    QAction *resetAction = nullptr;
    QAction *removeAction = nullptr;
    QPixmap browserIcon;
};
