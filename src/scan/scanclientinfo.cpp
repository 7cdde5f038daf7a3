#include "scanclientinfo.h"

#include "ipv4.h"

bool ScanClientInfo::differsFrom(const ScanClientInfo &other) const
{
    return mac != other.mac || ip != other.ip || netmask != other.netmask || gateway != other.gateway
        || networkMode != other.networkMode || board != other.board || boardName != other.boardName
        || remark != other.remark || cpu != other.cpu || serial != other.serial || made != other.made;
}

QString ScanClientInfo::serialText() const
{
    const QString boardText = boardName.isEmpty() ? QString::number(board) : boardName;
    return boardText + u'-' + QString::number(quint32(serial >> 8));
}

QString ScanClientInfo::versionText(quint32 version)
{
    if (version > 9999)
        return QString::number(version);
    return QStringLiteral("%1%2")
        .arg(version % 100, 2, 10, QLatin1Char('0'))
        .arg(version / 100, 2, 10, QLatin1Char('0'));
}

QString ScanClientInfo::serialDescription() const
{
    QString text = serialText();
    if (versionS != 0 && versionS == versionD) {
        text += QStringLiteral(" D") + versionText(versionD);
    } else {
        if (versionS != 0)
            text += QStringLiteral(" S") + versionText(versionS);
        if (versionD != 0)
            text += QStringLiteral(" D") + versionText(versionD);
    }
    if (!remark.isEmpty())
        text += QStringLiteral(" (") + remark + u')';
    return text;
}

QStringList ScanClientInfo::infoLines() const
{
    QString identity;
    if (!boardName.isEmpty() || board != 0)
        identity = tr("%1 manufactured on %2").arg(serialText(), made.toLocalTime().toString(Qt::TextDate));

    QString address = QStringLiteral("MAC: ") + mac.toString();
    if (ip != 0)
        address += QStringLiteral("  IP: ") + ipv4ConfigurationText(ip, netmask, gateway);
    return {identity, address};
}

void ScanClientInfo::registerMetaType()
{
    qRegisterMetaType<ScanClientInfo>("ScanClientInfo");
}
