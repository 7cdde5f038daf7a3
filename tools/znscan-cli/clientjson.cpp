#include "clientjson.h"

#include "ipv4.h"
#include "scanclientinfo.h"

#include <QJsonValue>

QJsonObject clientInfoToJson(const ScanClientInfo &info)
{
    QJsonObject json;
    json.insert(QStringLiteral("mac"), info.mac.toString());
    json.insert(QStringLiteral("ip"), ipv4ToString(info.ip));
    json.insert(QStringLiteral("netmask"), ipv4ToString(info.netmask));
    json.insert(QStringLiteral("gateway"), ipv4ToString(info.gateway));
    json.insert(QStringLiteral("networkMode"), info.networkMode);
    json.insert(QStringLiteral("developmentMode"), info.developmentMode);
    json.insert(QStringLiteral("board"), qint64(info.board));
    json.insert(QStringLiteral("cpu"), qint64(info.cpu));
    json.insert(QStringLiteral("versionS"), qint64(info.versionS));
    json.insert(QStringLiteral("versionD"), qint64(info.versionD));
    json.insert(QStringLiteral("boardName"), info.boardName);
    json.insert(QStringLiteral("remark"), info.remark);
    json.insert(QStringLiteral("serial"),
                QStringLiteral("0x") + QStringLiteral("%1").arg(info.serial, 16, 16, QLatin1Char('0')).toUpper());
    json.insert(QStringLiteral("made"), info.made.isValid()
                                            ? QJsonValue(info.made.toUTC().toString(Qt::ISODate))
                                            : QJsonValue(QJsonValue::Null));
    json.insert(QStringLiteral("label"), info.serialDescription());
    return json;
}

QStringList clientInfoKeys()
{
    return {"mac",   "ip",  "netmask",  "gateway",  "networkMode", "developmentMode", "board", "cpu",
            "versionS", "versionD", "boardName", "remark", "serial", "made", "label"};
}
