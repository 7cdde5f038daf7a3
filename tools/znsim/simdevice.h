// One simulated controller: its identity as the scanner will decode it, and the
// text forms used by the command line and by the JSON device lists.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include "datagram.h"

#include <functional>

struct SimDevice {
    // The records as sent: networkMode and developmentMode -1 send no record
    // (any other development mode value is sent as is), hasMade false sends
    // no date. The text pointers are unused: the texts live below.
    zn::DecodedIdentity identity;
    QString boardName;
    QString remark;
    bool badCrc = false; // every datagram of this device carries a wrong checksum
};

// Sets one field from its text form (the keys of the JSON format, plus
// "badcrc"). False with a reason for an unknown key or a malformed value.
bool setDeviceField(SimDevice *device, const QString &key, const QString &value, QString *error);

// Generated devices and short MACs on the command line share this vendor prefix.
constexpr quint32 kSimVendorPrefix = 0x025A4E;

// "mac=02:5A:4E:00:00:01,board=12,..." as given to --device; mac is required
// ("mac=7" is 02:5A:4E:00:00:07). Values cannot contain commas.
bool parseDeviceSpec(const QString &spec, SimDevice *device, QString *error);

// The JSON form of the device as the scanner decodes it (development mode 0/1).
QJsonObject deviceToJson(const SimDevice &device);
bool deviceFromJson(const QJsonObject &json, SimDevice *device, QString *error);

// Builds one datagram sent by the device: its MAC record, the records written
// by `records`, the checksum (spoilt for a badCrc device). Empty on overflow.
QByteArray deviceFrame(const SimDevice &device, quint16 opcode,
                       const std::function<void(zn::DatagramBuilder *)> &records);

// The discovery answer (opcode 2) with every identity record the device has.
QByteArray deviceAnswer(const SimDevice &device);
