// One reset of one controller: how it travels, what kind of reset, which
// device. Built for each reset and gone once its datagram is sent.
#pragma once

#include "mac.h"

#include <QByteArray>
#include <QString>

struct ResetRequest {
    enum Method { MacReset = 1 }; // a command datagram addressed by MAC
    enum Kind { Auto = 0, Cold = 1, Warm = 2 };

    qint32 method = MacReset;
    qint32 kind = Cold;
    QString target; // the device's MAC address in text form
    QString error;  // why the reset was not sent; empty otherwise

    // "Cold MAC(00:11:22:33:44:55)": kind, method, then the target if any.
    QString toString() const;

    // The reset datagram; empty, with error set, when the target is not a
    // non-zero MAC address.
    QByteArray buildDatagram();

    // Parses a command's target as buildDatagram does; on failure error says why.
    static bool parseTarget(const QString &target, Mac *mac, QString *error);
};
