// The decoded identity of one controller, as carried by its discovery answer.
#pragma once

#include "mac.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <QStringList>

class ScanClientInfo
{
    Q_DECLARE_TR_FUNCTIONS(ScanClientInfo)

public:
    Mac mac;
    quint32 ip = 0;
    quint32 netmask = 0;
    quint32 gateway = 0;
    qint32 networkMode = -1;     // 0 disabled, 1 DHCP, 2 static address
    qint32 developmentMode = -1; // 1 on, 0 off, -1 not reported
    quint32 board = 0;
    QString boardName;
    QString remark;
    quint32 cpu = 0;
    quint64 serial = 0;
    QDateTime made;              // UTC; invalid until reported
    quint32 versionS = 0;        // 16-bit values
    quint32 versionD = 0;

    // Whether an answer changes what the list shows. developmentMode and the
    // two versions are left out on purpose: an answer that differs only there
    // leaves the stored record and its row alone. Deliberately not operator==,
    // which would suggest a full comparison.
    bool differsFrom(const ScanClientInfo &other) const;

    // Board name (or board number) "-" serial bits 39..8, e.g. "12-4660".
    QString serialText() const;
    // Above 9999 plain decimal, else the two low decimal digits then the two high.
    static QString versionText(quint32 version);
    // The device's label in the list: serial text, version marks, remark.
    QString serialDescription() const;
    // Two lines: board/serial/manufacturing date (or empty), then MAC and IP.
    QStringList infoLines() const;

    // Registers the type under the name "ScanClientInfo" for queued signals.
    static void registerMetaType();
};

Q_DECLARE_METATYPE(ScanClientInfo)
