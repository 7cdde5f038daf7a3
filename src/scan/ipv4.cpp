#include "ipv4.h"

QString ipv4ToString(quint32 address)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

int netmaskPrefixLength(quint32 netmask)
{
    constexpr int MinPrefix = 8;
    if (netmask == 0)
        return -1;
    int zeros = 0;
    while (!(netmask & (quint32(1) << zeros)))
        ++zeros;
    // Every bit above the lowest one must be set.
    const quint32 ones = ~quint32(0) << zeros;
    if (netmask != ones)
        return -1;
    const int prefix = 32 - zeros;
    return prefix >= MinPrefix ? prefix : -1;
}

QString ipv4ConfigurationText(quint32 address, quint32 netmask, quint32 gateway)
{
    const int prefix = netmaskPrefixLength(netmask);
    QString text = ipv4ToString(address) + u'/' + (prefix >= 0 ? QString::number(prefix) : ipv4ToString(netmask));
    if (gateway != 0)
        text += QStringLiteral(" (GW=") + ipv4ToString(gateway) + u')';
    return text;
}
