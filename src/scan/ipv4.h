// IPv4 numbers are unsigned 32-bit integers in host order, the first wire
// byte most significant.
#pragma once

#include <QString>
#include <QtGlobal>

// Dotted decimal, most significant byte first.
QString ipv4ToString(quint32 address);

// The prefix length of a contiguous netmask of at least 8 bits, else -1
// (so 0.0.0.0 and 255.0.255.0 have none).
int netmaskPrefixLength(quint32 netmask);

// "192.168.1.20/24 (GW=192.168.1.1)": the address, the prefix length (or the
// mask in dotted form when it has none), the gateway when there is one.
QString ipv4ConfigurationText(quint32 address, quint32 netmask, quint32 gateway);
