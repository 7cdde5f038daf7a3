// The machine-readable form of a listed device.
#pragma once

#include <QJsonObject>

class ScanClientInfo;

QJsonObject clientInfoToJson(const ScanClientInfo &info);
