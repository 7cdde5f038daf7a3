#include "decodedclientinfo.h"

#include <QTimeZone>

namespace {

// The devices count manufacturing time from 2000-01-01 00:00:00 UTC.
constexpr qint64 kEpoch2000 = 946684800;

} // namespace

ScanClientInfo clientInfoFromDecoded(const zn::DecodedIdentity &identity)
{
    ScanClientInfo info;
    info.mac = Mac(identity.mac);
    info.ip = identity.ip;
    info.netmask = identity.netmask;
    info.gateway = identity.gateway;
    info.networkMode = identity.networkMode;
    info.developmentMode = identity.developmentMode;
    info.board = identity.board;
    info.cpu = identity.cpu;
    info.serial = identity.serial;
    info.versionS = identity.versionS;
    info.versionD = identity.versionD;
    info.boardName = QString::fromUtf8(identity.boardName, qsizetype(identity.boardNameSize));
    info.remark = QString::fromUtf8(identity.remark, qsizetype(identity.remarkSize));
    // 64-bit sum: a late date must not wrap around to 1970.
    if (identity.hasMade)
        info.made = QDateTime::fromSecsSinceEpoch(qint64(identity.madeSince2000) + kEpoch2000, QTimeZone::utc());
    return info;
}
