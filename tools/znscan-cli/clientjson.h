// The machine-readable form of a listed device.
#pragma once

#include <QJsonObject>
#include <QStringList>

class ScanClientInfo;

QJsonObject clientInfoToJson(const ScanClientInfo &info);

// The keys of that object in the order of the CSV columns.
QStringList clientInfoKeys();
