#include "scanclientdialog.h"

#include "ipv4.h"
#include "scanclientitem.h"
#include "ui_scanclientdialog.h"

namespace {

// 0123456789ABCDEF as "01 - 23456789ABCD - EF".
QString serialNumberText(quint64 serial)
{
    const QString digits = QStringLiteral("%1").arg(serial, 16, 16, QLatin1Char('0')).toUpper();
    return digits.left(2) + QStringLiteral(" - ") + digits.mid(2, 12) + QStringLiteral(" - ") + digits.right(2);
}

} // namespace

ScanClientDialog::ScanClientDialog(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::ScanClientDialog)
{
    ui->setupUi(this);
    connect(ui->m_pb_buzz, &QPushButton::clicked, this, qOverload<>(&ScanClientDialog::buzzClient));
    connect(ui->m_pb_reset, &QPushButton::clicked, this, qOverload<>(&ScanClientDialog::resetClient));
    connect(ui->m_pb_browser, &QPushButton::clicked, this, qOverload<>(&ScanClientDialog::openBrowser));
}

ScanClientDialog::~ScanClientDialog()
{
    delete ui;
}

void ScanClientDialog::setClient(ScanClientItem *item)
{
    client = item;
    connect(item, &QObject::destroyed, this, &QWidget::close);
    const ScanClientInfo &info = item->info;
    ui->m_grp_info->setTitle(tr("Information about %1").arg(info.serialText()));
    ui->m_le_mac->setText(info.mac.toString());
    ui->m_le_ip->setText(info.ip == 0 ? tr("None") : ipv4ConfigurationText(info.ip, info.netmask, info.gateway));
    ui->m_le_hw->setText(info.boardName);
    ui->m_le_serial->setText(serialNumberText(info.serial));
    ui->m_le_manufdate->setText(info.made.toLocalTime().toString(Qt::TextDate));

    QString mode;
    switch (info.networkMode) {
    case 0:
        mode = tr("Networking disabled");
        break;
    case 1:
        mode = tr("DHCP");
        break;
    case 2:
        mode = tr("Static Address");
        break;
    default:
        mode = tr("Mode #%1").arg(info.networkMode);
        break;
    }
    if (info.developmentMode != 0)
        mode += u' ' + tr("(DEVELOPMENT MODE)");
    ui->m_le_netmode->setText(mode);
}

void ScanClientDialog::setBrowserIcon(const QIcon &icon)
{
    ui->m_pb_browser->setIcon(icon);
}

void ScanClientDialog::buzzClient()
{
    Q_EMIT buzzClient(client.data());
}

void ScanClientDialog::resetClient()
{
    Q_EMIT resetClient(client.data());
}

void ScanClientDialog::openBrowser()
{
    Q_EMIT openBrowser(client.data());
}
