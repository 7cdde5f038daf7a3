// The devices of one run, gathered from a JSON file, --device specs and
// generated identities (in this order), and their JSON text.
#pragma once

#include "simdevice.h"

#include <QList>
#include <QStringList>

struct DeviceListSources {
    QString file;            // JSON array in the format of devicesToJson
    QStringList specs;       // --device key=value lists
    int count = 0;           // generated devices
    quint64 seed = 1;
    QStringList corruptMacs; // devices whose datagrams carry a wrong checksum
};

bool buildDeviceList(const DeviceListSources &sources, QList<SimDevice> *devices, QString *error);

QByteArray devicesToJson(const QList<SimDevice> &devices);
bool devicesFromJson(const QByteArray &text, QList<SimDevice> *devices, QString *error);
