// Everything known about one discovered device, with buttons to open its web
// configuration, buzz it or reset it. Closes by itself when the device record
// goes.
#pragma once

#include <QDialog>
#include <QPointer>

class QIcon;
class ScanClientItem;
namespace Ui {
class ScanClientDialog;
}

class ScanClientDialog : public QDialog
{
    Q_OBJECT

public:
    explicit ScanClientDialog(QWidget *parent = nullptr);
    ~ScanClientDialog() override;

    // Shows the item; called once, before the dialog runs.
    void setClient(ScanClientItem *item);
    void setBrowserIcon(const QIcon &icon);

Q_SIGNALS:
    // The item is null once the record has been destroyed.
    void buzzClient(ScanClientItem *cli);
    void resetClient(ScanClientItem *cli);
    void openBrowser(ScanClientItem *cli);

private Q_SLOTS:
    void buzzClient();
    void resetClient();
    void openBrowser();

private:
    Ui::ScanClientDialog *ui;
    QPointer<ScanClientItem> client;
};
